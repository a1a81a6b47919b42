#include "ui/ImageView.h"

#include <QGuiApplication>
#include <QPainter>

#include <utility>

namespace toolkit {

ImageView::ImageView(QWidget* parent) : QWidget(parent) {
    // Overlays lie over one another: only the image itself is painted.
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ImageView::setImage(const Image& image) {
    m_image = image;
    m_detail = Image();
    m_detailPixels = QImage();
    // A picture given replaces a named one.
    m_imageName.clear();
    m_imageNameScale = 0;
    m_detailAsked = false;
    update();
}

void ImageView::setDetailImage(const Image& image) {
    m_detail = image;
    m_detailPixels = QImage();
    update();
}

void ImageView::setImageName(const QString& name) {
    m_imageName = name;
    m_image = Image();
    m_detail = Image();
    m_detailPixels = QImage();
    m_imageNameScale = 0;
    update();
}

void ImageView::lookUpNamed(qreal scale) const {
    m_image = Image::imageNamed(m_imageName, scale);
    m_imageNameScale = scale;
}

Image ImageView::image() const {
    if (!m_imageName.isEmpty() && m_imageNameScale == 0)
        lookUpNamed(qGuiApp ? qGuiApp->devicePixelRatio() : 1.0);
    return m_image;
}

void ImageView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // The scale of a window and of the screen shows in the device transform only.
    const QTransform onDevice = painter.deviceTransform();
    const qreal scale = onDevice.m11();
    if (!m_imageName.isEmpty() && m_imageNameScale != scale)
        lookUpNamed(scale);
    const Image shown = image();
    if (shown.isNull())
        return;
    // A picture made for this scale is copied to the screen as it is: drawn into the view's
    // bounds it would be filtered, every pixel (at a scale of 1.5, a twentieth of the launch).
    const QImage pixels = shown.toQImage();
    if (!m_imageName.isEmpty() && onDevice.type() <= QTransform::TxScale &&
        onDevice.m11() == onDevice.m22() && pixels.size() == (QSizeF(size()) * scale).toSize()) {
        QImage atScale = pixels;
        atScale.setDevicePixelRatio(scale);
        painter.drawImage(QPointF(0, 0), atScale);
        return;
    }
    if (m_detail.isNull() || scale <= 1.01) {
        shown.drawInRect(painter, QRectF(rect()));
        if (scale > 1.01 && m_detail.isNull() && !std::exchange(m_detailAsked, true))
            emit detailWanted();
        return;
    }
    // The detail is drawn once at the size it takes on the device, decoded for that size,
    // and kept until that size changes.
    const QSize device = (QSizeF(size()) * scale).toSize();
    if (m_detailPixels.size() != device) {
        m_detailPixels = QImage(device, QImage::Format_ARGB32_Premultiplied);
        m_detailPixels.fill(Qt::transparent);
        QPainter detail(&m_detailPixels);
        m_detail.drawInRect(detail, QRectF(QPointF(0, 0), QSizeF(device)));
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(QRectF(rect()), m_detailPixels);
}

} // namespace toolkit
