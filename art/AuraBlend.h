#pragma once

class QImage;

/// Lays an aura over a photo as light, not paint: a luminous colour brightens what it covers
/// (a screen blend, so the photo's detail shows through), while a dark colour, which light
/// cannot make, settles over the photo as smoke, and over a bright part of the photo the
/// glow leans to a tint, as light on a pale wall shows only as colour. The generator
/// measures its overlays through this and the portrait is made with it, so what is measured
/// is what shows.
class AuraBlend {
public:
    /// Blends `overlay` (premultiplied, the same size as `photo`) into `photo` in place;
    /// `photo` must be Format_ARGB32_Premultiplied or Format_RGB32 and opaque.
    static void apply(QImage& photo, const QImage& overlay);
    /// Whether the blend may use the processor's vector extensions (AVX2) where it has them;
    /// on by default. Off, it takes the plain loop every processor runs, so that a test can
    /// hold the two to the same pixels.
    static void setVectorised(bool allowed);
};
