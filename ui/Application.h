#pragma once

#include "base/ApplicationIdentity.h"

#include <QLocale>
#include <functional>
#include <memory>

namespace toolkit {

class ViewController;
class Window;

/// The object the application reports its launch to.
class ApplicationDelegate {
public:
    virtual ~ApplicationDelegate() = default;
    /// Called once, after the main interface has been loaded, before the event loop runs.
    virtual void applicationDidFinishLaunching() = 0;
    /// The application's one window.
    virtual Window* window() const = 0;
    /// The controller that receives memory warnings.
    virtual ViewController* rootViewController() const = 0;
};

/// Creates the window, the delegate and the controller from the main interface and
/// connects them; as the layout file would.
using MainInterfaceLoader = std::function<std::unique_ptr<ApplicationDelegate>()>;

/// Runs the application: creates the QApplication, loads the main interface, calls the
/// launch callback, delivers memory warnings (kernel memory pressure, SIGUSR1) to the
/// root controller, quits on SIGTERM and SIGINT, and returns the event loop's exit code
/// once queued album writes are done. configureProcess() comes first.
int applicationMain(int argc, char** argv, const MainInterfaceLoader& loadMainInterface);

/// Installs the translations of the application's own strings (embedded as
/// ":/i18n/<application name>_<language>.qm") and Qt's own for `locale`; false when the
/// application has none for it, so its English source strings show.
bool installTranslations(const QLocale& locale);

} // namespace toolkit
