#include "art/PortraitGeometry.h"

#include "art/PortraitFormat.h"

QPointF PortraitGeometry::headCentre() {
    return QPointF(180.0, 190.0);
}

QRectF PortraitGeometry::headRect() {
    return QRectF(105.0, 95.0, 150.0, 190.0);
}

QRectF PortraitGeometry::faceRect() {
    return QRectF(120.0, 110.0, 120.0, 160.0);
}

QPointF PortraitGeometry::auraCentre() {
    return QPointF(180.0, 230.0);
}

QPainterPath PortraitGeometry::silhouette() {
    const double bottom = PortraitFormat::Height + 14.0;
    QPainterPath body;
    body.moveTo(-2.0, bottom);
    body.cubicTo(2.0, 436.0, 18.0, 394.0, 58.0, 374.0);
    // The neck is as wide as a real one under a face that fills the oval, so the glow that hugs
    // it stays off the jaw.
    body.cubicTo(96.0, 356.0, 128.0, 346.0, 135.0, 318.0);
    body.cubicTo(137.0, 298.0, 136.0, 282.0, 134.0, 250.0);
    body.lineTo(226.0, 250.0);
    body.cubicTo(224.0, 282.0, 223.0, 298.0, 225.0, 318.0);
    body.cubicTo(232.0, 346.0, 264.0, 356.0, 302.0, 374.0);
    body.cubicTo(342.0, 394.0, 358.0, 436.0, 362.0, bottom);
    body.closeSubpath();

    QPainterPath head;
    head.addEllipse(headRect());
    return head.united(body).simplified();
}
