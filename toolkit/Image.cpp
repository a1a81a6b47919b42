#include "Image.h"

#include "ImageContext.h"
#include "Resources.h"

#include <QCache>
#include <QFile>
#include <QDir>
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

// A small file may declare an enormous picture (a decompression bomb). A format that
// decodes at a reduced scale (JPEG, down to 1/8) is limited by what a photo can be; any
// other must fit the decoder's allocation limit at full size.
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

const uchar* findFF(const uchar* data, qint64 from, qint64 size) {
    return from < size
               ? static_cast<const uchar*>(std::memchr(data + from, 0xFF, size_t(size - from)))
               : nullptr;
}

// JPEG: walks the marker segments and the entropy-coded scans up to the end-of-image
// marker. Stops there, so data appended after a complete picture (phones add video or
// metadata) does not matter.
QString whyJpegIncomplete(const uchar* data, qint64 size) {
    const QString truncated = QStringLiteral("the file is truncated");
    qint64 pos = 2;
    bool sawScan = false;
    while (true) {
        // Between segments only fill bytes belong; anything else is skipped, as the
        // decoder does.
        const uchar* next = findFF(data, pos, size);
        if (!next)
            return truncated;
        pos = next - data;
        while (pos < size && data[pos] == 0xFF)
            ++pos;
        if (pos >= size)
            return truncated;
        const uchar marker = data[pos++];
        if (marker == 0xD9)
            return sawScan ? QString() : QStringLiteral("the file holds no picture data");
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8))
            continue;
        if (pos + 2 > size)
            return truncated;
        const qint64 length = (qint64(data[pos]) << 8) | data[pos + 1];
        if (length < 2 || pos + length > size)
            return truncated;
        pos += length;
        if (marker != 0xDA)
            continue;
        sawScan = true;
        // Inside a scan 0xFF is followed by 0x00 (a stuffed byte), a restart marker or
        // more fill; anything else begins the next marker.
        while (true) {
            const uchar* ff = findFF(data, pos, size);
            if (!ff || ff + 1 >= data + size)
                return truncated;
            pos = ff - data;
            const uchar after = data[pos + 1];
            if (after == 0xFF) {
                pos += 1;
                continue;
            }
            if (after == 0x00 || (after >= 0xD0 && after <= 0xD7)) {
                pos += 2;
                continue;
            }
            break;
        }
    }
}

// PNG: walks the chunks by their lengths up to IEND.
QString whyPngIncomplete(const uchar* data, qint64 size) {
    qint64 pos = 8;
    while (pos + 12 <= size) {
        const qint64 length = (qint64(data[pos]) << 24) | (qint64(data[pos + 1]) << 16) |
                              (qint64(data[pos + 2]) << 8) | qint64(data[pos + 3]);
        if (std::memcmp(data + pos + 4, "IEND", 4) == 0)
            return QString();
        pos += 12 + length;
    }
    return QStringLiteral("the file is truncated");
}

// Decoders fill a picture cut short with grey and say so only as a warning; a cut-off
// file is refused instead, before it is decoded.
QString whyIncomplete(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    const qint64 size = file.size();
    const QByteArray head = file.peek(8);
    const bool jpeg = head.size() >= 2 && uchar(head[0]) == 0xFF && uchar(head[1]) == 0xD8;
    const bool png = head.size() == 8 && head == QByteArray("\x89PNG\r\n\x1a\n", 8);
    if (!jpeg && !png)
        return QString();
    const uchar* data = file.map(0, size);
    if (!data)
        return QString(); // not mappable: the decoder is the judge
    const QString why = jpeg ? whyJpegIncomplete(data, size) : whyPngIncomplete(data, size);
    file.unmap(const_cast<uchar*>(data));
    return why;
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
        const QString why = reader.canRead() && stored.isValid()
                                ? QStringLiteral("the picture has no pixels")
                                : QStringLiteral("not a picture Velmora can read");
        return Result<QSize>::failure(describe(path, why));
    }
    const QString tooLarge =
        whyTooLarge(stored, reader.supportsOption(QImageIOHandler::ScaledSize));
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

QString Image::filePath() const {
    return d ? d->path : QString();
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
