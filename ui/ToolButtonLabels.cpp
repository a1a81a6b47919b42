#include "ui/ToolButtonLabels.h"

#include <QFontMetricsF>
#include <QToolButton>
#include <algorithm>
#include <cmath>

namespace toolkit {

namespace {
constexpr qreal kSmallest = 6;
// Hinting makes a label at a smaller size up to a few per cent wider than in proportion.
constexpr qreal kHintingMargin = 0.5;

// A button's room for its label: 2 px of border either side, no padding.
qreal roomOf(QToolButton* button) {
    button->ensurePolished();
    return button->width() - 4;
}

bool allFit(const QList<QToolButton*>& buttons, const QFont& font) {
    const QFontMetricsF metrics(font);
    return std::all_of(buttons.begin(), buttons.end(), [&metrics](QToolButton* button) {
        return metrics.horizontalAdvance(button->text()) <= roomOf(button);
    });
}
} // namespace

void ToolButtonLabels::fit(const QList<QToolButton*>& buttons, qreal points) {
    if (buttons.isEmpty())
        return;
    // Measured first in the type the buttons already have, whose font is loaded: a label is
    // nearly as wide as its size, and every size measured loads a font of its own (a
    // fifteenth of the launch). One size for every label, as they read together.
    QFont font = buttons.first()->font();
    const qreal base = font.pointSizeF();
    const QFontMetricsF metrics(font);
    qreal fits = points + kHintingMargin;
    for (QToolButton* button : buttons) {
        const qreal wide = metrics.horizontalAdvance(button->text());
        if (wide > 0)
            fits = std::min(fits, base * roomOf(button) / wide);
    }
    qreal size = std::clamp(std::floor((fits - kHintingMargin) * 2) / 2, kSmallest, points);
    font.setPointSizeF(size);
    // The guess confirmed in the type it chose, and taken down where it is still too wide.
    while (size > kSmallest && !allFit(buttons, font)) {
        size -= 0.5;
        font.setPointSizeF(size);
    }
    for (QToolButton* button : buttons)
        button->setFont(font);
}

} // namespace toolkit
