#include "ui/WindowAccessible.h"

#include "ui/Window.h"
#include "ui/WindowFrame.h"

#include <QGraphicsProxyWidget>

namespace toolkit {

void WindowAccessible::install() {
    static bool installed = false;
    if (!installed)
        QAccessible::installFactory(&WindowAccessible::create);
    installed = true;
}

QAccessibleInterface* WindowAccessible::create(const QString&, QObject* object) {
    if (auto* frame = qobject_cast<WindowFrame*>(object)) {
        auto* proxy =
            frame->scene() && !frame->scene()->items().isEmpty()
                ? qgraphicsitem_cast<QGraphicsProxyWidget*>(frame->scene()->items().first())
                : nullptr;
        return new WindowAccessible(frame, proxy ? proxy->widget() : nullptr, nullptr);
    }
    if (auto* window = qobject_cast<Window*>(object))
        return new WindowAccessible(window, nullptr, window->frame());
    return nullptr;
}

WindowAccessible::WindowAccessible(QWidget* widget, QWidget* framed, QWidget* frame)
    : QAccessibleWidget(widget, frame ? QAccessible::Client : QAccessible::Window),
      m_framed(framed), m_frame(frame) {}

QAccessibleInterface* WindowAccessible::parent() const {
    if (m_frame)
        return QAccessible::queryAccessibleInterface(m_frame);
    return QAccessibleWidget::parent();
}

int WindowAccessible::childCount() const {
    return m_framed ? 1 : QAccessibleWidget::childCount();
}

QAccessibleInterface* WindowAccessible::child(int index) const {
    if (m_framed)
        return index == 0 ? QAccessible::queryAccessibleInterface(m_framed) : nullptr;
    return QAccessibleWidget::child(index);
}

int WindowAccessible::indexOfChild(const QAccessibleInterface* child) const {
    if (m_framed)
        return child && child->object() == m_framed ? 0 : -1;
    return QAccessibleWidget::indexOfChild(child);
}

QAccessibleInterface* WindowAccessible::childAt(int x, int y) const {
    if (m_framed) {
        QAccessibleInterface* framed = child(0);
        return framed && framed->rect().contains(x, y) ? framed : nullptr;
    }
    return QAccessibleWidget::childAt(x, y);
}

} // namespace toolkit
