#pragma once

#include <QImage>

// The welcome picture: name, a glowing figure and a one-line hint of what to do.
class HomePainter {
public:
    // At `scale` times the portrait's size (2 for a "@2x" picture), drawn, not enlarged.
    static QImage paint(qreal scale = 1.0);
};
