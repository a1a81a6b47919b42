#include "art/DistanceField.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

constexpr float Far = 1e20f;

// Exact squared distance in one dimension (lower envelope of parabolas).
void transformLine(const std::vector<float>& f, int n, std::vector<float>& out,
                   std::vector<int>& hull, std::vector<float>& bounds) {
    int k = 0;
    hull[0] = 0;
    bounds[0] = -Far;
    bounds[1] = Far;
    for (int q = 1; q < n; ++q) {
        float s = 0.0f;
        while (true) {
            const int v = hull[static_cast<std::size_t>(k)];
            s = ((f[static_cast<std::size_t>(q)] + static_cast<float>(q * q)) -
                 (f[static_cast<std::size_t>(v)] + static_cast<float>(v * v))) /
                static_cast<float>(2 * q - 2 * v);
            if (s <= bounds[static_cast<std::size_t>(k)] && k > 0) {
                --k;
            } else {
                break;
            }
        }
        ++k;
        hull[static_cast<std::size_t>(k)] = q;
        bounds[static_cast<std::size_t>(k)] = s;
        bounds[static_cast<std::size_t>(k + 1)] = Far;
    }
    k = 0;
    for (int q = 0; q < n; ++q) {
        while (bounds[static_cast<std::size_t>(k + 1)] < static_cast<float>(q)) {
            ++k;
        }
        const int v = hull[static_cast<std::size_t>(k)];
        out[static_cast<std::size_t>(q)] =
            static_cast<float>((q - v) * (q - v)) + f[static_cast<std::size_t>(v)];
    }
}

std::vector<float> squaredDistance(const std::vector<bool>& feature, int width, int height) {
    std::vector<float> grid(static_cast<std::size_t>(width * height));
    for (std::size_t i = 0; i < grid.size(); ++i) {
        grid[i] = feature[i] ? 0.0f : Far;
    }
    const int longest = std::max(width, height);
    std::vector<float> f(static_cast<std::size_t>(longest));
    std::vector<float> out(static_cast<std::size_t>(longest));
    std::vector<int> hull(static_cast<std::size_t>(longest));
    std::vector<float> bounds(static_cast<std::size_t>(longest + 1));
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y < height; ++y) {
            f[static_cast<std::size_t>(y)] = grid[static_cast<std::size_t>(y * width + x)];
        }
        transformLine(f, height, out, hull, bounds);
        for (int y = 0; y < height; ++y) {
            grid[static_cast<std::size_t>(y * width + x)] = out[static_cast<std::size_t>(y)];
        }
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            f[static_cast<std::size_t>(x)] = grid[static_cast<std::size_t>(y * width + x)];
        }
        transformLine(f, width, out, hull, bounds);
        for (int x = 0; x < width; ++x) {
            grid[static_cast<std::size_t>(y * width + x)] = out[static_cast<std::size_t>(x)];
        }
    }
    return grid;
}

} // namespace

DistanceField::DistanceField(const QPainterPath& shape, int width, int height)
    : m_width(width), m_height(height) {
    QImage mask(width, height, QImage::Format_Grayscale8);
    mask.fill(0);
    {
        QPainter painter(&mask);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.fillPath(shape, QColor(255, 255, 255));
    }
    const std::size_t count = static_cast<std::size_t>(width * height);
    std::vector<bool> inside(count);
    std::vector<bool> outside(count);
    for (int y = 0; y < height; ++y) {
        const uchar* line = mask.constScanLine(y);
        for (int x = 0; x < width; ++x) {
            const bool in = line[x] >= 128;
            inside[static_cast<std::size_t>(y * width + x)] = in;
            outside[static_cast<std::size_t>(y * width + x)] = !in;
        }
    }
    const std::vector<float> toInside = squaredDistance(inside, width, height);
    const std::vector<float> toOutside = squaredDistance(outside, width, height);
    m_values.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        // Half a pixel puts the zero crossing on the outline rather than on a pixel centre.
        m_values[i] = inside[i] ? 0.5f - std::sqrt(toOutside[i]) : std::sqrt(toInside[i]) - 0.5f;
    }
}
