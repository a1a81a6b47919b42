#pragma once

#include "PickerPlatform.h"

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
    std::unique_ptr<CameraSource> openCamera() override;

private:
    CameraMonitor* m_monitor = nullptr;
};

} // namespace toolkit
