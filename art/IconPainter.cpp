#include "art/IconPainter.h"

#include "art/AuraOverlayPainter.h"
#include "art/AuraRecipe.h"
#include "art/Blur.h"
#include "art/PortraitGeometry.h"
#include "art/SilhouettePainter.h"

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

// A face in the corners of a viewfinder: the photo is cut around the face.
void paintFitToFace(QPainter& painter) {
    const QPointF corners[][3] = {{{9, 17}, {9, 9}, {17, 9}},
                                  {{31, 9}, {39, 9}, {39, 17}},
                                  {{39, 31}, {39, 39}, {31, 39}},
                                  {{17, 39}, {9, 39}, {9, 31}}};
    for (const auto& corner : corners)
        painter.drawPolyline(corner, 3);
    painter.drawEllipse(QPointF(24.0, 24.0), 7.5, 9.5);
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
    case Control::FitToFace:
        return QStringLiteral("icon-fit-to-face.png");
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
        case Control::FitToFace:
            paintFitToFace(painter);
            break;
        }
    }
    return withShadow(glyph, 2, 0.65, 1.0);
}

QImage IconPainter::paintApplicationIcon(int size) {
    // Drawn in the units of a 256-pixel icon, scaled to `size` (a painter does not scale
    // down by a pixel ratio below 1).
    const qreal scale = qreal(size) / ApplicationSize;
    const QTransform toPixels = QTransform::fromScale(scale, scale);
    QImage icon(size, size, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    const QRectF tile(8.0, 8.0, ApplicationSize - 16.0, ApplicationSize - 16.0);
    QPainterPath shape;
    shape.addRoundedRect(tile, 54.0, 54.0);

    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.setTransform(toPixels);
    QRadialGradient backdrop(QPointF(128.0, 112.0), 150.0);
    backdrop.setColorAt(0.0, QColor(62, 38, 118));
    backdrop.setColorAt(1.0, QColor(16, 10, 36));
    painter.fillPath(shape, backdrop);

    QTransform placement;
    placement.translate(128.0, 124.0);
    placement.scale(0.66, 0.66);
    placement.translate(-PortraitGeometry::headCentre().x(), -PortraitGeometry::headCentre().y());
    const AuraOverlayPainter aura(icon.size(), placement * toPixels);
    painter.save();
    painter.setClipPath(shape);
    painter.setTransform(placement * toPixels);
    SilhouettePainter::paintFigure(painter);
    // The glow is painted at the icon's own pixels.
    painter.resetTransform();
    painter.drawImage(0, 0, aura.paint(AuraRecipe::showcase(0.97f)));
    painter.restore();

    painter.setPen(QPen(QColor(255, 255, 255, 50), 2.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(shape);
    return icon;
}

namespace {
QString svgPath(const QPainterPath& path, const QTransform& placement) {
    QString data;
    const QPainterPath placed = placement.map(path);
    for (int i = 0; i < placed.elementCount(); ++i) {
        const QPainterPath::Element e = placed.elementAt(i);
        switch (e.type) {
        case QPainterPath::MoveToElement:
            data += QStringLiteral("M%1 %2 ").arg(e.x, 0, 'f', 2).arg(e.y, 0, 'f', 2);
            break;
        case QPainterPath::LineToElement:
            data += QStringLiteral("L%1 %2 ").arg(e.x, 0, 'f', 2).arg(e.y, 0, 'f', 2);
            break;
        case QPainterPath::CurveToElement:
            data += QStringLiteral("C%1 %2 ").arg(e.x, 0, 'f', 2).arg(e.y, 0, 'f', 2);
            break;
        case QPainterPath::CurveToDataElement:
            data += QStringLiteral("%1 %2 ").arg(e.x, 0, 'f', 2).arg(e.y, 0, 'f', 2);
            break;
        }
    }
    return data.trimmed() + QStringLiteral(" Z");
}
} // namespace

QByteArray IconPainter::applicationIconSvg() {
    QTransform placement;
    placement.translate(128.0, 124.0);
    placement.scale(0.66, 0.66);
    placement.translate(-PortraitGeometry::headCentre().x(), -PortraitGeometry::headCentre().y());
    const QPointF head = placement.map(PortraitGeometry::headCentre());
    const QString figure = svgPath(PortraitGeometry::silhouette(), placement);
    // The raster icon's glow, as layered radial gradients: violet round the head, a warm
    // and a cool side, a soft rim along the shoulders.
    QString svg = QStringLiteral(
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
        "viewBox=\"0 0 256 256\">\n"
        "<defs>\n"
        "<radialGradient id=\"night\" cx=\"128\" cy=\"112\" r=\"150\" "
        "gradientUnits=\"userSpaceOnUse\"><stop offset=\"0\" stop-color=\"#3e2676\"/>"
        "<stop offset=\"1\" stop-color=\"#100a24\"/></radialGradient>\n"
        "<radialGradient id=\"crown\"><stop offset=\"0\" stop-color=\"#f0d8ff\" "
        "stop-opacity=\"1\"/><stop offset=\"0.5\" stop-color=\"#a066ff\" "
        "stop-opacity=\"0.85\"/><stop offset=\"1\" stop-color=\"#8f5cff\" "
        "stop-opacity=\"0\"/></radialGradient>\n"
        "<radialGradient id=\"warm\"><stop offset=\"0\" stop-color=\"#ffc04d\" "
        "stop-opacity=\"1\"/><stop offset=\"1\" stop-color=\"#ff6a3d\" "
        "stop-opacity=\"0\"/></radialGradient>\n"
        "<radialGradient id=\"cool\"><stop offset=\"0\" stop-color=\"#40f0e0\" "
        "stop-opacity=\"1\"/><stop offset=\"1\" stop-color=\"#3a7bff\" "
        "stop-opacity=\"0\"/></radialGradient>\n"
        "<linearGradient id=\"figure\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"1\">"
        "<stop offset=\"0\" stop-color=\"#2e2458\"/><stop offset=\"1\" "
        "stop-color=\"#100c24\"/></linearGradient>\n"
        "<clipPath id=\"tile\"><rect x=\"8\" y=\"8\" width=\"240\" height=\"240\" "
        "rx=\"54\"/></clipPath>\n"
        "</defs>\n"
        "<rect x=\"8\" y=\"8\" width=\"240\" height=\"240\" rx=\"54\" "
        "fill=\"url(#night)\"/>\n"
        "<g clip-path=\"url(#tile)\">\n"
        "<ellipse cx=\"%1\" cy=\"%2\" rx=\"110\" ry=\"118\" fill=\"url(#crown)\"/>\n"
        "<ellipse cx=\"%3\" cy=\"%4\" rx=\"80\" ry=\"100\" fill=\"url(#warm)\"/>\n"
        "<ellipse cx=\"%5\" cy=\"%4\" rx=\"80\" ry=\"100\" fill=\"url(#cool)\"/>\n"
        "<path d=\"%6\" fill=\"url(#figure)\" stroke=\"#d6c4ff\" stroke-opacity=\"0.45\" "
        "stroke-width=\"1.2\"/>\n"
        "</g>\n"
        "<rect x=\"8\" y=\"8\" width=\"240\" height=\"240\" rx=\"54\" fill=\"none\" "
        "stroke=\"#ffffff\" stroke-opacity=\"0.2\" stroke-width=\"2\"/>\n"
        "</svg>\n");
    svg = svg.arg(head.x(), 0, 'f', 1)
              .arg(head.y() - 6.0, 0, 'f', 1)
              .arg(head.x() - 62.0, 0, 'f', 1)
              .arg(head.y() + 40.0, 0, 'f', 1)
              .arg(head.x() + 62.0, 0, 'f', 1)
              .arg(figure);
    return svg.toUtf8();
}
