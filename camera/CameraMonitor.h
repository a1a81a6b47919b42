#pragma once

#include <QObject>
#include <QStringList>

typedef struct _GstDeviceMonitor GstDeviceMonitor;

namespace toolkit {

/// The webcams plugged in now, as GStreamer's device monitor sees them, and a signal when
/// one is plugged in or removed. Qt's own camera list cannot serve: its 6.4 backend lists a
/// camera present at start twice and forgets one entry on unplug, so it still shows a
/// camera after the camera has gone.
class CameraMonitor : public QObject {
    Q_OBJECT

public:
    explicit CameraMonitor(QObject* parent = nullptr);
    ~CameraMonitor() override;

    /// The names of the cameras plugged in now, one per device.
    QStringList cameras() const { return m_cameras; }

signals:
    /// A camera was plugged in or removed; delivered from the event loop, never from inside
    /// a call into the media backend.
    void changed();

private:
    Q_INVOKABLE void reread();

    GstDeviceMonitor* m_monitor = nullptr;
    QStringList m_cameras;
};

} // namespace toolkit
