#include "AuraRecipe.h"

#include "AuraPalette.h"
#include "Rng.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

using Colour = AuraPalette::Colour;
using Region = AuraLayer::Region;

constexpr float Pi = std::numbers::pi_v<float>;
constexpr float Open = 10000.0f;

enum class Style { Halo, Bands, Split, Crown, Side, Swirl, Flame, Count };

// Consecutive overlays start from colours far apart on the wheel so neighbours never look alike.
constexpr Colour PrimaryOrder[] = {
    AuraPalette::Violet, AuraPalette::Gold,   AuraPalette::Turquoise, AuraPalette::Pink,
    AuraPalette::Blue,   AuraPalette::Orange, AuraPalette::Green,     AuraPalette::Lavender,
    AuraPalette::Red,    AuraPalette::Indigo, AuraPalette::Yellow,    AuraPalette::Silver,
    AuraPalette::Purple, AuraPalette::White,  AuraPalette::Brown,     AuraPalette::Black,
};

class Builder {
public:
    Builder(Rng& rng, AuraRecipe& recipe, float texture)
        : rng(rng), recipe(recipe), texture(texture) {}

    AuraLayer& add(Colour colour, float strength, float offset, float inner, float outer) {
        const QColor c = AuraPalette::colour(colour);
        AuraLayer layer;
        layer.red = static_cast<float>(c.redF());
        layer.green = static_cast<float>(c.greenF());
        layer.blue = static_cast<float>(c.blueF());
        layer.strength = strength;
        layer.offset = offset;
        layer.innerWidth = inner;
        layer.outerWidth = outer;
        layer.luminous = !AuraPalette::isDark(colour);
        // Dark colours only read as smoke when they are broken up.
        layer.texture = layer.luminous ? texture : std::min(0.9f, texture + 0.3f);
        layer.secondNoise = rng.chance(0.5);
        recipe.layers.push_back(layer);
        return recipe.layers.back();
    }

    float uniform(double low, double high) { return static_cast<float>(rng.uniform(low, high)); }

    Rng& rng;
    AuraRecipe& recipe;
    float texture;
};

std::vector<Colour> chooseColours(Rng& rng, Colour primary, int count) {
    std::vector<Colour> colours{primary};
    bool darkUsed = AuraPalette::isDark(primary);
    while (static_cast<int>(colours.size()) < count) {
        const auto candidate = static_cast<Colour>(rng.below(AuraPalette::Count));
        if (std::find(colours.begin(), colours.end(), candidate) != colours.end()) {
            continue;
        }
        if (AuraPalette::isDark(candidate) && (darkUsed || rng.chance(0.6))) {
            continue;
        }
        darkUsed = darkUsed || AuraPalette::isDark(candidate);
        colours.push_back(candidate);
    }
    return colours;
}

void addInnerRim(Builder& b, Colour colour) {
    AuraLayer& rim = b.add(colour, 0.85f, 0.0f, 8.0f, b.uniform(10.0, 18.0));
    rim.texture = 0.1f;
}

void buildHalo(Builder& b, const std::vector<Colour>& colours, float reach) {
    const int n = static_cast<int>(colours.size());
    const float spacing = b.uniform(14.0, 30.0);
    for (int k = 0; k < n; ++k) {
        const float inner = k == 0 ? b.uniform(8.0, 16.0) : spacing * 0.8f;
        const float outer = k == n - 1 ? reach : spacing * b.uniform(0.8, 1.3);
        b.add(colours[static_cast<std::size_t>(k)], 1.0f - 0.12f * static_cast<float>(k),
              static_cast<float>(k) * spacing, inner, outer);
    }
    if (n == 1) {
        // A lone colour gets separate rings instead, so it still looks layered.
        const int rings = 1 + b.rng.below(3);
        for (int k = 1; k <= rings; ++k) {
            b.add(colours[0], 0.6f / static_cast<float>(k), static_cast<float>(k) * spacing * 1.7f,
                  spacing * 0.5f, spacing * 0.6f);
        }
    }
}

void buildBands(Builder& b, const std::vector<Colour>& colours, float reach) {
    const int n = static_cast<int>(colours.size());
    if (b.rng.chance(0.5)) {
        const float top = b.uniform(50.0, 120.0);
        const float bottom = b.uniform(350.0, 430.0);
        const float softness = b.uniform(25.0, 55.0);
        for (int k = 0; k < n; ++k) {
            AuraLayer& band = b.add(colours[static_cast<std::size_t>(k)], 1.0f, 0.0f,
                                    b.uniform(10.0, 16.0), reach * b.uniform(0.8, 1.2));
            band.region = Region::BandY;
            band.top = k == 0 ? -Open : top + (bottom - top) * static_cast<float>(k) / n;
            band.bottom = k == n - 1 ? Open : top + (bottom - top) * static_cast<float>(k + 1) / n;
            band.softness = softness;
        }
    } else {
        const float span = b.uniform(1.7, 2.5);
        const float twist = b.uniform(-0.7, 0.7);
        const float direction = b.rng.chance(0.5) ? 1.0f : -1.0f;
        for (int k = 0; k < n; ++k) {
            AuraLayer& fan = b.add(colours[static_cast<std::size_t>(k)], 1.0f, b.uniform(0.0, 8.0),
                                   b.uniform(10.0, 16.0), reach * b.uniform(0.8, 1.2));
            fan.region = Region::Sector;
            fan.angle = direction * (-span + 2.0f * span * (static_cast<float>(k) + 0.5f) / n);
            fan.spread = span / static_cast<float>(n) * b.uniform(0.8, 1.2);
            fan.twist = twist;
        }
        b.add(colours[0], 0.25f, 0.0f, 12.0f, reach * 0.6f);
    }
}

void buildSplit(Builder& b, const std::vector<Colour>& colours, float reach) {
    const int n = static_cast<int>(colours.size());
    const float side = b.rng.chance(0.5) ? 1.0f : -1.0f;
    const float x0 = 180.0f + b.uniform(-25.0, 25.0);
    const float softness = b.uniform(35.0, 80.0);
    for (int k = 0; k < 2; ++k) {
        AuraLayer& half = b.add(colours[static_cast<std::size_t>(k)], 1.0f, b.uniform(0.0, 10.0),
                                b.uniform(10.0, 16.0), reach * b.uniform(0.75, 1.25));
        half.region = Region::Side;
        half.sign = k == 0 ? side : -side;
        half.x0 = x0;
        half.softness = softness;
    }
    if (n >= 3) {
        AuraLayer& crown = b.add(colours[2], 0.8f, b.uniform(10.0, 30.0), 20.0f, reach);
        crown.region = Region::Above;
        crown.y0 = b.uniform(120.0, 170.0);
        crown.softness = 50.0f;
    }
    if (n >= 4) {
        addInnerRim(b, colours[3]);
    }
}

void buildCrown(Builder& b, const std::vector<Colour>& colours, float reach) {
    const int n = static_cast<int>(colours.size());
    AuraLayer& crown = b.add(colours[0], 1.0f, b.uniform(0.0, 20.0), 16.0f, reach * 1.3f);
    crown.region = Region::Above;
    crown.y0 = b.uniform(110.0, 180.0);
    crown.softness = b.uniform(30.0, 70.0);
    b.recipe.lift += b.uniform(0.4, 0.9);
    b.add(colours[n >= 2 ? 1 : 0], n >= 2 ? b.uniform(0.45, 0.7) : 0.4f, 0.0f, 12.0f, reach * 0.6f);
    if (n >= 3) {
        AuraLayer& shoulders = b.add(colours[2], 0.9f, 0.0f, 14.0f, reach * 0.9f);
        shoulders.region = Region::Below;
        shoulders.y0 = b.uniform(300.0, 360.0);
        shoulders.softness = 40.0f;
    }
    if (n >= 4) {
        addInnerRim(b, colours[3]);
    }
}

void buildSide(Builder& b, const std::vector<Colour>& colours, float reach) {
    const int n = static_cast<int>(colours.size());
    const float side = b.rng.chance(0.5) ? 1.0f : -1.0f;
    AuraLayer& main = b.add(colours[0], 1.0f, b.uniform(0.0, 25.0), 20.0f, reach * 1.4f);
    main.region = Region::Sector;
    main.angle = side * b.uniform(0.7, 1.9);
    main.spread = b.uniform(0.5, 1.0);
    b.add(colours[n >= 2 ? 1 : 0], b.uniform(0.3, 0.55), 0.0f, 12.0f, reach * 0.55f);
    if (n >= 3) {
        AuraLayer& other = b.add(colours[2], 0.7f, b.uniform(0.0, 15.0), 16.0f, reach);
        other.region = Region::Sector;
        other.angle = -side * b.uniform(0.6, 1.8);
        other.spread = 0.6f;
    }
    if (n >= 4) {
        AuraLayer& crown = b.add(colours[3], 0.7f, 10.0f, 16.0f, reach);
        crown.region = Region::Above;
        crown.y0 = 140.0f;
        crown.softness = 50.0f;
    }
}

void buildSwirl(Builder& b, const std::vector<Colour>& colours, float reach) {
    const int n = static_cast<int>(colours.size());
    const float phase = b.uniform(-Pi, Pi);
    const float twist = b.uniform(0.6, 1.6) * (b.rng.chance(0.5) ? 1.0f : -1.0f);
    const int arms = std::max(n, 2);
    for (int k = 0; k < arms; ++k) {
        AuraLayer& arm = b.add(colours[static_cast<std::size_t>(k % n)], 1.0f, b.uniform(0.0, 10.0),
                               14.0f, reach * b.uniform(0.8, 1.2));
        arm.region = Region::Sector;
        arm.angle = phase + 2.0f * Pi * static_cast<float>(k) / static_cast<float>(arms);
        arm.spread = Pi / static_cast<float>(arms) * b.uniform(0.75, 1.1);
        arm.twist = twist;
    }
    b.add(colours[0], 0.3f, 0.0f, 12.0f, reach * 0.5f);
}

void buildFlame(Builder& b, const std::vector<Colour>& colours, float reach) {
    const int n = static_cast<int>(colours.size());
    b.recipe.noiseStretch = b.uniform(0.25, 0.45);
    b.recipe.lift += b.uniform(0.6, 1.2);
    b.recipe.wisps = b.uniform(0.5, 0.9);
    b.recipe.warp += 0.5f;
    float offset = 0.0f;
    for (int k = 0; k < n; ++k) {
        AuraLayer& tongue =
            b.add(colours[static_cast<std::size_t>(k)], 1.0f - 0.15f * static_cast<float>(k),
                  offset, k == 0 ? 10.0f : 14.0f, reach * (0.5f + 0.35f * static_cast<float>(k)));
        tongue.texture = std::min(0.9f, 0.5f + 0.12f * static_cast<float>(k));
        offset += b.uniform(12.0, 22.0);
    }
}

void addOrbs(Builder& b, const std::vector<Colour>& colours) {
    const int orbs = 1 + b.rng.below(2);
    for (int k = 0; k < orbs; ++k) {
        const float size = b.uniform(18.0, 35.0);
        AuraLayer& orb =
            b.add(colours[static_cast<std::size_t>(b.rng.below(static_cast<int>(colours.size())))],
                  b.uniform(0.6, 0.9), b.uniform(25.0, 60.0), size, size);
        orb.region = Region::Sector;
        orb.angle = b.uniform(-2.2, 2.2);
        orb.spread = b.uniform(0.25, 0.5);
        orb.texture = 0.15f;
    }
}

} // namespace

AuraRecipe AuraRecipe::forIndex(int index) {
    const int i = std::clamp(index, 1, Count) - 1;
    Rng rng(0x7A11E5ull * static_cast<std::uint64_t>(i + 1) + 0x51D0B0Bull);
    AuraRecipe recipe;
    recipe.seed = rng.next();

    const Colour primary = PrimaryOrder[i % AuraPalette::Count];
    // Same primary colour never meets the same shape twice across the hundred.
    const auto style =
        static_cast<Style>((i / AuraPalette::Count + i) % static_cast<int>(Style::Count));
    const double pick = rng.unit();
    int count = pick < 0.16 ? 1 : pick < 0.5 ? 2 : pick < 0.8 ? 3 : 4;
    if (count == 1 && (style == Style::Bands || style == Style::Split)) {
        count = 2;
    }
    const std::vector<Colour> colours = chooseColours(rng, primary, count);

    recipe.peakAlpha = static_cast<float>(rng.uniform(0.58, 0.8));
    recipe.noiseScale = static_cast<float>(rng.uniform(0.005, 0.014));
    recipe.noiseStretch = static_cast<float>(rng.uniform(0.55, 1.0));
    recipe.warp = static_cast<float>(rng.uniform(0.2, 1.3));
    recipe.wobble = static_cast<float>(rng.uniform(2.0, 22.0));
    recipe.lift = static_cast<float>(rng.uniform(0.0, 0.7));
    recipe.hotCore = static_cast<float>(rng.uniform(0.2, 0.6));
    // Mostly medium glows, with a few tight ones that barely leave the outline and a few
    // that flood the picture.
    const double size = rng.unit();
    const float reach = static_cast<float>(size < 0.15   ? rng.uniform(14.0, 24.0)
                                           : size < 0.85 ? rng.uniform(24.0, 60.0)
                                                         : rng.uniform(60.0, 85.0));
    if (size < 0.15) {
        recipe.lift *= 0.3f;
    }

    Builder builder(rng, recipe, static_cast<float>(rng.uniform(0.1, 0.55)));
    switch (style) {
    case Style::Halo:
        buildHalo(builder, colours, reach);
        break;
    case Style::Bands:
        buildBands(builder, colours, reach);
        break;
    case Style::Split:
        buildSplit(builder, colours, reach);
        break;
    case Style::Crown:
        buildCrown(builder, colours, reach);
        break;
    case Style::Side:
        buildSide(builder, colours, reach);
        break;
    case Style::Swirl:
        buildSwirl(builder, colours, reach);
        break;
    case Style::Flame:
    case Style::Count:
        buildFlame(builder, colours, reach);
        break;
    }

    if (rng.chance(0.22)) {
        recipe.rays = static_cast<float>(rng.uniform(0.3, 0.65));
        recipe.rayCount = static_cast<float>(6 + rng.below(14));
        recipe.rayPhase = static_cast<float>(rng.uniform(0.0, 2.0 * Pi));
        recipe.raySharpness = static_cast<float>(rng.uniform(2.0, 7.0));
    }
    if (style != Style::Flame && rng.chance(0.3)) {
        recipe.wisps = static_cast<float>(rng.uniform(0.3, 0.7));
    }
    recipe.wispReach = reach * static_cast<float>(rng.uniform(1.2, 2.2));
    recipe.wispLayer = rng.below(static_cast<int>(recipe.layers.size()));
    if (rng.chance(0.25)) {
        addOrbs(builder, colours);
    }
    if (rng.chance(0.3)) {
        recipe.bodyFill = static_cast<float>(rng.uniform(0.04, 0.1));
    }
    if (rng.chance(0.38)) {
        recipe.sparkles = 10 + rng.below(30);
        recipe.sparkleSize = static_cast<float>(rng.uniform(1.5, 3.5));
    }
    return recipe;
}

AuraRecipe AuraRecipe::showcase(float peakAlpha, int sparkles) {
    Rng rng(0xC0FFEEull);
    AuraRecipe recipe;
    recipe.seed = rng.next();
    recipe.peakAlpha = peakAlpha;
    recipe.noiseScale = 0.011f;
    recipe.noiseStretch = 0.8f;
    recipe.warp = 1.2f;
    recipe.wobble = 8.0f;
    recipe.lift = 0.5f;
    recipe.hotCore = 0.35f;
    Builder builder(rng, recipe, 0.3f);
    const Colour fan[] = {AuraPalette::Turquoise, AuraPalette::Violet, AuraPalette::Pink,
                          AuraPalette::Gold};
    const float span = 2.2f;
    for (int k = 0; k < 4; ++k) {
        AuraLayer& layer = builder.add(fan[k], 1.0f, 4.0f, 14.0f, 62.0f);
        layer.region = Region::Sector;
        layer.angle = -span + 2.0f * span * (static_cast<float>(k) + 0.5f) / 4.0f;
        layer.spread = span / 4.0f * 1.1f;
        layer.twist = 0.3f;
    }
    builder.add(AuraPalette::Lavender, 0.3f, 0.0f, 12.0f, 40.0f);
    addInnerRim(builder, AuraPalette::White);
    recipe.sparkles = sparkles;
    recipe.sparkleSize = 2.6f;
    return recipe;
}
