#pragma once

#include "base/Result.h"

#include <QImage>
#include <QRectF>
#include <QSize>
#include <QString>
#include <memory>

class QPainter;

namespace toolkit {

/// An immutable picture, cheap to copy. Either decoded pixels, or a picture file's bytes
/// that are decoded only as large as a drawing needs (JPEG shrink-on-load), upright by its
/// EXIF orientation.
class Image {
public:
    Image() = default;
    explicit Image(QImage pixels);

    /// How a file is decoded for a size.
    enum class Sizing {
        /// At exactly the size, stretched.
        Exactly,
        /// Covering the size's fit (the picture within it, proportions kept) at whatever
        /// size the file decodes at most cheaply, which spares a resampling: a JPEG's
        /// shrink-on-load size when that is at most twice the fit, else the fit.
        Covering,
    };

    /// Reads the picture file at `path` once and decodes it at exactly `drawSize`
    /// (stretched), the size it is about to be drawn at, so the first drawing costs nothing
    /// more; or, `Covering`, as that says. Fails with the reason when the file cannot be
    /// read or decoded. Runs on the calling thread: the window decodes through
    /// ImageDecoder's background decode.
    static Result<Image> fromFile(const QString& path, QSize drawSize,
                                  Sizing sizing = Sizing::Exactly);

    /// Reads only what the file says about itself: its upright size. Fails with the reason.
    static Result<QSize> uprightSizeOfFile(const QString& path);

    /// The resource image named `name` (e.g. "home.png"), cached; a null image when there
    /// is no such resource, which is said once on stderr. On a dense screen its sharper
    /// variant ("home@2x.png", "home@3x.png") is taken when there is one. GUI thread only.
    static Image imageNamed(const QString& name);
    /// As imageNamed(name), for screens of `devicePixelRatio`: the "@1.5x" variant from
    /// 1.25, the "@2x" one from 1.5 (where there is no "@1.5x"), the "@3x" one from 2.5,
    /// else the plain file. A variant's pixels carry its ratio. A ".pixels" file is read as
    /// a PixelFile.
    static Image imageNamed(const QString& name, qreal devicePixelRatio);
    /// Forgets every cached named image (tests switch resource folders).
    static void clearNamedImageCache();

    bool isNull() const;
    /// The upright size in points (the full size for a picture file).
    QSize size() const;
    /// The pixels: decoded pixels as they are, a file at the size it was last decoded at.
    QImage toQImage() const;

    /// The picture reduced to fit within `bound` with its proportions kept, never enlarged;
    /// a file is decoded at that size (shrink-on-load). Null when it cannot be decoded.
    QImage scaledToFit(QSize bound) const;
    /// The picture at least as large as scaledToFit(bound): the pixels a `Covering` decode
    /// made for `bound` as they are, otherwise scaledToFit(bound).
    QImage coveringFit(QSize bound) const;

    /// Draws the picture into `rect` of the current image context, stretched to fill it.
    void drawInRect(const QRectF& rect) const;
    /// Draws the picture into `rect` of `painter`, stretched to fill it: the aspect ratio is
    /// not kept and nothing is cropped.
    void drawInRect(QPainter& painter, const QRectF& rect) const;

    /// Sets the decoders' limits; called once at start-up.
    static void configureDecoding();

private:
    struct Data;
    std::shared_ptr<const Data> d;
};

} // namespace toolkit
