#include "art/SilhouettePainter.h"

#include "art/Blur.h"
#include "art/PortraitFormat.h"
#include "art/PortraitGeometry.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>

namespace {

void paintHint(QPainter& painter) {
    QFont font("DejaVu Sans");
    font.setPixelSize(13);
    font.setWeight(QFont::DemiBold);
    painter.setFont(font);
    const QString hint = QStringLiteral("Fit the head and shoulders in the outline");
    const QRectF box(18.0, 40.0, PortraitFormat::Width - 36.0, 30.0);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(10, 6, 24, 130));
    painter.drawRoundedRect(box, 15.0, 15.0);
    painter.setPen(QColor(255, 255, 255, 240));
    painter.drawText(box, Qt::AlignCenter, hint);
}

} // namespace

QImage SilhouettePainter::framingGuide(qreal scale) {
    QImage image(qRound(PortraitFormat::Width * scale), qRound(PortraitFormat::Height * scale),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    const QPainterPath outline = PortraitGeometry::silhouette();

    // The dark halo keeps the white dashes readable over bright backgrounds too.
    QImage shadow(image.size(), QImage::Format_ARGB32_Premultiplied);
    shadow.setDevicePixelRatio(scale);
    shadow.fill(Qt::transparent);
    {
        QPainter painter(&shadow);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(QPen(QColor(0, 0, 0, 150), 6.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(outline);
    }
    Blur::apply(shadow, qRound(2 * scale));

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.drawImage(0, 0, shadow);
    QPen dash(QColor(255, 255, 255, 235), 2.6, Qt::CustomDashLine, Qt::RoundCap, Qt::RoundJoin);
    dash.setDashPattern({3.0, 2.2});
    painter.setPen(dash);
    painter.drawPath(outline);
    paintHint(painter);
    return image;
}

void SilhouettePainter::paintFigure(QPainter& painter) {
    const QPainterPath figure = PortraitGeometry::silhouette();
    QLinearGradient fill(0.0, 95.0, 0.0, PortraitFormat::Height);
    fill.setColorAt(0.0, QColor(46, 36, 88));
    fill.setColorAt(0.45, QColor(30, 23, 62));
    fill.setColorAt(1.0, QColor(16, 12, 36));
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(QColor(214, 196, 255, 110), 1.6));
    painter.setBrush(fill);
    painter.drawPath(figure);
    painter.restore();
}
