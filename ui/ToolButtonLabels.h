#pragma once

#include <QList>

class QWidget;

namespace toolkit {

/// Keeps the labels of tool buttons whole: a label longer than its button (a translation
/// longer than the English) is set a little smaller, as far as it stays legible, instead of
/// being cut in the middle.
class ToolButtonLabels {
public:
    /// Fits the label of every tool button in `toolbars`, in the type their style gives them.
    static void fit(const QList<QWidget*>& toolbars);
};

} // namespace toolkit
