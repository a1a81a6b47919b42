#include "IconPainter.h"

#include "AuraOverlayPainter.h"
#include "AuraRecipe.h"
#include "Blur.h"
#include "PortraitGeometry.h"
#include "SilhouettePainter.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace {

constexpr int ControlSize = 48;
constexpr int ApplicationSize = 256;

void paintCamera(QPainter& painter) {
    QPainterPath body;
    body.addRoundedRect(QRectF(8.0, 16.0, 32.0, 22.0), 4.5, 4.5);
    QPainterPath bump;
    bump.moveTo(17.0, 16.0);
    bump.lineTo(19.5, 11.0);
    bump.lineTo(28.5, 11.0);
    bump.lineTo(31.0, 16.0);
    painter.drawPath(body);
    painter.drawPath(bump);
    painter.drawEllipse(QPointF(24.0, 27.0), 6.0, 6.0);
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawEllipse(QPointF(34.5, 21.0), 1.5, 1.5);
    painter.restore();
}

void paintAlbum(QPainter& painter) {
    painter.drawRoundedRect(QRectF(8.0, 10.0, 32.0, 28.0), 4.5, 4.5);
    QPainterPath hills;
    hills.moveTo(10.0, 34.0);
    hills.lineTo(19.0, 24.0);
    hills.lineTo(25.5, 30.5);
    hills.lineTo(29.5, 26.5);
    hills.lineTo(38.0, 34.0);
    painter.drawPath(hills);
    painter.drawEllipse(QPointF(30.5, 18.5), 2.8, 2.8);
}

void paintSave(QPainter& painter) {
    painter.drawLine(QPointF(24.0, 8.0), QPointF(24.0, 29.0));
    QPainterPath head;
    head.moveTo(16.0, 21.0);
    head.lineTo(24.0, 29.0);
    head.lineTo(32.0, 21.0);
    painter.drawPath(head);
    QPainterPath tray;
    tray.moveTo(9.0, 28.0);
    tray.lineTo(9.0, 35.0);
    tray.quadTo(9.0, 39.0, 13.0, 39.0);
    tray.lineTo(35.0, 39.0);
    tray.quadTo(39.0, 39.0, 39.0, 35.0);
    tray.lineTo(39.0, 28.0);
    painter.drawPath(tray);
}

void paintAbout(QPainter& painter) {
    painter.drawEllipse(QPointF(24.0, 24.0), 16.0, 16.0);
    painter.drawLine(QPointF(24.0, 22.0), QPointF(24.0, 32.0));
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawEllipse(QPointF(24.0, 16.0), 2.2, 2.2);
    painter.restore();
}

void paintMeanings(QPainter& painter) {
    QPainterPath disc;
    disc.addEllipse(QPointF(24.0, 24.0), 16.0, 15.0);
    QPainterPath notch;
    notch.addEllipse(QPointF(36.0, 31.0), 6.5, 6.5);
    painter.drawPath(disc.subtracted(notch));
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    const QPointF wells[] = {{16.5, 20.0}, {23.0, 15.0}, {31.0, 17.0}, {17.5, 28.5}};
    for (const QPointF& well : wells) {
        painter.drawEllipse(well, 2.6, 2.6);
    }
    painter.restore();
}

void paintClose(QPainter& painter) {
    painter.drawLine(QPointF(14.0, 14.0), QPointF(34.0, 34.0));
    painter.drawLine(QPointF(34.0, 14.0), QPointF(14.0, 34.0));
}

QImage withShadow(const QImage& glyph, int radius, double opacity, double drop) {
    QImage shadow = glyph;
    {
        QPainter painter(&shadow);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(shadow.rect(), QColor(0, 0, 0));
    }
    Blur::apply(shadow, radius);
    QImage result(glyph.size(), QImage::Format_ARGB32_Premultiplied);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.setOpacity(opacity);
    painter.drawImage(QPointF(0.0, drop), shadow);
    painter.setOpacity(1.0);
    painter.drawImage(0, 0, glyph);
    return result;
}

} // namespace

QString IconPainter::fileName(Control control) {
    switch (control) {
    case Control::Camera:
        return QStringLiteral("icon-camera.png");
    case Control::Album:
        return QStringLiteral("icon-album.png");
    case Control::Save:
        return QStringLiteral("icon-save.png");
    case Control::About:
        return QStringLiteral("icon-about.png");
    case Control::Meanings:
        return QStringLiteral("icon-meanings.png");
    case Control::Close:
        return QStringLiteral("icon-close.png");
    }
    return QString();
}

QImage IconPainter::paint(Control control) {
    QImage glyph(ControlSize, ControlSize, QImage::Format_ARGB32_Premultiplied);
    glyph.fill(Qt::transparent);
    {
        QPainter painter(&glyph);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(QPen(Qt::white, 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        switch (control) {
        case Control::Camera:
            paintCamera(painter);
            break;
        case Control::Album:
            paintAlbum(painter);
            break;
        case Control::Save:
            paintSave(painter);
            break;
        case Control::About:
            paintAbout(painter);
            break;
        case Control::Meanings:
            paintMeanings(painter);
            break;
        case Control::Close:
            paintClose(painter);
            break;
        }
    }
    return withShadow(glyph, 2, 0.65, 1.0);
}

QImage IconPainter::paintApplicationIcon() {
    QImage icon(ApplicationSize, ApplicationSize, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    const QRectF tile(8.0, 8.0, ApplicationSize - 16.0, ApplicationSize - 16.0);
    QPainterPath shape;
    shape.addRoundedRect(tile, 54.0, 54.0);

    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    QRadialGradient backdrop(QPointF(128.0, 112.0), 150.0);
    backdrop.setColorAt(0.0, QColor(62, 38, 118));
    backdrop.setColorAt(1.0, QColor(16, 10, 36));
    painter.fillPath(shape, backdrop);

    QTransform placement;
    placement.translate(128.0, 124.0);
    placement.scale(0.66, 0.66);
    placement.translate(-PortraitGeometry::headCentre().x(), -PortraitGeometry::headCentre().y());
    const AuraOverlayPainter aura(icon.size(), placement);
    painter.save();
    painter.setClipPath(shape);
    painter.setTransform(placement);
    SilhouettePainter::paintFigure(painter);
    painter.resetTransform();
    painter.drawImage(0, 0, aura.paint(AuraRecipe::showcase(0.97f, 14)));
    painter.restore();

    painter.setPen(QPen(QColor(255, 255, 255, 50), 2.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(shape);
    return icon;
}
