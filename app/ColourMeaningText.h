#pragma once

#include "art/AuraPalette.h"

/// The meaning of aura colour `colour`, in English; QCoreApplication::translate
/// ("ColourMeaning", text) gives the user's language. Apart from the screen's table
/// (ColourMeaning.h): the compose command writes the meanings on reading cards without
/// linking the window.
const char* colourMeaningText(AuraPalette::Colour colour);
