#include "art/AuraPalette.h"

QColor AuraPalette::colour(Colour colour) {
    switch (colour) {
    case Violet:
        return QColor(150, 72, 255);
    case Lavender:
        return QColor(196, 166, 255);
    case Indigo:
        return QColor(82, 62, 215);
    case Purple:
        return QColor(168, 44, 196);
    case Turquoise:
        return QColor(38, 222, 208);
    case Blue:
        return QColor(46, 134, 255);
    case Brown:
        return QColor(188, 104, 36);
    case Green:
        return QColor(64, 222, 96);
    case Gold:
        return QColor(255, 188, 48);
    case Yellow:
        return QColor(255, 238, 84);
    case Pink:
        return QColor(255, 112, 196);
    case Orange:
        return QColor(255, 136, 32);
    case Red:
        return QColor(240, 38, 54);
    case Black:
        return QColor(52, 20, 94);
    case Silver:
        return QColor(204, 214, 230);
    case White:
        return QColor(255, 252, 244);
    case Count:
        break;
    }
    return QColor(255, 255, 255);
}

bool AuraPalette::isDark(Colour colour) {
    return colour == Black || colour == Brown;
}
