#pragma once

#include <QImage>

class QPainter;

// The head-and-shoulders figure: as a guide over the camera view and as a solid shape in artwork.
class SilhouettePainter {
public:
    static QImage framingGuide();
    // Fills the figure in portrait coordinates; the painter's transform places it.
    static void paintFigure(QPainter& painter);
};
