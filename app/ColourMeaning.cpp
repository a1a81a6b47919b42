#include "app/ColourMeaning.h"

#include "app/ColourMeaningText.h"
#include "ui/Color.h"

using toolkit::Color;

// Black's meaning deliberately sits on white, not on black.
const std::array<ColourMeaning, AuraPalette::Count>& colourMeaningTable() {
    static const std::array<ColourMeaning, AuraPalette::Count> table = {{
        {"violet", nullptr, colourMeaningText(AuraPalette::Violet)},
        {"lavender", nullptr, colourMeaningText(AuraPalette::Lavender)},
        {"indigo", nullptr, colourMeaningText(AuraPalette::Indigo)},
        {"purple", &Color::purpleColor, colourMeaningText(AuraPalette::Purple)},
        {"turquoise", nullptr, colourMeaningText(AuraPalette::Turquoise)},
        {"blue", &Color::blueColor, colourMeaningText(AuraPalette::Blue)},
        {"brown", &Color::brownColor, colourMeaningText(AuraPalette::Brown)},
        {"green", &Color::greenColor, colourMeaningText(AuraPalette::Green)},
        {"gold", nullptr, colourMeaningText(AuraPalette::Gold)},
        {"yellow", &Color::yellowColor, colourMeaningText(AuraPalette::Yellow)},
        {"pink", nullptr, colourMeaningText(AuraPalette::Pink)},
        {"orange", &Color::orangeColor, colourMeaningText(AuraPalette::Orange)},
        {"red", &Color::redColor, colourMeaningText(AuraPalette::Red)},
        {"black", &Color::whiteColor, colourMeaningText(AuraPalette::Black)},
        {"silver", &Color::lightGrayColor, colourMeaningText(AuraPalette::Silver)},
        {"white", &Color::whiteColor, colourMeaningText(AuraPalette::White)},
    }};
    return table;
}
