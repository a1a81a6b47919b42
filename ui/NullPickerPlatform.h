#pragma once

#include "ui/PickerPlatform.h"

namespace toolkit {

/// A desktop with nothing to offer: the chooser is cancelled at once and there is no
/// camera. In use wherever no real platform has been put in place (tests that need none).
class NullPickerPlatform : public PickerPlatform {
public:
    using PickerPlatform::PickerPlatform;
    void chooseFile(QWidget*, const QString&, std::function<void(const QString&)> chosen) override {
        chosen(QString());
    }
    bool hasCamera() const override { return false; }
    std::unique_ptr<CameraSource> openCamera(const QString&) override { return nullptr; }
};

} // namespace toolkit
