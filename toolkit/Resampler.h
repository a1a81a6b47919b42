#pragma once

#include <QImage>
#include <QSize>

namespace toolkit {

/// Shrinks or stretches pictures with an antialiasing filter (Lanczos-3, separable), so that
/// texture finer than the result can show comes out as its average instead of moiré, and
/// the average level is kept (values are rounded to the nearest, never down).
class Resampler {
public:
    /// `source` at exactly `target` (stretched, the aspect ratio not kept). The result is
    /// RGB32, or ARGB32_Premultiplied when `source` has an alpha channel; a null image when
    /// `target` is empty or memory runs out.
    static QImage scaled(const QImage& source, QSize target);
};

} // namespace toolkit
