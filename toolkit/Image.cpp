#include "Image.h"

#include "ImageContext.h"
#include "Resources.h"

#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <QMutex>
#include <QPainter>
#include <QSet>
#include <cmath>
#include <cstdio>

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
    return QStringLiteral("%1: %2").arg(QFileInfo(path).fileName(), reason);
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
    const QFileInfo info(path);
    if (!info.exists())
        return Result<QSize>::failure(describe(path, QStringLiteral("no such file")));
    if (info.isDir())
        return Result<QSize>::failure(describe(path, QStringLiteral("is a folder, not a picture")));
    if (!info.isReadable())
        return Result<QSize>::failure(describe(path, QStringLiteral("permission denied")));
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize stored = reader.size();
    if (!stored.isValid()) {
        const QString why = reader.canRead() ? reader.errorString()
                                             : QStringLiteral("not a picture Velmora can read");
        return Result<QSize>::failure(describe(path, why));
    }
    const bool rotated = reader.transformation() & QImageIOHandler::TransformationRotate90;
    return Result<QSize>::success(rotated ? stored.transposed() : stored);
}

Result<Image> Image::fromFile(const QString& path, QSize drawSize) {
    auto size = uprightSizeOfFile(path);
    if (!size.ok())
        return Result<Image>::failure(size.error());
    auto pixels = decodeAt(path, drawSize);
    if (!pixels.ok())
        return Result<Image>::failure(describe(path, pixels.error()));
    auto data = std::make_shared<Data>();
    data->pixels = std::move(pixels.value());
    data->path = path;
    data->uprightSize = size.value();
    Image image;
    image.d = std::move(data);
    return Result<Image>::success(std::move(image));
}

namespace {
QMutex namedMutex;
QHash<QString, Image>& namedCache() {
    static QHash<QString, Image> cache;
    return cache;
}
QSet<QString>& reportedMissing() {
    static QSet<QString> reported;
    return reported;
}
} // namespace

Image Image::imageNamed(const QString& name) {
    QMutexLocker lock(&namedMutex);
    auto it = namedCache().constFind(name);
    if (it != namedCache().constEnd())
        return *it;
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
    namedCache().insert(name, image);
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
