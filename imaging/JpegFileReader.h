#pragma once

#include <QImage>
#include <QString>

namespace toolkit {

/// Reads the program's own JPEG pictures (the home screen's) straight through libjpeg into
/// the pixel format the screen draws, with no image plugin to load and no conversion after:
/// on the launch's path, that is half of the work of the general reader. Anything damaged
/// gives a null image: the caller then reads the file the general way, which says what is
/// wrong with it.
class JpegFileReader {
public:
    /// The pixels of the JPEG file at `path`, premultiplied ARGB32 (opaque).
    static QImage read(const QString& path);
};

} // namespace toolkit
