#pragma once

#include <QColor>

// The sixteen aura colours the application names and explains.
class AuraPalette {
public:
    enum Colour {
        Violet,
        Lavender,
        Indigo,
        Purple,
        Turquoise,
        Blue,
        Brown,
        Green,
        Gold,
        Yellow,
        Pink,
        Orange,
        Red,
        Black,
        Silver,
        White,
        Count
    };

    static QColor colour(Colour colour);
    // Dark colours read as smoke rather than light, so they are drawn with more texture; they keep
    // some colour (a violet black, an amber brown) so they look deep rather than dirty.
    static bool isDark(Colour colour);
};
