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

private:
    // The glow is soft enough to compute at half size, which keeps a hundred of them quick.
    QImage paintGlow(const AuraRecipe& recipe) const;

    QSize m_canvas;
    QTransform m_toPortrait;
    float m_scale;
    int m_glowWidth;
    int m_glowHeight;
    // Per half-size cell, in portrait units: distance to the outline, angle around the
    // aura's centre, distance from the face.
    std::vector<float> m_glowDistance;
    std::vector<float> m_glowAngle;
    std::vector<float> m_glowFace;
    QImage m_faceMask;
};
