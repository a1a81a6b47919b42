#include "imaging/DecodeWorker.h"

#include "base/FileName.h"
#include "base/Log.h"
#include "imaging/DecodeSandbox.h"
#include "imaging/DecodeWorkerPool.h"
#include "imaging/DecoderSample.h"
#include "imaging/DecoderWarnings.h"
#include "imaging/HeifDecoder.h"
#include "imaging/ImageDecoder.h"
#include "imaging/WorkerChannel.h"

#include <QCoreApplication>
#include <QFile>
#include <QImageReader>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace toolkit {

namespace {

qint64 nowMs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// Why a worker that ended without answering ended, as the refusal says it.
QString whyEnded(int status) {
    if (WIFSIGNALED(status)) {
        const int number = WTERMSIG(status);
        if (number == SIGXCPU)
            return QCoreApplication::translate("toolkit::DecodeWorker",
                                               "the picture takes too long to decode");
        if (number == SIGSYS)
            return QCoreApplication::translate(
                "toolkit::DecodeWorker",
                "the decoder tried to do what a decoder may not, and was stopped");
        return QCoreApplication::translate("toolkit::DecodeWorker",
                                           "the decoder crashed on it (%1)")
            .arg(QString::fromLocal8Bit(::strsignal(number)));
    }
    return QCoreApplication::translate("toolkit::DecodeWorker",
                                       "the decoder stopped on it (status %1)")
        .arg(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
}

// ---- The worker's side.

// Test pictures carry one of these in a text chunk; only a worker started with
// DECODE_WORKER_TEST_HOOKS=1 heeds them.
bool testHooks = false;

void heedTestHooks(const QByteArray& bytes) {
    if (!testHooks)
        return;
    if (bytes.contains("decode-worker-test:spin")) {
        // Busy for ever: an empty asm the compiler may not remove keeps the loop.
        for (;;)
            asm volatile("" ::: "memory");
    }
    if (bytes.contains("decode-worker-test:abort"))
        std::abort();
    if (bytes.contains("decode-worker-test:open")) [[maybe_unused]]
        auto fd = ::open("/etc/hostname", O_RDONLY);
}

// The read end of the pipe that is the worker's stderr: what the decoders write there
// (libpng's errors go straight to it) goes back with the answer, to the application's log.
int messagesFd = -1;

// Qt's warnings go to stderr too, directly: Qt's own handler asks the terminal about
// itself, a call the sandbox refuses. Its chatter below warnings is left out.
void writeMessage(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtDebugMsg || type == QtInfoMsg)
        return;
    const QByteArray line = FileName::escapedLine(message) + '\n';
    [[maybe_unused]] auto written = ::write(2, line.constData(), size_t(line.size()));
}

// Every decoder loaded and used once, while files may still be opened: plugins, the
// libraries they load, and what those read at their first use.
void warmUp(const QByteArray& family) {
    if (family.isEmpty() || family == "heif") {
        // Loads libheif and its codecs; no HEIF can be written here to decode once.
        HeifDecoder::canDecode("heif");
    }
    if (family == "heif")
        return;
    // Each reader by its name: listing the installed formats would load every plugin.
    for (const QByteArray& format : PictureFile::imageReaderFormats()) {
        if (!family.isEmpty() && family != "image" && family != format)
            continue;
        const QByteArray bytes = DecoderSample::of(format);
        if (bytes.isEmpty())
            continue;
        auto file = PictureFile::fromBytes(QStringLiteral("sample"), bytes);
        if (file.ok())
            ImageDecoder::decodeInProcess(file.value(), QSize(8, 8));
    }
    DecoderWarnings::hearTiff();
}

// What the decoders wrote to stderr since the last answer; a bounded amount.
QByteArray takeMessages() {
    QByteArray messages;
    char chunk[4096];
    ssize_t got;
    while (messagesFd >= 0 && (got = ::read(messagesFd, chunk, sizeof chunk)) > 0)
        if (messages.size() < 65536)
            messages.append(chunk, got);
    return messages;
}

void answer(int socket, const Result<QImage>& decoded) {
    WorkerChannel::Answer header{WorkerChannel::kAnswerMagic, 0, 0, 0, 0, 0, 0, 0};
    QByteArray reason;
    int pixels = -1;
    if (decoded.ok()) {
        // Only the pixels go back: a picture with a colour table is sent in colour.
        QImage image = decoded.value();
        if (image.colorCount() > 0)
            image =
                image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                              : QImage::Format_RGB32);
        pixels =
            WorkerChannel::memoryFile("pixels", reinterpret_cast<const char*>(image.constBits()),
                                      size_t(image.sizeInBytes()));
        if (pixels >= 0) {
            header.decoded = 1;
            header.width = image.width();
            header.height = image.height();
            header.format = int(image.format());
            header.bytesPerLine = image.bytesPerLine();
        } else {
            reason = QCoreApplication::translate("toolkit::DecodeWorker",
                                                 "there is not enough memory to decode it")
                         .toUtf8();
        }
    } else {
        reason = decoded.error().toUtf8();
    }
    const QByteArray messages = takeMessages();
    header.reasonBytes = quint32(reason.size());
    header.messageBytes = quint32(messages.size());
    WorkerChannel::sendWith(socket, &header, sizeof header, pixels);
    WorkerChannel::sendAll(socket, reason.constData(), size_t(reason.size()));
    WorkerChannel::sendAll(socket, messages.constData(), size_t(messages.size()));
    if (pixels >= 0)
        ::close(pixels);
}

} // namespace

namespace {
thread_local const std::atomic<bool>* watched = nullptr;
} // namespace

void DecodeWorker::watchAbandoned(const std::atomic<bool>* abandoned) {
    watched = abandoned;
}

void DecodeWorker::setProgram(const QString& path) {
    DecodeWorkerPool::shared().program = path;
}

bool DecodeWorker::isAvailable() {
    return !DecodeWorkerPool::shared().program.isEmpty() && !DecodeWorkerPool::shared().broken;
}

Result<QImage> DecodeWorker::decode(const PictureFile& file, QSize target, int deadlineMs) {
    auto refuse = [&file](const QString& why) {
        return Result<QImage>::failure(file.describe(why));
    };
    std::optional<DecodeWorkerPool::Worker> worker =
        DecodeWorkerPool::shared().acquire(familyOf(file.format()));
    if (!worker)
        return ImageDecoder::decodeInProcess(file, target);
    const qint64 deadline = nowMs() + deadlineMs;
    const QByteArray name = FileName::encode(file.path());
    // The file's own sealed memory when it has one: no copy.
    const int bytes = file.memoryFile() >= 0
                          ? ::fcntl(file.memoryFile(), F_DUPFD_CLOEXEC, 0)
                          : WorkerChannel::memoryFile("picture", file.bytes().constData(),
                                                      size_t(file.bytes().size()));
    if (bytes < 0) {
        DecodeWorkerPool::shared().release(*worker, true);
        return refuse(QCoreApplication::translate("toolkit::DecodeWorker",
                                                  "there is not enough memory to decode it"));
    }
    const WorkerChannel::Request request{WorkerChannel::kRequestMagic, target.width(),
                                         target.height(), quint32(name.size()),
                                         quint64(file.bytes().size())};
    const bool sent = WorkerChannel::sendWith(worker->socket, &request, sizeof request, bytes) &&
                      WorkerChannel::sendAll(worker->socket, name.constData(), size_t(name.size()));
    ::close(bytes);
    // While the worker decodes, this process keeps none of the picture's pages.
    file.releasePages();

    // The answer, or the worker's end, or the deadline.
    bool late = false;
    bool abandoned = false;
    if (sent) {
        // In slices, to hear an abandonment between them.
        constexpr qint64 kSliceMs = 50;
        pollfd ready{worker->socket, POLLIN, 0};
        int polled = 0;
        for (;;) {
            const qint64 left = deadline - nowMs();
            polled = ::poll(&ready, 1, int(qBound<qint64>(0, left, watched ? kSliceMs : left)));
            if (polled < 0 && errno == EINTR)
                continue;
            abandoned = watched && watched->load();
            if (polled != 0 || abandoned || left <= 0)
                break;
        }
        late = polled == 0 && !abandoned;
    }
    if (abandoned) {
        DecodeWorkerPool::shared().release(*worker, false);
        return refuse(
            QCoreApplication::translate("toolkit::DecodeWorker", "the decode was abandoned"));
    }
    WorkerChannel::Answer header{};
    int pixels = -1;
    QByteArray reason;
    const bool answered =
        sent && !late &&
        WorkerChannel::receiveWith(worker->socket, &header, sizeof header, &pixels) &&
        header.magic == WorkerChannel::kAnswerMagic && header.reasonBytes < (1u << 20) &&
        header.messageBytes < (1u << 20);
    QByteArray messages;
    if (answered) {
        reason.resize(qsizetype(header.reasonBytes));
        messages.resize(qsizetype(header.messageBytes));
        if (!WorkerChannel::receiveAll(worker->socket, reason.data(), size_t(reason.size())) ||
            !WorkerChannel::receiveAll(worker->socket, messages.data(), size_t(messages.size()))) {
            if (pixels >= 0)
                ::close(pixels);
            pixels = -1;
            header.magic = 0;
        }
    }
    if (!answered || header.magic != WorkerChannel::kAnswerMagic) {
        int status = 0;
        DecodeWorkerPool::shared().release(*worker, false, &status);
        if (late)
            return refuse(
                QCoreApplication::translate("toolkit::DecodeWorker",
                                            "the picture takes too long to decode (over %1 s)")
                    .arg(deadlineMs / 1000.0));
        return refuse(whyEnded(status));
    }
    DecodeWorkerPool::shared().release(*worker, true);
    // Escaped whole: a name or a message with a newline must not forge a line.
    for (const QByteArray& line : messages.split('\n'))
        if (!line.trimmed().isEmpty())
            qCWarning(programLog, "%s",
                      FileName::escapedLine(file.describe(QString::fromUtf8(line.trimmed())))
                          .constData());
    if (!header.decoded)
        return Result<QImage>::failure(QString::fromUtf8(reason));

    const qint64 size = header.bytesPerLine * header.height;
    void* mapped = pixels >= 0 && size > 0
                       ? ::mmap(nullptr, size_t(size), PROT_READ, MAP_PRIVATE, pixels, 0)
                       : MAP_FAILED;
    if (pixels >= 0)
        ::close(pixels);
    if (mapped == MAP_FAILED)
        return refuse(QCoreApplication::translate("toolkit::DecodeWorker",
                                                  "there is not enough memory to decode it"));
    // Copied out of the worker's memory file: a picture over memory it does not own is
    // read-only, and some of Qt's painting writes to the pixels it is given.
    QImage image = QImage(static_cast<const uchar*>(mapped), header.width, header.height,
                          qsizetype(header.bytesPerLine), QImage::Format(header.format))
                       .copy();
    ::munmap(mapped, size_t(size));
    if (image.isNull())
        return refuse(QCoreApplication::translate("toolkit::DecodeWorker",
                                                  "the decoder's answer makes no picture"));
    return Result<QImage>::success(std::move(image));
}

QByteArray DecodeWorker::familyOf(const QByteArray& format) {
    return format == "heif" || format == "avif" ? QByteArrayLiteral("heif") : format;
}

int DecodeWorker::serve(int socket, const QByteArray& family) {
    qInstallMessageHandler(writeMessage);
    testHooks = qEnvironmentVariable("DECODE_WORKER_TEST_HOOKS") == QLatin1String("1");
    ImageDecoder::configure();
    warmUp(family);
    // Nothing of the application's but the socket and the standard streams.
    if (socket > 3)
        ::close_range(3, uint(socket) - 1, 0);
    ::close_range(uint(socket) + 1, ~0u, 0);
    // Whatever the decoders write to stderr is caught, and goes back with each answer.
    // Non-blocking: a decoder that writes more than the pipe holds loses the rest rather
    // than waits.
    int messages[2];
    if (::pipe2(messages, O_CLOEXEC | O_NONBLOCK) == 0 && ::dup2(messages[1], 2) == 2) {
        ::close(messages[1]);
        messagesFd = messages[0];
    }
    // Unconfined only to be measured: valgrind, which runs the worker's calls as its own,
    // writes its profile with calls the filter refuses. A sanitizer build is never confined:
    // the sanitizers' runtimes make calls outside the allowlist (reading /proc, LeakSanitizer's
    // ptrace) and reserve far more address space than the limit allows. Its deadline still
    // ends a worker.
#ifdef DECODE_SANDBOX_OFF
    const bool measured = true;
#else
    const bool measured = qEnvironmentVariable("DECODE_WORKER_UNCONFINED") == QLatin1String("1");
#endif
    auto confined = measured ? Result<bool>::success(true)
                             : DecodeSandbox::enter(PictureFile::kDecodeBudgetBytes);
    if (!confined.ok()) {
        qWarning("cannot confine the decoder: %s", qUtf8Printable(confined.error()));
        return 3;
    }
    const quint32 ready = WorkerChannel::kReadyMagic;
    if (!WorkerChannel::sendAll(socket, reinterpret_cast<const char*>(&ready), sizeof ready))
        return 0;
    for (;;) {
        WorkerChannel::Request request{};
        int bytesFd = -1;
        if (!WorkerChannel::receiveWith(socket, &request, sizeof request, &bytesFd))
            return 0; // the application is gone
        QByteArray name(qsizetype(request.nameBytes), Qt::Uninitialized);
        if (request.magic != WorkerChannel::kRequestMagic || bytesFd < 0 ||
            request.fileBytes > quint64(PictureFile::kMaxFileBytes) || request.nameBytes > 65536 ||
            !WorkerChannel::receiveAll(socket, name.data(), size_t(name.size())))
            return 4;
        void* mapped = request.fileBytes ? ::mmap(nullptr, size_t(request.fileBytes), PROT_READ,
                                                  MAP_PRIVATE, bytesFd, 0)
                                         : MAP_FAILED;
        ::close(bytesFd);
        if (mapped == MAP_FAILED)
            return 5;
        DecodeSandbox::limitCpu(ImageDecoder::kTimeBudgetMs / 1000 + 1);
        {
            const QByteArray bytes = QByteArray::fromRawData(static_cast<const char*>(mapped),
                                                             qsizetype(request.fileBytes));
            heedTestHooks(bytes);
            auto file = PictureFile::fromBytes(FileName::decode(name), bytes);
            if (!file.ok())
                answer(socket, Result<QImage>::failure(file.error()));
            else
                answer(socket, ImageDecoder::decodeInProcess(file.value(),
                                                             QSize(request.width, request.height)));
        }
        ::munmap(mapped, size_t(request.fileBytes));
    }
}

} // namespace toolkit
