#include "app/MainInterface.h"

#include "face/HogFaceDetector.h"

std::unique_ptr<VelmoraAppDelegate>
loadMainInterface(std::unique_ptr<toolkit::PickerPlatform> platform) {
    return loadMainInterface(std::move(platform), std::make_shared<toolkit::HogFaceDetector>(
                                                      toolkit::HogFaceDetector::resourceFile()));
}
