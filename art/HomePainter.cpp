#include "art/HomePainter.h"

#include "art/AuraOverlayPainter.h"
#include "art/AuraRecipe.h"
#include "art/Blur.h"
#include "art/PortraitFormat.h"
#include "art/PortraitGeometry.h"
#include "art/Rng.h"
#include "art/SilhouettePainter.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

namespace {

const QColor Night(12, 9, 28);

void paintBackground(QPainter& painter) {
    const QRectF all(0.0, 0.0, PortraitFormat::Width, PortraitFormat::Height);
    QLinearGradient sky(0.0, 0.0, 0.0, PortraitFormat::Height);
    sky.setColorAt(0.0, QColor(30, 18, 58));
    sky.setColorAt(0.55, QColor(20, 13, 42));
    sky.setColorAt(1.0, Night);
    painter.fillRect(all, sky);

    QRadialGradient bloom(QPointF(180.0, 230.0), 230.0);
    bloom.setColorAt(0.0, QColor(120, 70, 200, 90));
    bloom.setColorAt(1.0, QColor(120, 70, 200, 0));
    painter.fillRect(all, bloom);

    Rng rng(0x57A125ull);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 70; ++i) {
        const QPointF at(rng.uniform(0.0, PortraitFormat::Width),
                         rng.uniform(0.0, PortraitFormat::Height * 0.8));
        const double radius = rng.uniform(0.4, 1.3);
        painter.setBrush(QColor(255, 244, 230, static_cast<int>(rng.uniform(40.0, 150.0))));
        painter.drawEllipse(at, radius, radius);
    }
}

// A smaller figure than in a portrait leaves room for the name above and the hint below.
void paintFigure(QPainter& painter, qreal scale) {
    QTransform placement;
    placement.translate(180.0, 244.0);
    placement.scale(0.8, 0.8);
    placement.translate(-PortraitGeometry::headCentre().x(), -PortraitGeometry::headCentre().y());
    const AuraOverlayPainter aura(
        QSize(qRound(PortraitFormat::Width * scale), qRound(PortraitFormat::Height * scale)),
        placement * QTransform::fromScale(scale, scale));
    painter.save();
    painter.setTransform(placement, true);
    SilhouettePainter::paintFigure(painter);
    painter.restore();
    QImage glow = aura.paint(AuraRecipe::showcase(0.9f));
    glow.setDevicePixelRatio(scale);
    painter.drawImage(0, 0, glow);
}

void paintGlowingText(QPainter& painter, const QRectF& box, const QFont& font, const QString& text,
                      const QColor& colour, const QColor& glowColour, int glowRadius) {
    const qreal scale = painter.device()->devicePixelRatioF();
    QImage glow(qRound(PortraitFormat::Width * scale), qRound(PortraitFormat::Height * scale),
                QImage::Format_ARGB32_Premultiplied);
    glow.setDevicePixelRatio(scale);
    glow.fill(Qt::transparent);
    {
        QPainter glowPainter(&glow);
        glowPainter.setRenderHint(QPainter::TextAntialiasing, true);
        glowPainter.setFont(font);
        glowPainter.setPen(glowColour);
        glowPainter.drawText(box, Qt::AlignCenter, text);
    }
    Blur::apply(glow, qRound(glowRadius * scale));
    painter.drawImage(0, 0, glow);
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(box, Qt::AlignCenter, text);
}

void paintTexts(QPainter& painter) {
    QFont title("DejaVu Serif");
    title.setPixelSize(46);
    title.setLetterSpacing(QFont::AbsoluteSpacing, 3.0);
    paintGlowingText(painter, QRectF(0.0, 26.0, PortraitFormat::Width, 60.0), title,
                     QStringLiteral("Velmora"), QColor(255, 250, 255), QColor(200, 140, 255), 6);

    QFont tagline("DejaVu Sans");
    tagline.setPixelSize(11);
    tagline.setLetterSpacing(QFont::AbsoluteSpacing, 4.0);
    painter.setFont(tagline);
    painter.setPen(QColor(216, 200, 255, 200));
    painter.drawText(QRectF(0.0, 84.0, PortraitFormat::Width, 18.0), Qt::AlignCenter,
                     QStringLiteral("AURA PORTRAITS"));

    QLinearGradient panel(0.0, 370.0, 0.0, 452.0);
    QColor clear = Night;
    clear.setAlpha(0);
    QColor solid = Night;
    solid.setAlpha(240);
    panel.setColorAt(0.0, clear);
    panel.setColorAt(1.0, solid);
    painter.fillRect(QRectF(0.0, 370.0, PortraitFormat::Width, 82.0), panel);
    painter.fillRect(QRectF(0.0, 452.0, PortraitFormat::Width, 28.0), solid);

    QFont hint("DejaVu Sans");
    hint.setPixelSize(15);
    painter.setFont(hint);
    painter.setPen(QColor(255, 255, 255, 235));
    painter.drawText(QRectF(10.0, 420.0, PortraitFormat::Width - 20.0, 48.0), Qt::AlignCenter,
                     QStringLiteral("Take a photo or choose one\nto see your aura"));
}

} // namespace

QImage HomePainter::paint(qreal scale) {
    // The painter works in portrait units; the pixel ratio puts `scale` pixels in each.
    QImage image(qRound(PortraitFormat::Width * scale), qRound(PortraitFormat::Height * scale),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    paintBackground(painter);
    paintFigure(painter, scale);
    paintTexts(painter);
    painter.end();
    // Opaque output: the home screen never needs an alpha channel.
    return image.convertToFormat(QImage::Format_RGB32);
}
