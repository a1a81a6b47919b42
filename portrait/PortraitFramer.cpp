#include "portrait/PortraitFramer.h"

#include "art/AuraOverlayPainter.h"
#include "art/AuraRecipe.h"
#include "art/FaceFraming.h"
#include "art/PortraitFormat.h"
#include "base/Resources.h"
#include "imaging/PngFileReader.h"
#include "portrait/PortraitBackdrop.h"

#include <QPainter>
#include <optional>

PortraitFramer::Framed PortraitFramer::frame(const toolkit::Image& photo,
                                             const toolkit::FaceDetector& detector, int auraNumber,
                                             QSize portrait) {
    const QSize size = photo.size();
    std::optional<QRectF> face;
    const QImage reduced = photo.coveringFit(QSize(kDetectionSide, kDetectionSide));
    if (!reduced.isNull() && !size.isEmpty()) {
        QRect largest;
        for (const QRect& box : detector.findFaces(reduced)) {
            if (qint64(box.width()) * box.height() > qint64(largest.width()) * largest.height())
                largest = box;
        }
        if (!largest.isEmpty()) {
            const double sx = double(size.width()) / reduced.width();
            const double sy = double(size.height()) / reduced.height();
            face = QRectF(largest.x() * sx, largest.y() * sy, largest.width() * sx,
                          largest.height() * sy);
        }
    }
    const FaceFraming framing(QSizeF(size), face);

    Framed framed;
    framed.faceFound = framing.hasFace();
    framed.placement = framing.auraPlacement();
    QImage canvas(portrait, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    {
        // The whole photo drawn at the crop's scale and shifted; the canvas cuts it. A file is
        // decoded at that scale, which the framing keeps a few times the portrait at most.
        const QRectF crop = framing.crop();
        const double scale = portrait.height() / crop.height();
        const QRectF whole(-crop.x() * scale, -crop.y() * scale, size.width() * scale,
                           size.height() * scale);
        QImage backdrop;
        if (framing.needsBackdrop() && !reduced.isNull()) {
            backdrop = PortraitBackdrop::make(reduced, whole, portrait);
            canvas = backdrop;
            framed.photoRect = whole.intersected(QRectF(QPointF(0, 0), QSizeF(portrait)));
        }
        QPainter painter(&canvas);
        if (!reduced.isNull() && whole.width() <= reduced.width() * kReuseEnlargement &&
            whole.height() <= reduced.height() * kReuseEnlargement) {
            // The copy faces were looked for in is sharp enough: no second decode.
            painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
            painter.drawImage(whole, reduced);
        } else {
            photo.drawInRect(painter, whole);
        }
        painter.end();
        if (!backdrop.isNull())
            PortraitBackdrop::feather(canvas, backdrop, whole);
    }
    framed.photo = std::move(canvas);
    if (!framed.placement.isIdentity()) {
        // The placement is in the 360 × 480 portrait's units.
        const double scale = double(portrait.width()) / PortraitFormat::Width;
        const AuraOverlayPainter painter(portrait,
                                         framed.placement * QTransform::fromScale(scale, scale));
        // The shipped wide glow, resampled, is the same aura at a fraction of the painting.
        // Read here rather than through the named pictures' cache, which is the GUI
        // thread's: framing runs on any thread.
        if (painter.wideGlowServes()) {
            const QString wide =
                toolkit::resourcePath() + QStringLiteral("/glow-%1.png").arg(auraNumber);
            framed.aura = painter.paint(toolkit::PngFileReader::read(wide));
        }
        if (framed.aura.isNull())
            framed.aura = painter.paint(AuraRecipe::forIndex(auraNumber));
    }
    return framed;
}
