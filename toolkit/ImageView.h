#pragma once

#include "Image.h"

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
    Image image() const { return m_image; }

    QString imageName() const { return m_imageName; }
    /// Shows the resource image named `name` (see Image::imageNamed).
    void setImageName(const QString& name);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Image m_image;
    QString m_imageName;
};

} // namespace toolkit
