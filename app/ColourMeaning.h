#pragma once

#include "art/AuraPalette.h"

#include <QColor>
#include <array>

/// One aura colour of the colour picker: its name, the background its text view gets, and
/// its meaning. The row's index is its AuraPalette::Colour; the controller keeps its own
/// button, text view and action for each row (VelmoraViewController::colourControls()).
struct ColourMeaning {
    const char* colour;
    /// The named colour set as the text view's background; null for the six colours whose
    /// text views keep the look the layout gives them.
    QColor (*background)();
    /// English; QCoreApplication::translate("ColourMeaning", text) gives the user's language.
    const char* text;
};

/// The sixteen aura colours, from violet to white.
const std::array<ColourMeaning, AuraPalette::Count>& colourMeaningTable();
