#include "ui/RenderInContext.h"

#include <QPainter>
#include <QWidget>

namespace toolkit {

void renderInContext(QWidget* window, QPainter* context) {
    if (!window || !context)
        return;
    // Only the part of the window that lands in the context is painted: the rest (the
    // toolbars below the photo area, for a save) would be drawn only to be cut off.
    QRegion inContext;
    if (const QPaintDevice* device = context->device()) {
        bool invertible = false;
        const QTransform toWindow = context->transform().inverted(&invertible);
        if (invertible)
            inContext = toWindow.mapRect(QRect(0, 0, device->width(), device->height()));
    }
    window->render(context, QPoint(), inContext,
                   QWidget::DrawWindowBackground | QWidget::DrawChildren);
}

} // namespace toolkit
