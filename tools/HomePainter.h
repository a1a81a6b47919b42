#pragma once

#include <QImage>

// The welcome picture: name, a glowing figure and a one-line hint of what to do.
class HomePainter {
public:
    static QImage paint();
};
