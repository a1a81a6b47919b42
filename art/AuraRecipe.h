#pragma once

#include "art/AuraLayer.h"

#include <cstdint>
#include <vector>

// Everything that makes one aura overlay look the way it does, derived from its number alone.
struct AuraRecipe {
    std::uint64_t seed = 1;
    std::vector<AuraLayer> layers;

    float peakAlpha = 0.7f;
    float noiseScale = 0.012f;
    float noiseStretch = 1.0f;
    float warp = 1.0f;
    // Pixels by which the texture pushes the outline of the glow in and out.
    float wobble = 10.0f;
    // Extra reach of the glow straight above the head.
    float lift = 0.0f;
    // Widens the glow on the right (positive) and narrows it on the left, or the other way.
    float tilt = 0.0f;

    float rays = 0.0f;
    float rayCount = 9.0f;
    float rayPhase = 0.0f;
    float raySharpness = 3.0f;

    float wisps = 0.0f;
    float wispReach = 60.0f;
    int wispLayer = 0;

    // A faint wash of one layer's colour over the whole frame, the person's body included.
    float veil = 0.0f;
    float veilReach = 120.0f;
    int veilLayer = 0;
    // Leans the wash to the right (positive) or left, and upward.
    float veilLean = 0.0f;
    float veilLift = 0.0f;
    // How much of the wash lies over the person's body, from none to as much as beside it.
    float veilBody = 0.5f;
    float hotCore = 0.3f;
    // Strength of the film grain, as a share of the density.
    float grain = 0.0f;

    int sparkles = 0;
    float sparkleSize = 3.0f;

    // Overlay `index`, 1 to PortraitFormat::OverlayCount; outside that, the nearest one.
    static AuraRecipe forIndex(int index);
    // A bright, many-coloured aura for the home screen and the application icon.
    static AuraRecipe showcase(float peakAlpha, int sparkles);
};
