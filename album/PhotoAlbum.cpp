#include "album/PhotoAlbum.h"

#include "base/ApplicationIdentity.h"
#include "base/FileName.h"
#include "base/Log.h"
#include "base/SystemError.h"
#include "imaging/PngEncoder.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace toolkit {

namespace {

// The start of every file the album writes: "<application name>-".
QString filePrefix() {
    return ApplicationIdentity::current().name + QLatin1Char('-');
}

Result<QString> fail(const QString& path, const QString& reason) {
    return Result<QString>::failure(QStringLiteral("%1: %2").arg(path, reason));
}

Result<QByteArray> encodePng(const QImage& image) {
    // One fixed row filter ("up") and libdeflate's fastest level: a third of the time of
    // Qt's writer, which tries all five filters on every row, for a file no larger. An
    // opaque capture (the window's alpha is 255 everywhere) is written as RGB.
    return PngEncoder::encode(image, PngEncoder::Filter::Up, 1);
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
    const int fd = ::open(FileName::encode(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// The temporary file being written now, for a process that must end at once (a second
// termination signal): set before the file exists, cleared before it is renamed away.
char currentTemporary[4096];
volatile sig_atomic_t temporaryInUse = 0;

// Creates the temporary with the user's umask deciding its permissions, as any other file
// the user makes. Returns the descriptor, or -1 with errno set.
int createTemporary(const QString& folder, QByteArray* name) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const unsigned salt = unsigned(::getpid()) * 2654435761u ^ ++counter ^
                              unsigned(QDateTime::currentMSecsSinceEpoch());
        *name = FileName::encode(folder) + "/." + FileName::encode(filePrefix()) +
                QByteArray::number(salt, 36).rightJustified(7, '0') + ".tmp";
        if (size_t(name->size()) < sizeof currentTemporary) {
            temporaryInUse = 0;
            std::memcpy(currentTemporary, name->constData(), size_t(name->size()) + 1);
            temporaryInUse = 1;
        }
        const int fd = ::open(name->constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            if (fd < 0)
                temporaryInUse = 0;
            return fd;
        }
    }
    temporaryInUse = 0;
    errno = EEXIST;
    return -1;
}

// Creates `folder` and its missing parents with the user's umask. Returns 0, or the errno
// of the call that failed.
int makeFolder(const QByteArray& folder) {
    struct stat st {};
    if (::stat(folder.constData(), &st) == 0)
        return S_ISDIR(st.st_mode) ? 0 : EEXIST;
    const qsizetype slash = folder.lastIndexOf('/');
    if (slash > 0) {
        if (const int error = makeFolder(folder.left(slash)))
            return error;
    }
    if (::mkdir(folder.constData(), 0777) != 0 && errno != EEXIST)
        return errno;
    return 0;
}

// `path` made absolute by string operations alone: QDir would pass it through Qt's file
// name conversion, which loses the bytes of a name that is not UTF-8.
QString absolute(const QString& path) {
    if (QDir::isAbsolutePath(path))
        return QDir::cleanPath(path);
    return QDir::cleanPath(FileName::decode(QFile::encodeName(QDir::currentPath())) +
                           QLatin1Char('/') + path);
}

// Temporary files left by a process that was killed mid-write; old enough that no
// running process can still be writing them. Once per folder and process: a folder is
// listed on its first save, not on every one.
void removeStaleTemporaries(const QString& folder) {
    static std::mutex mutex;
    static QSet<QString> swept;
    {
        const std::lock_guard lock(mutex);
        if (swept.contains(folder))
            return;
        swept.insert(folder);
    }
    const QDateTime cutoff = QDateTime::currentDateTime().addSecs(-3600);
    QDir dir(folder);
    const auto entries = dir.entryInfoList(
        {QLatin1Char('.') + filePrefix() + QStringLiteral("*.tmp")}, QDir::Files | QDir::Hidden);
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
        return absolute(albumOption);
    const ApplicationIdentity identity = ApplicationIdentity::current();
    const QString variable = identity.environmentVariable(QStringLiteral("ALBUM"));
    QString fromEnv = FileName::decode(qgetenv(variable.toLatin1().constData()));
    if (!fromEnv.isEmpty()) {
        // As a shell would have expanded it, had the variable not been quoted.
        if (fromEnv == QLatin1String("~") || fromEnv.startsWith(QLatin1String("~/")))
            fromEnv.replace(0, 1, QDir::homePath());
        if (QDir::isRelativePath(fromEnv)) {
            const QString made = absolute(fromEnv);
            qCWarning(programLog, "%s \"%s\" is a relative path; using \"%s\"",
                      qUtf8Printable(variable), qUtf8Printable(fromEnv), qUtf8Printable(made));
            return made;
        }
        return QDir::cleanPath(fromEnv);
    }
    QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (pictures.isEmpty())
        pictures = QDir::homePath() + QStringLiteral("/Pictures");
    return pictures + QLatin1Char('/') + identity.displayName;
}

void PhotoAlbum::setFolder(const QString& folder) {
    m_folder = absolute(folder);
}

QString PhotoAlbum::folder() const {
    return m_folder;
}

namespace {
// Carries a save's outcome from the worker to its handle. It reports when the task is
// deleted, which happens after it ran or when it is dropped unrun: every save hears once.
struct Delivery {
    Delivery(AlbumSave* save, const QString& folder) : save(save), folder(folder) {}
    Delivery(const Delivery&) = delete;
    Delivery& operator=(const Delivery&) = delete;

    AlbumSave* const save;
    const QString folder;
    std::optional<Result<QString>> outcome;

    ~Delivery() {
        Result<QString> result =
            outcome ? *outcome
                    : fail(folder, PhotoAlbum::tr("not written: the saves were stopped"));
        // Queued to the save's own thread; the album waits for its worker before it
        // deletes the saves it owns, so `save` is alive here.
        QMetaObject::invokeMethod(
            save, [save = save, result] { save->finish(result); }, Qt::QueuedConnection);
    }
};
} // namespace

AlbumSave* PhotoAlbum::write(const QImage& image) {
    auto* save = new AlbumSave(this);
    // The folder as it is now: a later setFolder moves only the saves queued after it.
    auto delivery = std::make_shared<Delivery>(save, m_folder);
    m_worker.start([delivery, image] {
        delivery->outcome = writeNow(image, delivery->folder);
        if (!delivery->outcome->ok())
            qCWarning(programLog, "the portrait was not saved: %s",
                      qUtf8Printable(delivery->outcome->error()));
    });
    return save;
}

void PhotoAlbum::discardQueuedWrites() {
    m_worker.clear();
}

void PhotoAlbum::removeTemporaryNow() {
    if (temporaryInUse)
        ::unlink(currentTemporary);
}

bool PhotoAlbum::waitForQueuedWrites(int timeoutMs) {
    return m_worker.waitForDone(timeoutMs);
}

namespace {

// Writes `bytes` into a new temporary file of `folder` and syncs it: its name, or -1 with the
// cause in `error` (the temporary is gone then). The caller publishes and unlinks it.
int writeTemporary(const QString& folder, const QByteArray& bytes, QByteArray* temporary,
                   int* error) {
    const int fd = createTemporary(folder, temporary);
    if (fd < 0) {
        *error = errno;
        return -1;
    }
    bool written = writeAll(fd, bytes, error);
    if (written && ::fsync(fd) != 0) {
        *error = errno;
        written = false;
    }
    if (::close(fd) != 0 && written) {
        *error = errno;
        written = false;
    }
    if (!written) {
        temporaryInUse = 0;
        ::unlink(temporary->constData());
        return -1;
    }
    return 0;
}

// Links the written temporary to `target`, never replacing a file there: 0, or the cause.
int linkNoReplace(const QByteArray& temporary, const QByteArray& target) {
    int linked = ::link(temporary.constData(), target.constData());
    // A file system without hard links: a rename that refuses to replace.
    if (linked != 0 && (errno == EPERM || errno == EOPNOTSUPP || errno == ENOSYS))
        linked = ::renameat2(AT_FDCWD, temporary.constData(), AT_FDCWD, target.constData(),
                             RENAME_NOREPLACE);
    return linked == 0 ? 0 : errno;
}

} // namespace

Result<QString> PhotoAlbum::writeNow(const QImage& image, const QString& folder) {
    if (image.isNull())
        return fail(folder, tr("there is no picture to save"));
    if (const int error = makeFolder(FileName::encode(folder))) {
        const QString reason =
            error == EEXIST || error == ENOTDIR
                ? tr("cannot create the album folder: a file is in the way")
                : tr("cannot create the album folder: %1").arg(systemErrorText(error));
        return fail(folder, reason);
    }
    removeStaleTemporaries(folder);

    auto png = encodePng(image);
    if (!png.ok())
        return fail(folder, tr("cannot encode the PNG: %1").arg(png.error()));

    QByteArray temporary;
    int error = 0;
    // The temporary's name means nothing to the user; the folder and the cause do.
    if (writeTemporary(folder, png.value(), &temporary, &error) != 0)
        return fail(folder, tr("cannot write the portrait: %1").arg(systemErrorText(error)));

    // link() never replaces an existing name, so two savers in the same second (in this
    // process or another) each get a name of their own.
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (int n = 1; n < 100000; ++n) {
        const QString name = QStringLiteral("%1/%2%3-%4.png")
                                 .arg(folder, filePrefix(), stamp)
                                 .arg(n, 3, 10, QLatin1Char('0'));
        const int linkError = linkNoReplace(temporary, FileName::encode(name));
        if (linkError == 0) {
            temporaryInUse = 0;
            ::unlink(temporary.constData());
            syncFolder(folder);
            return Result<QString>::success(name);
        }
        if (linkError != EEXIST) {
            temporaryInUse = 0;
            ::unlink(temporary.constData());
            return fail(name, systemErrorText(linkError));
        }
    }
    temporaryInUse = 0;
    ::unlink(temporary.constData());
    return fail(folder, tr("no free file name left for this second"));
}

Result<QString> PhotoAlbum::writeBeside(const QByteArray& bytes, const QString& path) {
    const QString folder = QFileInfo(path).absolutePath();
    QByteArray temporary;
    int error = 0;
    if (writeTemporary(folder, bytes, &temporary, &error) != 0)
        return fail(path, systemErrorText(error));
    error = linkNoReplace(temporary, FileName::encode(path));
    temporaryInUse = 0;
    ::unlink(temporary.constData());
    if (error != 0)
        return fail(path, error == EEXIST ? tr("a file of that name is there already")
                                          : systemErrorText(error));
    syncFolder(folder);
    return Result<QString>::success(path);
}

AlbumSave* imageWriteToSavedPhotosAlbum(const Image& image) {
    return PhotoAlbum::shared().write(image.toQImage());
}

} // namespace toolkit
