#pragma once

namespace Ui {
class VelmoraViewController;
}

/// The screen's buttons get their drawn icons, one picture per control and its twin on the
/// other toolbar.
class ScreenIcons {
public:
    /// Sets the icons of the loaded layout `ui`.
    static void apply(Ui::VelmoraViewController& ui);
};
