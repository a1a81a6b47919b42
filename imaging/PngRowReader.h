#pragma once

#include <QByteArray>
#include <QImage>
#include <optional>

namespace toolkit {

/// Reads a PNG row by row and averages boxes of pixels as it goes, exactly (rounded to the
/// nearest), so that a large photo never exists whole and its level is kept. Takes the
/// common case only: not interlaced, no EXIF orientation.
class PngRowReader {
public:
    /// `png` shrunk by averaging boxes of `boxWidth` × `boxHeight` pixels (the last box of
    /// a row or column averages what it has): RGB32, or ARGB32_Premultiplied when the PNG
    /// has transparency. Nothing when the PNG is not the common case or cannot be read:
    /// the caller then reads it the general way, which also words any refusal.
    static std::optional<QImage> boxAveraged(const QByteArray& png, int boxWidth, int boxHeight);
};

} // namespace toolkit
