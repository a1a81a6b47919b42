#include "imaging/Resampler.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <numbers>
#include <vector>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#ifdef __x86_64__
#include <immintrin.h>
#endif

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
    std::vector<int> count; // the pixels read from `first`, within the source
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
    // A multiple of four, so that the pass across reads weights four at a time.
    taps.span = (int(std::ceil(2 * support)) + 2 + 3) / 4 * 4;
    taps.first.resize(size_t(result));
    taps.count.resize(size_t(result));
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
        taps.count[size_t(i)] = hi - lo + 1;
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

// A pixel's four channels, one vector: the filter treats them alike.
using Pixel = float __attribute__((vector_size(16)));
using PixelBytes = unsigned char __attribute__((vector_size(4)));
using PixelInts = int __attribute__((vector_size(16)));

// One row of 32-bit pixels as floats, a pixel's four bytes to one vector.
void toFloats(const uchar* in, int width, Pixel* out) {
    int x = 0;
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128();
    for (; x + 4 <= width; x += 4, in += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
        const __m128i low = _mm_unpacklo_epi8(bytes, zero);
        const __m128i high = _mm_unpackhi_epi8(bytes, zero);
        const __m128 values[4] = {_mm_cvtepi32_ps(_mm_unpacklo_epi16(low, zero)),
                                  _mm_cvtepi32_ps(_mm_unpackhi_epi16(low, zero)),
                                  _mm_cvtepi32_ps(_mm_unpacklo_epi16(high, zero)),
                                  _mm_cvtepi32_ps(_mm_unpackhi_epi16(high, zero))};
        std::memcpy(out + x, values, sizeof values);
    }
#endif
    for (; x < width; ++x, in += 4) {
        PixelBytes bytes;
        std::memcpy(&bytes, in, sizeof bytes);
        out[x] = __builtin_convertvector(bytes, Pixel);
    }
}

#ifdef __x86_64__
// The two passes with AVX2 and fused multiply-adds, where the processor has them: two taps
// or two pixels an instruction instead of one. The sums differ from the plain loops' only in
// their last bits.
std::atomic<bool> vectorised{true};

bool hasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    return has && vectorised.load(std::memory_order_relaxed);
}

// One middle row across: `weights` holds each tap's weight four times over, so that a pair
// of taps is one multiply-add over a pair of pixels.
__attribute__((target("avx2,fma"))) void acrossAvx2(const Pixel* row, const float* weights,
                                                    const int* first, const int* count, int span,
                                                    int tw, Pixel* out) {
    for (int x = 0; x < tw; ++x) {
        const float* w = weights + size_t(x) * size_t(span) * 4;
        const float* p = reinterpret_cast<const float*>(row + first[x]);
        __m256 even = _mm256_setzero_ps();
        __m256 odd = _mm256_setzero_ps();
        // Past `count` the weights are zero and the row black, up to the span, a multiple of
        // four: taps are taken four at a time.
        for (int j = 0; j < count[x]; j += 4) {
            even = _mm256_fmadd_ps(_mm256_loadu_ps(p + 4 * j), _mm256_loadu_ps(w + 4 * j), even);
            odd = _mm256_fmadd_ps(_mm256_loadu_ps(p + 4 * j + 8), _mm256_loadu_ps(w + 4 * j + 8),
                                  odd);
        }
        const __m256 sum = _mm256_add_ps(even, odd);
        const __m128 both = _mm_add_ps(_mm256_castps256_ps128(sum), _mm256_extractf128_ps(sum, 1));
        _mm_storeu_ps(reinterpret_cast<float*>(out + x), both);
    }
}

// One result row down, from the `count` middle rows it reads, into `sums`.
__attribute__((target("avx2,fma"))) void downAvx2(const Pixel* const* rows, const float* w,
                                                  int count, int tw, Pixel* sums) {
    int x = 0;
    for (; x + 2 <= tw; x += 2) {
        __m256 sum = _mm256_setzero_ps();
        for (int j = 0; j < count; ++j)
            sum =
                _mm256_fmadd_ps(_mm256_set1_ps(w[j]),
                                _mm256_loadu_ps(reinterpret_cast<const float*>(rows[j] + x)), sum);
        _mm256_storeu_ps(reinterpret_cast<float*>(sums + x), sum);
    }
    for (; x < tw; ++x) {
        __m128 sum = _mm_setzero_ps();
        for (int j = 0; j < count; ++j)
            sum = _mm_fmadd_ps(_mm_set1_ps(w[j]),
                               _mm_loadu_ps(reinterpret_cast<const float*>(rows[j] + x)), sum);
        _mm_storeu_ps(reinterpret_cast<float*>(sums + x), sum);
    }
}
#endif

QImage filtered(const QImage& source, double extentX, double extentY, QSize target) {
    const int sw = source.width(), sh = source.height();
    const int tw = target.width(), th = target.height();
    const Taps across = tapsFor(extentX, sw, tw);
    const Taps down = tapsFor(extentY, sh, th);

    // Across first: it is the larger reduction on a landscape photo shrunk to the portrait,
    // so the second pass reads fewer columns. A row across is made when the pass down first
    // needs it and kept only while it does, in a ring of as many rows as one result row
    // reads: the middle picture never exists whole (4 MB of floats and a thousand page
    // faults for a 12 MP photo).
    const int ringRows = std::min(down.span, sh);
    std::unique_ptr<Pixel[]> ring(new Pixel[size_t(ringRows) * size_t(tw)]);
    const auto middleRow = [&ring, ringRows, tw](int y) {
        return &ring[size_t(y % ringRows) * size_t(tw)];
    };
    // Padded with black past the right edge, where the padding weights (zero) read.
    std::unique_ptr<Pixel[]> row(new Pixel[size_t(sw + across.span)]());
#ifdef __x86_64__
    const bool avx2 = hasAvx2();
    std::vector<float> expanded;
    if (avx2) {
        expanded.resize(across.weights.size() * 4);
        for (size_t i = 0; i < across.weights.size(); ++i)
            std::fill_n(&expanded[i * 4], 4, across.weights[i]);
    }
#endif
    const auto makeMiddleRow = [&](int y) {
        toFloats(source.constScanLine(y), sw, row.get());
        Pixel* out = middleRow(y);
#ifdef __x86_64__
        if (avx2) {
            acrossAvx2(row.get(), expanded.data(), across.first.data(), across.count.data(),
                       across.span, tw, out);
            return;
        }
#endif
        for (int x = 0; x < tw; ++x) {
            const float* w = &across.weights[size_t(x) * size_t(across.span)];
            const Pixel* p = &row[size_t(across.first[size_t(x)])];
            const int count = across.count[size_t(x)];
            // Added one by one in order: the sums are those of a plain loop, to the bit.
            Pixel sum = {0, 0, 0, 0};
            for (int j = 0; j < count; j += 4) {
                Pixel four;
                std::memcpy(&four, w + j, sizeof four);
                sum += four[0] * p[j];
                sum += four[1] * p[j + 1];
                sum += four[2] * p[j + 2];
                sum += four[3] * p[j + 3];
            }
            out[x] = sum;
        }
    };
    int made = 0; // the middle rows made so far, or skipped as no result row reads them

    const bool premultiplied = source.format() == QImage::Format_ARGB32_Premultiplied;
    QImage result(tw, th, source.format());
    if (result.isNull())
        return result;
    std::unique_ptr<Pixel[]> sums(new Pixel[size_t(tw)]);
    const Pixel half = {0.5f, 0.5f, 0.5f, 0.5f};
    const Pixel top = {255, 255, 255, 255};
    for (int y = 0; y < th; ++y) {
        const float* w = &down.weights[size_t(y) * size_t(down.span)];
        const int first = down.first[size_t(y)];
        const int count = down.count[size_t(y)];
        // The rows this result row reads follow those of the row before it.
        for (made = std::max(made, first); made < first + count; ++made)
            makeMiddleRow(made);
        Pixel* sum = sums.get();
#ifdef __x86_64__
        const Pixel* rows[64];
        if (avx2 && count <= int(std::size(rows))) {
            for (int j = 0; j < count; ++j)
                rows[j] = middleRow(first + j);
            downAvx2(rows, w, count, tw, sum);
        } else
#endif
        {
            std::fill(sum, sum + tw, Pixel{0, 0, 0, 0});
            for (int j = 0; j < count; ++j) {
                const float weight = w[j];
                if (weight == 0.0f)
                    continue;
                const Pixel* in = middleRow(first + j);
                for (int x = 0; x < tw; ++x)
                    sum[x] += weight * in[x];
            }
        }
        uchar* out = result.scanLine(y);
        for (int x = 0; x < tw; ++x) {
            // Lanczos overshoots at edges: clamp, and keep colour within alpha. Truncating
            // what was raised by a half rounds to the nearest.
            Pixel v = sum[x] + half;
            v = v < 0 ? Pixel{0, 0, 0, 0} : v;
            v = v > top ? top : v;
            PixelInts level = __builtin_convertvector(v, PixelInts);
            const int alpha = premultiplied ? level[3] : 255;
            const PixelInts bound = {alpha, alpha, alpha, alpha};
            level = level > bound ? bound : level;
            level[3] = alpha;
            const PixelBytes bytes = __builtin_convertvector(level, PixelBytes);
            std::memcpy(out + size_t(x) * 4, &bytes, sizeof bytes);
        }
    }
    return result;
}

} // namespace

void Resampler::setVectorised(bool allowed) {
#ifdef __x86_64__
    vectorised = allowed;
#else
    (void)allowed;
#endif
}

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
