#pragma once

#include <atomic>

#include "base/Result.h"
#include "imaging/PictureFile.h"

#include <QImage>
#include <QSize>
#include <QString>

namespace toolkit {

/// Decodes pictures in worker processes confined by DecodeSandbox, started when first
/// needed and kept warm, about one a core: a decoder that is exploited, runs away or
/// crashes takes only its worker with it. The bytes go to a worker in a memory file and the
/// pixels, already at the size asked for, come back in another. A worker past its deadline
/// is killed, so no CPU is spent on a refused picture, and replaced when next needed.
class DecodeWorker {
public:
    /// The worker program (which calls serve()); empty for none. Without one, or when it
    /// cannot start, pictures are decoded in this process.
    static void setProgram(const QString& path);
    /// Whether pictures are decoded in workers.
    static bool isAvailable();

    /// Decodes `file` at `target` (stretched; invalid for the full size) in a worker,
    /// waiting at most `deadlineMs` for it; blocks the calling thread, which may be any.
    /// Fails with the reason, naming the file.
    static Result<QImage> decode(const PictureFile& file, QSize target, int deadlineMs);
    /// From now on, decodes on the calling thread give up as soon as `*abandoned` is set
    /// (null: never): the worker is ended rather than left to finish a picture nobody waits
    /// for any more.
    static void watchAbandoned(const std::atomic<bool>* abandoned);

    /// The worker's side: loads the decoders of `family` (one image reader format such as
    /// "jpeg", "image" for all of them, "heif" for libheif's; every one when empty), enters
    /// the sandbox, and answers the requests that come on `socket` until it closes. Returns
    /// the process's exit status.
    static int serve(int socket, const QByteArray& family = QByteArray());

    /// The family of decoders that reads `format`: "heif" for HEIF and AVIF, the format
    /// itself for the rest. A worker loads one family only: libheif and its codecs are a
    /// dozen libraries, and loading every plugin of the image reader, with their libraries,
    /// was a fifth of a worker's start beyond its decode (a JPEG batch needs one).
    static QByteArray familyOf(const QByteArray& format);
};

} // namespace toolkit
