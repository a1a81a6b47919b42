#pragma once

#include "art/PortraitFormat.h"
#include "face/FaceDetector.h"
#include "imaging/Image.h"

#include <QImage>
#include <QTransform>

/// Cuts a photo to a portrait around its largest face, without stretching it, and paints
/// the aura with its clear oval on that face. Without a face the photo is cut to its centre
/// and the aura stays where the overlays have it. Runs on any thread.
class PortraitFramer {
public:
    /// The long side of the reduced copy that faces are looked for in, at least: a photo
    /// decoded covering it (Image::Sizing::Covering) is taken as it is, up to twice as large.
    static constexpr int kDetectionSide = 640;
    /// How much the copy faces were looked for in may be enlarged to draw the photo, rather
    /// than decoding the file a second time: a quarter more shows no softness in a portrait.
    static constexpr double kReuseEnlargement = 1.25;

    struct Framed {
        /// The portrait's photo, at the portrait size asked for.
        QImage photo;
        /// Overlay `auraNumber` painted at `placement`; null at the identity placement,
        /// where the shipped overlay is the same picture.
        QImage aura;
        QTransform placement;
        bool faceFound = false;
        /// Where the photo lies in a close-up's portrait, on its backdrop; null when the
        /// photo fills the portrait.
        QRectF photoRect;
    };

    /// Frames `photo` with the faces `detector` finds, for overlay `auraNumber` (1 to 100),
    /// into a portrait of `portrait` pixels (a multiple of 360 × 480).
    static Framed frame(const toolkit::Image& photo, const toolkit::FaceDetector& detector,
                        int auraNumber,
                        QSize portrait = QSize(PortraitFormat::Width, PortraitFormat::Height));
};
