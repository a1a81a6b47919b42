#include "camera/QtCameraBackend.h"

#include "camera/CameraModule.h"
#include "camera/CameraMonitor.h"
#include "camera/QtCameraSource.h"

#include <QCameraDevice>
#include <QMediaDevices>
#include <QPointer>

namespace toolkit {

QtCameraBackend::QtCameraBackend(QObject* parent)
    : CameraBackend(parent), m_monitor(new CameraMonitor(this)) {
    // Presence comes from a device monitor of our own, which reports from the event loop:
    // asking Qt's media backend from inside its own announcement deadlocks at start-up, and
    // its list keeps an unplugged camera.
    connect(m_monitor, &CameraMonitor::changed, this, &CameraBackend::changed,
            Qt::QueuedConnection);
}

QStringList QtCameraBackend::cameras() const {
    return m_monitor->cameras();
}

std::unique_ptr<CameraSource> QtCameraBackend::openCamera(const QString& preferred) {
    const QStringList present = m_monitor->cameras();
    if (present.isEmpty())
        return nullptr;
    // Qt's list may hold a stale entry for a camera unplugged and plugged in again under the
    // same name; the entry it added last is the live one.
    const QList<QCameraDevice> inputs = QMediaDevices::videoInputs();
    const QString wanted = present.contains(preferred) ? preferred : QString();
    QCameraDevice device;
    for (const QCameraDevice& input : inputs) {
        if (wanted.isEmpty() ? present.contains(input.description())
                             : input.description() == wanted)
            device = input;
    }
    if (device.isNull() && !inputs.isEmpty())
        device = inputs.last();
    if (device.isNull())
        return nullptr;
    auto source = std::make_unique<QtCameraSource>(device);
    QPointer<QtCameraSource> opened(source.get());
    connect(m_monitor, &CameraMonitor::changed, source.get(),
            [this, opened, name = device.description()] {
                if (opened && !m_monitor->cameras().contains(name))
                    opened->deviceRemoved();
            });
    return source;
}

} // namespace toolkit

toolkit::CameraBackend* toolkit_camera_backend_v1(QObject* parent) {
    return new toolkit::QtCameraBackend(parent);
}
