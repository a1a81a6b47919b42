#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>

namespace toolkit {

/// A picture file's structure, walked before any decoder sees it: the ways a file can be
/// cut short or broken that the decoders would paint over silently (rows left unpainted, a
/// grey picture from a missing colour map), and JPEG's budget. Each check returns the reason
/// a person reads, or an empty string when the file holds what it declares.
class PictureStructure {
public:
    /// The `count`-byte little-endian number at `at` of `bytes`, which must hold it.
    static quint32 littleEndian(const QByteArray& bytes, qsizetype at, int count);

    /// `bytes` in whole megabytes, rounded up, as the reasons say them.
    static QString megabytes(qint64 bytes);

    /// The reason for a picture whose decode would take `needed` bytes, over the budget.
    static QString tooLargeToDecode(qint64 needed);

    /// JPEG: walks the marker segments and the entropy-coded scans up to the end-of-image
    /// marker, counting the scans and noting the frame. Stops there, so data appended after a
    /// complete picture (phones add video or metadata) does not matter. libjpeg keeps every
    /// coefficient of a progressive or multi-scan picture, so those must fit the budget whole.
    static QString whyJpegUnusable(const QByteArray& bytes);

    /// PNG: walks the chunks by their lengths up to IEND.
    static QString whyPngIncomplete(const QByteArray& bytes);

    /// The size in a PNG's header chunk; invalid when the header is missing or out of range.
    static QSize pngHeaderSize(const QByteArray& bytes);

    /// GIF: walks the blocks (extensions and frames, each a chain of sub-blocks) up to the
    /// trailer, and checks that each frame's data makes all of its pixels: the decoder leaves
    /// the rest of a frame cut short unpainted and says nothing. Bytes that are no block leave
    /// the judgement to the decoder.
    static QString whyGifIncomplete(const QByteArray& bytes);

    /// BMP: an uncompressed picture must hold every row it declares (the decoder leaves the
    /// missing ones unpainted and says nothing).
    static QString whyBmpIncomplete(const QByteArray& bytes);

    /// TIFF: a palette picture must carry a whole colour map, three channels of one entry for
    /// each value its pixels can take. Without one libtiff reads the indices as grey levels.
    static QString whyTiffIncomplete(const QByteArray& bytes);
};

} // namespace toolkit
