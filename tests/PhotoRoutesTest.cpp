#include "PhotoFixture.h"
#include "ui/CameraPage.h"

#include <QImageWriter>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRegion>
#include <QTest>

using toolkit::Image;

// The ways a photo comes in besides the chooser: the camera page and a drop, and what
// becomes of a photo on its way when the screen is unloaded or the opening is cancelled.

TEST_F(Photo, TheCameraPageDeliversAFrameFromItsSource) {
    screen->getPhoto(screen->ui->takePhotoBtn);
    ASSERT_TRUE(platform.camera);
    EXPECT_TRUE(platform.camera->running);
    auto* page = app->window()->findChild<toolkit::CameraPage*>();
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->isVisible());
    EXPECT_FALSE(screen->view()->isVisible()) << "the page covers the screen";
    auto* shutter = page->findChild<QPushButton*>(QStringLiteral("shutter"));
    EXPECT_FALSE(shutter->isEnabled()) << "no frame has shown that the camera works";

    QImage frame(640, 480, QImage::Format_RGB32);
    frame.fill(QColor(250, 40, 200));
    platform.camera->feed(frame);
    EXPECT_TRUE(shutter->isEnabled());
    shutter->click();

    ASSERT_TRUE(waitUntil([this] { return !screen->modalViewController(); }));
    EXPECT_TRUE(screen->view()->isVisible());
    const QImage shown = screen->ui->imageView->image().toQImage();
    ASSERT_EQ(shown.size(), QSize(360, 480));
    EXPECT_TRUE(near(shown.pixel(10, 10), QColor(250, 40, 200), 4));
    EXPECT_FALSE(screen->ui->second->isHidden());
    EXPECT_TRUE(screen->ui->siloImage->isHidden());
}

// Over the live view lies the framing silhouette, not the reveal picture shown on the
// screen beneath the page: the page shows the frame with the silhouette drawn over it.
TEST_F(Photo, TheSilhouetteLiesOverTheLiveView) {
    screen->getPhoto(screen->ui->takePhotoBtn);
    auto* page = app->window()->findChild<toolkit::CameraPage*>();
    ASSERT_TRUE(page && platform.camera);
    const QColor green(30, 200, 90);
    QImage frame(480, 640, QImage::Format_RGB32);
    frame.fill(green);
    platform.camera->feed(frame);
    const QRect area = page->viewArea();
    const QImage shown = page->grab(area).toImage().convertToFormat(QImage::Format_ARGB32);
    // The page's own controls over the view (timer, live aura, mirror) are not the view.
    QRegion controls;
    for (const char* name : {"countdownChoice", "mirrorChoice", "liveAuraChoice"})
        if (auto* control = page->findChild<QWidget*>(QLatin1String(name)))
            controls += control->geometry().translated(-area.topLeft());
    auto differingFrom = [&](const toolkit::ImageView* overlay) {
        QImage expected(area.size(), QImage::Format_ARGB32);
        expected.fill(green);
        QPainter painter(&expected);
        overlay->image().drawInRect(painter, QRectF(QPointF(0, 0), area.size()));
        painter.end();
        int differing = 0;
        for (int y = 0; y < area.height(); ++y)
            for (int x = 0; x < area.width(); ++x)
                differing += !controls.contains(QPoint(x, y)) &&
                             !near(shown.pixel(x, y), expected.pixelColor(x, y), 6);
        return differing;
    };
    const int pixels = area.width() * area.height();
    EXPECT_LT(differingFrom(screen->ui->siloImage), pixels / 100);
    EXPECT_GT(differingFrom(screen->ui->reveal), pixels / 20) << "the two pictures look alike";
}

// A camera that fails after its first frames leaves a shutter that cannot be pressed, even
// while late frames still arrive: the page says why, and Cancel is the way out.
TEST_F(Photo, AFailedCameraLeavesNoShutterToPress) {
    screen->getPhoto(screen->ui->takePhotoBtn);
    auto* page = app->window()->findChild<toolkit::CameraPage*>();
    ASSERT_TRUE(page && platform.camera);
    auto* shutter = page->findChild<QPushButton*>(QStringLiteral("shutter"));
    QImage frame(480, 640, QImage::Format_RGB32);
    frame.fill(Qt::darkCyan);
    platform.camera->feed(frame);
    ASSERT_TRUE(shutter->isEnabled());
    emit platform.camera->failed(QStringLiteral("the device was lost"));
    platform.camera->feed(frame);
    EXPECT_FALSE(shutter->isEnabled());
    EXPECT_TRUE(page->problem().contains(QStringLiteral("the device was lost")));
    shutter->click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(screen->modalViewController()) << "no photo was taken";
    EXPECT_TRUE(screen->ui->second->isHidden());
}

TEST_F(Photo, WithoutACameraTheTakePhotoControlsSayWhyAndComeBackWhenOneIsPlugged) {
    platform.setCameraPresent(false);
    EXPECT_FALSE(screen->ui->takePhotoBtn->isEnabled());
    EXPECT_FALSE(screen->ui->takePhotoBtn2->isEnabled());
    EXPECT_TRUE(screen->ui->takePhotoBtn->toolTip().contains(QStringLiteral("No camera")));
    // Not only in the tooltip: a click on the disabled button is answered, quietly.
    QTest::mouseClick(screen->ui->takePhotoBtn, Qt::LeftButton);
    EXPECT_TRUE(app->window()->message().contains(QStringLiteral("No camera")));
    EXPECT_EQ(app->window()->messageKind(), toolkit::Window::MessageKind::Information);
    EXPECT_FALSE(screen->modalViewController());
    app->window()->dismissMessage();

    // Even if asked (a camera pulled out just now), the page says so and cancel works.
    screen->getPhoto(screen->ui->takePhotoBtn);
    auto* page = app->window()->findChild<toolkit::CameraPage*>();
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->problem().contains(QStringLiteral("No camera")));
    page->findChild<QPushButton*>(QStringLiteral("cancel"))->click();
    ASSERT_TRUE(waitUntil([this] { return !screen->modalViewController(); }));
    EXPECT_TRUE(screen->view()->isVisible());

    platform.setCameraPresent(true);
    EXPECT_TRUE(screen->ui->takePhotoBtn->isEnabled());
}

TEST_F(Photo, ADroppedFileTakesTheAlbumRoute) {
    emit app->window()->filesDropped({picture(QStringLiteral("dropped.jpg"), QSize(900, 700))});
    ASSERT_TRUE(waitUntil([this] { return !screen->ui->second->isHidden(); }));
    EXPECT_EQ(screen->ui->imageView->image().size(), QSize(360, 480));
    EXPECT_EQ(platform.chooserOpened, 0);

    const QImage before = screen->ui->imageView->image().toQImage();
    emit app->window()->filesDropped({scratch.filePath(QStringLiteral("missing.png"))});
    ASSERT_TRUE(waitUntil([this] { return !screen->modalViewController(); }));
    EXPECT_TRUE(app->window()->message().contains(QStringLiteral("missing.png")));
    EXPECT_EQ(screen->ui->imageView->image().toQImage(), before);
    EXPECT_EQ(screen->modalViewController(), nullptr);
}

TEST_F(Photo, APhotoTakenAfterTheScreenWasUnloadedShowsOnTheReloadedScreen) {
    LogCapture log;
    screen->getPhoto(screen->ui->takePhotoBtn);
    screen->didReceiveMemoryWarning();
    ASSERT_FALSE(screen->isViewLoaded()) << "the camera page covers the screen";

    QImage frame(320, 240, QImage::Format_RGB32);
    frame.fill(QColor(20, 200, 240));
    platform.camera->feed(frame);
    app->window()
        ->findChild<toolkit::CameraPage*>()
        ->findChild<QPushButton*>(QStringLiteral("shutter"))
        ->click();

    ASSERT_TRUE(waitUntil([this] { return !screen->modalViewController(); }));
    ASSERT_TRUE(screen->isViewLoaded());
    EXPECT_TRUE(screen->view()->isVisible());
    EXPECT_TRUE(
        near(screen->ui->imageView->image().toQImage().pixel(100, 100), QColor(20, 200, 240), 4));
    EXPECT_FALSE(screen->ui->auraImage->isHidden());
    EXPECT_FALSE(screen->ui->second->isHidden());
    EXPECT_TRUE(screen->ui->first->isHidden());
    EXPECT_EQ(log.lines.size(), 1);
}

// A memory warning while the camera page covers the screen unloads it; cancelling the page
// brings back the very portrait the screen showed, photo and aura, not the home screen.
TEST_F(Photo, AMemoryWarningUnderTheCameraPageKeepsThePortraitShown) {
    pickFromAlbum(picture(QStringLiteral("kept.png"), QSize(600, 800)));
    const QRect photoArea(0, 0, 360, 480);
    const QImage before = app->window()->grab(photoArea).toImage();
    screen->getPhoto(screen->ui->takePhotoBtn);
    screen->didReceiveMemoryWarning();
    ASSERT_FALSE(screen->isViewLoaded());
    app->window()
        ->findChild<toolkit::CameraPage*>()
        ->findChild<QPushButton*>(QStringLiteral("cancel"))
        ->click();
    ASSERT_TRUE(waitUntil([this] { return !screen->modalViewController(); }));
    ASSERT_TRUE(screen->isViewLoaded());
    EXPECT_TRUE(app->window()->grab(photoArea).toImage() == before);
    EXPECT_TRUE(screen->ui->homeview->isHidden());
    EXPECT_FALSE(screen->ui->second->isHidden());
}

// Opening a photo happens off the main thread: the window says so and offers Cancel, which
// abandons it; a second drop replaces a photo still being opened.
TEST_F(Photo, APhotoBeingOpenedCanBeCancelledOrReplacedByTheNextDrop) {
    // Noise in a progressive JPEG: slow enough to decode that it is still opening when
    // the test looks.
    QImage noise(6000, 4500, QImage::Format_RGB32);
    quint32 seed = 7;
    for (int y = 0; y < noise.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(noise.scanLine(y));
        for (int x = 0; x < noise.width(); ++x)
            line[x] = (seed = seed * 1664525u + 1013904223u) >> 8;
    }
    const QString slow = scratch.filePath(QStringLiteral("slow.jpg"));
    QImageWriter writer(slow, "jpeg");
    writer.setProgressiveScanWrite(true);
    writer.setQuality(95);
    ASSERT_TRUE(writer.write(noise));
    noise = QImage();
    const QString blue = picture(QStringLiteral("blue.jpg"), QSize(300, 400), QColor(0, 0, 230));
    const QImage before = screen->ui->imageView->image().toQImage();

    emit app->window()->filesDropped({slow});
    QWidget* opening = nullptr;
    ASSERT_TRUE(waitUntil([&] {
        opening = app->window()->findChild<QWidget*>(QStringLiteral("openingPhoto"));
        return opening && opening->isVisible();
    }));
    const QList<QLabel*> labels = opening->findChildren<QLabel*>();
    ASSERT_FALSE(labels.isEmpty());
    EXPECT_TRUE(labels.first()->text().contains(QStringLiteral("slow.jpg")));
    opening->findChild<QPushButton*>()->click();
    EXPECT_EQ(screen->modalViewController(), nullptr);
    QTest::qWait(1500); // a late answer from the abandoned decode must not land
    EXPECT_EQ(screen->ui->imageView->image().toQImage(), before);
    EXPECT_EQ(app->window()->findChild<QWidget*>(QStringLiteral("openingPhoto")), nullptr);

    emit app->window()->filesDropped({slow});
    emit app->window()->filesDropped({blue});
    ASSERT_TRUE(waitUntil([this] { return !screen->modalViewController(); }));
    QTest::qWait(1500);
    EXPECT_TRUE(
        near(screen->ui->imageView->image().toQImage().pixel(180, 240), QColor(0, 0, 230), 8));

    // The Album button during an opening is a new pick too.
    const QString red = picture(QStringLiteral("red.jpg"), QSize(300, 400), QColor(230, 0, 0));
    emit app->window()->filesDropped({slow});
    platform.nextChoice = red;
    screen->getPhoto(screen->ui->choosePhotoBtn);
    ASSERT_TRUE(waitUntil([this] { return !screen->modalViewController(); }));
    EXPECT_EQ(platform.chooserOpened, 1);
    QTest::qWait(1500);
    EXPECT_TRUE(
        near(screen->ui->imageView->image().toQImage().pixel(180, 240), QColor(230, 0, 0), 8));
}
