#include "portrait/PortraitComposer.h"

#include "art/AuraBlend.h"
#include "art/AuraOverlayPainter.h"
#include "art/AuraRecipe.h"
#include "art/PortraitFormat.h"
#include "base/Random.h"
#include "base/Resources.h"
#include "portrait/InstantFilm.h"
#include "portrait/PortraitFramer.h"

#include <QColor>
#include <QDir>
#include <QPainter>

namespace {
// The screen's own background, behind the photo: a photo with transparency shows it.
constexpr QRgb kBackground = 0xff101018;

// The picture stretched over the whole portrait; a file is decoded at exactly that size.
QImage stretched(const toolkit::Image& picture, QSize size) {
    QImage canvas(size, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    picture.drawInRect(painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return canvas;
}
} // namespace

int PortraitComposer::drawAuraNumber(int fixed) {
    if (fixed > 0)
        return fixed;
    return int(toolkit::arc4random() % std::uint32_t(PortraitFormat::OverlayCount)) + 1;
}

QSize PortraitComposer::portraitSize(int scale) {
    return QSize(PortraitFormat::Width, PortraitFormat::Height) * qMax(1, scale);
}

PortraitComposer::Layers PortraitComposer::frame(const toolkit::Image& photo, Fit fit,
                                                 int auraNumber,
                                                 const toolkit::FaceDetector& detector, int scale) {
    Layers layers;
    layers.auraNumber = auraNumber;
    layers.scale = qMax(1, scale);
    const QSize size = portraitSize(layers.scale);
    if (fit == Fit::Stretch) {
        layers.photo = stretched(photo, size);
    } else {
        PortraitFramer::Framed framed = PortraitFramer::frame(photo, detector, auraNumber, size);
        layers.photo = std::move(framed.photo);
        layers.aura = std::move(framed.aura);
        layers.faceFound = framed.faceFound;
    }
    // A larger portrait gets its aura drawn at its own size: the shipped overlays are the
    // 360 × 480 ones, and enlarged their smoke would blur.
    if (layers.scale > 1 && layers.aura.isNull() && auraNumber > 0) {
        const AuraOverlayPainter painter(size, QTransform::fromScale(layers.scale, layers.scale));
        layers.aura = painter.paint(AuraRecipe::forIndex(auraNumber));
    }
    return layers;
}

PortraitComposer::Layers PortraitComposer::withoutAura(const toolkit::Image& picture, int scale) {
    Layers layers;
    layers.scale = qMax(1, scale);
    if (!picture.isNull())
        layers.photo = stretched(picture, portraitSize(layers.scale));
    return layers;
}

toolkit::Result<toolkit::Image> PortraitComposer::aura(const Layers& layers) {
    using Outcome = toolkit::Result<toolkit::Image>;
    if (!layers.aura.isNull())
        return Outcome::success(toolkit::Image(layers.aura));
    if (layers.auraNumber <= 0)
        return Outcome::success(toolkit::Image());
    const QString name = QStringLiteral("%1.png").arg(layers.auraNumber);
    const toolkit::Image overlay = toolkit::Image::imageNamed(name, 1.0);
    if (overlay.isNull())
        return Outcome::failure(QStringLiteral("the aura overlay \"%1\" is missing from %2")
                                    .arg(name, QDir::toNativeSeparators(toolkit::resourcePath())));
    return Outcome::success(overlay);
}

toolkit::Result<QImage> PortraitComposer::paint(const Layers& layers) {
    const auto overlay = aura(layers);
    if (!overlay.ok())
        return toolkit::Result<QImage>::failure(overlay.error());
    const QSize size = portraitSize(layers.scale);
    const QRectF whole(QPointF(0, 0), QSizeF(size));
    QImage portrait(size, QImage::Format_ARGB32_Premultiplied);
    portrait.fill(QColor::fromRgba(kBackground));
    QPainter painter(&portrait);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    if (!layers.photo.isNull())
        painter.drawImage(whole, layers.photo);
    painter.end();
    if (!overlay.value().isNull()) {
        QImage aura = overlay.value().toQImage();
        if (aura.size() != size)
            aura = aura.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        AuraBlend::apply(portrait, aura);
        // A portrait is one print: the film is over photo and glow together.
        InstantFilm::develop(portrait, layers.scale);
    }
    return toolkit::Result<QImage>::success(std::move(portrait));
}
