#pragma once

class QImage;

// Repeated box blurs approximate a Gaussian at a fraction of its cost.
class Blur {
public:
    static void apply(QImage& image, int radius, int passes = 3);
};
