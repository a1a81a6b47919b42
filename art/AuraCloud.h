#pragma once

#include "art/AuraPalette.h"

// One coloured cloud of an aura: where around the head it sits, how far it reaches and how
// strongly it shows. All lengths are in the 360 × 480 portrait's pixels.
struct AuraCloud {
    AuraPalette::Colour colour = AuraPalette::Violet;
    // Where the cloud sits, as an angle around the aura's centre from straight up over the
    // head: negative to the picture's left, positive to its right.
    float angle = 0.0f;
    // How far round the head it spreads, in radians (its angular deviation).
    float spread = 0.8f;
    // Distance over which it fades outward, by a factor e.
    float reach = 70.0f;
    // Distance outside the person's outline where it is densest: 0 hugs the person, more
    // floats clear of them.
    float offset = 0.0f;
    float strength = 1.0f;
};
