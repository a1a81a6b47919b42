#include "ImageView.h"

#include <QPainter>

namespace toolkit {

ImageView::ImageView(QWidget* parent) : QWidget(parent) {
    // Overlays lie over one another: only the image itself is painted.
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ImageView::setImage(const Image& image) {
    m_image = image;
    m_imageNamePending = false;
    update();
}

void ImageView::setImageName(const QString& name) {
    m_imageName = name;
    m_image = Image();
    m_imageNamePending = true;
    update();
}

Image ImageView::image() const {
    if (m_imageNamePending) {
        m_imageNamePending = false;
        m_image = Image::imageNamed(m_imageName);
    }
    return m_image;
}

void ImageView::paintEvent(QPaintEvent*) {
    const Image shown = image();
    if (shown.isNull())
        return;
    QPainter painter(this);
    shown.drawInRect(painter, QRectF(rect()));
}

} // namespace toolkit
