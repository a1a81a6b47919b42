// The webcam through Qt's real camera backend, on the fake webcam of tests/fakecamera.
#include "FakeFaceDetector.h"
#include "TestSupport.h"
#include "app/MainInterface.h"
#include "app/VelmoraViewController.h"
#include "portrait/LiveAura.h"
#include "ui/CameraPage.h"
#include "ui/CameraSettings.h"
#include "ui/ImageView.h"
#include "ui/PickerPlatform.h"
#include "ui/QtPickerPlatform.h"
#include "ui/Window.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>
#include <QToolButton>
#include <algorithm>
#include <mutex>

namespace {

bool near(QRgb a, QColor b, int tolerance = 40) {
    return std::abs(qRed(a) - b.red()) <= tolerance &&
           std::abs(qGreen(a) - b.green()) <= tolerance &&
           std::abs(qBlue(a) - b.blue()) <= tolerance;
}

// A face the test moves while the camera runs; looked for on another thread.
class MovingFace : public toolkit::FaceDetector {
public:
    explicit MovingFace(const QRectF& share) : m_share(share) {}
    void moveTo(const QRectF& share) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_share = share;
    }
    QList<QRect> findFaces(const QImage& picture) const override {
        std::lock_guard<std::mutex> lock(m_mutex);
        return {QRectF(m_share.x() * picture.width(), m_share.y() * picture.height(),
                       m_share.width() * picture.width(), m_share.height() * picture.height())
                    .toRect()};
    }

private:
    mutable std::mutex m_mutex;
    QRectF m_share;
};

// Deadlines are generous: the tests share the machine with others.
constexpr int kOpenMs = 20000;

class Camera : public ::testing::Test {
protected:
    /// Tells the fake webcam how to behave, at once (it reads the file every 50 ms).
    static void setCamera(const QString& settings) {
        const QString path = qEnvironmentVariable("VELMORA_FAKE_CAMERA");
        QFile file(path + QStringLiteral(".new"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(settings.toUtf8());
        file.close();
        QFile::remove(path);
        ASSERT_TRUE(file.rename(path));
    }

    /// Most tests take the photo at once and look at an unmirrored view.
    void launch(const QString& settings, int countdown = 0, bool mirrored = false) {
        setCamera(settings);
        toolkit::CameraSettings::setCountdownSeconds(countdown);
        toolkit::CameraSettings::setMirrored(mirrored);
        toolkit::CameraSettings::setLiveAura(false);
        app = loadMainInterface(std::make_unique<toolkit::QtPickerPlatform>());
        app->applicationDidFinishLaunching();
        screen = app->viewController();
    }

    void TearDown() override {
        app.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    toolkit::CameraPage* openPage() {
        EXPECT_TRUE(waitUntil([this] { return screen->ui->takePhotoBtn->isEnabled(); }, kOpenMs));
        screen->ui->takePhotoBtn->click();
        return app->window()->findChild<toolkit::CameraPage*>();
    }
    QImage shown(QWidget* w) const { return w->grab().toImage(); }
    bool liveViewShows(toolkit::CameraPage* page, QColor colour) {
        return page->findChild<QPushButton*>(QStringLiteral("shutter"))->isEnabled() &&
               near(shown(page).pixel(page->width() / 2, page->height() / 3), colour);
    }
    void cancel(toolkit::CameraPage* page) {
        page->findChild<QPushButton*>(QStringLiteral("cancel"))->click();
        ASSERT_TRUE(waitUntil([this] { return !screen->modalViewController(); }));
        EXPECT_TRUE(screen->view()->isVisible());
        // (The test runs no event loop of its own, so deferred deletions are done here.)
        EXPECT_TRUE(waitUntil(
            [this] {
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                return !app->window()->findChild<toolkit::CameraPage*>();
            },
            kOpenMs))
            << "the page is gone with its camera";
    }

    std::unique_ptr<VelmoraAppDelegate> app;
    VelmoraViewController* screen = nullptr;
};

} // namespace

TEST_F(Camera, StartsWithTheCameraPluggedAndTheControlsFollowPlugAndUnplug) {
    launch(QStringLiteral("state plugged\n"));
    ASSERT_TRUE(waitUntil(
        [this] { return app->window()->isVisible() && screen->ui->takePhotoBtn->isEnabled(); },
        kOpenMs));

    setCamera(QStringLiteral("state unplugged\n"));
    EXPECT_TRUE(waitUntil([this] { return !screen->ui->takePhotoBtn->isEnabled(); }, kOpenMs))
        << "a camera plugged in at start is listed once, so its removal shows";
    setCamera(QStringLiteral("state plugged\n"));
    EXPECT_TRUE(waitUntil([this] { return screen->ui->takePhotoBtn->isEnabled(); }, kOpenMs));
    setCamera(QStringLiteral("state unplugged\n"));
    EXPECT_TRUE(waitUntil([this] { return !screen->ui->takePhotoBtn->isEnabled(); }, kOpenMs));
}

// The camera is opened at the smallest 4:3 or 16:9 format with the 960 rows of a large
// portrait, else at its largest: the photo is the centre 3:4 part of a frame of that format.
TEST_F(Camera, TheFormatIsTheSmallestSharpEnoughElseTheLargest) {
    const struct {
        const char* sizes;
        QSize photo;
    } cases[] = {
        {"640x480 1280x720", QSize(540, 720)},
        {"640x480 2592x1944 1920x1080 1280x960", QSize(720, 960)},
        {"800x600 1920x1080", QSize(810, 1080)},
    };
    launch(QStringLiteral("state unplugged\n"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sizes);
        // A new device for each list: a device's formats are fixed when it is plugged in.
        setCamera(QStringLiteral("state plugged\nsizes %1\n").arg(QLatin1String(c.sizes)));
        auto* page = openPage();
        ASSERT_NE(page, nullptr);
        QSize taken;
        QObject::connect(page, &toolkit::CameraPage::pictureTaken,
                         [&taken](const QImage& picture) { taken = picture.size(); });
        auto* shutter = page->findChild<QPushButton*>(QStringLiteral("shutter"));
        ASSERT_TRUE(waitUntil([&] { return shutter->isEnabled(); }, kOpenMs));
        shutter->click();
        ASSERT_TRUE(waitUntil([this] { return !screen->modalViewController(); }, kOpenMs));
        EXPECT_EQ(taken, c.photo);
        setCamera(QStringLiteral("state unplugged\n"));
        ASSERT_TRUE(waitUntil([this] { return !screen->ui->takePhotoBtn->isEnabled(); }, kOpenMs));
    }
}

TEST_F(Camera, LiveViewShowsTheCentreOfAWideFrameAndSpaceTakesIt) {
    // Bars of 1/7 of the width: white, yellow, cyan, green, magenta, red, blue. The centre
    // 3:4 part of a 16:9 frame begins in the cyan bar and ends in the magenta one.
    launch(QStringLiteral("sizes 1280x720\nsource videotestsrc is-live=true pattern=smpte\n"));
    auto* page = openPage();
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(waitUntil([&] { return liveViewShows(page, QColor(0, 255, 0)); }, kOpenMs));
    const QImage view = shown(page);
    EXPECT_TRUE(near(view.pixel(3, 100), QColor(0, 255, 255))) << "cropped, not squashed";
    EXPECT_TRUE(near(view.pixel(page->width() - 4, 100), QColor(255, 0, 255)));

    page->findChild<QPushButton*>(QStringLiteral("shutter"))->click();
    ASSERT_TRUE(waitUntil([this] { return !screen->modalViewController(); }, kOpenMs));
    const QImage portrait = screen->ui->imageView->image().toQImage();
    ASSERT_EQ(portrait.size(), QSize(360, 480));
    EXPECT_TRUE(near(portrait.pixel(5, 100), QColor(0, 255, 255)));
    EXPECT_TRUE(near(portrait.pixel(180, 100), QColor(0, 255, 0)));
    EXPECT_TRUE(near(portrait.pixel(354, 100), QColor(255, 0, 255)));
    EXPECT_FALSE(screen->ui->second->isHidden());
}

// The photo is the frame at the end of the count, not the one shown when Space was pressed:
// the fake camera's bars scroll, a third of the frame's width in the three seconds.
TEST_F(Camera, TheCountedPhotoIsTheFrameAtTheEndOfTheCount) {
    launch(QStringLiteral("sizes 1280x720\n"
                          "source videotestsrc is-live=true pattern=smpte horizontal-speed=4\n"),
           3, false);
    auto* page = openPage();
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(waitUntil(
        [&] { return page->findChild<QPushButton*>(QStringLiteral("shutter"))->isEnabled(); },
        kOpenMs));
    const QImage atPress = shown(page).copy(page->viewArea()).scaled(QSize(360, 480));
    page->findChild<QPushButton*>(QStringLiteral("shutter"))->click();
    ASSERT_TRUE(waitUntil([this] { return !screen->modalViewController(); }, kOpenMs));
    const QImage portrait = screen->ui->imageView->image().toQImage();
    ASSERT_EQ(portrait.size(), QSize(360, 480));
    int differing = 0;
    for (int x = 0; x < 360; x += 4)
        differing += !near(portrait.pixel(x, 100), atPress.pixel(x, 100));
    EXPECT_GT(differing, 30) << "the photo is the frame shown when Space was pressed";
}

// Like a photo booth: the view is a mirror, the count gives time to look up, Esc calls the
// count off, a second Space cuts it short, and the photo reads the right way round.
TEST_F(Camera, CountdownMirrorAndTheirChoicesKept) {
    launch(QStringLiteral("sizes 1280x720\nsource videotestsrc is-live=true pattern=smpte\n"), 3,
           true);
    auto* page = openPage();
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(waitUntil([&] { return liveViewShows(page, QColor(0, 255, 0)); }, kOpenMs));
    EXPECT_TRUE(near(shown(page).pixel(3, 100), QColor(255, 0, 255))) << "mirrored view";
    auto whiteInCentre = [&] {
        const QImage view = shown(page);
        int white = 0;
        for (int y = view.height() / 4; y < view.height() / 2 + 60; y += 2)
            for (int x = page->width() / 3; x < page->width() * 2 / 3; x += 2)
                white += near(view.pixel(x, y), Qt::white, 20);
        return white;
    };
    const int outline = whiteInCentre(); // the framing outline's own white

    auto* shutter = page->findChild<QPushButton*>(QStringLiteral("shutter"));
    shutter->click();
    EXPECT_GT(whiteInCentre(), outline + 100) << "a large number over the view";
    waitUntil([] { return false; }, 500);
    ASSERT_TRUE(screen->modalViewController()) << "no photo before the count ends";
    page->findChild<QPushButton*>(QStringLiteral("cancel"))->click();
    waitUntil([] { return false; }, 3500);
    ASSERT_TRUE(screen->modalViewController()) << "Esc calls off the count, not the page";
    EXPECT_LE(whiteInCentre(), outline + 10) << "the number is gone";

    // The mirror is turned off and stays off on the next opening.
    page->findChild<QPushButton*>(QStringLiteral("mirrorChoice"))->click();
    EXPECT_TRUE(near(shown(page).pixel(3, 100), QColor(0, 255, 255)));
    cancel(page);
    page = openPage();
    ASSERT_TRUE(waitUntil([&] { return liveViewShows(page, QColor(0, 255, 0)); }, kOpenMs));
    EXPECT_TRUE(near(shown(page).pixel(3, 100), QColor(0, 255, 255))) << "kept between openings";
    page->findChild<QPushButton*>(QStringLiteral("mirrorChoice"))->click();

    // The count is cut short by a second press; the photo is the camera's own picture.
    shutter = page->findChild<QPushButton*>(QStringLiteral("shutter"));
    shutter->click();
    shutter->click();
    ASSERT_TRUE(waitUntil([this] { return !screen->modalViewController(); }, 2500));
    const QImage portrait = screen->ui->imageView->image().toQImage();
    ASSERT_EQ(portrait.size(), QSize(360, 480));
    EXPECT_TRUE(near(portrait.pixel(5, 100), QColor(0, 255, 255))) << "the photo is not mirrored";
    EXPECT_TRUE(near(portrait.pixel(354, 100), QColor(255, 0, 255)));
}

// With two cameras the page offers both by their names; the one chosen shows at once and is
// the one opened next time.
TEST_F(Camera, TwoCamerasAreOfferedByNameAndTheChoiceIsKept) {
    launch(QStringLiteral("source videotestsrc is-live=true pattern=red\n"
                          "second videotestsrc is-live=true pattern=blue\n"));
    auto* page = openPage();
    ASSERT_NE(page, nullptr);
    const QColor red(255, 0, 0), blue(0, 0, 255);
    ASSERT_TRUE(
        waitUntil([&] { return liveViewShows(page, red) || liveViewShows(page, blue); }, kOpenMs));
    auto* choice = page->findChild<QComboBox*>(QStringLiteral("cameraChoice"));
    ASSERT_TRUE(choice && choice->isVisible()) << "no choice of camera";
    ASSERT_EQ(choice->count(), 2);
    const bool firstShown = liveViewShows(page, red);
    EXPECT_EQ(choice->currentText().endsWith(QLatin1String("2")), !firstShown)
        << "the choice does not name the camera that shows";
    const int other = 1 - choice->currentIndex();
    const QString otherName = choice->itemText(other);
    const QColor otherColour = firstShown ? blue : red;
    choice->setCurrentIndex(other);
    emit choice->activated(other);
    ASSERT_TRUE(waitUntil([&] { return liveViewShows(page, otherColour); }, kOpenMs))
        << "the chosen camera does not show";

    cancel(page);
    page = openPage();
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(waitUntil([&] { return liveViewShows(page, otherColour); }, kOpenMs))
        << "the choice was not kept";
    choice = page->findChild<QComboBox*>(QStringLiteral("cameraChoice"));
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->currentText(), otherName);
}

// docs/camera.md offers a still picture as the fake webcam's picture.
TEST_F(Camera, AStillPictureFeedsTheLiveView) {
    QTemporaryDir dir;
    QImage still(640, 480, QImage::Format_RGB32);
    still.fill(QColor(255, 0, 255));
    const QString path = dir.filePath(QStringLiteral("still.jpg"));
    ASSERT_TRUE(still.save(path));
    launch(QStringLiteral("image %1\n").arg(path));
    auto* page = openPage();
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(waitUntil([&] { return liveViewShows(page, QColor(255, 0, 255)); }, kOpenMs));
    cancel(page);
}

// With the live aura on, the glow sits around the face the detector finds in the live view,
// moves with it and leaves it clear; the photo taken gets that same aura.
TEST_F(Camera, TheLiveAuraFollowsTheFaceAndThePhotoGetsIt) {
    QTemporaryDir dir;
    QImage still(640, 480, QImage::Format_RGB32);
    const QColor grey(128, 128, 128);
    still.fill(grey);
    const QString path = dir.filePath(QStringLiteral("grey.jpg"));
    ASSERT_TRUE(still.save(path));
    launch(QStringLiteral("image %1\n").arg(path));
    toolkit::CameraSettings::setLiveAura(true);
    screen->setFixedAura(1);
    QRectF face(0.1, 0.3, 0.3, 0.2);
    // Shared with the live aura, whose look may still run as the test ends.
    const auto detector = std::make_shared<MovingFace>(face);
    screen->setFaceDetector(detector);
    auto* page = openPage();
    ASSERT_NE(page, nullptr);
    auto glowAround = [&](const QRectF& share) {
        const QRectF area = page->viewArea();
        const QImage view = shown(page);
        const QPointF centre(area.x() + share.center().x() * area.width(),
                             area.y() + share.center().y() * area.height());
        // The glow lies above or beside the head, depending on the overlay.
        const QPointF around[] = {{centre.x(), area.y() + (share.top() - 0.15) * area.height()},
                                  {area.x() + (share.left() - 0.1) * area.width(), centre.y()},
                                  {area.x() + (share.right() + 0.1) * area.width(), centre.y()}};
        const bool glows = std::any_of(std::begin(around), std::end(around), [&](QPointF p) {
            return area.contains(p) && !near(view.pixel(p.toPoint()), grey, 20);
        });
        return near(view.pixel(centre.toPoint()), grey, 12) && glows;
    };
    EXPECT_TRUE(waitUntil([&] { return glowAround(face); }, kOpenMs))
        << "the aura around the face, the face clear";
    // Where the glow lies across the view: its colour's centre, as a share of the width.
    auto glowCentre = [&] {
        const QRect area = page->viewArea().adjusted(0, 44, 0, 0); // below the controls
        const QImage view = shown(page);
        double weight = 0, sum = 0;
        for (int y = area.top(); y <= area.bottom(); y += 3)
            for (int x = area.left(); x <= area.right(); x += 3) {
                const QRgb p = view.pixel(x, y);
                const int off = std::max(
                    {std::abs(qRed(p) - 128), std::abs(qGreen(p) - 128), std::abs(qBlue(p) - 128)});
                if (off > 20) {
                    weight += off;
                    sum += off * double(x - area.left()) / area.width();
                }
            }
        return weight > 0 ? sum / weight : 0.0;
    };
    const double before = glowCentre();
    const QRectF moved = face.translated(0.5, 0.1);
    detector->moveTo(moved);
    EXPECT_TRUE(
        waitUntil([&] { return glowAround(moved) && glowCentre() > before + 0.15; }, kOpenMs))
        << "the glow follows the face across, from " << before;

    const int previewed = page->findChild<LiveAura*>()->auraNumber();
    page->findChild<QPushButton*>(QStringLiteral("shutter"))->click();
    ASSERT_TRUE(waitUntil([this] { return !screen->modalViewController(); }, kOpenMs));
    EXPECT_EQ(screen->currentimage + 1, previewed) << "the photo gets the aura it was shown with";
}

// Fitted to the face, the live view still shows the outline, and the shot goes through the
// face framing: the aura is laid on the face, which it leaves clear.
TEST_F(Camera, InFaceModeTheShotIsFramedAroundTheFace) {
    launch(QStringLiteral("sizes 1280x720\nsource videotestsrc is-live=true pattern=smpte\n"));
    const QRectF face(0.55, 0.3, 0.25, 0.1875);
    const FakeFaceDetector detector({face});
    screen->setFaceDetector(&detector);
    screen->setFit(VelmoraViewController::Fit::Face);
    auto* page = openPage();
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(waitUntil([&] { return liveViewShows(page, QColor(0, 255, 0)); }, kOpenMs));
    EXPECT_FALSE(screen->ui->siloImage->isHidden()) << "the outline over the live view";
    page->findChild<QPushButton*>(QStringLiteral("shutter"))->click();
    ASSERT_TRUE(waitUntil([this] { return !screen->modalViewController() && !screen->isFitting(); },
                          kOpenMs));
    EXPECT_FALSE(screen->ui->second->isHidden());
    const QImage aura = screen->ui->auraImage->image().toQImage();
    ASSERT_EQ(aura.size(), QSize(360, 480));
    const QRect box(int(face.x() * 360), int(face.y() * 480), int(face.width() * 360),
                    int(face.height() * 480));
    EXPECT_EQ(qAlpha(aura.pixel(box.center())), 0) << "no aura on the face";
    EXPECT_GT(qAlpha(aura.pixel(box.center().x(), box.top() - 60)), 0) << "aura above the head";
}

TEST_F(Camera, LiveViewKeepsRunningThroughASlowFrameAndAnEndedStream) {
    const QString bars =
        QStringLiteral("source videotestsrc is-live=true pattern=smpte horizontal-speed=9\n");
    launch(bars);
    auto* page = openPage();
    ASSERT_NE(page, nullptr);
    auto changesWithin = [&](int ms) {
        int changes = 0;
        QImage last = shown(page);
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms) {
            waitUntil([] { return false; }, 250);
            const QImage now = shown(page);
            changes += now != last;
            last = now;
        }
        return changes;
    };
    ASSERT_TRUE(waitUntil([&] { return changesWithin(500) > 0; }, kOpenMs));
    EXPECT_GE(changesWithin(3000), 6) << "the bars move for seconds";

    // The GUI thread is late for a frame, as under a slow paint: the view comes back.
    QThread::msleep(700);
    EXPECT_TRUE(waitUntil([&] { return changesWithin(1000) >= 3; }, 8000));
    EXPECT_TRUE(page->problem().isEmpty());

    // The stream ends for good, as the backend ends it when the GUI thread is late for a
    // frame: the camera is opened again and the view goes on, without a message.
    setCamera(QStringLiteral("state ended\n") + bars);
    waitUntil([] { return false; }, 300);
    setCamera(QStringLiteral("state plugged\n") + bars);
    waitUntil([] { return false; }, 500);
    EXPECT_TRUE(waitUntil([&] { return changesWithin(1000) >= 3; }, 8000));
    EXPECT_TRUE(page->problem().isEmpty());

    page->findChild<QPushButton*>(QStringLiteral("shutter"))->click();
    ASSERT_TRUE(waitUntil([this] { return !screen->modalViewController(); }, kOpenMs));
    EXPECT_EQ(screen->ui->imageView->image().size(), QSize(360, 480));
}

TEST_F(Camera, EveryFailureIsExplainedOnThePageAndCancelReturns) {
    const QColor green(0, 255, 0);
    const QString greenCamera =
        QStringLiteral("source videotestsrc is-live=true pattern=solid-color "
                       "foreground-color=0xff00ff00\n");
    launch(QStringLiteral("state busy\n") + greenCamera);
    ASSERT_TRUE(waitUntil([this] { return screen->ui->takePhotoBtn->isEnabled(); }, kOpenMs));

    // Another program holds the camera: it is listed, but sends nothing.
    auto* page = openPage();
    ASSERT_TRUE(waitUntil([&] { return !page->problem().isEmpty(); }, kOpenMs));
    EXPECT_EQ(page->problem(),
              QStringLiteral("The camera sends no picture. Another program may be using it."));
    cancel(page);

    // The stream stalls while the page is open.
    setCamera(QStringLiteral("state plugged\n") + greenCamera);
    page = openPage();
    ASSERT_TRUE(waitUntil([&] { return liveViewShows(page, green); }, kOpenMs));
    setCamera(QStringLiteral("state stalled\n") + greenCamera);
    ASSERT_TRUE(waitUntil([&] { return !page->problem().isEmpty(); }, kOpenMs));
    EXPECT_TRUE(page->problem().contains(QStringLiteral("stopped sending")));
    EXPECT_FALSE(near(shown(page).pixel(page->width() / 2, page->height() / 3), green))
        << "the message replaces the frozen frame";
    cancel(page);

    // The shutter is pressed when frames have stopped.
    setCamera(QStringLiteral("state plugged\n") + greenCamera);
    page = openPage();
    ASSERT_TRUE(waitUntil([&] { return liveViewShows(page, green); }, kOpenMs));
    setCamera(QStringLiteral("state stalled\n") + greenCamera);
    waitUntil([] { return false; }, 800);
    page->findChild<QPushButton*>(QStringLiteral("shutter"))->click();
    ASSERT_TRUE(waitUntil([&] { return !page->problem().isEmpty(); }, kOpenMs));
    EXPECT_TRUE(page->problem().contains(QStringLiteral("no picture to take")));
    cancel(page);

    // The camera is unplugged during the view.
    setCamera(QStringLiteral("state plugged\n") + greenCamera);
    page = openPage();
    ASSERT_TRUE(waitUntil([&] { return liveViewShows(page, green); }, kOpenMs));
    setCamera(QStringLiteral("state unplugged\n") + greenCamera);
    ASSERT_TRUE(waitUntil([&] { return !page->problem().isEmpty(); }, kOpenMs));
    EXPECT_TRUE(page->problem().contains(QStringLiteral("unplugged")));
    EXPECT_TRUE(page->problem().endsWith(QStringLiteral("choose a photo (Ctrl+O).")))
        << "the screen's own shortcut is offered: " << qPrintable(page->problem());
    cancel(page);
    EXPECT_TRUE(waitUntil([this] { return !screen->ui->takePhotoBtn->isEnabled(); }, kOpenMs));
}
