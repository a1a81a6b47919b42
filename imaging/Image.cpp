#include "imaging/Image.h"

#include "base/Log.h"
#include "base/Resources.h"
#include "imaging/ImageContext.h"
#include "imaging/ImageDecoder.h"
#include "imaging/PictureFile.h"
#include "imaging/PixelFile.h"
#include "imaging/PngFileReader.h"

#include <QCache>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QPainter>
#include <QSet>
#include <cmath>
#include <optional>
#include <utility>

namespace toolkit {

struct Image::Data {
    QImage pixels;                   // decoded pixels, or the file decoded at `pixels.size()`
    std::optional<PictureFile> file; // the bytes the pixels came from; none for pixel images
    QSize uprightSize;
};

Image::Image(QImage pixels) {
    if (pixels.isNull())
        return;
    auto data = std::make_shared<Data>();
    data->uprightSize = pixels.size();
    data->pixels = std::move(pixels);
    d = std::move(data);
}

Result<QSize> Image::uprightSizeOfFile(const QString& path) {
    auto file = PictureFile::read(path);
    if (!file.ok())
        return Result<QSize>::failure(file.error());
    return Result<QSize>::success(file.value().uprightSize());
}

Result<Image> Image::fromFile(const QString& path, QSize drawSize, Sizing sizing) {
    auto file = PictureFile::read(path);
    if (!file.ok())
        return Result<Image>::failure(file.error());
    if (sizing == Sizing::Covering && drawSize.isValid())
        drawSize = ImageDecoder::coveringSize(file.value(), drawSize);
    auto pixels = ImageDecoder::decode(file.value(), drawSize);
    if (!pixels.ok())
        return Result<Image>::failure(pixels.error());
    auto data = std::make_shared<Data>();
    data->pixels = std::move(pixels.value());
    data->uprightSize = file.value().uprightSize();
    data->file = std::move(file.value());
    Image image;
    image.d = std::move(data);
    return Result<Image>::success(std::move(image));
}

namespace {
// Bounded so that a long session that has shown all hundred overlays does not keep every
// one of them (70 MB) alive; a memory warning empties it. Only the GUI thread looks
// pictures up by name (widgets and their controllers do), so it needs no lock.
constexpr int kNamedCacheKilobytes = 24 * 1024;

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
    return imageNamed(name, qGuiApp ? qGuiApp->devicePixelRatio() : 1.0);
}

Image Image::imageNamed(const QString& name, qreal devicePixelRatio) {
    QString file = name;
    qreal density = 1;
    // The variant made for the ratio first; a denser one is drawn smaller, still sharp.
    QList<qreal> factors;
    if (devicePixelRatio >= 2.5)
        factors = {3, 2};
    else if (devicePixelRatio >= 1.75)
        factors = {2};
    else if (devicePixelRatio >= 1.5)
        factors = {1.5, 2};
    else if (devicePixelRatio >= 1.25)
        factors = {1.5};
    for (const qreal factor : factors) {
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        const QString tag = QStringLiteral("@%1x").arg(factor);
        const QString variant = dot < 0 ? name + tag : name.left(dot) + tag + name.mid(dot);
        if (QFileInfo::exists(resourcePath() + QLatin1Char('/') + variant)) {
            file = variant;
            density = factor;
            break;
        }
    }
    if (const Image* cached = namedCache().object(file))
        return *cached;
    const QString path = resourcePath() + QLatin1Char('/') + file;
    // Read as its name says: a reader left to guess loads every image plugin to ask it.
    const QByteArray format = QFileInfo(file).suffix().toLower().toLatin1();
    QImageReader reader(path, format);
    reader.setAutoDetectImageFormat(false);
    // The program's own pictures are read the quick way; whatever that does not take, the
    // general reader reads, or explains.
    QImage pixels = format == "png"      ? PngFileReader::read(path)
                    : format == "pixels" ? PixelFile::read(path)
                                         : QImage();
    if (pixels.isNull())
        pixels = reader.read();
    pixels.setDevicePixelRatio(density);
    if (pixels.isNull()) {
        if (!reportedMissing().contains(name)) {
            reportedMissing().insert(name);
            qCWarning(programLog, "no image named \"%s\" (%s: %s)", qUtf8Printable(name),
                      qUtf8Printable(path), qUtf8Printable(reader.errorString()));
        }
        return Image();
    }
    Image image(pixels.convertToFormat(QImage::Format_ARGB32_Premultiplied));
    const int kilobytes =
        int(qMin<qsizetype>(pixels.sizeInBytes() / 1024 + 1, kNamedCacheKilobytes));
    namedCache().insert(file, new Image(image), kilobytes);
    return image;
}

void Image::clearNamedImageCache() {
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

QImage Image::scaledToFit(QSize bound) const {
    if (!d || bound.isEmpty())
        return QImage();
    QSize size = d->uprightSize;
    if (size.width() > bound.width() || size.height() > bound.height())
        size = size.scaled(bound, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    // A file decoded at least as large both ways (a decode made for this very use) is
    // shrunk rather than decoded again.
    const bool decodedLargeEnough = !d->pixels.isNull() && d->pixels.width() >= size.width() &&
                                    d->pixels.height() >= size.height();
    if (d->file && !decodedLargeEnough) {
        auto decoded = ImageDecoder::decode(*d->file, size);
        return decoded.ok() ? decoded.value() : QImage();
    }
    if (size == d->pixels.size())
        return d->pixels;
    return d->pixels.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage Image::coveringFit(QSize bound) const {
    if (!d || bound.isEmpty())
        return QImage();
    if (d->file && !d->pixels.isNull() &&
        ImageDecoder::coveringSize(*d->file, bound) == d->pixels.size())
        return d->pixels;
    return scaledToFit(bound);
}

void Image::drawInRect(const QRectF& rect) const {
    if (QPainter* painter = currentContext())
        drawInRect(*painter, rect);
}

namespace {
// The most a drawing decodes again, in bytes of pixels: a photo at twice the portrait's size
// and more, a small part of the decode budget.
constexpr qint64 kDrawDecodeBytes = 64LL * 1024 * 1024;

// The size to decode a picture of `upright` size at for a drawing of `drawn` size. Never
// larger than the picture on either side (that adds no detail), nor than kDrawDecodeBytes:
// a thin picture framed on a face is drawn millions of pixels tall, and the painter
// stretches a smaller decode as well.
QSize drawDecodeSize(QSize drawn, QSize upright) {
    QSize size = drawn.boundedTo(upright).expandedTo(QSize(1, 1));
    const qint64 bytes = qint64(size.width()) * size.height() * 4;
    if (bytes > kDrawDecodeBytes) {
        const double shrink = std::sqrt(double(kDrawDecodeBytes) / double(bytes));
        size = QSize(qMax(1, int(size.width() * shrink)), qMax(1, int(size.height() * shrink)));
    }
    return size;
}
} // namespace

void Image::drawInRect(QPainter& painter, const QRectF& rect) const {
    if (!d || rect.isEmpty())
        return;
    const QRectF device = painter.transform().mapRect(rect);
    const QSize drawn(qMax(1, qRound(qMin(device.width(), 1e9))),
                      qMax(1, qRound(qMin(device.height(), 1e9))));
    const QSize target = d->file ? drawDecodeSize(drawn, d->uprightSize) : drawn;
    QImage pixels = d->pixels;
    if (d->file && pixels.size() != target) {
        // Drawn at another size than decoded: decode the same bytes again at that size,
        // rather than stretch a small decode up.
        auto again = ImageDecoder::decode(*d->file, target);
        if (again.ok())
            pixels = std::move(again.value());
    }
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(rect, pixels);
    painter.restore();
}

void Image::configureDecoding() {
    ImageDecoder::configure();
}

} // namespace toolkit
