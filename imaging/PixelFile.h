#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace toolkit {

/// A picture kept as the pixels it is drawn with, for the pictures the window shows as it
/// opens: read with no decoding, drawn at the size it was made for with no scaling. A file
/// is a header of four little-endian 32-bit numbers (the tag "PIX1", the width, the height,
/// and 0) and then the rows, each pixel a little-endian 32-bit premultiplied ARGB value.
class PixelFile {
public:
    /// The picture in the file at `path`; null when it is missing, cut short, or not one.
    static QImage read(const QString& path);
    /// `image`'s pixels as such a file.
    static QByteArray encode(const QImage& image);
};

} // namespace toolkit
