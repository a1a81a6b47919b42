#pragma once

#include <QtGlobal>

/// The about text shown in `auraText`: what aura photos are, and three suggestions for
/// taking them.
/// English; QCoreApplication::translate("AboutText", kAboutText) gives the user's language.
inline constexpr char kAboutText[] = QT_TRANSLATE_NOOP(
    "AboutText",
    "Velmora gives the ability to photograph aura and energy signatures of people and various "
    "settings. Auras are distributions of energy that are present everywhere, around living "
    "beings, objects and places alike. The practice of aura photography separates the auras meant "
    "for interpretation from the background energies that surround them. This application is "
    "designed for photographing people, and the interpretations it offers rest on its use with a "
    "human model. \n"
    "\n"
    " Keep the following suggests in mind when using this application: \n"
    " 1.) Auras change very quickly. Before taking a photo, ask your model to calm down, relax and "
    "clear the mind.\n"
    " 2.) Pay attention to the part or side of the body near which colors emerge. These may hint "
    "at health concerns and can be related to the model's seven chakra points. Colors around the "
    "head point to intellectual or spiritual qualities, while colors around the heart point to "
    "emotional ones.\n"
    " 3.) Have the model concentrate on one issue just before the photo is taken, so that the "
    "colors may hint at it.");
