#pragma once

#include <QImage>
#include <QRectF>

/// What a close-up stands on when it is shown smaller inside its portrait: the photo itself,
/// its edges carried out to the portrait's, heavily blurred and darkened, so the glow has
/// room around the head and the picture still reads as one photograph.
class PortraitBackdrop {
public:
    /// The backdrop for a portrait of `size` whose photo (`photo`, any reduced copy of it)
    /// lies at `photoRect` in portrait pixels.
    static QImage make(const QImage& photo, QRectF photoRect, QSize size);
    /// Fades the photo's edges at `photoRect` into `backdrop` over a few pixels, so there is
    /// no cut line between them. `portrait` holds the photo drawn over the backdrop.
    static void feather(QImage& portrait, const QImage& backdrop, QRectF photoRect);
};
