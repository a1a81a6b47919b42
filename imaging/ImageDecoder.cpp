#include "imaging/ImageDecoder.h"

#include "imaging/DecodeAhead.h"
#include "imaging/DecodeWorker.h"
#include "imaging/DecoderWarnings.h"
#include "imaging/HeifDecoder.h"
#include "imaging/PngRowReader.h"
#include "imaging/Resampler.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QPointer>
#include <QTimer>
#include <QtEndian>
#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <system_error>
#include <thread>
#include <utility>

namespace toolkit {

namespace {

std::atomic<int> running{0};

// libjpeg-turbo reads its memory limit from JPEGMEM (in kilobytes, or megabytes with M)
// whenever a decoder is created: above it, a progressive picture that it would have to
// keep whole is refused instead of allocated.
constexpr int kJpegMemoryMegabytes = 300;

// The size to ask Qt's JPEG reader for, so that libjpeg's DCT shrink (by M/8) gives a
// picture that covers `target` and the reader adds no step of its own: it picks M from the
// size asked for (the ceiling of 8 over the smaller ratio) and box-averages, rounding
// down, to that size when the two differ. Some sizes cannot be had exactly at the smallest
// M (rounding); then a larger M that can is taken, within the decode budget.
QSize jpegDctSize(QSize stored, QSize target) {
    const auto chosenByReader = [stored](QSize asked) {
        const double f =
            qMin(double(stored.width()) / asked.width(), double(stored.height()) / asked.height());
        return qBound(1, int(std::ceil(8 / f)), 8);
    };
    int smallest = 0;
    for (int m = 1; m <= 8; ++m) {
        const QSize size((stored.width() * qint64(m) + 7) / 8,
                         (stored.height() * qint64(m) + 7) / 8);
        if (size.width() < target.width() || size.height() < target.height())
            continue;
        if (!smallest)
            smallest = m;
        if (qint64(size.width()) * size.height() * 4 > PictureFile::kDecodeBudgetBytes)
            break;
        if (chosenByReader(size) == m)
            return size;
    }
    if (!smallest)
        return stored;
    // A pixel short of the DCT's size: the reader's own step is then a small one.
    return QSize(qMax(1, int(stored.width() * qint64(smallest) / 8)),
                 qMax(1, int(stored.height() * qint64(smallest) / 8)));
}

// The decoding worker: beside the program in a build, in libexec once installed. Only
// the application runs workers; a worker, the fuzzer and the tests' own processes find
// none beside them.
QString workerProgram() {
    if (!QCoreApplication::instance())
        return QString();
    const QDir here(QCoreApplication::applicationDirPath());
    for (const char* candidate : {DECODE_WORKER_BESIDE, DECODE_WORKER_INSTALLED}) {
        const QString path = here.absoluteFilePath(QString::fromUtf8(candidate));
        if (QFileInfo(path).isExecutable() && !QFileInfo(path).isDir())
            return path;
    }
    return QString();
}

} // namespace

struct ImageDecoder::Job {
    QString path;
    std::atomic<bool> abandoned{false};
};

ImageDecoder::ImageDecoder(QObject* parent) : QObject(parent) {
    m_budget = new QTimer(this);
    m_budget->setSingleShot(true);
    m_budget->setInterval(kTimeBudgetMs);
}

ImageDecoder::~ImageDecoder() {
    cancel();
}

void ImageDecoder::configure() {
    static bool done = false;
    if (done)
        return;
    done = true;
    QImageReader::setAllocationLimit(int(PictureFile::kDecodeBudgetBytes / (1024 * 1024)));
    if (qEnvironmentVariableIsEmpty("JPEGMEM"))
        qputenv("JPEGMEM", QByteArray::number(kJpegMemoryMegabytes) + 'M');
    DecoderWarnings::install();
    DecodeWorker::setProgram(workerProgram());
}

int ImageDecoder::decodesRunning() {
    return running.load() + DecodeAhead::decodesRunning();
}

QSize ImageDecoder::coveringSize(const PictureFile& file, QSize bound) {
    const QSize upright = file.uprightSize();
    if (upright.isEmpty() || bound.isEmpty())
        return bound;
    const QSize fit =
        upright.scaled(bound, Qt::KeepAspectRatio).boundedTo(upright).expandedTo(QSize(1, 1));
    if (file.format() != "jpeg")
        return fit;
    const QSize storedFit = file.rotated() ? fit.transposed() : fit;
    const QSize shrunk = jpegDctSize(file.storedSize(), storedFit);
    // Short of the fit where the shrink cannot make a size exactly (the budget, rounding).
    if (shrunk.width() < storedFit.width() || shrunk.height() < storedFit.height() ||
        shrunk.width() > 2 * storedFit.width() || shrunk.height() > 2 * storedFit.height())
        return fit;
    return file.rotated() ? shrunk.transposed() : shrunk;
}

Result<QImage> ImageDecoder::decode(const PictureFile& file, QSize target) {
    if (DecodeWorker::isAvailable())
        return DecodeWorker::decode(file, target, kTimeBudgetMs);
    return decodeInProcess(file, target);
}

Result<QImage> ImageDecoder::decodeInProcess(const PictureFile& file, QSize target) {
    if (file.format() == "heif" || file.format() == "avif") {
        auto image = HeifDecoder::decode(file.bytes(), target);
        if (!image.ok())
            return Result<QImage>::failure(
                file.describe(QCoreApplication::translate("toolkit::ImageDecoder",
                                                          "the picture cannot be decoded (%1)")
                                  .arg(image.error())));
        return image;
    }
    if (target.isValid() && file.format() == "png" && !file.rotated()) {
        // A large PNG is read row by row into exact box averages, two to three times the
        // target, and filtered from there: it never exists whole, and keeps its level.
        const QSize stored = file.storedSize();
        const int kx = Resampler::boxFactor(stored.width(), target.width());
        const int ky = Resampler::boxFactor(stored.height(), target.height());
        if (kx > 1 || ky > 1) {
            if (auto boxes = PngRowReader::boxAveraged(file.bytes(), kx, ky)) {
                QImage image = Resampler::scaled(*boxes, target);
                if (!image.isNull())
                    return Result<QImage>::success(std::move(image));
            }
        }
    }
    QByteArray bytes = file.bytes();
    bool flip = false;
    if (file.format() == "bmp" && bytes.size() >= 26) {
        // The reader takes only bottom-up rows: a top-down picture is read as its mirror
        // image and turned back.
        qint32 height;
        std::memcpy(&height, bytes.constData() + 22, 4);
        height = qFromLittleEndian(height);
        // The smallest height has no positive counterpart; the file check refuses it.
        if (height == std::numeric_limits<qint32>::min())
            return Result<QImage>::failure(file.describe(QCoreApplication::translate(
                "toolkit::ImageDecoder", "the picture is too large to decode")));
        if (height < 0) {
            height = qToLittleEndian(-height);
            std::memcpy(bytes.data() + 22, &height, 4);
            flip = true;
        }
    }
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    // The format is given, so the reader never picks a decoder by itself (nor loads every
    // image plugin to ask each).
    QImageReader reader(&buffer, file.format());
    reader.setAutoTransform(true);
    reader.setDecideFormatFromContent(false);
    reader.setAutoDetectImageFormat(false);
    if (target.isValid()) {
        // Scaled sizes apply before the EXIF rotation.
        const QSize stored = file.storedSize();
        const QSize storedTarget = file.rotated() ? target.transposed() : target;
        if (file.format() == "jpeg") {
            // Only the DCT shrink here; the rest is the filter's below. Other readers'
            // scaling averages boxes rounding down (and Qt's PNG reader, scaling, turns a
            // PNG of one bit a pixel white): they decode whole.
            reader.setScaledSize(jpegDctSize(stored, storedTarget));
        }
    }
    if (file.format() == "tiff")
        DecoderWarnings::hearTiff();
    DecoderWarnings::Listening listening(file.path());
    QImage image = reader.read();
    const QStringList& warnings = listening.heard();
    if (image.isNull() && warnings.isEmpty())
        return Result<QImage>::failure(
            file.describe(QCoreApplication::translate("toolkit::ImageDecoder",
                                                      "the picture cannot be decoded (%1)")
                              .arg(reader.errorString())));
    // A decoder that complained painted what it could: a picture with a hole or a grey
    // part is no photo.
    if (!warnings.isEmpty())
        return Result<QImage>::failure(file.describe(
            QCoreApplication::translate("toolkit::ImageDecoder", "the picture is corrupt (%1)")
                .arg(warnings.first())));
    if (flip)
        image = image.mirrored(false, true);
    if (target.isValid() && image.size() != target) {
        image = Resampler::scaled(image, target);
        if (image.isNull())
            return Result<QImage>::failure(file.describe(QCoreApplication::translate(
                "toolkit::ImageDecoder", "there is not enough memory to decode it")));
    }
    return Result<QImage>::success(std::move(image));
}

void ImageDecoder::start(const QString& path, QSize target, std::function<void(Result<Image>)> done,
                         Image::Sizing sizing) {
    cancel();
    auto job = std::make_shared<Job>();
    job->path = path;
    m_job = job;
    QPointer<ImageDecoder> self(this);
    auto deliver = [self, job, done](Result<Image> result) {
        if (!self || job->abandoned || self->m_job != job)
            return;
        job->abandoned = true; // answered: a late answer from the thread is dropped
        self->m_budget->stop();
        self->m_job.reset();
        done(std::move(result));
    };
    m_budget->disconnect();
    connect(m_budget, &QTimer::timeout, this, [job, deliver] {
        deliver(Result<Image>::failure(
            QCoreApplication::translate("toolkit::ImageDecoder",
                                        "%1: the picture takes too long to decode (over %2 s)")
                .arg(QDir::toNativeSeparators(job->path), QString::number(kTimeBudgetMs / 1000))));
    });
    m_budget->start();
    ++running;
    // A thread of its own rather than a pool: an abandoned decode keeps its thread until
    // the decoder gives up, and must not hold up the next one.
    try {
        // A batch may have this photo decoding already, on a thread of its own.
        std::thread([job, target, sizing, deliver = std::function<void(Result<Image>)>(deliver),
                     ahead = DecodeAhead::take(path, target, sizing)]() mutable {
            // Cancelled or past its time, the decode is abandoned, and so is its worker.
            DecodeWorker::watchAbandoned(&job->abandoned);
            Result<Image> result =
                ahead ? ahead->get() : Image::fromFile(job->path, target, sizing);
            DecodeWorker::watchAbandoned(nullptr);
            // Answered through the application object, which outlives every decoder; the
            // decoder itself may be gone by then, which `deliver` checks on the main thread.
            if (!job->abandoned)
                QMetaObject::invokeMethod(
                    QCoreApplication::instance(), [deliver, result] { deliver(result); },
                    Qt::QueuedConnection);
            // Let go of everything before counting down: once the count is zero, nothing of
            // this thread may still touch the process's objects.
            job.reset();
            deliver = nullptr;
            ahead.reset();
            --running;
        }).detach();
    } catch (const std::system_error& error) {
        --running;
        const QString reason =
            QCoreApplication::translate("toolkit::ImageDecoder", "%1: no thread to decode it (%2)")
                .arg(QDir::toNativeSeparators(path), QString::fromLocal8Bit(error.what()));
        QMetaObject::invokeMethod(
            this, [deliver, reason] { deliver(Result<Image>::failure(reason)); },
            Qt::QueuedConnection);
    }
}

void ImageDecoder::cancel() {
    if (m_job)
        m_job->abandoned = true;
    m_job.reset();
    if (m_budget)
        m_budget->stop();
}

bool ImageDecoder::isBusy() const {
    return m_job != nullptr;
}

} // namespace toolkit
