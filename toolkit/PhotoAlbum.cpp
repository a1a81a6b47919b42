#include "PhotoAlbum.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QImageWriter>
#include <QStandardPaths>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace toolkit {

namespace {

QString errnoText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

Result<QString> fail(const QString& path, const QString& reason) {
    return Result<QString>::failure(QStringLiteral("%1: %2").arg(path, reason));
}

bool isOpaque(const QImage& image) {
    if (!image.hasAlphaChannel())
        return true;
    if (image.format() != QImage::Format_ARGB32_Premultiplied &&
        image.format() != QImage::Format_ARGB32)
        return false;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(line[x]) != 255)
                return false;
        }
    }
    return true;
}

Result<QByteArray> encodePng(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    // Quality 80 is zlib's level 1: on a photo it costs half the time of the higher levels
    // and makes a file only a few percent larger, still less than half the raw pixels.
    writer.setQuality(80);
    // A capture of the opaque window has an alpha channel that is 255 everywhere: without it
    // the PNG carries a quarter fewer bytes to filter and compress, and the same pixels.
    const bool written = isOpaque(image) && image.hasAlphaChannel()
                             ? writer.write(image.convertToFormat(QImage::Format_RGB32))
                             : writer.write(image);
    if (!written)
        return Result<QByteArray>::failure(writer.errorString());
    return Result<QByteArray>::success(std::move(bytes));
}

bool writeAll(int fd, const QByteArray& bytes, int* error) {
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            *error = errno;
            return false;
        }
        data += n;
        left -= n;
    }
    return true;
}

void syncFolder(const QString& folder) {
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Temporary files left by a process that was killed mid-write; old enough that no
// running process can still be writing them.
void removeStaleTemporaries(const QString& folder) {
    static std::atomic<bool> done{false};
    if (done.exchange(true))
        return;
    const QDateTime cutoff = QDateTime::currentDateTime().addSecs(-3600);
    QDir dir(folder);
    const auto entries =
        dir.entryInfoList({QStringLiteral(".velmora-*.tmp")}, QDir::Files | QDir::Hidden);
    for (const QFileInfo& info : entries) {
        if (info.lastModified() < cutoff)
            QFile::remove(info.absoluteFilePath());
    }
}

} // namespace

PhotoAlbum::PhotoAlbum(QObject* parent) : QObject(parent) {
    m_worker.setMaxThreadCount(1);
    m_worker.setExpiryTimeout(-1);
    m_folder = defaultFolder();
}

PhotoAlbum::~PhotoAlbum() {
    m_worker.waitForDone();
}

PhotoAlbum& PhotoAlbum::shared() {
    static PhotoAlbum* album = new PhotoAlbum;
    return *album;
}

QString PhotoAlbum::defaultFolder(const QString& albumOption) {
    if (!albumOption.isEmpty())
        return QDir(albumOption).absolutePath();
    const QString fromEnv = qEnvironmentVariable("VELMORA_ALBUM");
    if (!fromEnv.isEmpty())
        return QDir(fromEnv).absolutePath();
    QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (pictures.isEmpty())
        pictures = QDir::homePath() + QStringLiteral("/Pictures");
    return pictures + QStringLiteral("/Velmora");
}

void PhotoAlbum::setFolder(const QString& folder) {
    m_folder = QDir(folder).absolutePath();
}

QString PhotoAlbum::folder() const {
    return m_folder;
}

void PhotoAlbum::write(const QImage& image) {
    const QString folder = m_folder;
    m_worker.start([this, image, folder] {
        const Result<QString> result = writeNow(image, folder);
        if (result.ok()) {
            QMetaObject::invokeMethod(
                this, [this, path = result.value()] { emit saved(path); }, Qt::QueuedConnection);
        } else {
            std::fprintf(stderr, "velmora: the portrait was not saved: %s\n",
                         qPrintable(result.error()));
            QMetaObject::invokeMethod(
                this, [this, reason = result.error()] { emit failed(reason); },
                Qt::QueuedConnection);
        }
    });
}

bool PhotoAlbum::waitForQueuedWrites(int timeoutMs) {
    return m_worker.waitForDone(timeoutMs);
}

Result<QString> PhotoAlbum::writeNow(const QImage& image, const QString& folder) {
    if (image.isNull())
        return fail(folder, QStringLiteral("there is no picture to save"));
    // A file-size limit must fail this write with EFBIG, not end the process; set on every
    // write because a caller may have put the default action back since the last one.
    std::signal(SIGXFSZ, SIG_IGN);
    if (!QDir().mkpath(folder)) {
        const QFileInfo info(folder);
        const QString reason =
            info.exists() && !info.isDir()
                ? QStringLiteral("cannot create the album folder: a file is in the way")
                : QStringLiteral("cannot create the album folder: %1").arg(errnoText(errno));
        return fail(folder, reason);
    }
    removeStaleTemporaries(folder);

    auto png = encodePng(image);
    if (!png.ok())
        return fail(folder, QStringLiteral("cannot encode the PNG: %1").arg(png.error()));

    QByteArray temporary = QFile::encodeName(folder + QStringLiteral("/.velmora-XXXXXX.tmp"));
    const int fd = ::mkostemps(temporary.data(), 4, O_CLOEXEC);
    if (fd < 0)
        return fail(folder, QStringLiteral("cannot write the portrait: %1").arg(errnoText(errno)));
    int error = 0;
    bool written = writeAll(fd, png.value(), &error);
    if (written && ::fchmod(fd, 0644) != 0) {
        // Keeps the usual permissions of a picture; not worth failing over.
    }
    if (written && ::fsync(fd) != 0) {
        error = errno;
        written = false;
    }
    if (::close(fd) != 0 && written) {
        error = errno;
        written = false;
    }
    if (!written) {
        ::unlink(temporary.constData());
        // The temporary's name means nothing to the user; the folder and the cause do.
        return fail(folder, QStringLiteral("cannot write the portrait: %1").arg(errnoText(error)));
    }

    // link() never replaces an existing name, so two savers in the same second (in this
    // process or another) each get a name of their own.
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int n = 1; n < 100000; ++n) {
        const QString name = QStringLiteral("%1/velmora-%2-%3.png")
                                 .arg(folder, stamp)
                                 .arg(n, 3, 10, QLatin1Char('0'));
        const QByteArray target = QFile::encodeName(name);
        int linked = ::link(temporary.constData(), target.constData());
        if (linked != 0 && (errno == EPERM || errno == EOPNOTSUPP || errno == ENOSYS)) {
            // A file system without hard links: a rename that refuses to replace.
            linked = ::renameat2(AT_FDCWD, temporary.constData(), AT_FDCWD, target.constData(),
                                 RENAME_NOREPLACE);
        }
        if (linked == 0) {
            ::unlink(temporary.constData());
            syncFolder(folder);
            return Result<QString>::success(name);
        }
        if (errno != EEXIST) {
            const int linkError = errno;
            ::unlink(temporary.constData());
            return fail(name, errnoText(linkError));
        }
    }
    ::unlink(temporary.constData());
    return fail(folder, QStringLiteral("no free file name left for this second"));
}

void imageWriteToSavedPhotosAlbum(const Image& image) {
    PhotoAlbum::shared().write(image.toQImage());
}

} // namespace toolkit
