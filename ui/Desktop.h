#pragma once

#include "base/Result.h"
#include "imaging/Image.h"

#include <QString>

namespace toolkit {

/// Opens `folder` in the desktop's file manager. Fails with the reason when the desktop
/// has no handler for folders.
Result<bool> openFolder(const QString& folder);

/// Puts `image` on the clipboard as a picture, for pasting into other applications.
void copyToClipboard(const Image& image);

/// Puts `image` and `text` on the clipboard together: an application that takes pictures
/// pastes the picture, a text field the text.
void copyToClipboard(const Image& image, const QString& text);

} // namespace toolkit
