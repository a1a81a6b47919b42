#pragma once

#include <QColor>

namespace toolkit {

/// The toolkit's named colours, with the platform's exact components.
class Color {
public:
    static QColor whiteColor();
    static QColor lightGrayColor();
    static QColor blackColor();
    static QColor purpleColor();
    static QColor brownColor();
    static QColor orangeColor();
    static QColor yellowColor();
    static QColor greenColor();
    static QColor blueColor();
    static QColor redColor();

    /// WCAG contrast ratio between two colours (1 to 21).
    static double contrastRatio(const QColor& a, const QColor& b);
    /// Black or white, whichever reads better on `background`.
    static QColor legibleTextColor(const QColor& background);
};

} // namespace toolkit
