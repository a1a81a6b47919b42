#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QWidget;

namespace toolkit {

class CameraSource;

/// What the image picker needs from the desktop: a file chooser and the cameras.
/// QtPickerPlatform is the real one; tests put a fake in its place.
class PickerPlatform : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    ~PickerPlatform() override = default;

    /// Asks the user for a picture file, starting in `folder`. Calls `chosen` once, later,
    /// with the path, or with an empty path when the user cancels.
    virtual void chooseFile(QWidget* parent, const QString& folder,
                            std::function<void(const QString& path)> chosen) = 0;

    /// Whether a camera is plugged in now. Looks for cameras first if that has not been
    /// done yet, so the answer is always a real one.
    virtual bool hasCamera() const = 0;
    /// Whether the platform has looked for cameras yet (hasCamera() would not have to).
    virtual bool camerasKnown() const { return true; }
    /// Looks for cameras, if not done yet, and from then on follows plugging and
    /// unplugging; camerasChanged() is sent once the first answer is in. Costs tens of
    /// milliseconds on the calling thread: the window calls it after its first frame.
    virtual void lookForCameras() {}
    /// Why there can be no camera at all, for the user (the camera support failed to load);
    /// empty when cameras can be looked for. Known once camerasKnown().
    virtual QString cameraProblem() const { return {}; }
    /// The names of the cameras plugged in now, for a choice among them; empty when none
    /// or unknown.
    virtual QStringList cameraNames() const { return {}; }
    /// Opens the camera named `preferred` when it is plugged in, else the one plugged in
    /// last; null when there is none.
    virtual std::unique_ptr<CameraSource> openCamera(const QString& preferred) = 0;

    /// The platform in use: the one of the innermost Scope, else one with no chooser and no
    /// camera (NullPickerPlatform). The application shell puts the real one in place.
    static PickerPlatform& current();

    /// Puts a platform (not owned) in use for as long as the scope lives, then gives back
    /// the one in use before, even when the code in between returns early; nullptr means
    /// none. Scopes end in the reverse order of their start.
    class Scope {
    public:
        explicit Scope(PickerPlatform* platform);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        PickerPlatform* m_previous;
    };

signals:
    /// A camera was plugged in or removed.
    void camerasChanged();
};

} // namespace toolkit
