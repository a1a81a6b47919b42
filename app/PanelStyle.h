#pragma once

class QWidget;

/// The look of the screen's panels (the colour grid, the meanings, the about text, the
/// notice), given to the screen the first time one of them opens. Styling their thirty
/// elements costs a tenth of the launch, and none of them is on the first frame.
class PanelStyle {
public:
    /// Adds the panels' rules to the style sheet of `screen`, the first time only.
    static void ensureApplied(QWidget* screen);
};
