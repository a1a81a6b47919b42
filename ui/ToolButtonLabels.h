#pragma once

#include <QList>

class QToolButton;

namespace toolkit {

/// Keeps the labels of tool buttons whole: where a label is longer than its button (a
/// translation longer than the English), every label is set a little smaller, as far as it
/// stays legible, instead of that one being cut in the middle.
class ToolButtonLabels {
public:
    /// Sets the labels of `buttons` in one size: `points`, or the largest below it at which
    /// each label fits its button.
    static void fit(const QList<QToolButton*>& buttons, qreal points);
};

} // namespace toolkit
