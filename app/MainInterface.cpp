#include "app/MainInterface.h"

#include "base/Log.h"
#include "base/Resources.h"
#include "imaging/PngFileReader.h"
#include "ui/ImagePickerController.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QPixmap>

std::unique_ptr<VelmoraAppDelegate>
loadMainInterface(std::unique_ptr<toolkit::PickerPlatform> platform,
                  std::shared_ptr<const toolkit::FaceDetector> faces) {
    auto delegate = std::make_unique<VelmoraAppDelegate>();
    // In place before the screen, which follows its cameras from the start.
    if (platform)
        delegate->setPickerPlatform(std::move(platform));
    delegate->setWindow(std::make_unique<toolkit::Window>());
    auto controller = std::make_unique<VelmoraViewController>();
    controller->awakeFromNib();
    controller->setFaceDetector(std::move(faces));
    delegate->setViewController(std::move(controller));

    VelmoraViewController* screen = delegate->viewController();
    toolkit::Window* window = delegate->window();
    screen->viewIn(window);
    delegate->second = screen->ui->second;
    delegate->homeview = screen->ui->homeview;

    VelmoraAppDelegate* app = delegate.get();
    QObject::connect(window, &toolkit::Window::filesDropped, screen,
                     [app](const QStringList& paths) { openPhotoFiles(*app, paths); });
    return delegate;
}

void setApplicationIcon() {
    // Read as the PNG it is: an icon made from a file name guesses the format, which loads
    // every image plugin to ask it (a tenth of the launch). The 64-pixel one: a title bar
    // and a task switcher show no more, and the 256-pixel one costs a sixteenth of the launch.
    QApplication::setWindowIcon(QIcon(QPixmap::fromImage(toolkit::PngFileReader::read(
        toolkit::resourcePath() + QStringLiteral("/velmora-64.png")))));
}

void openPhotoFiles(VelmoraAppDelegate& app, const QStringList& paths) {
    if (paths.isEmpty())
        return;
    toolkit::Window* window = app.window();
    const auto opened = app.viewController()->openPhotoFile(paths.first());
    if (!opened.ok()) {
        qCWarning(toolkit::programLog, "cannot use the photo: %s", qUtf8Printable(opened.error()));
        window->showMessage(toolkit::ImagePickerController::cannotUseText(opened.error()));
    } else if (paths.size() > 1) {
        const QString name = QFileInfo(paths.first()).fileName();
        window->showMessage(
            paths.size() == 2
                ? QObject::tr("Velmora shows one photo at a time: %1 is opened, the other one "
                              "is not.")
                      .arg(name)
                : QObject::tr("Velmora shows one photo at a time: %1 is opened, the other %2 "
                              "are not.")
                      .arg(name)
                      .arg(paths.size() - 1));
    }
}
