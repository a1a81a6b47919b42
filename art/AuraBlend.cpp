#include "art/AuraBlend.h"

#include <QImage>

#include <algorithm>

namespace {

// How much of a colour is light: from its luma, 0 for a dark smoke colour, 256 for a bright one.
int lightShare(int r, int g, int b, int a) {
    // Premultiplied channels over alpha give the colour's own luma, 0 to 255.
    const int luma = (54 * r + 183 * g + 19 * b) / std::max(a, 1);
    return std::clamp((luma - 38) * 256 / 77, 0, 256);
}

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
        for (int x = 0; x < width; ++x) {
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
            out[x] =
                qRgba(channel(qRed(p), r), channel(qGreen(p), g), channel(qBlue(p), b), qAlpha(p));
        }
    }
}
