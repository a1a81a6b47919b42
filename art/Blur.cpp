#include "art/Blur.h"

#include <QImage>

#include <algorithm>
#include <vector>

namespace {

// Works on one line of premultiplied pixels, reached through a stride so rows and columns share it.
void blurLine(QRgb* line, int count, int stride, int radius, std::vector<QRgb>& scratch) {
    scratch.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        scratch[static_cast<std::size_t>(i)] = line[i * stride];
    }
    const int window = 2 * radius + 1;
    int sum[4] = {0, 0, 0, 0};
    auto add = [&](int index, int sign) {
        const QRgb p = scratch[static_cast<std::size_t>(std::clamp(index, 0, count - 1))];
        sum[0] += sign * qAlpha(p);
        sum[1] += sign * qRed(p);
        sum[2] += sign * qGreen(p);
        sum[3] += sign * qBlue(p);
    };
    for (int i = -radius; i <= radius; ++i) {
        add(i, 1);
    }
    for (int i = 0; i < count; ++i) {
        line[i * stride] = qRgba((sum[1] + window / 2) / window, (sum[2] + window / 2) / window,
                                 (sum[3] + window / 2) / window, (sum[0] + window / 2) / window);
        add(i + radius + 1, 1);
        add(i - radius, -1);
    }
}

} // namespace

void Blur::apply(QImage& image, int radius, int passes) {
    if (radius < 1 || image.isNull()) {
        return;
    }
    if (image.format() != QImage::Format_ARGB32_Premultiplied) {
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    const int width = image.width();
    const int height = image.height();
    const int stride = static_cast<int>(image.bytesPerLine() / 4);
    auto* pixels = reinterpret_cast<QRgb*>(image.bits());
    std::vector<QRgb> scratch;
    for (int pass = 0; pass < passes; ++pass) {
        for (int y = 0; y < height; ++y) {
            blurLine(pixels + y * stride, width, 1, radius, scratch);
        }
        for (int x = 0; x < width; ++x) {
            blurLine(pixels + x, height, stride, radius, scratch);
        }
    }
}
