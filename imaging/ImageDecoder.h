#pragma once

#include "base/Result.h"
#include "imaging/Image.h"
#include "imaging/PictureFile.h"

#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>
#include <functional>
#include <memory>

class QTimer;

namespace toolkit {

/// Decodes checked picture files within a budget: the limits the decoders honour (the
/// allocation limit, libjpeg's memory limit, the declared-size checks of PictureFile) and a
/// time limit after which a background decode is abandoned. A decoder's complaint about
/// corrupt data is a refusal, never a half-grey picture. A background decode reads and
/// decodes off the calling thread and answers on it.
class ImageDecoder : public QObject {
    Q_OBJECT

public:
    /// How long a background decode may take before it is abandoned.
    static constexpr int kTimeBudgetMs = 10000;

    explicit ImageDecoder(QObject* parent = nullptr);
    /// Abandons a decode in progress; its result is dropped.
    ~ImageDecoder() override;

    /// Reads `path` and decodes it at `target` (stretched, or as `sizing` says; invalid for
    /// the full size) on a thread of its own; calls `done` on this object's thread with the
    /// picture or the reason, unless cancelled first. A decode already running is abandoned.
    void start(const QString& path, QSize target, std::function<void(Result<Image>)> done,
               Image::Sizing sizing = Image::Sizing::Exactly);
    /// Abandons the decode in progress, if any; `done` is not called.
    void cancel();
    /// Whether a decode is in progress.
    bool isBusy() const;

    /// Decodes `file` at `target` (stretched; invalid for the full size) for the calling
    /// thread, in a sandboxed worker process where there is one (DecodeWorker), within the
    /// time budget. Fails with the reason, naming the file.
    static Result<QImage> decode(const PictureFile& file, QSize target);
    /// The size a `Covering` decode of `file` for `bound` has (see Image::Sizing): a JPEG's
    /// shrink-on-load size covering the fit when that is at most twice it, else the fit.
    static QSize coveringSize(const PictureFile& file, QSize bound);
    /// As decode(), in this process and with no time limit: the worker's own decode.
    static Result<QImage> decodeInProcess(const PictureFile& file, QSize target);

    /// Sets the decoders' limits and starts listening for their warnings; once, at start-up,
    /// before any thread decodes.
    static void configure();
    /// Background decodes still running, abandoned ones included: a process that exits
    /// with some must not run its static destructors under them.
    static int decodesRunning();

private:
    struct Job;
    std::shared_ptr<Job> m_job;
    QTimer* m_budget = nullptr;
};

} // namespace toolkit
