#include "art/AuraRecipe.h"

#include "art/AuraPalette.h"
#include "art/PortraitFormat.h"
#include "art/Rng.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

using Colour = AuraPalette::Colour;
using Region = AuraLayer::Region;

constexpr float Pi = std::numbers::pi_v<float>;
constexpr float Open = 10000.0f;

// The forms a print can take; each lays its colour in a different place around the person.
enum class Style { Halo, Bands, Split, Crown, Side, Swirl, Flame, Cloud, Wings, Count };

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
        // A wide fall-in over the person reads as fog; a narrow one as a cut-out sticker.
        layer.innerWidth = std::max(inner, 18.0f);
        layer.outerWidth = outer;
        layer.luminous = !AuraPalette::isDark(colour);
        // Dark colours only read as smoke when they are broken up.
        layer.texture = layer.luminous ? texture : std::min(0.7f, texture + 0.15f);
        layer.secondNoise = rng.chance(0.5);
        recipe.layers.push_back(layer);
        return recipe.layers.back();
    }

    float uniform(double low, double high) { return static_cast<float>(rng.uniform(low, high)); }

    Rng& rng;
    AuraRecipe& recipe;
    float texture;
};

// Colours that give a dark or pale primary the glow it lacks on its own: black deepens into
// violet, brown warms into amber, white, silver and lavender pick up a tint.
Colour companion(int round, Colour primary) {
    switch (primary) {
    case AuraPalette::Black: {
        constexpr Colour deep[] = {AuraPalette::Violet, AuraPalette::Indigo, AuraPalette::Purple,
                                   AuraPalette::Blue};
        return deep[round % 4];
    }
    case AuraPalette::Brown: {
        constexpr Colour warm[] = {AuraPalette::Gold, AuraPalette::Orange, AuraPalette::Red,
                                   AuraPalette::Yellow};
        return warm[round % 4];
    }
    case AuraPalette::White:
    case AuraPalette::Silver:
    case AuraPalette::Lavender: {
        // No lavender: beside a pale colour it is one more pale colour.
        constexpr Colour tint[] = {AuraPalette::Pink,   AuraPalette::Turquoise, AuraPalette::Gold,
                                   AuraPalette::Violet, AuraPalette::Blue,      AuraPalette::Green};
        return tint[round % 6];
    }
    default:
        return AuraPalette::Count;
    }
}

bool pale(Colour colour) {
    return colour == AuraPalette::White || colour == AuraPalette::Silver;
}

std::vector<Colour> chooseColours(Rng& rng, Colour primary, int round, int count) {
    std::vector<Colour> colours{primary};
    // Each return of the same primary gets a different partner, so no two look alike.
    const Colour partner = companion(round, primary);
    if (partner != AuraPalette::Count) {
        colours.push_back(partner);
    }
    bool darkUsed = AuraPalette::isDark(primary);
    bool paleUsed = pale(primary);
    while (static_cast<int>(colours.size()) < count) {
        const auto candidate = static_cast<Colour>(rng.below(AuraPalette::Count));
        if (std::find(colours.begin(), colours.end(), candidate) != colours.end()) {
            continue;
        }
        // One dark and one pale colour at most: more turn the glow to soot or to fog.
        if (AuraPalette::isDark(candidate) && (darkUsed || rng.chance(0.75))) {
            continue;
        }
        if (pale(candidate) && (paleUsed || rng.chance(0.5))) {
            continue;
        }
        darkUsed = darkUsed || AuraPalette::isDark(candidate);
        paleUsed = paleUsed || pale(candidate);
        colours.push_back(candidate);
    }
    return colours;
}

void addInnerRim(Builder& b, Colour colour) {
    AuraLayer& rim = b.add(colour, 0.6f, 0.0f, 20.0f, b.uniform(12.0, 20.0));
    rim.texture = 0.2f;
}

void buildHalo(Builder& b, const std::vector<Colour>& colours, float reach) {
    const int n = static_cast<int>(colours.size());
    const float spacing = b.uniform(14.0, 30.0);
    // Some halos float clear of the person, as the fog does on many prints.
    const float lift = b.rng.chance(0.5) ? b.uniform(15.0, 40.0) : 0.0f;
    for (int k = 0; k < n; ++k) {
        // The innermost colour fades in across the whole gap, so the person sits in thinner fog
        // rather than in a hole.
        const float inner = k == 0 ? lift + b.uniform(8.0, 16.0) : spacing * 0.8f;
        const float outer = k == n - 1 ? reach : spacing * b.uniform(0.8, 1.3);
        b.add(colours[static_cast<std::size_t>(k)], 1.0f - 0.12f * static_cast<float>(k),
              lift + static_cast<float>(k) * spacing, inner, outer);
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
        // Broad overlapping strata: each colour fades over most of its neighbour's height, and all
        // share one reach so the glow's outline has no steps.
        const float top = b.uniform(60.0, 120.0);
        const float bottom = b.uniform(340.0, 420.0);
        const float softness = (bottom - top) / static_cast<float>(n) * b.uniform(0.9, 1.2);
        const float width = reach * b.uniform(0.9, 1.2);
        for (int k = 0; k < n; ++k) {
            AuraLayer& band = b.add(colours[static_cast<std::size_t>(k)], 1.0f, 0.0f, 20.0f, width);
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
            fan.spread = span / static_cast<float>(n) * b.uniform(1.2, 1.5);
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
        // One half reaches far and the other stays close: even halves would be a plain halo.
        AuraLayer& half = b.add(
            colours[static_cast<std::size_t>(k)], 1.0f, b.uniform(0.0, 10.0), b.uniform(10.0, 16.0),
            k == 0 ? std::max(reach, 45.0f) * b.uniform(1.3, 1.7) : reach * b.uniform(0.4, 0.7));
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
    AuraLayer& crown =
        b.add(colours[0], 1.0f, b.uniform(0.0, 20.0), 16.0f, std::max(reach, 50.0f) * 1.9f);
    // A dome over the head: cut off along a row, the crown would end in a horizon line.
    crown.region = Region::Sector;
    crown.angle = b.uniform(-0.3, 0.3);
    crown.spread = b.uniform(0.55, 0.8);
    b.recipe.lift += b.uniform(0.4, 0.9);
    b.add(colours[n >= 2 ? 1 : 0], 0.1f, 0.0f, 12.0f, reach * 0.4f);
    if (n >= 3) {
        AuraLayer& shoulders = b.add(colours[2], 0.7f, 0.0f, 14.0f, reach);
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
    const float wide = std::max(reach, 50.0f) * 1.9f;
    AuraLayer& main = b.add(colours[0], 1.0f, b.uniform(0.0, 25.0), 24.0f, wide);
    main.region = Region::Sector;
    main.angle = side * b.uniform(0.8, 1.8);
    main.spread = b.uniform(0.8, 1.2);
    b.add(colours[n >= 2 ? 1 : 0], 0.1f, 0.0f, 12.0f, reach * 0.4f);
    AuraLayer& other = b.add(colours[n >= 3 ? 2 : n - 1], 0.6f, b.uniform(0.0, 15.0), 18.0f, reach);
    other.region = Region::Sector;
    other.angle = -side * b.uniform(0.8, 1.9);
    other.spread = 0.6f;
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
                               14.0f, std::max(reach, 50.0f) * b.uniform(1.2, 1.6));
        arm.region = Region::Sector;
        arm.angle = phase + 2.0f * Pi * static_cast<float>(k) / static_cast<float>(arms);
        // Narrow arms leave clear gaps between them, so the spiral shows.
        arm.spread = Pi / static_cast<float>(arms) * b.uniform(0.55, 0.75);
        arm.twist = twist;
    }
}

void buildFlame(Builder& b, const std::vector<Colour>& colours, float reach) {
    const int n = static_cast<int>(colours.size());
    b.recipe.noiseStretch = b.uniform(0.25, 0.45);
    b.recipe.lift += b.uniform(1.0, 1.8);
    // A flame burns white at its root.
    b.recipe.hotCore = b.uniform(0.15, 0.28);
    b.recipe.wisps = b.uniform(0.5, 0.9);
    b.recipe.warp += 0.5f;
    float offset = 0.0f;
    for (int k = 0; k < n; ++k) {
        AuraLayer& tongue =
            b.add(colours[static_cast<std::size_t>(k)], 1.0f - 0.15f * static_cast<float>(k),
                  offset, k == 0 ? 10.0f : 14.0f, reach * (0.8f + 0.35f * static_cast<float>(k)));
        tongue.texture = std::min(0.9f, 0.5f + 0.12f * static_cast<float>(k));
        // Flames rise from the shoulders and leave the lower frame bare.
        tongue.region = Region::Above;
        tongue.y0 = b.uniform(340.0, 400.0);
        tongue.softness = 100.0f;
        offset += b.uniform(12.0, 22.0);
    }
}

// A big soft cloud floating off one shoulder or above the head, the rest only a faint rim.
void buildCloud(Builder& b, const std::vector<Colour>& colours, float reach) {
    const int n = static_cast<int>(colours.size());
    const float angle = b.uniform(-2.0, 2.0);
    const float size = std::max(55.0f, reach) * b.uniform(1.0, 1.4);
    for (int k = 0; k < std::min(n, 3); ++k) {
        AuraLayer& cloud = b.add(colours[static_cast<std::size_t>(k)], 1.0f - 0.2f * k,
                                 b.uniform(30.0, 60.0) + 12.0f * k, size * 0.8f, size);
        cloud.region = Region::Sector;
        cloud.angle = angle + b.uniform(-0.5, 0.5) * static_cast<float>(k);
        cloud.spread = b.uniform(0.55, 0.9);
        cloud.texture = std::min(cloud.texture + 0.2f, 0.8f);
    }
    b.add(colours[static_cast<std::size_t>(n - 1)], 0.08f, 0.0f, 12.0f, reach * 0.4f);
}

// Colour rising from the shoulders like wings, the head left nearly bare.
void buildWings(Builder& b, const std::vector<Colour>& colours, float reach) {
    const int n = static_cast<int>(colours.size());
    const float y0 = b.uniform(270.0, 330.0);
    for (int k = 0; k < 2; ++k) {
        AuraLayer& wing =
            b.add(colours[static_cast<std::size_t>(k % n)], 1.0f, b.uniform(0.0, 15.0), 20.0f,
                  std::max(60.0f, reach) * b.uniform(1.3, 1.7));
        wing.region = Region::Sector;
        wing.angle = (k == 0 ? -1.0f : 1.0f) * b.uniform(1.9, 2.4);
        wing.spread = b.uniform(0.6, 0.9);
    }
    AuraLayer& low =
        b.add(colours[static_cast<std::size_t>(n > 2 ? 2 : 0)], 0.6f, 0.0f, 20.0f, reach);
    low.region = Region::Below;
    low.y0 = y0;
    low.softness = 50.0f;
    b.add(colours[static_cast<std::size_t>(n - 1)], 0.06f, 0.0f, 12.0f, reach * 0.35f);
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
    const int i = std::clamp(index, 1, PortraitFormat::OverlayCount) - 1;
    Rng rng(0x7A11E5ull * static_cast<std::uint64_t>(i + 1) + 0x51D0B0Bull);
    AuraRecipe recipe;
    recipe.seed = rng.next();

    const Colour primary = PrimaryOrder[i % AuraPalette::Count];
    // Sixteen colours and nine forms share no factor, so no colour meets the same form twice.
    const auto style = static_cast<Style>(i % static_cast<int>(Style::Count));
    const double pick = rng.unit();
    int count = pick < 0.12 ? 1 : pick < 0.45 ? 2 : pick < 0.8 ? 3 : 4;
    if (count == 1 && (style == Style::Bands || style == Style::Split || style == Style::Wings)) {
        count = 2;
    }
    const std::vector<Colour> colours = chooseColours(rng, primary, i / AuraPalette::Count, count);

    recipe.peakAlpha = static_cast<float>(rng.uniform(0.74, 0.9));
    recipe.noiseScale = static_cast<float>(rng.uniform(0.005, 0.014));
    recipe.noiseStretch = static_cast<float>(rng.uniform(0.55, 1.0));
    recipe.warp = static_cast<float>(rng.uniform(0.2, 1.3));
    recipe.wobble = static_cast<float>(rng.uniform(4.0, 22.0));
    recipe.lift = static_cast<float>(rng.uniform(0.0, 0.7));
    // Only a few get the bright white line along the person; on film it is rare.
    recipe.hotCore =
        static_cast<float>(rng.chance(0.2) ? rng.uniform(0.2, 0.4) : rng.uniform(0.0, 0.12));
    recipe.grain = static_cast<float>(rng.uniform(0.1, 0.18));
    // Mostly medium glows, with a few close ones and a few that flood the picture.
    const double size = rng.unit();
    const float reach = static_cast<float>(size < 0.12  ? rng.uniform(26.0, 36.0)
                                           : size < 0.8 ? rng.uniform(36.0, 66.0)
                                                        : rng.uniform(66.0, 95.0));

    Builder builder(rng, recipe, static_cast<float>(rng.uniform(0.15, 0.55)));
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
        buildFlame(builder, colours, reach);
        break;
    case Style::Cloud:
        buildCloud(builder, colours, reach);
        break;
    case Style::Wings:
    case Style::Count:
        buildWings(builder, colours, reach);
        break;
    }

    // Stars and rays are a digital look; a few prints may have them, most must not.
    if (i % 6 == 4) {
        if (rng.chance(0.5)) {
            recipe.rays = static_cast<float>(rng.uniform(0.25, 0.5));
            recipe.rayCount = static_cast<float>(6 + rng.below(10));
            recipe.rayPhase = static_cast<float>(rng.uniform(0.0, 2.0 * Pi));
            recipe.raySharpness = static_cast<float>(rng.uniform(1.5, 4.0));
        } else {
            recipe.sparkles = 8 + rng.below(16);
            recipe.sparkleSize = static_cast<float>(rng.uniform(1.2, 2.6));
        }
    }
    if (style != Style::Flame && rng.chance(0.3)) {
        recipe.wisps = static_cast<float>(rng.uniform(0.3, 0.7));
    }
    recipe.wispReach = reach * static_cast<float>(rng.uniform(1.2, 2.2));
    recipe.wispLayer = rng.below(static_cast<int>(recipe.layers.size()));
    if (rng.chance(0.2)) {
        addOrbs(builder, colours);
    }
    recipe.veil = static_cast<float>(rng.uniform(0.13, 0.2));
    recipe.veilReach = static_cast<float>(rng.uniform(70.0, 170.0));
    recipe.veilLayer = rng.below(static_cast<int>(colours.size()));
    recipe.veilLean = static_cast<float>(rng.uniform(-1.5, 1.5));
    recipe.veilLift = static_cast<float>(rng.uniform(0.0, 1.2));
    recipe.veilBody = static_cast<float>(rng.uniform(0.1, 0.8));
    if (pale(primary) || primary == AuraPalette::Lavender) {
        // Pale colours show only where they lie thick: on a light photo they vanish.
        recipe.veil *= 1.5f;
        recipe.peakAlpha = std::max(recipe.peakAlpha, 0.86f);
    }
    // Prints are rarely even on both sides; the lopsided ones tell past from future.
    recipe.tilt = static_cast<float>(rng.uniform(-1.1, 1.1));
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
