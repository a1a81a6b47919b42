#include "ui/ToolButtonLabels.h"

#include <QFontMetricsF>
#include <QToolButton>

namespace toolkit {

void ToolButtonLabels::fit(const QList<QWidget*>& toolbars) {
    for (QWidget* toolbar : toolbars) {
        for (QToolButton* button : toolbar->findChildren<QToolButton*>()) {
            // Measured in the type its style gives it: 2 px of border either side, no padding.
            button->ensurePolished();
            const int room = button->width() - 4;
            QFont font = button->font();
            const qreal shown = font.pointSizeF();
            qreal size = shown;
            while (size > 6 && QFontMetricsF(font).horizontalAdvance(button->text()) > room) {
                size -= 0.5;
                font.setPointSizeF(size);
            }
            if (size < shown)
                button->setFont(font);
        }
    }
}

} // namespace toolkit
