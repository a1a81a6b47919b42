#pragma once

#include <QImage>

// A light frame over the camera view that hints something magical is about to appear.
class RevealPainter {
public:
    // At `scale` times the portrait's size (2 for a "@2x" picture).
    static QImage paint(qreal scale = 1.0);
};
