#pragma once

#include <QImage>
#include <QString>

namespace toolkit {

/// Reads the kind of PNG file the program's own pictures are (8-bit RGB or RGBA, not
/// interlaced) in one pass with libdeflate, a fraction of the work of the general reader.
/// Anything else, or anything damaged, gives a null image: the caller then reads the file
/// the general way, which says what is wrong with it.
class PngFileReader {
public:
    /// The pixels of the PNG file at `path`: premultiplied ARGB32 with an alpha channel (as
    /// everything draws it), else RGB32.
    static QImage read(const QString& path);
};

} // namespace toolkit
