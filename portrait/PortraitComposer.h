#pragma once

#include "base/Result.h"
#include "face/FaceDetector.h"
#include "imaging/Image.h"

#include <QImage>
#include <QSize>

/// Makes the portrait: a photo, fitted to the portrait, under its aura, painted into a
/// QImage without any widget. The window shows and saves what this paints, and
/// the compose command writes the same, so both are the same picture by construction.
///
/// It works in two steps: framing (decoding at the portrait's size, finding the face,
/// painting an aura placed on it) is the costly one and runs on any thread; painting the
/// layers together is cheap and looks the shipped overlays up, on the GUI thread.
class PortraitComposer {
public:
    /// How a photo fills the portrait: stretched to it, or cut to 3:4 around its largest
    /// face with the aura placed on the face.
    enum class Fit { Stretch, Face };

    /// What a portrait is made of, each picture at the portrait's size.
    struct Layers {
        /// The photo as it fills the portrait; a picture with transparency shows the
        /// portrait's background through it.
        QImage photo;
        /// The aura over it: painted for a placement of its own, or null for the shipped
        /// overlay `auraNumber`.
        QImage aura;
        /// The overlay, 1 to the overlay count; 0 for a portrait without an aura (the home
        /// picture before any photo).
        int auraNumber = 0;
        /// Whether a face was found (always false when stretched).
        bool faceFound = false;
        /// How many times the 360 × 480 portrait this is.
        int scale = 1;
    };

    /// The overlay a portrait gets: `fixed` when it is one (1 to the overlay count), else
    /// one drawn at random from the random source.
    static int drawAuraNumber(int fixed = 0);

    /// The portrait's size at `scale` times 360 × 480.
    static QSize portraitSize(int scale = 1);

    /// Fits `photo` to the portrait at `scale` for overlay `auraNumber`; in face mode with
    /// the faces `detector` finds. A picture file is decoded at the size it is drawn at.
    /// Any thread.
    static Layers frame(const toolkit::Image& photo, Fit fit, int auraNumber,
                        const toolkit::FaceDetector& detector, int scale = 1);

    /// A portrait of `picture` alone, with no aura: the screen before any photo.
    static Layers withoutAura(const toolkit::Image& picture, int scale = 1);

    /// The shipped overlay of `layers`, or its own painted aura; null when it has none.
    /// Fails, naming the file, when the overlay is missing from the resources. GUI thread.
    static toolkit::Result<toolkit::Image> aura(const Layers& layers);

    /// Paints the portrait: the background, the photo, the aura. Fails when the shipped
    /// overlay is missing: a portrait without its aura is no portrait. GUI thread.
    static toolkit::Result<QImage> paint(const Layers& layers);
};
