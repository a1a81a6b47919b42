#include "app/ComposeCommand.h"

#include "album/PhotoAlbum.h"
#include "app/MainInterface.h"
#include "base/FileName.h"
#include "base/MemoryPressureMonitor.h"
#include "base/Resources.h"
#include "camera/CameraSource.h"
#include "imaging/DecodeAhead.h"
#include "ui/ImagePickerController.h"
#include "ui/PickerPlatform.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <optional>

namespace {
// Composing never asks the user anything and never opens a camera.
class HeadlessPickerPlatform : public toolkit::PickerPlatform {
public:
    void chooseFile(QWidget*, const QString&, std::function<void(const QString&)> chosen) override {
        chosen(QString());
    }
    bool hasCamera() const override { return false; }
    std::unique_ptr<toolkit::CameraSource> openCamera() override { return nullptr; }
};

// Paths are written as the file system has them, so that a script can use every one; on
// stderr escaped, so that a name with a newline cannot forge a line.
void report(const QString& line, FILE* stream) {
    const QByteArray bytes = (stream == stderr ? toolkit::FileName::escapedLine(line)
                                               : toolkit::FileName::encode(line)) +
                             '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}
} // namespace

int ComposeCommand::run() {
    HeadlessPickerPlatform headless;
    const toolkit::PickerPlatform::Scope usingHeadless(&headless);
    toolkit::PhotoAlbum& album = toolkit::PhotoAlbum::shared();
    if (!outFolder.isEmpty())
        album.setFolder(outFolder);

    int failures = 0;
    // Each save of this run is followed through this object, which ends with the run: the
    // counter lives on this stack.
    QObject followingSaves;

    // SIGTERM or SIGINT: the photo being composed is given up and the portrait being
    // written is finished, so no temporary is left; a second signal ends it at once.
    bool stopped = false;
    toolkit::MemoryPressureMonitor signals_(&toolkit::PhotoAlbum::removeTemporaryNow);
    QObject::connect(&signals_, &toolkit::MemoryPressureMonitor::terminationRequested,
                     [&stopped] { stopped = true; });

    {
        // The screen in its window, as the application has it, but never shown: nobody
        // looks at it, so the home picture, the icons and showing the window are left out.
        // Its tree renders the same, down to the window's background behind the photo.
        std::unique_ptr<VelmoraAppDelegate> delegate = loadMainInterface(InterfaceUse::Portraits);
        VelmoraViewController* screen = delegate->viewController();
        screen->setFit(fit);
        screen->setFixedAura(aura);
        delegate->window()->addSubview(screen->view());
        // The photos are decoded ahead, about one a core, while the screen composes them
        // one by one in their order: the aura each gets, and so each file, is the same as
        // without. Only the photos in flight are held, however long the batch.
        const int inFlight = QThread::idealThreadCount();
        int writing = 0;
        toolkit::DecodeAhead ahead(inFlight);
        for (const QString& photo : photos)
            ahead.announce(photo, toolkit::ImagePickerController::decodeSize());
        std::optional<toolkit::DecodeAhead::Scope> usingAhead(&ahead);
        for (const QString& photo : photos) {
            const auto opened = screen->openPhotoFile(photo);
            if (!opened.ok()) {
                ++failures;
                report(QStringLiteral("velmora: skipped %1: %2").arg(photo, opened.error()),
                       stderr);
                continue;
            }
            QString refusal;
            QObject::connect(opened.value(), &toolkit::ImagePickerController::refused,
                             [&refusal](const QString& reason) { refusal = reason; });
            // The pick arrives through the event loop, as it does in the application; the
            // decoder's own time limit ends a pick that takes too long.
            // Waits for events rather than polling for them: a poll loop took a core from the
            // decoder. The tick bounds each wait so the deadline and a stop are still seen.
            QElapsedTimer waited;
            waited.start();
            QTimer tick;
            tick.start(50);
            while ((screen->modalViewController() || screen->isFitting()) &&
                   waited.elapsed() < 30000 && !stopped)
                QCoreApplication::processEvents(QEventLoop::AllEvents |
                                                QEventLoop::WaitForMoreEvents);
            if (stopped)
                break;
            if (!refusal.isEmpty()) {
                ++failures;
                report(QStringLiteral("velmora: skipped %1").arg(refusal), stderr);
                continue;
            }
            if (screen->modalViewController() || screen->isFitting()) {
                // Saving now would write the previous portrait under this photo's name.
                ++failures;
                report(QStringLiteral("velmora: skipped %1: the photo did not arrive in time")
                           .arg(photo),
                       stderr);
                screen->dismissModalViewControllerAnimated(false);
                continue;
            }
            // A portrait without its aura is no portrait: an install that lost its pictures
            // fails loudly here, where the window would just show the bare photo.
            if (!screen->auraImage || screen->auraImage->image().isNull()) {
                ++failures;
                report(QStringLiteral("velmora: skipped %1: the aura overlay \"%2.png\" is "
                                      "missing from %3")
                           .arg(photo)
                           .arg(screen->currentimage + 1)
                           .arg(QDir::toNativeSeparators(toolkit::resourcePath())),
                       stderr);
                continue;
            }
            // The album's writer may fall behind the screen: portraits waiting for it are
            // held whole, so no more wait than photos are decoded ahead.
            while (writing >= inFlight && !stopped)
                QCoreApplication::processEvents(QEventLoop::AllEvents |
                                                QEventLoop::WaitForMoreEvents);
            if (stopped)
                break;
            toolkit::AlbumSave* saving = screen->savePortrait();
            if (!saving) {
                ++failures;
                report(QStringLiteral("velmora: skipped %1: there is no photo area to save")
                           .arg(photo),
                       stderr);
                continue;
            }
            // The album prints its own line for a failed write; here it is only counted.
            ++writing;
            QObject::connect(saving, &toolkit::AlbumSave::finished, &followingSaves,
                             [&failures, &writing](const toolkit::Result<QString>& outcome) {
                                 --writing;
                                 if (outcome.ok())
                                     report(outcome.value(), stdout);
                                 else
                                     ++failures;
                             });
            QCoreApplication::processEvents();
            if (stopped)
                break;
        }
        if (stopped) {
            album.discardQueuedWrites();
            report(QStringLiteral("velmora: stopped before every photo was composed"), stderr);
            ++failures;
        }
        usingAhead.reset();
        album.waitForQueuedWrites();
        QCoreApplication::processEvents();
    }
    return failures == 0 ? 0 : 1;
}
