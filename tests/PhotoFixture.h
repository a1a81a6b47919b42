#pragma once

#include "TestSupport.h"

#include <QColor>
#include <cstdlib>

/// Whether `a` is within `tolerance` of `b` in each colour channel.
inline bool near(QRgb a, QColor b, int tolerance = 40) {
    return std::abs(qRed(a) - b.red()) <= tolerance &&
           std::abs(qGreen(a) - b.green()) <= tolerance &&
           std::abs(qBlue(a) - b.blue()) <= tolerance;
}

/// The application with a photo to pick, as the photo tests use it.
class Photo : public AppFixture {
protected:
    /// Picks `path`, a picture of quadrants(), and checks that it shows upright, 360 x 480.
    void pickUprightQuadrants(const QString& path) {
        pickFromAlbum(path);
        const QImage shown = screen->ui->imageView->image().toQImage();
        ASSERT_EQ(shown.size(), QSize(360, 480));
        EXPECT_TRUE(near(shown.pixel(90, 120), Qt::red));
        EXPECT_TRUE(near(shown.pixel(270, 120), Qt::green));
        EXPECT_TRUE(near(shown.pixel(90, 360), Qt::blue));
        EXPECT_TRUE(near(shown.pixel(270, 360), Qt::yellow));
    }
};
