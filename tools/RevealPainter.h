#pragma once

#include <QImage>

// A light frame over the camera view that hints something magical is about to appear.
class RevealPainter {
public:
    static QImage paint();
};
