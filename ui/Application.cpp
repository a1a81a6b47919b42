#include "ui/Application.h"

#include "album/PhotoAlbum.h"
#include "base/MemoryPressureMonitor.h"
#include "imaging/Image.h"
#include "ui/ViewController.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace toolkit {

bool installTranslations(const QLocale& locale) {
    // Qt's own strings (the file chooser's buttons) follow the same language when the
    // system has them.
    auto* qt = new QTranslator(qApp);
    qt->setObjectName(QStringLiteral("translator"));
    if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
    else
        delete qt;
    auto* own = new QTranslator(qApp);
    own->setObjectName(QStringLiteral("translator"));
    if (!own->load(locale, QCoreApplication::applicationName(), QStringLiteral("_"),
                   QStringLiteral(":/i18n"))) {
        delete own;
        return false;
    }
    QCoreApplication::installTranslator(own);
    return true;
}

int applicationMain(int argc, char** argv, const MainInterfaceLoader& loadMainInterface) {
    QApplication app(argc, argv);
    installTranslations(QLocale::system());

    std::unique_ptr<ApplicationDelegate> delegate = loadMainInterface();
    MemoryPressureMonitor monitor(&PhotoAlbum::removeTemporaryNow);
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
