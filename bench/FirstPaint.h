#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>
#include <functional>

/// Sees the first paint of any widget (installed on the application) and, once that paint
/// pass has returned and the frame is whole, calls `shown` and quits.
class FirstPaint : public QObject {
public:
    FirstPaint(std::function<void()> shown, QObject* parent)
        : QObject(parent), m_shown(std::move(shown)) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            QTimer::singleShot(0, [shown = m_shown] {
                shown();
                QCoreApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_shown;
    bool m_seen = false;
};
