#pragma once

#include <QByteArray>

namespace toolkit {

/// A 16 × 16 picture in one format, for a decoding worker to decode once before its sandbox
/// closes (so that the decoder, its libraries and what they read at first use are loaded).
/// JPEG and PNG are made without Qt's image writer, which loads every image plugin it has to
/// find the one that writes a format.
class DecoderSample {
public:
    /// The sample's bytes in `format` (an image reader format); empty when none can be made.
    static QByteArray of(const QByteArray& format);
};

} // namespace toolkit
