#pragma once

#include "AuraLayer.h"

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

    float rays = 0.0f;
    float rayCount = 9.0f;
    float rayPhase = 0.0f;
    float raySharpness = 3.0f;

    float wisps = 0.0f;
    float wispReach = 60.0f;
    int wispLayer = 0;

    float bodyFill = 0.0f;
    float hotCore = 0.3f;

    int sparkles = 0;
    float sparkleSize = 3.0f;

    static constexpr int Count = 100;
    static AuraRecipe forIndex(int index);
    // A bright, many-coloured aura for the home screen and the application icon.
    static AuraRecipe showcase(float peakAlpha, int sparkles);
};
