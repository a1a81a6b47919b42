#include "art/AuraBlend.h"

#include <QImage>

#include <algorithm>
#include <atomic>

#ifdef __x86_64__
#include <immintrin.h>
#endif

namespace {

std::atomic<bool> vectorised{true};

// How much of a colour is light: from its luma, 0 for a dark smoke colour, 256 for a bright one.
int lightShare(int r, int g, int b, int a) {
    // Premultiplied channels over alpha give the colour's own luma, 0 to 255.
    const int luma = (54 * r + 183 * g + 19 * b) / std::max(a, 1);
    return std::clamp((luma - 38) * 256 / 77, 0, 256);
}

void blendRow(QRgb* out, const QRgb* in, int from, int width) {
    for (int x = from; x < width; ++x) {
        const QRgb o = in[x];
        const int a = qAlpha(o);
        if (a == 0)
            continue;
        const QRgb p = out[x];
        const int r = qRed(o);
        const int g = qGreen(o);
        const int b = qBlue(o);
        // Light cannot brighten what is bright already: over a pale wall the glow
        // settles as a tint instead, so it shows on any photo.
        const int photoLuma = (54 * qRed(p) + 183 * qGreen(p) + 19 * qBlue(p)) >> 8;
        const int w = lightShare(r, g, b, a) * (256 - photoLuma * 150 / 255) >> 8;
        // Screen with the premultiplied colour: p + c·a·(1 − p). Over: p·(1 − a) + c·a.
        auto channel = [&](int photoChannel, int auraChannel) {
            const int screen = photoChannel + auraChannel * (255 - photoChannel) / 255;
            const int over = photoChannel * (255 - a) / 255 + auraChannel;
            return (screen * w + over * (256 - w)) >> 8;
        };
        out[x] = qRgba(channel(qRed(p), r), channel(qGreen(p), g), channel(qBlue(p), b), qAlpha(p));
    }
}

#ifdef __x86_64__
bool hasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has && vectorised.load(std::memory_order_relaxed);
}

#define VELMORA_AVX2 __attribute__((target("avx2"), always_inline)) inline

// x / 255 as (x + 1 + (x >> 8)) >> 8: exact below 65535.
VELMORA_AVX2 __m256i div255(__m256i x) {
    const __m256i one = _mm256_set1_epi32(1);
    return _mm256_srli_epi32(_mm256_add_epi32(_mm256_add_epi32(x, one), _mm256_srli_epi32(x, 8)),
                             8);
}

VELMORA_AVX2 __m256i lumaOf(__m256i r, __m256i g, __m256i b) {
    return _mm256_add_epi32(_mm256_add_epi32(_mm256_mullo_epi32(r, _mm256_set1_epi32(54)),
                                             _mm256_mullo_epi32(g, _mm256_set1_epi32(183))),
                            _mm256_mullo_epi32(b, _mm256_set1_epi32(19)));
}

// One channel of eight pixels: screen and over mixed by `w` (and `rest`, 256 − w).
VELMORA_AVX2 __m256i mixed(__m256i pc, __m256i ac, __m256i clear, __m256i w, __m256i rest) {
    const __m256i full = _mm256_set1_epi32(255);
    const __m256i screen =
        _mm256_add_epi32(pc, div255(_mm256_mullo_epi32(ac, _mm256_sub_epi32(full, pc))));
    const __m256i over = _mm256_add_epi32(div255(_mm256_mullo_epi32(pc, clear)), ac);
    return _mm256_srli_epi32(
        _mm256_add_epi32(_mm256_mullo_epi32(screen, w), _mm256_mullo_epi32(over, rest)), 8);
}

// The plain loop's arithmetic eight pixels at a time, to the bit: the divisions by alpha and
// by 77 in single precision, whose truncation is exact for these ranges.
__attribute__((target("avx2"))) void blendRowAvx2(QRgb* out, const QRgb* in, int width) {
    const __m256i byte = _mm256_set1_epi32(0xff);
    const __m256i one = _mm256_set1_epi32(1);
    const __m256i full = _mm256_set1_epi32(255);
    const __m256i k256 = _mm256_set1_epi32(256);
    int x = 0;
    for (; x + 8 <= width; x += 8) {
        const __m256i o = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + x));
        const __m256i a = _mm256_srli_epi32(o, 24);
        if (_mm256_testz_si256(a, a))
            continue;
        const __m256i p = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(out + x));
        const __m256i r = _mm256_and_si256(_mm256_srli_epi32(o, 16), byte);
        const __m256i g = _mm256_and_si256(_mm256_srli_epi32(o, 8), byte);
        const __m256i b = _mm256_and_si256(o, byte);
        const __m256i pr = _mm256_and_si256(_mm256_srli_epi32(p, 16), byte);
        const __m256i pg = _mm256_and_si256(_mm256_srli_epi32(p, 8), byte);
        const __m256i pb = _mm256_and_si256(p, byte);
        const __m256 alpha = _mm256_cvtepi32_ps(_mm256_max_epi32(a, one));
        const __m256i own =
            _mm256_cvttps_epi32(_mm256_div_ps(_mm256_cvtepi32_ps(lumaOf(r, g, b)), alpha));
        const __m256i lifted = _mm256_slli_epi32(
            _mm256_max_epi32(_mm256_sub_epi32(own, _mm256_set1_epi32(38)), _mm256_setzero_si256()),
            8);
        const __m256i share = _mm256_min_epi32(
            _mm256_cvttps_epi32(_mm256_div_ps(_mm256_cvtepi32_ps(lifted), _mm256_set1_ps(77.0f))),
            k256);
        const __m256i photoLuma = _mm256_srli_epi32(lumaOf(pr, pg, pb), 8);
        const __m256i w = _mm256_srli_epi32(
            _mm256_mullo_epi32(
                share, _mm256_sub_epi32(
                           k256, div255(_mm256_mullo_epi32(photoLuma, _mm256_set1_epi32(150))))),
            8);
        const __m256i rest = _mm256_sub_epi32(k256, w);
        const __m256i clear = _mm256_sub_epi32(full, a);
        const __m256i blended =
            _mm256_or_si256(_mm256_or_si256(_mm256_andnot_si256(_mm256_set1_epi32(0x00ffffff), p),
                                            _mm256_slli_epi32(mixed(pr, r, clear, w, rest), 16)),
                            _mm256_or_si256(_mm256_slli_epi32(mixed(pg, g, clear, w, rest), 8),
                                            mixed(pb, b, clear, w, rest)));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x), blended);
    }
    blendRow(out, in, x, width);
}
#endif

} // namespace

void AuraBlend::apply(QImage& photo, const QImage& overlay) {
    if (photo.isNull() || overlay.size() != photo.size())
        return;
    if (photo.format() != QImage::Format_ARGB32_Premultiplied &&
        photo.format() != QImage::Format_RGB32)
        photo = photo.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage aura = overlay.format() == QImage::Format_ARGB32_Premultiplied
                            ? overlay
                            : overlay.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int width = photo.width();
    const int height = photo.height();
    for (int y = 0; y < height; ++y) {
        auto* out = reinterpret_cast<QRgb*>(photo.scanLine(y));
        const auto* in = reinterpret_cast<const QRgb*>(aura.constScanLine(y));
#ifdef __x86_64__
        if (hasAvx2()) {
            blendRowAvx2(out, in, width);
            continue;
        }
#endif
        blendRow(out, in, 0, width);
    }
}

void AuraBlend::setVectorised(bool allowed) {
    vectorised = allowed;
}
