#include "Resampler.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>
#include <numbers>
#include <vector>

namespace toolkit {

namespace {

constexpr double kLobes = 3.0;

double lanczos(double x) {
    x = std::fabs(x);
    if (x < 1e-9)
        return 1.0;
    if (x >= kLobes)
        return 0.0;
    const double px = std::numbers::pi * x;
    return kLobes * std::sin(px) * std::sin(px / kLobes) / (px * px);
}

// The filter along one axis: for each result pixel, the first source pixel it reads and the
// weights of `span` consecutive source pixels (zero-padded), summing to one.
struct Taps {
    std::vector<int> first;
    std::vector<float> weights;
    int span = 0;
};

// `extent` is the length the source stands for, in source pixels: more than `size` when the
// last pixel of a box-shrunk source averages a partial box.
Taps tapsFor(double extent, int size, int result) {
    const double scale = extent / result;
    const double stretch = std::max(scale, 1.0);
    const double support = kLobes * stretch;
    Taps taps;
    taps.span = int(std::ceil(2 * support)) + 2;
    taps.first.resize(size_t(result));
    taps.weights.assign(size_t(result) * size_t(taps.span), 0.0f);
    std::vector<double> w(size_t(taps.span));
    for (int i = 0; i < result; ++i) {
        const double center = (i + 0.5) * scale;
        const int lo = std::max(0, int(std::floor(center - support)));
        const int hi = std::min({size - 1, int(std::ceil(center + support)), lo + taps.span - 1});
        double sum = 0;
        for (int j = lo; j <= hi; ++j) {
            w[size_t(j - lo)] = lanczos((j + 0.5 - center) / stretch);
            sum += w[size_t(j - lo)];
        }
        taps.first[size_t(i)] = lo;
        float* out = &taps.weights[size_t(i) * size_t(taps.span)];
        if (sum <= 0) {
            // Cannot happen for a sane filter; the nearest pixel is the honest fallback.
            out[std::clamp(int(center) - lo, 0, hi - lo)] = 1.0f;
            continue;
        }
        for (int j = lo; j <= hi; ++j)
            out[j - lo] = float(w[size_t(j - lo)] / sum);
    }
    return taps;
}

// Averages boxes of kx × ky pixels, rounding to the nearest: a cheap first step for large
// reductions that leaves the filter a reduction of two to three, where it costs little.
// A partial box at the right or bottom edge averages the pixels it has.
QImage boxShrunk(const QImage& source, int kx, int ky) {
    const int width = source.width(), height = source.height();
    const int w = (width + kx - 1) / kx, h = (height + ky - 1) / ky;
    QImage out(w, h, source.format());
    if (out.isNull())
        return out;
    std::vector<std::uint32_t> sums(size_t(w) * 4);
    for (int oy = 0; oy < h; ++oy) {
        std::fill(sums.begin(), sums.end(), 0u);
        const int y0 = oy * ky, y1 = std::min(height, y0 + ky);
        for (int y = y0; y < y1; ++y) {
            const uchar* row = source.constScanLine(y);
            for (int ox = 0; ox < w; ++ox) {
                std::uint32_t* sum = &sums[size_t(ox) * 4];
                const int x1 = std::min(width, (ox + 1) * kx);
                for (int x = ox * kx; x < x1; ++x) {
                    const uchar* p = row + size_t(x) * 4;
                    sum[0] += p[0];
                    sum[1] += p[1];
                    sum[2] += p[2];
                    sum[3] += p[3];
                }
            }
        }
        uchar* row = out.scanLine(oy);
        for (int ox = 0; ox < w; ++ox) {
            const std::uint32_t n =
                std::uint32_t((std::min(width, (ox + 1) * kx) - ox * kx) * (y1 - y0));
            for (int c = 0; c < 4; ++c)
                row[ox * 4 + c] = uchar((sums[size_t(ox) * 4 + c] + n / 2) / n);
        }
    }
    return out;
}

QImage filtered(const QImage& source, double extentX, double extentY, QSize target) {
    const int sw = source.width(), sh = source.height();
    const int tw = target.width(), th = target.height();
    const Taps across = tapsFor(extentX, sw, tw);
    const Taps down = tapsFor(extentY, sh, th);
    const size_t stride = size_t(tw) * 4;

    // Across first: it is the larger reduction on a landscape photo shrunk to the portrait,
    // so the second pass reads fewer columns. A pixel's four channels are one vector.
    using Pixel = float __attribute__((vector_size(16)));
    std::vector<float> middle(size_t(sh) * stride);
    std::vector<Pixel> row(static_cast<size_t>(sw));
    for (int y = 0; y < sh; ++y) {
        const uchar* in = source.constScanLine(y);
        for (int x = 0; x < sw; ++x, in += 4)
            row[size_t(x)] = Pixel{float(in[0]), float(in[1]), float(in[2]), float(in[3])};
        float* out = &middle[size_t(y) * stride];
        for (int x = 0; x < tw; ++x) {
            const float* w = &across.weights[size_t(x) * size_t(across.span)];
            const Pixel* p = &row[size_t(across.first[size_t(x)])];
            const int span = std::min(across.span, sw - across.first[size_t(x)]);
            Pixel sum = {0, 0, 0, 0};
            for (int j = 0; j < span; ++j)
                sum += w[j] * p[j];
            std::memcpy(out + size_t(x) * 4, &sum, sizeof sum);
        }
    }

    const bool premultiplied = source.format() == QImage::Format_ARGB32_Premultiplied;
    QImage result(tw, th, source.format());
    if (result.isNull())
        return result;
    std::vector<float> sum(stride);
    for (int y = 0; y < th; ++y) {
        std::fill(sum.begin(), sum.end(), 0.0f);
        const float* w = &down.weights[size_t(y) * size_t(down.span)];
        const int first = down.first[size_t(y)];
        const int span = std::min(down.span, sh - first);
        for (int j = 0; j < span; ++j) {
            const float weight = w[j];
            if (weight == 0.0f)
                continue;
            const float* in = &middle[size_t(first + j) * stride];
            for (size_t k = 0; k < stride; ++k)
                sum[k] += weight * in[k];
        }
        uchar* out = result.scanLine(y);
        for (int x = 0; x < tw; ++x) {
            // Lanczos overshoots at edges: clamp, and keep colour within alpha.
            const auto level = [](float v) { return int(std::clamp(v + 0.5f, 0.0f, 255.0f)); };
            const int alpha = premultiplied ? level(sum[size_t(x) * 4 + 3]) : 255;
            for (int c = 0; c < 3; ++c)
                out[x * 4 + c] = uchar(std::min(alpha, level(sum[size_t(x) * 4 + size_t(c)])));
            out[x * 4 + 3] = uchar(alpha);
        }
    }
    return result;
}

} // namespace

QImage Resampler::scaled(const QImage& source, QSize target) {
    if (source.isNull() || target.isEmpty())
        return QImage();
    // Little-endian ARGB32 is B, G, R, A in memory; the filter treats the four alike.
    QImage pixels = source;
    if (pixels.format() != QImage::Format_RGB32 &&
        pixels.format() != QImage::Format_ARGB32_Premultiplied)
        pixels = pixels.convertToFormat(
            pixels.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (pixels.isNull())
        return QImage();
    try {
        const int kx = std::max(1, pixels.width() / target.width() / 2);
        const int ky = std::max(1, pixels.height() / target.height() / 2);
        const double extentX = double(pixels.width()) / kx;
        const double extentY = double(pixels.height()) / ky;
        if (kx > 1 || ky > 1) {
            pixels = boxShrunk(pixels, kx, ky);
            if (pixels.isNull())
                return QImage();
        }
        QImage result = filtered(pixels, extentX, extentY, target);
        result.setDevicePixelRatio(source.devicePixelRatio());
        return result;
    } catch (const std::bad_alloc&) {
        return QImage();
    }
}

} // namespace toolkit
