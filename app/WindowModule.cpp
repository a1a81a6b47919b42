#include "app/WindowModule.h"

#include "album/PhotoAlbum.h"
#include "app/MainInterface.h"
#include "app/Program.h"
#include "imaging/ProcessSetup.h"
#include "ui/Application.h"
#include "ui/QtPickerPlatform.h"

#include <QGuiApplication>
#include <QTimer>

int velmora_window_main_v1(const WindowStart& start) {
    // This module's own copies of the subsystems: the executable configured its own.
    toolkit::configureProcess(programIdentity());
    toolkit::PhotoAlbum::shared().setFolder(toolkit::PhotoAlbum::defaultFolder(start.albumOption));
    // Qt sees only the program's name: its own options (-style, -platform, -reverse) are
    // not Velmora's, and were refused as unknown.
    static int qtArgc = 1;
    static char* qtArgv[] = {start.programName, nullptr};
    // The identity the desktop knows the application by: its desktop file and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.velmora.Velmora"));
    return finishProcess(toolkit::applicationMain(qtArgc, qtArgv, [start] {
        if (start.started)
            start.started();
        setApplicationIcon();
        std::unique_ptr<VelmoraAppDelegate> app =
            loadMainInterface(std::make_unique<toolkit::QtPickerPlatform>(), start.faces);
        if (start.fit)
            app->viewController()->setFit(*start.fit);
        if (!start.photos.isEmpty()) {
            // Opened once the window shows, through the same path as a pick from the album.
            VelmoraAppDelegate* launched = app.get();
            QTimer::singleShot(0, launched->viewController(), [launched, photos = start.photos] {
                openPhotoFiles(*launched, photos);
            });
        }
        return app;
    }));
}
