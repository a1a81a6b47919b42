#include "art/RevealPainter.h"

#include "art/Blur.h"
#include "art/PortraitFormat.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

namespace {

void paintVignette(QImage& image) {
    const float cx = static_cast<float>(image.width()) / 2.0f;
    const float cy = static_cast<float>(image.height()) / 2.0f;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const float dx = (static_cast<float>(x) + 0.5f - cx) / cx;
            const float dy = (static_cast<float>(y) + 0.5f - cy) / cy;
            const float r = std::sqrt(dx * dx + dy * dy);
            const float t = std::clamp((r - 0.7f) / 0.65f, 0.0f, 1.0f);
            const float alpha = 0.5f * t * t * (3.0f - 2.0f * t);
            line[x] = qRgba(static_cast<int>(18.0f * alpha), static_cast<int>(8.0f * alpha),
                            static_cast<int>(40.0f * alpha), static_cast<int>(255.0f * alpha));
        }
    }
}

void paintStar(QPainter& painter, QPointF centre, double size, const QColor& colour) {
    QPainterPath star;
    const double waist = size * 0.18;
    star.moveTo(centre.x(), centre.y() - size);
    star.quadTo(centre.x() + waist, centre.y() - waist, centre.x() + size, centre.y());
    star.quadTo(centre.x() + waist, centre.y() + waist, centre.x(), centre.y() + size);
    star.quadTo(centre.x() - waist, centre.y() + waist, centre.x() - size, centre.y());
    star.quadTo(centre.x() - waist, centre.y() - waist, centre.x(), centre.y() - size);
    QRadialGradient glow(centre, size * 1.6);
    QColor soft = colour;
    soft.setAlphaF(0.35f);
    glow.setColorAt(0.0, soft);
    glow.setColorAt(1.0, Qt::transparent);
    painter.setPen(Qt::NoPen);
    painter.setBrush(glow);
    painter.drawEllipse(centre, size * 1.6, size * 1.6);
    painter.setBrush(colour);
    painter.drawPath(star);
}

} // namespace

QImage RevealPainter::paint(qreal scale) {
    QImage image(qRound(PortraitFormat::Width * scale), qRound(PortraitFormat::Height * scale),
                 QImage::Format_ARGB32_Premultiplied);
    paintVignette(image);
    image.setDevicePixelRatio(scale);

    const QRectF frame(12.5, 12.5, PortraitFormat::Width - 25.0, PortraitFormat::Height - 25.0);
    QImage glow(image.size(), QImage::Format_ARGB32_Premultiplied);
    glow.setDevicePixelRatio(scale);
    glow.fill(Qt::transparent);
    {
        QPainter painter(&glow);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(QPen(QColor(190, 150, 255, 150), 6.0));
        painter.drawRoundedRect(frame, 20.0, 20.0);
    }
    Blur::apply(glow, qRound(4 * scale));

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.drawImage(0, 0, glow);
    painter.setPen(QPen(QColor(255, 255, 255, 110), 1.2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(frame, 20.0, 20.0);

    const QColor starColour(255, 248, 236, 215);
    paintStar(painter, QPointF(28.0, 28.0), 7.0, starColour);
    paintStar(painter, QPointF(PortraitFormat::Width - 28.0, 28.0), 5.0, starColour);
    paintStar(painter, QPointF(28.0, PortraitFormat::Height - 28.0), 5.0, starColour);
    paintStar(painter, QPointF(PortraitFormat::Width - 28.0, PortraitFormat::Height - 28.0), 7.0,
              starColour);
    paintStar(painter, QPointF(46.0, 22.0), 2.5, starColour);
    paintStar(painter, QPointF(PortraitFormat::Width - 46.0, PortraitFormat::Height - 22.0), 2.5,
              starColour);
    return image;
}
