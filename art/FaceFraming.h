#pragma once

#include <QRectF>
#include <QSizeF>
#include <QTransform>

#include <optional>

// Where a photo is cut to a portrait, and where the aura goes on it, given the face found in
// the photo. The photo is never stretched: the cut is 3:4, and the aura follows the face.
class FaceFraming {
public:
    // `photo` is the upright photo's size and `face` the face box in its pixels, if any.
    FaceFraming(QSizeF photo, std::optional<QRectF> face);

    // The 3:4 part of the photo that becomes the portrait, in photo pixels. For a close-up it
    // reaches past the photo's edges: the photo sits inside the portrait on a backdrop.
    QRectF crop() const { return m_crop; }
    // Maps portrait units of the overlays onto the portrait: identity without a face.
    QTransform auraPlacement() const { return m_placement; }
    bool hasFace() const { return m_face.has_value(); }
    // The face box in portrait pixels, once the crop is scaled to the portrait.
    QRectF faceInPortrait() const;

    // Where a face box lies in an overlay at the identity placement: inside the clear oval
    // and jaw, with the forehead above it, as a detector's box sits on a real face.
    static QRectF faceTarget();
    // The placement that puts the overlay's face target on `face`, a face box in portrait
    // pixels: the aura keeps its proportions and is scaled as much as the box needs.
    static QTransform placementFor(const QRectF& face);
    // A face so small that its framing would cut out less than this share of the photo's
    // height is framed with this share; the aura shrinks to it instead.
    static constexpr double MinimumCropShare = 0.25;
    // How much larger than its target a close-up's face may be framed before the photo is
    // shown smaller on a backdrop: the glow grows with it and leaves the frame beyond this.
    static constexpr double CloseUpGrowth = 1.4;
    // Whether the crop reaches past the photo, so the portrait needs a backdrop.
    bool needsBackdrop() const;

private:
    QSizeF m_photo;
    std::optional<QRectF> m_face;
    QRectF m_crop;
    QTransform m_placement;
};
