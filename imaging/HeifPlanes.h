#pragma once

#include <QImage>
#include <QSize>
#include <libheif/heif.h>

namespace toolkit {

/// Shrinking a picture libheif decoded in its own colour space (YCbCr, RGB or grey planes)
/// straight to a small RGB picture: the full-size RGB pixels, four bytes each, are never made.
class HeifPlanes {
public:
    /// `image`, decoded from `handle` and at least as large as `target`, averaged down to
    /// `target` and turned into RGB with the matrix and range the file names. Null when the
    /// image lacks a plane it needs or memory runs out.
    static QImage shrunkToRgb(const heif_image* image, const heif_image_handle* handle,
                              QSize target);
};

} // namespace toolkit
