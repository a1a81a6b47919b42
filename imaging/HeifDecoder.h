#pragma once

#include "base/Result.h"

#include <QByteArray>
#include <QImage>
#include <QSize>

namespace toolkit {

/// Reads and decodes the pictures phones save in the HEIF container: HEVC-coded (HEIC) and
/// AV1-coded (AVIF). Turns them upright by the container's own rotation and mirroring, or,
/// in a file that has none, by its EXIF orientation (never both). Decodes the smallest
/// picture the file offers that covers the size asked for: a large enough thumbnail, else
/// the primary picture. Every complaint of the decoder, a warning included, is a refusal.
class HeifDecoder {
public:
    /// The widest or tallest picture the container may declare.
    static constexpr int kMaxSide = 16384;

    /// What a file declares about its primary picture, read without decoding it.
    struct Declared {
        QSize upright;      ///< the size once turned upright
        bool rotated;       ///< whether the EXIF orientation turns it by a quarter
        qint64 decodeBytes; ///< the memory decoding it for a smaller drawing takes at its peak
    };

    /// The format told by an ISO base media file's `ftyp` brands: "heif" for HEVC-coded or
    /// generic image files, "avif" for AV1-coded ones; empty for anything else.
    static QByteArray formatOf(const QByteArray& head);
    /// Whether a decoder for `format` ("heif" or "avif") is installed.
    static bool canDecode(const QByteArray& format);

    /// Reads the container in `bytes`. Fails with the decoder's reason.
    static Result<Declared> declared(const QByteArray& bytes);
    /// Decodes `bytes` upright at `target` (stretched; invalid for the full size), shrinking
    /// the decoder's own planes rather than full-size RGB pixels. Fails with the decoder's
    /// reason, or when a decode at full size would not fit the decode budget.
    static Result<QImage> decode(const QByteArray& bytes, QSize target);
};

} // namespace toolkit
