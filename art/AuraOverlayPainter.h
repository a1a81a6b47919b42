#pragma once

#include <QImage>
#include <QSize>
#include <QTransform>

#include <vector>

struct AuraRecipe;

// Turns a recipe into a transparent overlay that glows around the portrait's head and shoulders.
// Painting is const and touches no shared state, so overlays can be painted on several threads.
class AuraOverlayPainter {
public:
    AuraOverlayPainter();
    // Places the portrait figure with a uniform scale and shift on a canvas of any size, so
    // artwork gets a glow that fills its own frame instead of a shrunken overlay with edges.
    AuraOverlayPainter(QSize canvas, const QTransform& placement);

    QImage paint(const AuraRecipe& recipe) const;

    /// The wide glow's size, and where the portrait's corner lies in its full-size pixels.
    static constexpr int WideGlowWidth = 360;
    static constexpr int WideGlowHeight = 480;
    static constexpr int WideGlowLeft = 180;
    static constexpr int WideGlowTop = 240;

    /// The glow of `recipe` before the face is cleared, over twice the portrait's width and
    /// height around it, at half its resolution. The build ships one beside each overlay, so
    /// a photo framed to its face gets its aura resampled from it rather than painted.
    static QImage paintWideGlow(const AuraRecipe& recipe);
    /// Whether a wide glow serves this canvas as well as painting does: the placement only
    /// scales and shifts, all of the canvas lies within the glow, and the canvas shows the
    /// glow no larger than it holds detail for.
    bool wideGlowServes() const;
    /// The overlay from its wide glow: the same as painting its recipe, up to resampling.
    /// Null when `wideGlow` is none (null, or of another size).
    QImage paint(const QImage& wideGlow) const;

private:
    // The glow is soft enough to compute at half size, which keeps a hundred of them quick.
    QImage paintGlow(const AuraRecipe& recipe) const;
    // A half-size glow made the canvas's size, with the face cleared.
    QImage finish(const QImage& glow) const;

    // Per half-size cell, in portrait units: distance to the outline, angle around the
    // aura's centre, distance from the face.
    struct Layout {
        std::vector<float> distance;
        std::vector<float> angle;
        std::vector<float> face;
    };
    Layout layout() const;

    QSize m_canvas;
    QTransform m_placement;
    QTransform m_toPortrait;
    float m_scale;
    int m_glowWidth;
    int m_glowHeight;
};
