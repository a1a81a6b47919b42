#pragma once

#include "camera/CameraSource.h"

#include <QObject>
#include <QStringList>
#include <memory>

namespace toolkit {

/// The webcams: which are plugged in, a camera source for one, and a signal when one comes
/// or goes. The camera module makes the real one (see CameraModule.h), so that only a
/// process that asks for a camera binds the media libraries.
class CameraBackend : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    ~CameraBackend() override = default;

    /// The names of the cameras plugged in now, one per device.
    virtual QStringList cameras() const = 0;
    /// Opens the camera named `preferred` when it is plugged in, else the one plugged in
    /// last; not started yet; null when none is plugged in. The source tells `unplugged`
    /// when its device goes away.
    virtual std::unique_ptr<CameraSource> openCamera(const QString& preferred) = 0;

signals:
    /// A camera was plugged in or removed; delivered from the event loop, never from inside
    /// a call into the media backend.
    void changed();
};

} // namespace toolkit
