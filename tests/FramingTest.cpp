#include "FakeFaceDetector.h"
#include "TestSupport.h"
#include "art/AuraOverlayPainter.h"
#include "art/AuraRecipe.h"
#include "art/PortraitFormat.h"
#include "art/PortraitGeometry.h"
#include "base/Random.h"
#include "face/HogFaceDetector.h"
#include "portrait/PortraitFramer.h"
#include "ui/Window.h"

#include <QLabel>
#include <QPainter>
#include <gtest/gtest.h>
#include <optional>

using toolkit::Image;

namespace {

const QColor kSkin(255, 0, 255);

// A photo whose only magenta is the face box, over a gradient that shows any stretch.
QImage photoWithFace(QSize size, const QRectF& face) {
    QImage photo(size, QImage::Format_RGB32);
    QPainter painter(&photo);
    QLinearGradient sky(0, 0, size.width(), size.height());
    sky.setColorAt(0, QColor(40, 90, 160));
    sky.setColorAt(1, QColor(60, 160, 80));
    painter.fillRect(photo.rect(), sky);
    painter.fillRect(face, kSkin);
    return photo;
}

bool isSkin(QRgb p) {
    return qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) > 200;
}

QRect skinBox(const QImage& portrait) {
    QRect box;
    for (int y = 0; y < portrait.height(); ++y)
        for (int x = 0; x < portrait.width(); ++x)
            if (isSkin(portrait.pixel(x, y)))
                box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace

// A face anywhere in a photo of any shape comes out unstretched, in the aura's clear oval,
// with (nearly) no aura over it.
TEST(Framing, FaceKeepsItsShapeAndLandsInTheClearOval) {
    const QList<QSize> shapes = {{1600, 1200}, {1800, 1200}, {1920, 1080},
                                 {1200, 1200}, {1200, 1800}, {1080, 1920}};
    struct Face {
        const char* name;
        QPointF centre; // as shares of the photo
        double side;    // as a share of the photo's shorter side
    };
    const Face faces[] = {{"small", {0.45, 0.35}, 0.1},
                          {"large", {0.5, 0.5}, 0.6},
                          {"at the left edge", {0.06, 0.3}, 0.2},
                          {"at the bottom right", {0.9, 0.88}, 0.2}};
    int number = 1;
    for (const QSize shape : shapes) {
        for (const Face& face : faces) {
            const double side = face.side * std::min(shape.width(), shape.height());
            const QRectF box(face.centre.x() * shape.width() - side / 2,
                             face.centre.y() * shape.height() - side / 2, side, side);
            const FakeFaceDetector detector(
                {QRectF(box.x() / shape.width(), box.y() / shape.height(),
                        box.width() / shape.width(), box.height() / shape.height())});
            number = number % PortraitFormat::OverlayCount + 7;
            const auto framed =
                PortraitFramer::frame(Image(photoWithFace(shape, box)), detector, number);
            const QString where = QStringLiteral("%1x%2, %3 face")
                                      .arg(shape.width())
                                      .arg(shape.height())
                                      .arg(QLatin1String(face.name));
            SCOPED_TRACE(where.toStdString());
            EXPECT_TRUE(framed.faceFound);
            const QImage photo = framed.photo;
            ASSERT_EQ(photo.size(), QSize(360, 480));
            const QRect seen = skinBox(photo);
            ASSERT_FALSE(seen.isEmpty());
            // Part of a face cut by the photo's own edge has no aspect to keep.
            if (box.left() >= 0 && box.right() <= shape.width() && box.top() >= 0 &&
                box.bottom() <= shape.height()) {
                EXPECT_NEAR(double(seen.width()) / seen.height(), 1.0, 0.02);
            }

            const QPointF centre = framed.placement.inverted().map(QRectF(seen).center());
            const QRectF oval = PortraitGeometry::faceRect();
            const double dx = (centre.x() - oval.center().x()) / (oval.width() / 2);
            const double dy = (centre.y() - oval.center().y()) / (oval.height() / 2);
            EXPECT_LT(dx * dx + dy * dy, 1.0) << "face centre outside the clear oval";

            const QImage aura = framed.aura.isNull()
                                    ? AuraOverlayPainter().paint(AuraRecipe::forIndex(number))
                                    : framed.aura;
            double alpha = 0;
            int count = 0;
            for (int y = seen.top(); y <= seen.bottom(); ++y)
                for (int x = seen.left(); x <= seen.right(); ++x, ++count)
                    alpha += qAlpha(aura.pixel(x, y)) / 255.0;
            EXPECT_LT(alpha / count, 0.05) << "aura " << number << " over the face";
        }
    }
}

// Of two faces, the largest is the sitter's, whichever the detector lists first: the
// large face lands in the clear oval, the small one does not.
TEST(Framing, TheLargestOfTwoFacesIsFramed) {
    const QSize shape(1800, 1200);
    const QRectF small(150, 150, 120, 120);
    const QRectF large(1100, 400, 360, 360);
    QImage photo = photoWithFace(shape, large);
    QPainter(&photo).fillRect(small, Qt::yellow);
    const FakeFaceDetector detector(
        {QRectF(small.x() / shape.width(), small.y() / shape.height(),
                small.width() / shape.width(), small.height() / shape.height()),
         QRectF(large.x() / shape.width(), large.y() / shape.height(),
                large.width() / shape.width(), large.height() / shape.height())});
    const auto framed = PortraitFramer::frame(Image(photo), detector, 9);
    ASSERT_TRUE(framed.faceFound);
    const QRect seen = skinBox(framed.photo);
    ASSERT_FALSE(seen.isEmpty()) << "the large face is cut away";
    const QPointF centre = framed.placement.inverted().map(QRectF(seen).center());
    const QRectF oval = PortraitGeometry::faceRect();
    const double dx = (centre.x() - oval.center().x()) / (oval.width() / 2);
    const double dy = (centre.y() - oval.center().y()) / (oval.height() / 2);
    EXPECT_LT(dx * dx + dy * dy, 1.0) << "the large face is not in the clear oval";
}

// A close-up (a webcam selfie, a head-and-shoulders photo) is shown smaller inside the
// portrait, on a backdrop made from it, so the face is framed at the portrait's usual size
// and every aura keeps most of its glow in the frame instead of growing past it.
TEST(Framing, CloseUpsStandOnABackdropAndKeepTheirGlow) {
    struct CloseUp {
        const char* name;
        QSize shape;
        QRectF face; // as shares of the photo
    };
    const CloseUp closeUps[] = {
        {"face filling a 3:4 photo", {600, 800}, {0.04, 0.06, 0.92, 0.88}},
        {"webcam selfie", {1280, 720}, {0.3, 0.2, 0.4, 0.6}},
        {"head and shoulders", {900, 1200}, {0.25, 0.15, 0.5, 0.45}},
    };
    // The glow an overlay has at the silhouette's own framing.
    std::vector<double> normal(PortraitFormat::OverlayCount + 1, 0.0);
    const AuraOverlayPainter identity;
    auto glow = [](const QImage& aura) {
        double sum = 0;
        for (int y = 0; y < aura.height(); y += 2)
            for (int x = 0; x < aura.width(); x += 2)
                sum += qAlpha(aura.pixel(x, y));
        return sum;
    };
    for (int n = 1; n <= PortraitFormat::OverlayCount; ++n)
        normal[std::size_t(n)] = glow(identity.paint(AuraRecipe::forIndex(n)));

    for (const CloseUp& closeUp : closeUps) {
        SCOPED_TRACE(closeUp.name);
        const QSize shape = closeUp.shape;
        const QRectF box(closeUp.face.x() * shape.width(), closeUp.face.y() * shape.height(),
                         closeUp.face.width() * shape.width(),
                         closeUp.face.height() * shape.height());
        const FakeFaceDetector detector({closeUp.face});
        const auto framed = PortraitFramer::frame(Image(photoWithFace(shape, box)), detector, 5);
        ASSERT_TRUE(framed.faceFound);
        const QRect seen = skinBox(framed.photo);
        const double faceHeight = seen.height() / 480.0;
        EXPECT_GE(faceHeight, 0.18);
        EXPECT_LE(faceHeight, 0.35);
        EXPECT_NEAR(double(seen.width()) / seen.height(), box.width() / box.height(), 0.03);

        // The backdrop fills the portrait: nowhere does the screen's background show, and
        // it is darker than the photo it is made of.
        ASSERT_FALSE(framed.photoRect.isEmpty());
        const QImage& photo = framed.photo;
        for (int y = 0; y < photo.height(); y += 11)
            for (int x = 0; x < photo.width(); x += 11)
                ASSERT_EQ(qAlpha(photo.pixel(x, y)), 255) << x << "," << y;
        const QPoint corner(2, 2);
        ASSERT_FALSE(framed.photoRect.contains(corner));
        const QColor edge = QColor(photoWithFace(shape, box).pixel(1, 1));
        EXPECT_LT(QColor(photo.pixel(corner)).lightness(), edge.lightness());
        EXPECT_GT(QColor(photo.pixel(corner)).lightness(), edge.lightness() / 4);

        const AuraOverlayPainter placed(QSize(360, 480), framed.placement);
        for (int n = 1; n <= PortraitFormat::OverlayCount; ++n) {
            const QImage aura = framed.placement.isIdentity()
                                    ? identity.paint(AuraRecipe::forIndex(n))
                                    : placed.paint(AuraRecipe::forIndex(n));
            EXPECT_GE(glow(aura), 0.7 * normal[std::size_t(n)]) << "overlay " << n;
        }
    }
}

// The real detector on a real face: the public-domain astronaut portrait in tests/data,
// whose round mission patch must not count as a second, larger face.
TEST(Framing, RealDetectorFindsTheAstronautsFace) {
    const auto photo = Image::fromFile(
        QStringLiteral(VELMORA_SOURCE_DIR "/tests/data/astronaut.jpg"), QSize(360, 480));
    ASSERT_TRUE(photo.ok()) << photo.error().toStdString();
    const toolkit::HogFaceDetector detector(toolkit::HogFaceDetector::resourceFile());
    const QList<QRect> faces = detector.findFaces(photo.value().scaledToFit(QSize(640, 640)));
    ASSERT_EQ(faces.size(), 1);
    // Her face lies left of the middle, in the upper half.
    EXPECT_TRUE(QRect(120, 40, 220, 220).contains(faces.first().center()))
        << faces.first().x() << "," << faces.first().y();
    const auto framed = PortraitFramer::frame(photo.value(), detector, 42);
    EXPECT_TRUE(framed.faceFound);
    EXPECT_EQ(framed.photo.size(), QSize(360, 480));
}

class FitToFace : public AppFixture {};

// The toggle redraws the photo on the screen at once in the other fit, under the same aura;
// back to stretch gives the very screen it had.
TEST_F(FitToFace, ToggleRedrawsThePhotoWithTheSameAura) {
    const ScopedRandomSource pinned([] { return std::uint32_t(41); });
    const QRectF share(0.6, 0.2, 0.15, 0.2);
    const QSize shape(1600, 1200);
    const QImage photo =
        photoWithFace(shape, QRectF(share.x() * 1600, share.y() * 1200, share.width() * 1600, 240));
    const QString path = scratch.filePath(QStringLiteral("group.png"));
    ASSERT_TRUE(photo.save(path));
    const FakeFaceDetector detector({share});
    screen->setFaceDetector(&detector);
    pickFromAlbum(path);
    const QImage stretched = screen->ui->imageView->image().toQImage();
    const QImage shippedAura = screen->ui->auraImage->image().toQImage();

    screen->ui->fitToFace->click();
    EXPECT_TRUE(waitUntil([this] { return !screen->isFitting(); }));
    EXPECT_EQ(screen->currentimage, 41);
    const auto picked = Image::fromFile(path, QSize(360, 480));
    ASSERT_TRUE(picked.ok());
    const auto expected = PortraitFramer::frame(picked.value(), detector, 42);
    EXPECT_EQ(screen->ui->imageView->image().toQImage(), expected.photo);
    EXPECT_EQ(screen->ui->auraImage->image().toQImage(), expected.aura);
    const QRect face = skinBox(screen->ui->imageView->image().toQImage());
    EXPECT_NEAR(double(face.width()) / face.height(), 1.0, 0.02) << "the face is not stretched";

    screen->ui->fitToFace->click();
    EXPECT_FALSE(screen->isFitting());
    EXPECT_EQ(screen->ui->imageView->image().toQImage(), stretched);
    EXPECT_EQ(screen->ui->auraImage->image().toQImage(), shippedAura);
}

// A photo picked in face mode without a face: its centre, unstretched, under the aura as
// the overlays have it, and the user is told.
TEST_F(FitToFace, NoFaceIsCentredAndSaid) {
    std::optional<ScopedRandomSource> pinned([] { return std::uint32_t(2); });
    const FakeFaceDetector detector;
    screen->setFaceDetector(&detector);
    screen->setFit(VelmoraViewController::Fit::Face);
    EXPECT_TRUE(screen->ui->fitToFace->isChecked());
    const QImage photo = photoWithFace(QSize(1800, 1200), QRectF(850, 550, 100, 100));
    const QString path = scratch.filePath(QStringLiteral("wall.png"));
    ASSERT_TRUE(photo.save(path));
    pickFromAlbum(path);
    ASSERT_TRUE(waitUntil([this] { return !screen->isFitting(); }));
    pinned.reset();
    EXPECT_FALSE(screen->ui->second->isHidden());
    const QImage expected = photo.copy(QRect(450, 0, 900, 1200))
                                .scaled(360, 480, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage shown = screen->ui->imageView->image().toQImage();
    ASSERT_EQ(shown.size(), expected.size());
    int far = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 360; ++x)
            far += std::abs(qRed(shown.pixel(x, y)) - qRed(expected.pixel(x, y))) > 12 ? 1 : 0;
    EXPECT_LT(far, 360 * 4) << "pixels unlike the centre crop";
    EXPECT_EQ(screen->ui->auraImage->image().toQImage(),
              Image::imageNamed(QStringLiteral("3.png")).toQImage());
    auto* window = qobject_cast<toolkit::Window*>(screen->view()->window());
    ASSERT_TRUE(window);
    EXPECT_EQ(window->message(), QStringLiteral("No face found: centred"));
    // Information, not alarm: quiet, and over no control.
    auto* notice = window->findChild<QLabel*>(QStringLiteral("windowMessage"));
    ASSERT_TRUE(notice);
    for (QWidget* control :
         {static_cast<QWidget*>(screen->ui->close), static_cast<QWidget*>(screen->ui->second)})
        EXPECT_FALSE(
            notice->geometry().intersects(QRect(control->mapTo(window, QPoint()), control->size())))
            << control->objectName().toStdString();
    const QColor middle = notice->grab().toImage().pixelColor(4, notice->height() / 2);
    EXPECT_LT(middle.red(), 90) << "information shows in alarm red";
}

// Fit to face is on the home screen from the start, and the choice made there is the one
// the next run starts with.
TEST_F(FitToFace, TheChoiceIsOnTheHomeScreenAndKeptForTheNextRun) {
    ASSERT_FALSE(screen->ui->fitToFaceHome->isHidden());
    EXPECT_FALSE(screen->ui->first->isHidden());
    screen->ui->fitToFaceHome->click();
    EXPECT_TRUE(screen->ui->fitToFace->isChecked()) << "the photo's toolbar disagrees";
    VelmoraViewController nextRun;
    EXPECT_EQ(nextRun.fit(), VelmoraViewController::Fit::Face);
    screen->ui->fitToFaceHome->click();
    VelmoraViewController runAfter;
    EXPECT_EQ(runAfter.fit(), VelmoraViewController::Fit::Stretch);
}

// A stretched photo whose face lies under the glow gets a quiet hint towards Fit to face;
// one whose face is in the clear oval gets none.
TEST_F(FitToFace, AFaceUnderTheAuraGetsAQuietHint) {
    const ScopedRandomSource pinned([] { return std::uint32_t(41); });
    const QImage aura = Image::imageNamed(QStringLiteral("42.png")).toQImage();
    // Where overlay 42 glows most thickly, a box a fifth of the portrait wide.
    QRect covered;
    double densest = 0;
    for (int y = 0; y + 96 <= 480; y += 24)
        for (int x = 0; x + 72 <= 360; x += 24) {
            double sum = 0;
            for (int v = y; v < y + 96; v += 4)
                for (int u = x; u < x + 72; u += 4)
                    sum += qAlpha(aura.pixel(u, v));
            if (sum > densest)
                densest = sum, covered = QRect(x, y, 72, 96);
        }
    const QRectF clear(0.36, 0.3, 0.28, 0.25);
    for (const QRectF face : {clear, QRectF(covered.x() / 360.0, covered.y() / 480.0, 0.2, 0.2)}) {
        const bool expectHint = face != clear;
        SCOPED_TRACE(expectHint ? "under the aura" : "in the clear oval");
        const FakeFaceDetector detector({face});
        screen->setFaceDetector(&detector);
        const QString path =
            scratch.filePath(expectHint ? QStringLiteral("b.png") : QStringLiteral("a.png"));
        ASSERT_TRUE(photoWithFace(QSize(600, 800), QRectF(face.x() * 600, face.y() * 800,
                                                          face.width() * 600, face.height() * 800))
                        .save(path));
        pickFromAlbum(path);
        auto* window = qobject_cast<toolkit::Window*>(screen->view()->window());
        ASSERT_TRUE(window);
        const bool hinted =
            waitUntil([&] { return window->message().contains(QStringLiteral("Fit to face")); },
                      expectHint ? 10000 : 1500);
        EXPECT_EQ(hinted, expectHint) << qPrintable(window->message());
    }
}
