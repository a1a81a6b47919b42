#pragma once

#include "face/FaceDetector.h"
#include "portrait/PortraitComposer.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

/// What the window starts with, read from the command line by the executable.
struct WindowStart {
    /// The program's name as it was started (argv[0]).
    char* programName = nullptr;
    /// --album, or empty for the default folder.
    QString albumOption;
    /// Photos to open once the window shows, as if chosen from the album.
    QStringList photos;
    /// --fit, when given; else the screen starts in the fit last chosen on it.
    std::optional<PortraitComposer::Fit> fit;
    /// Finds the faces photos are fitted to: the executable's own, so that the module holds
    /// no detector (whose libraries cannot be linked into a shared object).
    std::shared_ptr<const toolkit::FaceDetector> faces;
    /// Called once the application object exists, before the window is built; null for
    /// none. A benchmark watches the first frame through it.
    void (*started)() = nullptr;
};

/// The window module's one entry point, looked up by name once the module is loaded. The
/// window, with Qt Widgets and everything it draws, lives in the module so that the compose
/// command never binds it. Its name carries WindowStart's version.
#define VELMORA_WINDOW_MODULE_ENTRY "velmora_window_main_v1"

extern "C" {
/// Runs the application's window until the user quits; the process's exit status.
__attribute__((visibility("default"))) int velmora_window_main_v1(const WindowStart& start);
/// The type of velmora_window_main_v1, for whoever resolves it.
typedef int (*VelmoraWindowEntry)(const WindowStart& start);
}
