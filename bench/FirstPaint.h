#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <cstdlib>
#include <functional>

/// Sees the first paint of any widget (installed on the application) and, once that paint
/// pass has returned and the frame is whole, calls `shown` and ends the process at once.
/// Posted before anything the paint itself queues (the window's first-frame work, such as
/// loading the camera module), and ended without tearing down: what is counted is the
/// launch to the first frame, the same for every program that uses it.
class FirstPaint : public QObject {
public:
    FirstPaint(std::function<void()> shown, QObject* parent)
        : QObject(parent), m_shown(std::move(shown)) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            QMetaObject::invokeMethod(
                qApp,
                [shown = m_shown] {
                    shown();
                    std::_Exit(0);
                },
                Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_shown;
    bool m_seen = false;
};
