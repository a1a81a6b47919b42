#pragma once

#include "camera/CameraBackend.h"

namespace toolkit {

class CameraMonitor;

/// The real webcams: presence from GStreamer's device monitor, pictures through Qt
/// Multimedia. Made by the camera module's entry point.
class QtCameraBackend : public CameraBackend {
    Q_OBJECT

public:
    explicit QtCameraBackend(QObject* parent = nullptr);

    QStringList cameras() const override;
    std::unique_ptr<CameraSource> openCamera(const QString& preferred) override;

private:
    CameraMonitor* m_monitor;
};

} // namespace toolkit
