#include "imaging/PictureFile.h"

#include "base/ApplicationIdentity.h"
#include "base/FileName.h"
#include "base/SystemError.h"
#include "imaging/DecoderWarnings.h"
#include "imaging/HeifDecoder.h"
#include "imaging/PictureStructure.h"
#include "imaging/SealedBytes.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace toolkit {

namespace {

// Says which program cannot read it: the user may have several that read pictures.
QString notReadable() {
    return QCoreApplication::translate("toolkit::PictureFile", "not a picture %1 can read")
        .arg(ApplicationIdentity::current().displayName);
}

// The widest or tallest PNG the PNG library reads, whatever its number of pixels.
constexpr qint64 kMaxPngSide = 1'000'000;

// The format told by the first bytes, as the image reader names it; empty for none taken.
QByteArray formatOf(const QByteArray& head) {
    if (head.startsWith("\xFF\xD8\xFF"))
        return "jpeg";
    if (head.startsWith("\x89PNG\r\n\x1a\n"))
        return "png";
    if (head.startsWith("GIF87a") || head.startsWith("GIF89a"))
        return "gif";
    if (head.size() >= 12 && head.startsWith("RIFF") && head.mid(8, 4) == "WEBP")
        return "webp";
    if (head.startsWith(QByteArray("II*\0", 4)) || head.startsWith(QByteArray("MM\0*", 4)))
        return "tiff";
    if (head.size() >= 18 && head.startsWith("BM")) {
        const quint32 header = PictureStructure::littleEndian(head, 14, 4);
        if (header == 12 || header == 40 || header == 52 || header == 56 || header == 108 ||
            header == 124)
            return "bmp";
    }
    return HeifDecoder::formatOf(head);
}

// How many bytes decoding a `size` picture of `format` takes at its peak: the pixels times
// the copies its decoder holds (GIF keeps the screen and the frame, WebP its own buffer,
// TIFF a strip buffer and a conversion).
qint64 decodeBytes(const QByteArray& format, QSize size, bool sixteenBit) {
    const qint64 pixels = qint64(size.width()) * size.height();
    qint64 copies = 1;
    if (format == "gif" || format == "webp")
        copies = 2;
    else if (format == "tiff")
        copies = 3;
    const qint64 perPixel = (sixteenBit ? 8 : 4) * copies;
    // A header may declare sizes whose product overflows; such a picture never fits.
    if (pixels > std::numeric_limits<qint64>::max() / perPixel)
        return std::numeric_limits<qint64>::max();
    return pixels * perPixel;
}

// The largest picture a JPEG may declare: it decodes at a reduced scale (down to 1/8),
// so it is limited by what a photo can be.
constexpr qint64 kMaxJpegPixels = 250'000'000;

// Why `path` cannot be read as a picture file, or empty; on success `bytes` holds it.
// Only regular files are read: a FIFO would block forever and a device never ends.
QString readWhole(const QString& path, QByteArray* bytes,
                  std::shared_ptr<const SealedBytes>* sealed) {
    const QByteArray name = FileName::encode(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        const int error = errno;
        struct stat link {};
        if (error == ENOENT && ::lstat(name.constData(), &link) == 0)
            return QCoreApplication::translate("toolkit::PictureFile",
                                               "the link points to a file that does not exist");
        if (error == ENOENT || error == ENOTDIR)
            return QCoreApplication::translate("toolkit::PictureFile", "no such file");
        if (error == ELOOP)
            return QCoreApplication::translate("toolkit::PictureFile",
                                               "a loop of symbolic links, not a picture");
        if (error == EACCES)
            return QCoreApplication::translate("toolkit::PictureFile", "permission denied");
        return systemErrorText(error);
    }
    struct stat st {};
    QString why;
    if (::fstat(fd, &st) != 0)
        why = systemErrorText(errno);
    else if (S_ISDIR(st.st_mode))
        why = QCoreApplication::translate("toolkit::PictureFile", "is a folder, not a picture");
    else if (!S_ISREG(st.st_mode))
        why = QCoreApplication::translate("toolkit::PictureFile",
                                          "is not a regular file, not a picture");
    else if (st.st_size == 0)
        why = QCoreApplication::translate("toolkit::PictureFile", "the file is empty");
    else if (st.st_size > PictureFile::kMaxFileBytes)
        why = QCoreApplication::translate("toolkit::PictureFile",
                                          "the file is too large (%1 MB; at most %2 MB)")
                  .arg(PictureStructure::megabytes(st.st_size),
                       PictureStructure::megabytes(PictureFile::kMaxFileBytes));
    if (why.isEmpty()) {
        *sealed = SealedBytes::read(fd, st.st_size, &why);
        if (*sealed)
            *bytes = (*sealed)->bytes();
    }
    if (why.isEmpty() && !*sealed) {
        bytes->resize(qsizetype(st.st_size));
        qsizetype done = 0;
        while (done < bytes->size()) {
            const ssize_t n = ::read(fd, bytes->data() + done, size_t(bytes->size() - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                why = systemErrorText(errno);
                break;
            }
            if (n == 0)
                break; // shrank while read: the structure check finds what is missing
            done += n;
        }
        bytes->truncate(done);
        if (why.isEmpty() && done == 0)
            why = QCoreApplication::translate("toolkit::PictureFile", "the file is empty");
    }
    ::close(fd);
    return why;
}

} // namespace

namespace {
// Those of them installed.
const QList<QByteArray>& readerFormats() {
    static const QList<QByteArray> installed = [] {
        const QList<QByteArray> supported = QImageReader::supportedImageFormats();
        QList<QByteArray> taken;
        for (const QByteArray& format : PictureFile::imageReaderFormats())
            if (supported.contains(format))
                taken << format;
        return taken;
    }();
    return installed;
}

// Whether the decoder of `format` is installed, for `bytes` that begin as that format does.
// Only that decoder is asked: listing the image reader's formats loads every one of its
// plugins, and asking libheif loads it, each a good part of a start-up.
bool isTaken(const QByteArray& format, const QByteArray& bytes) {
    if (format == "heif" || format == "avif")
        return HeifDecoder::canDecode(format);
    if (!PictureFile::imageReaderFormats().contains(format))
        return false;
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setDecideFormatFromContent(false);
    reader.setAutoDetectImageFormat(false);
    return reader.canRead() || reader.error() != QImageReader::UnsupportedFormatError;
}
} // namespace

const QList<QByteArray>& PictureFile::imageReaderFormats() {
    static const QList<QByteArray> names{"jpeg", "png", "webp", "gif", "bmp", "tiff"};
    return names;
}

QList<QByteArray> PictureFile::formats() {
    QList<QByteArray> taken = readerFormats();
    // Decoded by libheif, not the image reader.
    for (const QByteArray& format : {QByteArray("heif"), QByteArray("avif")})
        if (HeifDecoder::canDecode(format))
            taken << format;
    return taken;
}

QStringList PictureFile::namePatterns() {
    QStringList patterns;
    for (const QByteArray& format : formats()) {
        QStringList suffixes{QString::fromLatin1(format)};
        if (format == "jpeg")
            suffixes = {QStringLiteral("jpg"), QStringLiteral("jpeg"), QStringLiteral("jpe")};
        else if (format == "tiff")
            suffixes = {QStringLiteral("tif"), QStringLiteral("tiff")};
        else if (format == "heif")
            suffixes = {QStringLiteral("heic"), QStringLiteral("heif"), QStringLiteral("hif")};
        for (const QString& suffix : suffixes)
            patterns << QStringLiteral("*.") + suffix << QStringLiteral("*.") + suffix.toUpper();
    }
    return patterns;
}

void PictureFile::releasePages() const {
    if (m_sealed)
        m_sealed->releasePages();
}

int PictureFile::memoryFile() const {
    return m_sealed ? m_sealed->fd() : -1;
}

QString PictureFile::describe(const QString& reason) const {
    return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(m_path), reason);
}

Result<PictureFile> PictureFile::read(const QString& path) {
    QByteArray bytes;
    std::shared_ptr<const SealedBytes> sealed;
    const QString why = readWhole(path, &bytes, &sealed);
    if (!why.isEmpty()) {
        PictureFile named;
        named.m_path = path;
        return Result<PictureFile>::failure(named.describe(why));
    }
    auto file = fromBytes(path, std::move(bytes));
    if (file.ok())
        file.value().m_sealed = std::move(sealed); // the bytes' memory, kept with them
    return file;
}

Result<PictureFile> PictureFile::checkHeif(PictureFile file, QByteArray bytes) {
    auto declared = HeifDecoder::declared(bytes);
    if (!declared.ok())
        return Result<PictureFile>::failure(file.describe(
            QCoreApplication::translate("toolkit::PictureFile", "the picture cannot be read (%1)")
                .arg(declared.error())));
    const QSize upright = declared.value().upright;
    const qint64 pixels = qint64(upright.width()) * upright.height();
    if (declared.value().decodeBytes > kDecodeBudgetBytes) {
        const double perPixel = double(declared.value().decodeBytes) / double(pixels);
        return Result<PictureFile>::failure(
            file.describe(QCoreApplication::translate(
                              "toolkit::PictureFile",
                              "the picture is too large (%1 x %2 pixels; at most %3 megapixels)")
                              .arg(upright.width())
                              .arg(upright.height())
                              .arg(qint64(double(kDecodeBudgetBytes) / perPixel / 1000000))));
    }
    file.m_rotated = declared.value().rotated;
    file.m_storedSize = file.m_rotated ? upright.transposed() : upright;
    file.m_bytes = std::move(bytes);
    return Result<PictureFile>::success(std::move(file));
}

Result<PictureFile> PictureFile::fromBytes(const QString& path, QByteArray bytes) {
    PictureFile file;
    file.m_path = path;
    auto refuse = [&file](const QString& why) {
        return Result<PictureFile>::failure(file.describe(why));
    };
    if (bytes.isEmpty())
        return refuse(QCoreApplication::translate("toolkit::PictureFile", "the file is empty"));
    // The container's brands may run past the first few bytes.
    file.m_format = formatOf(bytes.left(256));
    if (file.m_format.isEmpty() || !isTaken(file.m_format, bytes))
        return refuse(notReadable());
    if (file.m_format == "heif" || file.m_format == "avif")
        return checkHeif(std::move(file), std::move(bytes));

    QString incomplete;
    bool sixteenBit = false;
    if (file.m_format == "jpeg") {
        incomplete = PictureStructure::whyJpegUnusable(bytes);
    } else if (file.m_format == "png") {
        incomplete = PictureStructure::whyPngIncomplete(bytes);
        sixteenBit = bytes.size() > 24 && uchar(bytes.at(24)) == 16;
    } else if (file.m_format == "gif") {
        incomplete = PictureStructure::whyGifIncomplete(bytes);
    } else if (file.m_format == "bmp") {
        incomplete = PictureStructure::whyBmpIncomplete(bytes);
    } else if (file.m_format == "tiff") {
        incomplete = PictureStructure::whyTiffIncomplete(bytes);
        DecoderWarnings::hearTiff();
    }
    if (file.m_format == "png") {
        // Refused before the PNG library sees it: it would refuse the header on stderr.
        const QSize declared = PictureStructure::pngHeaderSize(bytes);
        if (declared.width() > kMaxPngSide || declared.height() > kMaxPngSide)
            return refuse(QCoreApplication::translate(
                              "toolkit::PictureFile",
                              "the picture is too large (%1 x %2 pixels; at most %3 a side)")
                              .arg(declared.width())
                              .arg(declared.height())
                              .arg(kMaxPngSide));
    }
    // A size is needed before anything else can be judged; a file cut inside its header is
    // told apart from one that is not a picture at all.
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, file.m_format);
    reader.setAutoTransform(true);
    reader.setAutoDetectImageFormat(false);
    // An incomplete PNG is not handed to the PNG library even for its size: it allocates
    // what a chunk claims before reading it, and a chunk may claim far more than the file
    // holds. Its header gives the size.
    QSize stored;
    QStringList heard;
    if (file.m_format == "png" && !incomplete.isEmpty()) {
        stored = PictureStructure::pngHeaderSize(bytes);
    } else {
        DecoderWarnings::Listening listening(path);
        stored = reader.size();
        heard = listening.heard();
    }
    if (file.m_format == "bmp" && !stored.isValid() && bytes.size() >= 26) {
        // A top-down BMP declares a negative height; its size is the height's magnitude,
        // which for the smallest height does not fit the size at all.
        const qint32 height = qint32(PictureStructure::littleEndian(bytes, 22, 4));
        if (height == std::numeric_limits<qint32>::min())
            return refuse(QCoreApplication::translate(
                "toolkit::PictureFile", "the picture is too large (2147483648 rows)"));
        if (height < 0)
            stored = QSize(qint32(PictureStructure::littleEndian(bytes, 18, 4)), -height);
    }
    if (!stored.isValid() || stored.isEmpty()) {
        if (!incomplete.isEmpty())
            return refuse(incomplete);
        // The decoder said why it could not read the header: say it too.
        if (!stored.isValid() && !heard.isEmpty())
            return refuse(
                DecoderWarnings::isUnsupported(heard.first())
                    ? QCoreApplication::translate("toolkit::PictureFile",
                                                  "the picture is of a kind %1 cannot decode (%2)")
                          .arg(ApplicationIdentity::current().displayName, heard.first())
                    : QCoreApplication::translate("toolkit::PictureFile",
                                                  "the picture is damaged (%1)")
                          .arg(heard.first()));
        return refuse(stored.isValid() ? QCoreApplication::translate("toolkit::PictureFile",
                                                                     "the picture has no pixels")
                                       : notReadable());
    }
    const qint64 pixels = qint64(stored.width()) * stored.height();
    if (file.m_format == "jpeg"
            ? pixels > kMaxJpegPixels
            : decodeBytes(file.m_format, stored, sixteenBit) > kDecodeBudgetBytes) {
        const qint64 limit =
            file.m_format == "jpeg"
                ? kMaxJpegPixels
                : kDecodeBudgetBytes / (decodeBytes(file.m_format, QSize(1, 1), sixteenBit));
        return refuse(
            QCoreApplication::translate("toolkit::PictureFile",
                                        "the picture is too large (%1 x %2 pixels%3; at most %4 "
                                        "megapixels)")
                .arg(stored.width())
                .arg(stored.height())
                .arg(sixteenBit ? QCoreApplication::translate("toolkit::PictureFile",
                                                              " at 16 bits a channel")
                                : QString())
                .arg(limit / 1000000));
    }
    if (!incomplete.isEmpty())
        return refuse(incomplete);
    file.m_rotated = reader.transformation() & QImageIOHandler::TransformationRotate90;
    file.m_storedSize = stored;
    buffer.close();
    file.m_bytes = std::move(bytes);
    return Result<PictureFile>::success(std::move(file));
}

} // namespace toolkit
