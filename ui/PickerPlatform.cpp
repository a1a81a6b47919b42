#include "ui/PickerPlatform.h"

#include "camera/CameraSource.h"
#include "ui/NullPickerPlatform.h"

namespace toolkit {

namespace {
PickerPlatform*& installed() {
    static PickerPlatform* platform = nullptr;
    return platform;
}
} // namespace

PickerPlatform& PickerPlatform::current() {
    if (PickerPlatform* platform = installed())
        return *platform;
    static NullPickerPlatform none;
    return none;
}

PickerPlatform::Scope::Scope(PickerPlatform* platform) : m_previous(installed()) {
    installed() = platform;
}

PickerPlatform::Scope::~Scope() {
    installed() = m_previous;
}

} // namespace toolkit
