#pragma once

class QObject;

namespace toolkit {
class CameraBackend;
}

/// The one entry point of the camera module, looked up by name after the module is loaded.
/// Its name carries the version of CameraBackend and CameraSource, so that a module built
/// against another version is refused when it is loaded rather than crashing when used.
#define TOOLKIT_CAMERA_MODULE_ENTRY "toolkit_camera_backend_v1"

extern "C" {
/// Makes the real camera backend, owned by `parent`; call on the thread of the event loop.
__attribute__((visibility("default"))) toolkit::CameraBackend*
toolkit_camera_backend_v1(QObject* parent);
/// The type of toolkit_camera_backend_v1, for whoever resolves it.
typedef toolkit::CameraBackend* (*ToolkitCameraBackendEntry)(QObject* parent);
}
