#include "VelmoraAppDelegate.h"

#include "Image.h"
#include "ImageView.h"

VelmoraAppDelegate::VelmoraAppDelegate() = default;

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
    if (homeview)
        homeview->setImage(toolkit::Image::imageNamed(QStringLiteral("home.png")));
    m_window->addSubview(m_viewController->view());
    m_window->makeKeyAndVisible();
}
