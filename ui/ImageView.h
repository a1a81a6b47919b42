#pragma once

#include "imaging/Image.h"

#include <QWidget>

namespace toolkit {

/// Shows an image stretched to its bounds (scale to fill). The layout can name a
/// resource image for it through the `imageName` property.
class ImageView : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString imageName READ imageName WRITE setImageName)

public:
    explicit ImageView(QWidget* parent = nullptr);

    /// Replaces the shown image; a null image shows nothing.
    void setImage(const Image& image);
    /// The image shown now.
    Image image() const;
    /// A rendition of the same picture with more detail (the photo as decoded from its
    /// file), drawn instead of the image where the view is shown enlarged: a scaled window,
    /// a dense screen. Drawn at its own size, as into a saved portrait, the view draws the
    /// image itself. setImage forgets it.
    void setDetailImage(const Image& image);

    QString imageName() const { return m_imageName; }
    /// Shows the resource image named `name` (see Image::imageNamed). It is looked up when
    /// first needed: a hidden view's picture costs nothing until it is shown. Painted, it
    /// is the variant for the scale the view is shown at (a scaled window, a dense screen),
    /// drawn pixel for pixel where it was made for that scale.
    void setImageName(const QString& name);

signals:
    /// The view is shown enlarged and has no detail image: sent once per image, so a
    /// sharper rendition can be made for it when it is first needed.
    void detailWanted();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Looks the named image up for a view shown at `scale`.
    void lookUpNamed(qreal scale) const;
    mutable Image m_image;
    Image m_detail;
    QImage m_detailPixels;
    QString m_imageName;
    // The scale the named image was looked up for; 0 before it is.
    mutable qreal m_imageNameScale = 0;
    bool m_detailAsked = false;
};

} // namespace toolkit
