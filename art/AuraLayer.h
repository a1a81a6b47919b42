#pragma once

// One coloured veil of an aura: how far from the outline it sits, how it fades and where it shows.
struct AuraLayer {
    enum class Region {
        Everywhere,
        BandY,  // between top and bottom, in picture rows
        Side,   // beyond x0 in the direction of sign
        Above,  // higher than y0
        Below,  // lower than y0
        Sector, // around an angle, measured from straight up over the head
    };

    float red = 1.0f;
    float green = 1.0f;
    float blue = 1.0f;
    float strength = 1.0f;
    // Distance outside the outline where this veil is brightest.
    float offset = 0.0f;
    float innerWidth = 12.0f;
    float outerWidth = 40.0f;
    // How much the smoky texture eats into this veil, 0 for an even glow.
    float texture = 0.4f;
    bool luminous = true;
    bool secondNoise = false;

    Region region = Region::Everywhere;
    float top = 0.0f;
    float bottom = 0.0f;
    float x0 = 0.0f;
    float y0 = 0.0f;
    float sign = 1.0f;
    float angle = 0.0f;
    float spread = 1.0f;
    // Turns the sector with distance so colours curl outward.
    float twist = 0.0f;
    float softness = 30.0f;
};
