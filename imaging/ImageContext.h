#pragma once

#include "imaging/Image.h"

#include <QSizeF>

class QPainter;

namespace toolkit {

/// Opens a bitmap image context of `size` points (not opaque, scale 1, origin top left,
/// cleared to transparent) and makes it the current one. Contexts nest as a stack.
void beginImageContext(QSizeF size);

/// The painter of the current image context, or nullptr when none is open.
QPainter* currentContext();

/// The current context's content as an image; a null image when none is open.
Image imageFromCurrentImageContext();

/// Closes the current image context; the one opened before it becomes current again.
void endImageContext();

} // namespace toolkit
