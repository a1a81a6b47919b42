#include "portrait/InstantFilm.h"

#include <QImage>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <vector>

#ifdef __x86_64__
#include <immintrin.h>
#endif

namespace {

// Darkest and brightest levels the film gives: about L* 7 and L* 91.
constexpr double kBlack = 20.0;
constexpr double kWhite = 230.0;
// Warmth: red lifted, blue held back, in levels at mid-tones.
constexpr double kWarmRed = 5.0;
constexpr double kWarmGreen = 1.5;
constexpr double kWarmBlue = -8.0;
// Grain amplitude in levels, and the side of its repeating tile in portrait pixels.
constexpr int kGrain = 5;
constexpr int kTile = 128;

std::atomic<bool> vectorised{true};

struct Curves {
    std::array<std::array<std::uint8_t, 256 + 2 * kGrain>, 3> channel{};
    // The same, a level to an int: what the vector loop looks up eight at a time.
    std::array<std::array<std::int32_t, 256 + 2 * kGrain>, 3> wide{};
};

// A soft tone curve: lower contrast in the mid-tones, a gentle toe and shoulder, then the
// warm tint, strongest in the mid-tones where skin sits and fading at both ends so blacks
// stay neutral-dark and whites cream. Indexed by level + kGrain, so grain can push past the ends.
const Curves& curves() {
    static const Curves built = [] {
        Curves c;
        const double warm[3] = {kWarmRed, kWarmGreen, kWarmBlue};
        for (int i = 0; i < 256 + 2 * kGrain; ++i) {
            const double x = std::clamp((i - kGrain) / 255.0, 0.0, 1.0);
            // Blend of the identity with a smoothstep: flattens shadows and highlights a little.
            const double s = x * x * (3.0 - 2.0 * x);
            const double toned = 0.8 * x + 0.2 * (0.5 * x + 0.5 * s);
            const double mid = 4.0 * x * (1.0 - x);
            for (int k = 0; k < 3; ++k) {
                const double level = kBlack + (kWhite - kBlack) * toned + warm[k] * mid;
                c.channel[std::size_t(k)][std::size_t(i)] =
                    std::uint8_t(std::clamp(std::lround(level), 0L, 255L));
                c.wide[std::size_t(k)][std::size_t(i)] = c.channel[std::size_t(k)][std::size_t(i)];
            }
        }
        return c;
    }();
    return built;
}

// One grain for every portrait: a fixed tile of soft, signed noise.
const std::array<std::int8_t, kTile * kTile>& grainTile() {
    static const std::array<std::int8_t, kTile* kTile> tile = [] {
        std::array<std::int8_t, kTile * kTile> t{};
        std::uint64_t state = 0x9E3779B97F4A7C15ull;
        for (auto& g : t) {
            // Sum of two uniforms: a triangular spread without rare bright specks.
            state = state * 6364136223846793005ull + 1442695040888963407ull;
            const int u = int((state >> 33) & 0xFF);
            const int v = int((state >> 41) & 0xFF);
            g = std::int8_t(((u + v - 255) * kGrain) / 255);
        }
        return t;
    }();
    return tile;
}

void developRow(QRgb* line, const int* grain, int from, int width, const Curves& c) {
    for (int x = from; x < width; ++x) {
        const QRgb p = line[x];
        // Monochrome grain: the same push on all three dyes keeps it from looking digital.
        const int g = grain[x];
        line[x] =
            qRgba(c.channel[0][std::size_t(qRed(p) + g)], c.channel[1][std::size_t(qGreen(p) + g)],
                  c.channel[2][std::size_t(qBlue(p) + g)], qAlpha(p));
    }
}

#ifdef __x86_64__
bool hasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has && vectorised.load(std::memory_order_relaxed);
}

// The plain loop eight pixels at a time: the three curves looked up by gathering.
__attribute__((target("avx2"))) void developRowAvx2(QRgb* line, const int* grain, int width,
                                                    const Curves& c) {
    const __m256i byte = _mm256_set1_epi32(0xff);
    int x = 0;
    for (; x + 8 <= width; x += 8) {
        const __m256i p = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(line + x));
        const __m256i g = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(grain + x));
        const __m256i r = _mm256_add_epi32(_mm256_and_si256(_mm256_srli_epi32(p, 16), byte), g);
        const __m256i gr = _mm256_add_epi32(_mm256_and_si256(_mm256_srli_epi32(p, 8), byte), g);
        const __m256i b = _mm256_add_epi32(_mm256_and_si256(p, byte), g);
        const __m256i red = _mm256_i32gather_epi32(c.wide[0].data(), r, 4);
        const __m256i green = _mm256_i32gather_epi32(c.wide[1].data(), gr, 4);
        const __m256i blue = _mm256_i32gather_epi32(c.wide[2].data(), b, 4);
        const __m256i developed =
            _mm256_or_si256(_mm256_or_si256(_mm256_andnot_si256(_mm256_set1_epi32(0x00ffffff), p),
                                            _mm256_slli_epi32(red, 16)),
                            _mm256_or_si256(_mm256_slli_epi32(green, 8), blue));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(line + x), developed);
    }
    developRow(line, grain, x, width, c);
}
#endif

} // namespace

void InstantFilm::develop(QImage& portrait, int scale) {
    if (portrait.isNull())
        return;
    if (portrait.format() != QImage::Format_ARGB32_Premultiplied &&
        portrait.format() != QImage::Format_RGB32)
        portrait = portrait.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const Curves& c = curves();
    const auto& tile = grainTile();
    const int step = std::max(1, scale);
    const int width = portrait.width();
    const int height = portrait.height();
#ifdef __x86_64__
    const bool avx2 = hasAvx2();
#endif
    // The grain of a row, each tile pixel `step` wide and high: the same grain at every size.
    // A tile row, widened, repeats along the picture's row.
    std::vector<int> period(static_cast<std::size_t>(kTile * step));
    std::vector<int> grain(static_cast<std::size_t>(width));
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(portrait.scanLine(y));
        if (y % step == 0) {
            const std::int8_t* row = tile.data() + ((y / step) % kTile) * kTile;
            for (std::size_t i = 0; i < period.size(); ++i)
                period[i] = row[i / std::size_t(step)] + kGrain;
            for (std::size_t x = 0; x < grain.size(); x += period.size())
                std::copy_n(period.begin(), std::min(period.size(), grain.size() - x),
                            grain.begin() + std::ptrdiff_t(x));
        }
#ifdef __x86_64__
        if (avx2) {
            developRowAvx2(line, grain.data(), width, c);
            continue;
        }
#endif
        developRow(line, grain.data(), 0, width, c);
    }
}

void InstantFilm::setVectorised(bool allowed) {
    vectorised = allowed;
}
