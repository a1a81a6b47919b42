#pragma once

#include <QPainterPath>
#include <QPointF>
#include <QRectF>

// Where the person sits in every portrait; overlays, outline and artwork all agree on it.
class PortraitGeometry {
public:
    static QPointF headCentre();
    static QRectF headRect();
    static QRectF faceRect();
    // Angles around this point sweep from one shoulder over the head to the other.
    static QPointF auraCentre();
    // Head and shoulders, reaching past the bottom edge so an outline of it never shows there.
    static QPainterPath silhouette();
};
