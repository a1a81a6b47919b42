#pragma once

#include "ui/PickerPlatform.h"

namespace toolkit {

class CameraMonitor;

/// The real picker platform: the desktop file chooser and the webcams Qt Multimedia finds.
class QtPickerPlatform : public PickerPlatform {
    Q_OBJECT

public:
    explicit QtPickerPlatform(QObject* parent = nullptr);

    void chooseFile(QWidget* parent, const QString& folder,
                    std::function<void(const QString& path)> chosen) override;
    bool hasCamera() const override;
    bool camerasKnown() const override { return m_monitor != nullptr; }
    void lookForCameras() override;
    std::unique_ptr<CameraSource> openCamera() override;

private:
    CameraMonitor* monitor() const;

    // Made on first need: starting the media backend is half the window's launch.
    mutable CameraMonitor* m_monitor = nullptr;
};

} // namespace toolkit
