#include "imaging/DecodeWorker.h"

#include "base/FileName.h"
#include "base/Log.h"
#include "imaging/DecodeSandbox.h"
#include "imaging/DecoderWarnings.h"
#include "imaging/ImageDecoder.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QMutex>
#include <QThread>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace toolkit {

namespace {

constexpr quint32 kRequestMagic = 0x44435251; // "QRCD"
constexpr quint32 kAnswerMagic = 0x44434e41;  // "ANCD"
constexpr quint32 kReadyMagic = 0x44435952;   // "RYCD"

// A request: this header with the memory file of the picture's bytes, then the name.
struct Request {
    quint32 magic;
    qint32 width, height; // the target; invalid for the full size
    quint32 nameBytes;
    quint64 fileBytes;
};

// An answer: this header, with the memory file of the pixels when decoded, then the
// reason (UTF-8) when not.
struct Answer {
    quint32 magic;
    qint32 decoded;
    qint32 width, height, format;
    qint64 bytesPerLine;
    quint32 reasonBytes;
    quint32 messageBytes; // what the decoders wrote to stderr meanwhile, after the reason
};

// Sends `header` and, when `fd` is one, that file descriptor with it.
bool sendWith(int socket, const void* header, size_t size, int fd) {
    iovec part{const_cast<void*>(header), size};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    if (fd >= 0) {
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        cmsghdr* rights = CMSG_FIRSTHDR(&message);
        rights->cmsg_level = SOL_SOCKET;
        rights->cmsg_type = SCM_RIGHTS;
        rights->cmsg_len = CMSG_LEN(sizeof(int));
        std::memcpy(CMSG_DATA(rights), &fd, sizeof(int));
    }
    ssize_t sent;
    do
        sent = ::sendmsg(socket, &message, MSG_NOSIGNAL);
    while (sent < 0 && errno == EINTR);
    return sent == ssize_t(size);
}

// Receives a header of `size` bytes and the file descriptor sent with it, if any (else
// -1). False at the end of the stream or on an error.
bool receiveWith(int socket, void* header, size_t size, int* fd) {
    iovec part{header, size};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    ssize_t got;
    do
        got = ::recvmsg(socket, &message, MSG_WAITALL | MSG_CMSG_CLOEXEC);
    while (got < 0 && errno == EINTR);
    *fd = -1;
    for (cmsghdr* c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c))
        if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_RIGHTS)
            std::memcpy(fd, CMSG_DATA(c), sizeof(int));
    return got == ssize_t(size);
}

bool sendAll(int socket, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t sent = ::send(socket, data, size, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        data += sent;
        size -= size_t(sent);
    }
    return true;
}

bool receiveAll(int socket, char* data, size_t size) {
    while (size > 0) {
        const ssize_t got = ::recv(socket, data, size, MSG_WAITALL);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        data += got;
        size -= size_t(got);
    }
    return true;
}

// A memory file holding `size` bytes from `data`; -1 when there is no memory for it.
int memoryFile(const char* name, const char* data, size_t size) {
    const int fd = ::memfd_create(name, MFD_CLOEXEC);
    if (fd < 0)
        return -1;
    if (::ftruncate(fd, off_t(size)) != 0) {
        ::close(fd);
        return -1;
    }
    if (size > 0) {
        void* mapped = ::mmap(nullptr, size, PROT_WRITE, MAP_SHARED, fd, 0);
        if (mapped == MAP_FAILED) {
            ::close(fd);
            return -1;
        }
        std::memcpy(mapped, data, size);
        ::munmap(mapped, size);
    }
    return fd;
}

qint64 nowMs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// ---- The application's side: a pool of workers.

struct Worker {
    pid_t pid = -1;
    int socket = -1;
};

class Pool {
public:
    QString program;
    std::atomic<bool> broken{false}; // a worker could not enter its sandbox: decode here

    // A worker for one request: an idle one, else a new one while there are fewer than
    // the pool's size, else the next to come back. Null when none can start.
    std::optional<Worker> acquire() {
        std::unique_lock lock(m_mutex);
        m_wake.wait(lock, [this] { return !m_idle.empty() || m_running < size(); });
        if (!m_idle.empty()) {
            Worker worker = m_idle.back();
            m_idle.pop_back();
            return worker;
        }
        ++m_running;
        lock.unlock();
        std::optional<Worker> started = start();
        if (!started) {
            lock.lock();
            --m_running;
            m_wake.notify_one();
        }
        return started;
    }

    // Gives a worker back after an answer, or ends it (killed if still running) and counts
    // it gone; `status` receives how it ended.
    void release(const Worker& worker, bool healthy, int* status = nullptr) {
        if (!healthy) {
            ::kill(worker.pid, SIGKILL);
            ::close(worker.socket);
            int ended = 0;
            while (::waitpid(worker.pid, &ended, 0) < 0 && errno == EINTR) {
            }
            if (status)
                *status = ended;
        }
        std::lock_guard lock(m_mutex);
        if (healthy)
            m_idle.push_back(worker);
        else
            --m_running;
        m_wake.notify_one();
    }

private:
    // One a core, and one more: the photo opened now must not wait behind the batch's
    // decodes ahead.
    static int size() { return qMax(2, QThread::idealThreadCount()) + 1; }

    std::optional<Worker> start() {
        int ends[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
            return std::nullopt;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        // The worker's end as descriptor 3, which dup2 leaves open across exec.
        posix_spawn_file_actions_adddup2(&actions, ends[1], 3);
        const QByteArray path = FileName::encode(program);
        char* argv[] = {const_cast<char*>(path.constData()), nullptr};
        pid_t pid = -1;
        const int error = ::posix_spawn(&pid, path.constData(), &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(ends[1]);
        if (error != 0) {
            ::close(ends[0]);
            return std::nullopt;
        }
        Worker worker{pid, ends[0]};
        // Ready once its decoders are loaded and it is confined.
        quint32 ready = 0;
        if (!receiveAll(worker.socket, reinterpret_cast<char*>(&ready), sizeof ready) ||
            ready != kReadyMagic) {
            ::kill(pid, SIGKILL);
            ::close(worker.socket);
            while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
            }
            broken = true;
            qCWarning(programLog,
                      "pictures are decoded without a sandbox: the decoding worker "
                      "%s did not start",
                      qUtf8Printable(QDir::toNativeSeparators(program)));
            return std::nullopt;
        }
        return worker;
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::vector<Worker> m_idle;
    int m_running = 0;
};

Pool& pool() {
    static Pool* instance = new Pool; // never destroyed: decodes may run at exit
    return *instance;
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
    if (bytes.contains("decode-worker-test:spin"))
        for (volatile quint64 i = 0;; i = i + 1) {
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
void warmUp() {
    QImage sample(16, 16, QImage::Format_RGB32);
    sample.fill(Qt::darkCyan);
    for (const QByteArray& format : PictureFile::formats()) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, format);
        if (!writer.canWrite() || !writer.write(sample))
            continue;
        buffer.close();
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
    Answer header{kAnswerMagic, 0, 0, 0, 0, 0, 0, 0};
    QByteArray reason;
    int pixels = -1;
    if (decoded.ok()) {
        // Only the pixels go back: a picture with a colour table is sent in colour.
        QImage image = decoded.value();
        if (image.colorCount() > 0)
            image =
                image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                              : QImage::Format_RGB32);
        pixels = memoryFile("pixels", reinterpret_cast<const char*>(image.constBits()),
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
    sendWith(socket, &header, sizeof header, pixels);
    sendAll(socket, reason.constData(), size_t(reason.size()));
    sendAll(socket, messages.constData(), size_t(messages.size()));
    if (pixels >= 0)
        ::close(pixels);
}

} // namespace

void DecodeWorker::setProgram(const QString& path) {
    pool().program = path;
}

bool DecodeWorker::isAvailable() {
    return !pool().program.isEmpty() && !pool().broken;
}

Result<QImage> DecodeWorker::decode(const PictureFile& file, QSize target, int deadlineMs) {
    auto refuse = [&file](const QString& why) {
        return Result<QImage>::failure(file.describe(why));
    };
    std::optional<Worker> worker = pool().acquire();
    if (!worker)
        return ImageDecoder::decodeInProcess(file, target);
    const qint64 deadline = nowMs() + deadlineMs;
    const QByteArray name = FileName::encode(file.path());
    // The file's own sealed memory when it has one: no copy.
    const int bytes = file.memoryFile() >= 0 ? ::fcntl(file.memoryFile(), F_DUPFD_CLOEXEC, 0)
                                             : memoryFile("picture", file.bytes().constData(),
                                                          size_t(file.bytes().size()));
    if (bytes < 0) {
        pool().release(*worker, true);
        return refuse(QCoreApplication::translate("toolkit::DecodeWorker",
                                                  "there is not enough memory to decode it"));
    }
    const Request request{kRequestMagic, target.width(), target.height(), quint32(name.size()),
                          quint64(file.bytes().size())};
    const bool sent = sendWith(worker->socket, &request, sizeof request, bytes) &&
                      sendAll(worker->socket, name.constData(), size_t(name.size()));
    ::close(bytes);

    // The answer, or the worker's end, or the deadline.
    bool late = false;
    if (sent) {
        pollfd ready{worker->socket, POLLIN, 0};
        int polled;
        do
            polled = ::poll(&ready, 1, int(qMax<qint64>(0, deadline - nowMs())));
        while (polled < 0 && errno == EINTR);
        late = polled == 0;
    }
    Answer header{};
    int pixels = -1;
    QByteArray reason;
    const bool answered = sent && !late &&
                          receiveWith(worker->socket, &header, sizeof header, &pixels) &&
                          header.magic == kAnswerMagic && header.reasonBytes < (1u << 20) &&
                          header.messageBytes < (1u << 20);
    QByteArray messages;
    if (answered) {
        reason.resize(qsizetype(header.reasonBytes));
        messages.resize(qsizetype(header.messageBytes));
        if (!receiveAll(worker->socket, reason.data(), size_t(reason.size())) ||
            !receiveAll(worker->socket, messages.data(), size_t(messages.size()))) {
            if (pixels >= 0)
                ::close(pixels);
            pixels = -1;
            header.magic = 0;
        }
    }
    if (!answered || header.magic != kAnswerMagic) {
        int status = 0;
        pool().release(*worker, false, &status);
        if (late)
            return refuse(
                QCoreApplication::translate("toolkit::DecodeWorker",
                                            "the picture takes too long to decode (over %1 s)")
                    .arg(deadlineMs / 1000.0));
        return refuse(whyEnded(status));
    }
    pool().release(*worker, true);
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

int DecodeWorker::serve(int socket) {
    qInstallMessageHandler(writeMessage);
    testHooks = qEnvironmentVariable("DECODE_WORKER_TEST_HOOKS") == QLatin1String("1");
    ImageDecoder::configure();
    warmUp();
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
    const quint32 ready = kReadyMagic;
    if (!sendAll(socket, reinterpret_cast<const char*>(&ready), sizeof ready))
        return 0;
    for (;;) {
        Request request{};
        int bytesFd = -1;
        if (!receiveWith(socket, &request, sizeof request, &bytesFd))
            return 0; // the application is gone
        QByteArray name(qsizetype(request.nameBytes), Qt::Uninitialized);
        if (request.magic != kRequestMagic || bytesFd < 0 ||
            request.fileBytes > quint64(PictureFile::kMaxFileBytes) || request.nameBytes > 65536 ||
            !receiveAll(socket, name.data(), size_t(name.size())))
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
