#include "FakeFaceDetector.h"
#include "TestSupport.h"
#include "imaging/Image.h"
#include "portrait/InstantFilm.h"
#include "portrait/PortraitComposer.h"

#include <QPainter>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

using toolkit::Image;

namespace {
QImage halfTransparent(QSize size) {
    QImage photo(size, QImage::Format_ARGB32);
    photo.fill(QColor(230, 40, 40));
    QPainter painter(&photo);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(QRect(0, 0, size.width() / 2, size.height()), Qt::transparent);
    return photo;
}
} // namespace

// The portrait is the screen's background, the photo over it, the aura over both: a photo's
// transparent half shows the background, and the aura tints the photo where it glows.
TEST(PortraitComposer, PaintsBackgroundPhotoAndAuraInThatOrder) {
    const FakeFaceDetector noFace;
    for (const int scale : {1, 2}) {
        SCOPED_TRACE(scale);
        const auto layers =
            PortraitComposer::frame(Image(halfTransparent(QSize(300, 400))),
                                    PortraitComposer::Fit::Stretch, 12, noFace, scale);
        const auto bare = PortraitComposer::paint(
            PortraitComposer::withoutAura(Image(halfTransparent(QSize(300, 400))), scale));
        const auto portrait = PortraitComposer::paint(layers);
        ASSERT_TRUE(portrait.ok() && bare.ok()) << portrait.error().toStdString();
        ASSERT_EQ(portrait.value().size(), QSize(360, 480) * scale);
        const QImage& p = bare.value();
        // Left: the background; right: the photo; everywhere opaque.
        EXPECT_EQ(p.pixel(10 * scale, 400 * scale), qRgb(0x10, 0x10, 0x18));
        EXPECT_EQ(p.pixel(350 * scale, 400 * scale), qRgb(230, 40, 40));
        const QImage aura = Image::imageNamed(QStringLiteral("12.png"), 1.0).toQImage();
        int tinted = 0, glowing = 0;
        for (int y = 0; y < 480; y += 8)
            for (int x = 184; x < 360; x += 8)
                if (qAlpha(aura.pixel(x, y)) > 60) {
                    ++glowing;
                    tinted += portrait.value().pixel(x * scale, y * scale) != qRgb(230, 40, 40);
                }
        ASSERT_GT(glowing, 0);
        EXPECT_EQ(tinted, glowing) << "the aura is not over the photo";
        for (int y = 0; y < p.height(); y += 17)
            for (int x = 0; x < p.width(); x += 17)
                ASSERT_EQ(qAlpha(portrait.value().pixel(x, y)), 255);
    }
}

namespace {

struct Lab {
    double l, a, b;
};

Lab lab(QRgb p) {
    auto linear = [](double c) {
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    auto curve = [](double t) { return t > 0.008856 ? std::cbrt(t) : 7.787 * t + 16.0 / 116.0; };
    const double r = linear(qRed(p) / 255.0), g = linear(qGreen(p) / 255.0),
                 b = linear(qBlue(p) / 255.0);
    const double x = curve((0.4124 * r + 0.3576 * g + 0.1805 * b) / 0.95047);
    const double y = curve(0.2126 * r + 0.7152 * g + 0.0722 * b);
    const double z = curve((0.0193 * r + 0.1192 * g + 0.9505 * b) / 1.08883);
    return {116.0 * y - 16.0, 500.0 * (x - y), 200.0 * (y - z)};
}

// Each pixel's difference from the mean of its 3 × 3 neighbourhood, in grey levels.
std::vector<double> localContrast(const QImage& image) {
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    std::vector<double> contrast(std::size_t(grey.width() * grey.height()), 0.0);
    for (int y = 1; y + 1 < grey.height(); ++y)
        for (int x = 1; x + 1 < grey.width(); ++x) {
            double sum = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    sum += grey.constScanLine(y + dy)[x + dx];
            contrast[std::size_t(y * grey.width() + x)] = grey.constScanLine(y)[x] - sum / 9.0;
        }
    return contrast;
}

} // namespace

// The aura is light laid over the photo, not paint: under every overlay the photo's fine
// detail still shows. And the film is one treatment over the whole print: where no glow
// lies, the portrait is exactly the developed photo.
TEST(PortraitComposer, TheGlowKeepsThePhotosDetailAndTheFilmIsOverEverything) {
    QImage photo(360, 480, QImage::Format_RGB32);
    std::uint32_t state = 12345;
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x) {
            state = state * 1664525u + 1013904223u;
            const int base = 40 + y * 160 / 480;
            const int v = base + int(state >> 27) * 3 - 45;
            photo.setPixel(x, y, qRgb(std::clamp(v + 20, 0, 255), v, std::clamp(v - 15, 0, 255)));
        }
    QImage developed = photo.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    InstantFilm::develop(developed);
    const std::vector<double> before = localContrast(photo);
    const FakeFaceDetector noFace;
    for (int n = 1; n <= 100; ++n) {
        SCOPED_TRACE(n);
        const auto layers =
            PortraitComposer::frame(Image(photo), PortraitComposer::Fit::Stretch, n, noFace);
        const auto portrait = PortraitComposer::paint(layers);
        ASSERT_TRUE(portrait.ok()) << portrait.error().toStdString();
        const QImage aura = PortraitComposer::aura(layers).value().toQImage();
        const std::vector<double> after = localContrast(portrait.value());
        double sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
        int count = 0, untouched = 0, same = 0;
        for (int y = 1; y < 479; ++y)
            for (int x = 1; x < 359; ++x) {
                const int alpha = qAlpha(aura.pixel(x, y));
                if (alpha == 0) {
                    ++untouched;
                    same += portrait.value().pixel(x, y) == developed.pixel(x, y);
                }
                if (alpha <= 0.3 * 255)
                    continue;
                const double p = before[std::size_t(y * 360 + x)];
                const double q = after[std::size_t(y * 360 + x)];
                sx += p, sy += q, sxx += p * p, syy += q * q, sxy += p * q, ++count;
            }
        EXPECT_EQ(same, untouched) << "the film differs where no glow lies";
        if (count < 1000)
            continue;
        const double correlation =
            (sxy - sx * sy / count) / std::sqrt((sxx - sx * sx / count) * (syy - sy * sy / count));
        EXPECT_GE(correlation, 0.7) << "the glow hides the photo's detail";
    }
}

// Instant film: blacks lifted to a soft dark, whites held below paper white, warmer than
// the photo, and skin without a colour cast.
TEST(PortraitComposer, TheFilmIsWarmLowInContrastAndKeepsSkinNatural) {
    QImage ramp(256, 4, QImage::Format_ARGB32_Premultiplied);
    for (int x = 0; x < 256; ++x)
        for (int y = 0; y < 4; ++y)
            ramp.setPixel(x, y, qRgb(x, x, x));
    const QImage bare = ramp;
    InstantFilm::develop(ramp);
    double darkest = 100, brightest = 0, warmth = 0;
    for (int x = 0; x < 256; ++x) {
        double l = 0;
        for (int y = 0; y < 4; ++y) {
            l += lab(ramp.pixel(x, y)).l / 4;
            if (x >= 40 && x < 216)
                warmth += (lab(ramp.pixel(x, y)).b - lab(bare.pixel(x, y)).b) / (176 * 4);
        }
        darkest = std::min(darkest, l);
        brightest = std::max(brightest, l);
    }
    EXPECT_GE(darkest, 5.0);
    EXPECT_LE(darkest, 10.0);
    EXPECT_LE(brightest, 92.0);
    EXPECT_GE(warmth, 3.0);
    EXPECT_LE(warmth, 7.0);

    for (const QRgb skin : {qRgb(241, 194, 167), qRgb(198, 134, 103), qRgb(141, 85, 60)}) {
        QImage patch(8, 8, QImage::Format_ARGB32_Premultiplied);
        patch.fill(skin);
        InstantFilm::develop(patch);
        const Lab was = lab(skin);
        const Lab now = lab(patch.pixel(4, 4));
        // Only a little: the film's warmth on skin is a touch, never a tint.
        EXPECT_LT(std::hypot(now.a - was.a, now.b - was.b), 6.0) << "a colour cast on skin";
    }
}
