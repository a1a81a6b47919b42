#pragma once

#include "art/AuraCloud.h"
#include "art/AuraColourTable.h"

#include <cstdint>
#include <vector>

// Everything that makes one aura overlay look the way it does, derived from its number alone:
// one to three soft clouds of colour around the head and shoulders, each colour in its own
// place, densest by the person and fading outward, as on an instant aura print.
struct AuraRecipe {
    std::uint64_t seed = 1;
    std::vector<AuraCloud> clouds;

    float peakAlpha = 0.8f;
    float noiseScale = 0.010f;
    float noiseStretch = 1.0f;
    float warp = 0.8f;
    // Pixels by which the smoke pushes the glow's outline in and out.
    float wobble = 10.0f;
    // How much the smoke thins and thickens the glow, 0 for an even one.
    float texture = 0.3f;
    // Extra reach straight above the head.
    float lift = 0.0f;
    // Distance over which the glow fades into the person's body, so it never draws the
    // figure's outline across a real chest and arms.
    float bodyFade = 36.0f;

    // Each colour the overlay shows, once, with where it sits.
    struct Named {
        AuraPalette::Colour colour;
        AuraColourTable::Place place;
    };
    std::vector<Named> named() const;
    // The place a cloud at `angle` reads as: left, above or right of the head.
    static AuraColourTable::Place placeOf(float angle);

    // Overlay `index`, 1 to PortraitFormat::OverlayCount; outside that, the nearest one.
    static AuraRecipe forIndex(int index);
    /// Overlay `index` as drawing `drawing` makes it, with the same colours:
    /// 0 is its first drawing, others draw its clouds and smoke again, and negative ones also
    /// swap left and right. forIndex gives each overlay the drawing chosen for it.
    static AuraRecipe drawn(int index, int drawing);
    // A bright, many-coloured aura for the home screen and the application icon.
    static AuraRecipe showcase(float peakAlpha);
};
