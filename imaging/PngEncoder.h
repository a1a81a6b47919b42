#pragma once

#include "base/Result.h"

#include <QByteArray>
#include <QImage>

namespace toolkit {

/// Writes PNG files fast: one fixed row filter and a fast deflate (libdeflate), instead of
/// trying every filter on every row. 8 bits a channel; RGB when the picture is opaque,
/// else RGBA (not premultiplied, as PNG stores it).
class PngEncoder {
public:
    /// The PNG row filters.
    enum class Filter { None = 0, Sub = 1, Up = 2, Average = 3, Paeth = 4 };

    /// `image` as a PNG file's bytes, with `filter` on every row at libdeflate's `level`.
    /// Fails with the reason (no memory, an empty picture).
    static Result<QByteArray> encode(const QImage& image, Filter filter = Filter::Up,
                                     int level = 1);
};

} // namespace toolkit
