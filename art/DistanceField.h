#pragma once

#include <vector>

class QPainterPath;

// Signed distance to a shape: lets the glow hug any outline at a chosen offset and width.
class DistanceField {
public:
    DistanceField(const QPainterPath& shape, int width, int height);

    int width() const { return m_width; }
    int height() const { return m_height; }
    // Pixels from the outline, positive outside the shape and negative inside.
    float at(int x, int y) const { return m_values[static_cast<std::size_t>(y * m_width + x)]; }

private:
    int m_width;
    int m_height;
    std::vector<float> m_values;
};
