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
    // Dark colours read as smoke rather than light, so they are drawn with more texture.
    static bool isDark(Colour colour);
};
