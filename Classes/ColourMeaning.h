#pragma once

#include <QColor>
#include <QPointer>
#include <array>
#include <cstddef>

class QObject;
class QPushButton;
class VelmoraViewController;

namespace toolkit {
class TextView;
}

/// One aura colour of the colour picker: the action its button sends, the text view that
/// shows its meaning, the background that view gets, and the meaning itself.
struct ColourMeaning {
    const char* colour;
    void (VelmoraViewController::*action)(QObject* sender);
    QPointer<QPushButton> VelmoraViewController::*button;
    QPointer<toolkit::TextView> VelmoraViewController::*textView;
    /// The named colour set as the text view's background; null for the six colours whose
    /// text views keep the look the layout gives them.
    QColor (*background)();
    /// English; QCoreApplication::translate("ColourMeaning", text) gives the user's language.
    const char* text;
};

/// The rows of the colour table, in its order: an action finds its row by index.
enum class AuraColour : std::size_t {
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
};

/// The sixteen aura colours, from violet to white.
const std::array<ColourMeaning, 16>& colourMeaningTable();
