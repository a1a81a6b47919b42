#include "FakeFaceDetector.h"
#include "TestSupport.h"
#include "imaging/Image.h"
#include "portrait/PortraitComposer.h"

#include <QPainter>
#include <gtest/gtest.h>

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
