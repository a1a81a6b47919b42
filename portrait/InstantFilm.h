#pragma once

class QImage;

/// The look of instant film over the whole portrait, photo and glow together: warmer, lower
/// contrast, blacks lifted to a soft dark, highlights held below paper white, and one fine
/// grain. It is one fixed treatment, so a portrait made twice is the same picture.
class InstantFilm {
public:
    /// Develops `portrait` in place (opaque, Format_ARGB32_Premultiplied or Format_RGB32).
    /// `scale` is how many times 360 × 480 it is, so the grain keeps its size on the print.
    static void develop(QImage& portrait, int scale = 1);
    /// Whether the treatment may use the processor's vector extensions (AVX2) where it has
    /// them; on by default. Off, it takes the plain loop, so that a test can hold the two to
    /// the same pixels.
    static void setVectorised(bool allowed);
};
