#pragma once

#include <QString>

namespace toolkit {

/// The camera page's choices the user expects back on the next run: the countdown before a
/// photo, the camera, whether the live view is mirrored and whether it shows the aura. Kept in the
/// application's one settings file, beside the window's choices.
class CameraSettings {
public:
    /// Seconds counted down before the photo: 0 (off), 3 or 10. 3 unless chosen otherwise.
    static int countdownSeconds();
    /// The camera chosen last, by its name; empty before any choice.
    static QString cameraName();
    /// Keeps `name` as the camera to open next time, when it is plugged in.
    static void setCameraName(const QString& name);
    /// Keeps `seconds` (rounded to one of 0, 3 and 10) for the next photo and the next run.
    static void setCountdownSeconds(int seconds);
    /// The countdown after `seconds`, round: off, 3 s, 10 s, off…
    static int nextCountdown(int seconds);

    /// Whether the live view is shown like a mirror (the photo never is). On unless chosen
    /// otherwise.
    static bool mirrored();
    /// Keeps the mirror choice.
    static void setMirrored(bool mirrored);

    /// Whether the aura is laid over the live view, following the face. Off unless chosen.
    static bool liveAura();
    /// Keeps the live aura choice.
    static void setLiveAura(bool on);

    /// Whether the capture may flash the screen white: not when the user asked for reduced
    /// motion (<NAME>_REDUCED_MOTION=1, <NAME> being the application's, or the setting
    /// camera/reducedMotion).
    static bool flashAllowed();
};

} // namespace toolkit
