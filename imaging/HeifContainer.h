#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace toolkit {

/// What the HEIF decoder reads from a HEIF or AVIF file's own boxes rather than through
/// libheif: what the container does to the picture, what its coded streams really hold,
/// and the orientation its EXIF block gives. Bytes only; a broken structure reads as
/// nothing, and the decoder then says why.
class HeifContainer {
public:
    /// The big-endian 32-bit number at `at` of `bytes`; 0 past their end.
    static quint32 bigEndian(const QByteArray& bytes, qsizetype at);
    /// Whether the container's item properties hold a rotation or a mirroring. The decoder
    /// applies those itself; such a file's EXIF orientation restates them and must not be
    /// applied a second time.
    static bool hasContainerTransformations(const QByteArray& bytes);
    /// The largest picture that any HEVC sequence parameter set or AV1 sequence header of
    /// the container codes, in pixels.
    static qint64 largestCodedPicture(const QByteArray& bytes);
    /// The EXIF orientation (1 to 8) that an item's EXIF block `exif` gives; 1 when none.
    static int exifOrientation(const QByteArray& exif);
};

} // namespace toolkit
