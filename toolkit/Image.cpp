#include "Image.h"

#include "ImageContext.h"
#include "Resources.h"

#include <QCache>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QMutex>
#include <QPainter>
#include <QSet>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace toolkit {

struct Image::Data {
    QImage pixels; // decoded pixels, or the file decoded at `pixels.size()`
    QString path;  // empty for pixel images
    QSize uprightSize;
};

namespace {

// Decodes `path` at exactly `target` (stretched). JPEG decodes at the smallest DCT scale
// that still covers the target, so a 48 MP photo never exists at full size in memory.
Result<QImage> decodeAt(const QString& path, QSize target) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize stored = reader.size();
    if (!stored.isValid()) {
        return Result<QImage>::failure(reader.errorString());
    }
    if (target.isValid()) {
        // The scaled size applies before the EXIF rotation.
        const bool rotated = reader.transformation() & QImageIOHandler::TransformationRotate90;
        reader.setScaledSize(rotated ? target.transposed() : target);
    }
    QImage image = reader.read();
    if (image.isNull())
        return Result<QImage>::failure(reader.errorString());
    if (target.isValid() && image.size() != target)
        image = image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return Result<QImage>::success(std::move(image));
}

QString describe(const QString& path, const QString& reason) {
    return QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason);
}

// Why `path` cannot even be opened as a picture file, or empty. Only regular files are
// read: a FIFO would block the reader forever and a device never ends.
QString whyNotAPictureFile(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0) {
        const int error = errno;
        struct stat link {};
        if (error == ENOENT && ::lstat(name.constData(), &link) == 0)
            return QStringLiteral("the link points to a file that does not exist");
        if (error == ENOENT)
            return QStringLiteral("no such file");
        if (error == ELOOP)
            return QStringLiteral("a loop of symbolic links, not a picture");
        if (error == EACCES)
            return QStringLiteral("permission denied");
        return QString::fromLocal8Bit(std::strerror(error));
    }
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("is a folder, not a picture");
    if (!S_ISREG(st.st_mode))
        return QStringLiteral("is not a regular file, not a picture");
    if (st.st_size == 0)
        return QStringLiteral("the file is empty");
    if (::access(name.constData(), R_OK) != 0)
        return QStringLiteral("permission denied");
    return QString();
}

// The largest picture a file may declare when it can be decoded at a reduced scale; a
// photo from any camera is far below it.
constexpr qint64 kMaxScalablePixels = 250'000'000;

// A small file may declare an enormous picture (a decompression bomb). libjpeg decodes
// at a reduced scale (down to 1/8), so a JPEG is limited by what a photo can be; any other
// format is decoded whole and must fit the decoder's allocation limit.
QString whyTooLarge(QSize size, bool scalable) {
    const qint64 pixels = qint64(size.width()) * size.height();
    const qint64 limit =
        scalable ? kMaxScalablePixels : qint64(Image::kAllocationLimitMegabytes) * 1024 * 1024 / 4;
    if (pixels <= limit)
        return QString();
    return QStringLiteral("the picture is too large (%1 x %2 pixels; at most %3 megapixels)")
        .arg(size.width())
        .arg(size.height())
        .arg(limit / 1000000);
}

// Reads a file front to back in blocks. A file that shrinks while it is read is a short
// read here, where through a memory map it would be a crash (SIGBUS).
class BlockReader {
public:
    explicit BlockReader(QIODevice& device) : m_device(device) {}

    /// The next byte, or -1 at the end of the file.
    int next() {
        if (m_at == m_block.size() && !refill())
            return -1;
        return uchar(m_block[m_at++]);
    }
    /// Skips `count` bytes. Past the end of the file the next read fails.
    void skip(qint64 count) {
        const qint64 inBlock = qMin<qint64>(count, m_block.size() - m_at);
        m_at += inBlock;
        if (count > inBlock)
            m_device.seek(m_device.pos() + (count - inBlock));
    }
    /// Consumes bytes up to and including the next 0xFF; false at the end of the file.
    bool skipPastFF() {
        while (true) {
            if (m_at == m_block.size() && !refill())
                return false;
            const char* from = m_block.constData() + m_at;
            if (const void* ff = std::memchr(from, 0xFF, size_t(m_block.size() - m_at))) {
                m_at += static_cast<const char*>(ff) - from + 1;
                return true;
            }
            m_at = m_block.size();
        }
    }

private:
    bool refill() {
        m_block = m_device.read(64 * 1024);
        m_at = 0;
        return !m_block.isEmpty();
    }

    QIODevice& m_device;
    QByteArray m_block;
    qsizetype m_at = 0;
};

// JPEG: walks the marker segments and the entropy-coded scans up to the end-of-image
// marker. Stops there, so data appended after a complete picture (phones add video or
// metadata) does not matter.
QString whyJpegIncomplete(BlockReader& in) {
    const QString truncated = QStringLiteral("the file is truncated");
    in.skip(2);
    bool sawScan = false;
    int marker = -1; // the marker that ended a scan, already read
    while (true) {
        if (marker < 0) {
            // Between segments only fill bytes belong; anything else is skipped, as the
            // decoder does.
            if (!in.skipPastFF())
                return truncated;
            do
                marker = in.next();
            while (marker == 0xFF);
            if (marker < 0)
                return truncated;
        }
        const int current = std::exchange(marker, -1);
        if (current == 0xD9)
            return sawScan ? QString() : QStringLiteral("the file holds no picture data");
        if (current == 0x00 || current == 0x01 || (current >= 0xD0 && current <= 0xD8))
            continue;
        const int high = in.next();
        const int low = in.next();
        if (low < 0)
            return truncated;
        const int length = (high << 8) | low;
        if (length < 2)
            return truncated;
        in.skip(length - 2);
        if (current != 0xDA)
            continue;
        sawScan = true;
        // Inside a scan 0xFF is followed by 0x00 (a stuffed byte), a restart marker or
        // more fill; anything else is the next marker.
        while (marker < 0) {
            if (!in.skipPastFF())
                return truncated;
            int after;
            do
                after = in.next();
            while (after == 0xFF);
            if (after < 0)
                return truncated;
            if (after != 0x00 && !(after >= 0xD0 && after <= 0xD7))
                marker = after;
        }
    }
}

// PNG: walks the chunks by their lengths up to IEND.
QString whyPngIncomplete(BlockReader& in) {
    in.skip(8);
    while (true) {
        uchar header[8];
        for (uchar& byte : header) {
            const int b = in.next();
            if (b < 0)
                return QStringLiteral("the file is truncated");
            byte = uchar(b);
        }
        if (std::memcmp(header + 4, "IEND", 4) == 0)
            return QString();
        const qint64 length = (qint64(header[0]) << 24) | (qint64(header[1]) << 16) |
                              (qint64(header[2]) << 8) | qint64(header[3]);
        in.skip(length + 4); // the data and its checksum
    }
}

// GIF: walks the blocks (extensions and frames, each a chain of sub-blocks) up to the
// trailer. Bytes that are no block leave the judgement to the decoder.
QString whyGifIncomplete(BlockReader& in) {
    const QString truncated = QStringLiteral("the file is truncated");
    auto skipColourTable = [&in](int flags) {
        if (flags & 0x80)
            in.skip(3 << ((flags & 7) + 1));
    };
    auto skipSubBlocks = [&in]() {
        while (true) {
            const int length = in.next();
            if (length <= 0)
                return length == 0;
            in.skip(length);
        }
    };
    in.skip(10);
    const int screenFlags = in.next();
    in.skip(2);
    if (screenFlags < 0)
        return truncated;
    skipColourTable(screenFlags);
    while (true) {
        switch (in.next()) {
        case 0x3B: // trailer
            return QString();
        case 0x21: // extension: a label, then sub-blocks
            if (in.next() < 0 || !skipSubBlocks())
                return truncated;
            break;
        case 0x2C: { // frame: a descriptor, a colour table, the code size, sub-blocks
            in.skip(8);
            const int frameFlags = in.next();
            if (frameFlags < 0)
                return truncated;
            skipColourTable(frameFlags);
            if (in.next() < 0 || !skipSubBlocks())
                return truncated;
            break;
        }
        case -1:
            return truncated;
        default:
            return QString();
        }
    }
}

// Decoders fill a picture cut short with grey (or leave it unfinished) and say so only as
// a warning, if at all; a cut-off file is refused instead, before it is decoded.
QString whyIncomplete(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    const QByteArray head = file.peek(8);
    BlockReader in(file);
    if (head.size() >= 2 && uchar(head[0]) == 0xFF && uchar(head[1]) == 0xD8)
        return whyJpegIncomplete(in);
    if (head == QByteArray("\x89PNG\r\n\x1a\n", 8))
        return whyPngIncomplete(in);
    if (head.startsWith("GIF87a") || head.startsWith("GIF89a"))
        return whyGifIncomplete(in);
    return QString();
}

} // namespace

Image::Image(QImage pixels) {
    if (pixels.isNull())
        return;
    auto data = std::make_shared<Data>();
    data->uprightSize = pixels.size();
    data->pixels = std::move(pixels);
    d = std::move(data);
}

Result<QSize> Image::uprightSizeOfFile(const QString& path) {
    const QString unusable = whyNotAPictureFile(path);
    if (!unusable.isEmpty())
        return Result<QSize>::failure(describe(path, unusable));
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize stored = reader.size();
    if (!stored.isValid() || stored.isEmpty()) {
        // A picture cut off inside its header is told apart from one that is not a
        // picture at all.
        QString why = whyIncomplete(path);
        if (why.isEmpty())
            why = reader.canRead() && stored.isValid()
                      ? QStringLiteral("the picture has no pixels")
                      : QStringLiteral("not a picture Velmora can read");
        return Result<QSize>::failure(describe(path, why));
    }
    const QString tooLarge = whyTooLarge(stored, reader.format() == "jpeg");
    if (!tooLarge.isEmpty())
        return Result<QSize>::failure(describe(path, tooLarge));
    const bool rotated = reader.transformation() & QImageIOHandler::TransformationRotate90;
    return Result<QSize>::success(rotated ? stored.transposed() : stored);
}

Result<Image> Image::fromFile(const QString& path, QSize drawSize) {
    auto size = uprightSizeOfFile(path);
    if (!size.ok())
        return Result<Image>::failure(size.error());
    const QString incomplete = whyIncomplete(path);
    if (!incomplete.isEmpty())
        return Result<Image>::failure(describe(path, incomplete));
    auto pixels = decodeAt(path, drawSize);
    if (!pixels.ok())
        return Result<Image>::failure(describe(
            path, QStringLiteral("the picture cannot be decoded (%1)").arg(pixels.error())));
    auto data = std::make_shared<Data>();
    data->pixels = std::move(pixels.value());
    data->path = path;
    data->uprightSize = size.value();
    Image image;
    image.d = std::move(data);
    return Result<Image>::success(std::move(image));
}

namespace {
// Bounded so that a long session that has shown all hundred overlays does not keep every
// one of them (70 MB) alive; a memory warning empties it.
constexpr int kNamedCacheKilobytes = 24 * 1024;

QMutex namedMutex;
QCache<QString, Image>& namedCache() {
    static QCache<QString, Image> cache(kNamedCacheKilobytes);
    return cache;
}
QSet<QString>& reportedMissing() {
    static QSet<QString> reported;
    return reported;
}
} // namespace

Image Image::imageNamed(const QString& name) {
    QMutexLocker lock(&namedMutex);
    if (const Image* cached = namedCache().object(name))
        return *cached;
    const QString path = resourcePath() + QLatin1Char('/') + name;
    QImageReader reader(path);
    QImage pixels = reader.read();
    if (pixels.isNull()) {
        if (!reportedMissing().contains(name)) {
            reportedMissing().insert(name);
            std::fprintf(stderr, "velmora: no image named \"%s\" (%s: %s)\n", qPrintable(name),
                         qPrintable(path), qPrintable(reader.errorString()));
        }
        return Image();
    }
    Image image(pixels.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    const int kilobytes =
        int(qMin<qsizetype>(pixels.sizeInBytes() / 1024 + 1, kNamedCacheKilobytes));
    namedCache().insert(name, new Image(image), kilobytes);
    return image;
}

void Image::clearNamedImageCache() {
    QMutexLocker lock(&namedMutex);
    namedCache().clear();
    reportedMissing().clear();
}

bool Image::isNull() const {
    return !d;
}

QSize Image::size() const {
    return d ? d->uprightSize : QSize();
}

QImage Image::toQImage() const {
    return d ? d->pixels : QImage();
}

void Image::drawInRect(const QRectF& rect) const {
    if (QPainter* painter = currentContext())
        drawInRect(*painter, rect);
}

void Image::drawInRect(QPainter& painter, const QRectF& rect) const {
    if (!d || rect.isEmpty())
        return;
    const QRectF device = painter.transform().mapRect(rect);
    const QSize target(qMax(1, qRound(device.width())), qMax(1, qRound(device.height())));
    QImage pixels = d->pixels;
    if (!d->path.isEmpty() && pixels.size() != target) {
        // Drawn at another size than decoded: decode again at that size if the file is
        // still there, rather than stretch a small decode up.
        auto again = decodeAt(d->path, target);
        if (again.ok())
            pixels = std::move(again.value());
    }
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(rect, pixels);
    painter.restore();
}

void Image::configureDecoding() {
    QImageReader::setAllocationLimit(kAllocationLimitMegabytes);
}

} // namespace toolkit
