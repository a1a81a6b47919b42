#include "MainInterface.h"

#include "PhotoAlbum.h"

#include <QDir>
#include <cstdio>

std::unique_ptr<VelmoraAppDelegate> loadMainInterface() {
    auto delegate = std::make_unique<VelmoraAppDelegate>();
    delegate->setWindow(std::make_unique<toolkit::Window>());
    auto controller = std::make_unique<VelmoraViewController>();
    controller->awakeFromNib();
    delegate->setViewController(std::move(controller));

    VelmoraViewController* screen = delegate->viewController();
    toolkit::Window* window = delegate->window();
    screen->view();
    delegate->second = screen->second;
    delegate->homeview = screen->homeview;

    QObject::connect(
        window, &toolkit::Window::filesDropped, screen, [screen, window](const QStringList& paths) {
            const auto opened = screen->openPhotoFile(paths.first());
            if (!opened.ok()) {
                std::fprintf(stderr, "velmora: cannot use the photo: %s\n",
                             qPrintable(opened.error()));
                window->showMessage(QObject::tr("Cannot use this photo.\n%1").arg(opened.error()));
            }
        });
    QObject::connect(&toolkit::PhotoAlbum::shared(), &toolkit::PhotoAlbum::failed, window,
                     [window](const QString& reason) {
                         window->showMessage(
                             QObject::tr("The portrait was not saved.\n%1").arg(reason));
                     });
    return delegate;
}
