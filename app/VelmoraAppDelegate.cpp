#include "app/VelmoraAppDelegate.h"

#include "app/Program.h"
#include "imaging/Image.h"
#include "ui/ImageView.h"
#include "ui/PickerPlatform.h"
#include "ui/WindowFrame.h"

VelmoraAppDelegate::VelmoraAppDelegate() = default;

toolkit::ApplicationIdentity VelmoraAppDelegate::identity() {
    return programIdentity();
}

VelmoraAppDelegate::~VelmoraAppDelegate() {
    m_viewController.reset();
    m_window.reset();
}

void VelmoraAppDelegate::setWindow(std::unique_ptr<toolkit::Window> window) {
    m_window = std::move(window);
}

void VelmoraAppDelegate::setViewController(std::unique_ptr<VelmoraViewController> controller) {
    m_viewController = std::move(controller);
}

void VelmoraAppDelegate::applicationDidFinishLaunching() {
    if (second)
        second->setHidden(true);
    // The picture as the pixels drawn at the window's scale: no decoding and no scaling on
    // the launch's path.
    if (homeview)
        homeview->setImageName(QStringLiteral("home.pixels"));
    m_window->addSubview(m_viewController->view());
    // The cameras are looked for once the window shows: the media backend's start would
    // otherwise double the wait for it. The take-photo controls follow the answer.
    QObject::connect(m_window->frame(), &toolkit::WindowFrame::firstFrameShown,
                     &toolkit::PickerPlatform::current(), &toolkit::PickerPlatform::lookForCameras,
                     Qt::SingleShotConnection);
    m_window->makeKeyAndVisible();
}

void VelmoraAppDelegate::setPickerPlatform(std::unique_ptr<toolkit::PickerPlatform> platform) {
    m_pickerPlatformInUse.reset();
    m_pickerPlatform = std::move(platform);
    m_pickerPlatformInUse.emplace(m_pickerPlatform.get());
}
