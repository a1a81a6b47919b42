#include "Application.h"

#include "Image.h"
#include "MemoryPressureMonitor.h"
#include "PhotoAlbum.h"
#include "Resources.h"
#include "ViewController.h"

#include <QApplication>
#include <QIcon>

namespace toolkit {

void configureProcess() {
    QCoreApplication::setApplicationName(QStringLiteral("velmora"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELMORA_VERSION));
    Image::configureDecoding();
}

int applicationMain(int argc, char** argv, const MainInterfaceLoader& loadMainInterface) {
    QApplication app(argc, argv);
    configureProcess();
    QGuiApplication::setDesktopFileName(QStringLiteral("velmora"));
    QApplication::setWindowIcon(QIcon(resourcePath() + QStringLiteral("/velmora.png")));

    std::unique_ptr<ApplicationDelegate> delegate = loadMainInterface();
    MemoryPressureMonitor monitor;
    QObject::connect(&monitor, &MemoryPressureMonitor::memoryWarning, [&delegate] {
        if (ViewController* controller = delegate->rootViewController())
            controller->didReceiveMemoryWarning();
    });
    QObject::connect(&monitor, &MemoryPressureMonitor::terminationRequested, &app,
                     &QCoreApplication::quit);

    delegate->applicationDidFinishLaunching();
    const int status = app.exec();
    PhotoAlbum::shared().waitForQueuedWrites();
    delegate.reset();
    return status;
}

} // namespace toolkit
