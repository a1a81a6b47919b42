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

    /// How many pixels along one side a box average may take together before scaled()
    /// brings `from` pixels down to `to`: the boxes leave two to three times `to`, where
    /// the filter still removes what the target cannot show; averaging any further leaves
    /// fine texture as moiré. 1 when there is nothing to average.
    static int boxFactor(int from, int to) { return to > 0 ? qMax(1, from / to / 2) : 1; }

    /// Whether the filter may use the processor's vector extensions (AVX2 with FMA) where
    /// it has them; on by default. Off, it takes the plain loops every processor runs, so
    /// that a test can hold the two to the same pixels.
    static void setVectorised(bool allowed);
};

} // namespace toolkit
