#pragma once

class QPainter;
class QWidget;

namespace toolkit {

/// Draws `window`'s widget tree as it stands into `context` with the window's top-left
/// corner at the context's origin. Hidden widgets are left out; whatever lies outside the
/// context is cut off.
void renderInContext(QWidget* window, QPainter* context);

} // namespace toolkit
