#pragma once

#include <QAccessibleWidget>

namespace toolkit {

/// What screen readers see of the desktop window and the Window it frames. A widget shown
/// through a graphics scene is not in the accessibility tree by itself: the frame reports
/// the Window as its one child, and the Window reports the frame as its parent.
class WindowAccessible : public QAccessibleWidget {
public:
    /// Makes screen readers find the Window inside its frame; called once per process.
    static void install();

    QAccessibleInterface* parent() const override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;

private:
    WindowAccessible(QWidget* widget, QWidget* framed, QWidget* frame);
    static QAccessibleInterface* create(const QString& key, QObject* object);

    QWidget* m_framed; // the Window, when this is the frame's interface
    QWidget* m_frame;  // the frame, when this is the Window's interface
};

} // namespace toolkit
