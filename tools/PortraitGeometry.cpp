#include "PortraitGeometry.h"

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
    const double bottom = Height + 14.0;
    QPainterPath body;
    body.moveTo(-2.0, bottom);
    body.cubicTo(2.0, 436.0, 18.0, 394.0, 58.0, 374.0);
    body.cubicTo(96.0, 356.0, 138.0, 346.0, 148.0, 320.0);
    body.cubicTo(151.0, 300.0, 151.0, 282.0, 150.0, 250.0);
    body.lineTo(210.0, 250.0);
    body.cubicTo(209.0, 282.0, 209.0, 300.0, 212.0, 320.0);
    body.cubicTo(222.0, 346.0, 264.0, 356.0, 302.0, 374.0);
    body.cubicTo(342.0, 394.0, 358.0, 436.0, 362.0, bottom);
    body.closeSubpath();

    QPainterPath head;
    head.addEllipse(headRect());
    return head.united(body).simplified();
}
