#include "ImageView.h"

#include <QPainter>

namespace toolkit {

ImageView::ImageView(QWidget* parent) : QWidget(parent) {
    // Overlays lie over one another: only the image itself is painted.
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ImageView::setImage(const Image& image) {
    m_image = image;
    update();
}

void ImageView::setImageName(const QString& name) {
    m_imageName = name;
    setImage(Image::imageNamed(name));
}

void ImageView::paintEvent(QPaintEvent*) {
    if (m_image.isNull())
        return;
    QPainter painter(this);
    m_image.drawInRect(painter, QRectF(rect()));
}

} // namespace toolkit
