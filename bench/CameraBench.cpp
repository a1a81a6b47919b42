// The camera page on the fake webcam of tests/fakecamera, through Qt's real backend: time
// from Ctrl+T to the first live frame, from Space to the portrait on screen, and the
// process's CPU while the live view runs. Speed is measured here, never asserted by tests.
//
//   velmora_camera_bench [--sizes "1280x720 640x480"] [--rounds 5] [--seconds 10]
//                        [--face PHOTO]
//
// With --face the camera shows PHOTO (a JPEG of a person, at the camera's aspect) and the
// live aura is on: the bench also counts the looks for the face a second.
#include "app/MainInterface.h"
#include "app/VelmoraAppDelegate.h"
#include "app/VelmoraViewController.h"
#include "base/Resources.h"
#include "imaging/ProcessSetup.h"
#include "ui/Application.h"
#include "ui/CameraPage.h"
#include "ui/ImageView.h"
#include "ui/PickerPlatform.h"
#include "ui/QtPickerPlatform.h"
#include "ui/Window.h"

#include "portrait/LiveAura.h"
#include "ui/CameraSettings.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>
#include <unistd.h>

namespace {

bool waitFor(const std::function<bool()>& done, int ms = 30000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

namespace {

// The calling thread's own CPU time, in seconds.
double guiThreadSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Counts the paints of the object it watches.
class PaintCounter : public QObject {
public:
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

} // namespace

int main(int argc, char** argv) {
    QString sizes = QStringLiteral("1280x720 640x480");
    int rounds = 5;
    int seconds = 10;
    QString face;
    for (int i = 1; i + 1 < argc; i += 2) {
        const QString flag = QString::fromUtf8(argv[i]);
        if (flag == QLatin1String("--sizes"))
            sizes = QString::fromUtf8(argv[i + 1]);
        else if (flag == QLatin1String("--rounds"))
            rounds = std::max(1, atoi(argv[i + 1]));
        else if (flag == QLatin1String("--seconds"))
            seconds = std::max(1, atoi(argv[i + 1]));
        else if (flag == QLatin1String("--face"))
            face = QFileInfo(QString::fromUtf8(argv[i + 1])).absoluteFilePath();
    }
    const QByteArray plugins = VELMORA_FAKE_CAMERA_PLUGINS;
    qputenv("GST_PLUGIN_PATH", plugins);
    qputenv("GST_REGISTRY", plugins + "/registry.bin");
    qputenv("GST_PLUGIN_FEATURE_RANK", "v4l2deviceprovider:NONE,pipewiredeviceprovider:NONE,"
                                       "libcameraprovider:NONE");
    const QString control =
        QDir::temp().filePath(QStringLiteral("velmora-camera-bench-%1").arg(getpid()));
    qputenv("VELMORA_FAKE_CAMERA", control.toUtf8());
    QFile file(control);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    const QString source = face.isEmpty()
                               ? QStringLiteral("source videotestsrc is-live=true pattern=smpte "
                                                "horizontal-speed=4\n")
                               : QStringLiteral("image %1\n").arg(face);
    file.write((QStringLiteral("sizes %1\n").arg(sizes) + source).toUtf8());
    file.close();

    // Space is timed to the portrait without the countdown (the 0.6 s the photo is held
    // stays in); the bench's settings live in a folder of its own, not the user's.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    QApplication qapp(argc, argv);
    toolkit::configureProcess(VelmoraAppDelegate::identity());
    toolkit::CameraSettings::setCountdownSeconds(0);
    toolkit::CameraSettings::setLiveAura(!face.isEmpty());
    toolkit::setResourcePath(QStringLiteral(VELMORA_BENCH_RESOURCES));
    toolkit::setModuleFolder(QStringLiteral(VELMORA_MODULES));
    auto app = loadMainInterface(std::make_unique<toolkit::QtPickerPlatform>());
    app->applicationDidFinishLaunching();
    VelmoraViewController* screen = app->viewController();
    QWidget* window = app->window();
    if (!waitFor([&] { return screen->ui->takePhotoBtn->isEnabled(); })) {
        std::fprintf(stderr, "camera bench: the fake camera was not found\n");
        return 1;
    }

    window->activateWindow();
    (void)QTest::qWaitForWindowActive(window); // shortcuts go to the active window

    std::vector<double> toFrame, toPortrait;
    double cpuShare = 0;
    double framesPerSecond = 0;
    double guiMsPerFrame = 0;
    double looksPerSecond = 0;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer t;
        t.start();
        QTest::keyClick(window, Qt::Key_T, Qt::ControlModifier);
        toolkit::CameraPage* page = nullptr;
        QPushButton* shutter = nullptr;
        const bool live = waitFor([&] {
            page = window->findChild<toolkit::CameraPage*>();
            shutter = page ? page->findChild<QPushButton*>(QStringLiteral("shutter")) : nullptr;
            return shutter && shutter->isEnabled();
        });
        if (!live) {
            std::fprintf(stderr, "camera bench: no live frame in 30 s\n");
            return 1;
        }
        toFrame.push_back(t.elapsed() / 1000.0);
        if (round == 0) {
            const double cpu0 = cpuSeconds();
            const double gui0 = guiThreadSeconds();
            // Each live frame is one paint of the page: counted, with the GUI thread's CPU.
            PaintCounter paints;
            page->installEventFilter(&paints);
            QElapsedTimer wall;
            wall.start();
            // A plain event loop, as the application runs: a polling wait would cost CPU itself.
            const LiveAura* aura = page->findChild<LiveAura*>();
            const int looks0 = aura ? aura->looks() : 0;
            QEventLoop idle;
            QTimer::singleShot(seconds * 1000, &idle, &QEventLoop::quit);
            idle.exec();
            if (aura)
                looksPerSecond = (aura->looks() - looks0) / (wall.elapsed() / 1000.0);
            cpuShare = (cpuSeconds() - cpu0) / (wall.elapsed() / 1000.0);
            page->removeEventFilter(&paints);
            framesPerSecond = paints.count / (wall.elapsed() / 1000.0);
            guiMsPerFrame =
                paints.count > 0 ? (guiThreadSeconds() - gui0) * 1000.0 / paints.count : 0.0;
        }
        t.restart();
        QTest::keyClick(page, Qt::Key_Space);
        waitFor([&] { return !screen->modalViewController() && screen->view()->isVisible(); });
        window->repaint(); // the portrait is on screen once the window has painted it
        toPortrait.push_back(t.elapsed() / 1000.0);
        waitFor([&] { return !window->findChild<toolkit::CameraPage*>(); });
    }
    QFile::remove(control);
    std::printf("camera formats offered: %s; platform %s\n", qPrintable(sizes),
                qPrintable(QGuiApplication::platformName()));
    std::printf("Ctrl+T to first live frame: median %.3f s, max %.3f s over %d rounds\n",
                median(toFrame), *std::max_element(toFrame.begin(), toFrame.end()), rounds);
    std::printf("Space to portrait on screen: median %.3f s, max %.3f s\n", median(toPortrait),
                *std::max_element(toPortrait.begin(), toPortrait.end()));
    std::printf("CPU with the live view open: %.0f %% of one core over %d s\n", cpuShare * 100,
                seconds);
    std::printf("live view: %.1f frames a second, %.2f ms of GUI-thread CPU a frame\n",
                framesPerSecond, guiMsPerFrame);
    if (!face.isEmpty())
        std::printf("live aura: %.1f looks for the face a second\n", looksPerSecond);
    return 0;
}
