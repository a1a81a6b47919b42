#pragma once

#include "ui/PickerPlatform.h"

namespace toolkit {

class CameraBackend;

/// The real picker platform: the desktop file chooser, and the webcams of the camera module,
/// loaded when cameras are first looked for. Without the module there is no camera, and the
/// log says why.
class QtPickerPlatform : public PickerPlatform {
    Q_OBJECT

public:
    explicit QtPickerPlatform(QObject* parent = nullptr);

    void chooseFile(QWidget* parent, const QString& folder,
                    std::function<void(const QString& path)> chosen) override;
    bool hasCamera() const override;
    bool camerasKnown() const override { return m_looked; }
    void lookForCameras() override;
    QStringList cameraNames() const override;
    std::unique_ptr<CameraSource> openCamera(const QString& preferred) override;
    QString cameraProblem() const override { return m_problem; }

private:
    CameraBackend* backend() const;
    CameraBackend* loadCameraBackend();

    // Loaded on first need: binding the media libraries is half of a process's start.
    mutable CameraBackend* m_backend = nullptr;
    mutable bool m_looked = false;
    mutable QString m_problem;
};

} // namespace toolkit
