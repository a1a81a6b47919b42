#pragma once

#include <QImage>

class QPainter;

// The head-and-shoulders figure: as a guide over the camera view and as a solid shape in artwork.
class SilhouettePainter {
public:
    // At `scale` times the portrait's size (2 for a "@2x" picture).
    static QImage framingGuide(qreal scale = 1.0);
    // Fills the figure in portrait coordinates; the painter's transform places it.
    static void paintFigure(QPainter& painter);
};
