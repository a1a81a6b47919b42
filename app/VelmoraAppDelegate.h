#pragma once

#include "app/VelmoraViewController.h"
#include "ui/Application.h"
#include "ui/PickerPlatform.h"
#include "ui/Window.h"

#include <QFrame>
#include <QPointer>
#include <memory>
#include <optional>

namespace toolkit {
class ImageView;
}

/// Puts the one screen into its home state at launch and owns the window and the screen's
/// controller.
class VelmoraAppDelegate : public toolkit::ApplicationDelegate {
public:
    VelmoraAppDelegate();
    ~VelmoraAppDelegate() override;

    /// The application's name, display name and version, as the toolkit is to know them.
    static toolkit::ApplicationIdentity identity();

    void applicationDidFinishLaunching() override;

    toolkit::Window* window() const override { return m_window.get(); }
    void setWindow(std::unique_ptr<toolkit::Window> window);
    VelmoraViewController* viewController() const { return m_viewController.get(); }
    void setViewController(std::unique_ptr<VelmoraViewController> controller);
    toolkit::ViewController* rootViewController() const override { return viewController(); }
    /// Keeps `platform` in use (PickerPlatform::current()) for as long as the application
    /// runs: the window and its screen go first.
    void setPickerPlatform(std::unique_ptr<toolkit::PickerPlatform> platform);

    // Outlets: the same toolbar and image view as the controller's `second` and `homeview`.
    QPointer<QFrame> second;
    QPointer<toolkit::ImageView> homeview;

private:
    // Declared in this order so that the controller goes before the window, and both
    // before the platform they use.
    std::unique_ptr<toolkit::PickerPlatform> m_pickerPlatform;
    std::optional<toolkit::PickerPlatform::Scope> m_pickerPlatformInUse;
    std::unique_ptr<toolkit::Window> m_window;
    std::unique_ptr<VelmoraViewController> m_viewController;
};
