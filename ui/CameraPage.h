#pragma once

#include <QStringList>

#include <functional>

#include "imaging/Image.h"

#include <QElapsedTimer>
#include <QImage>
#include <QWidget>
#include <memory>

class LiveAura;
class QLabel;
class QPushButton;
class QTimer;

namespace toolkit {

class CameraChoice;
class CameraSource;

/// The camera page of the image picker, laid over the screen inside the window: the live
/// view, the overlay picture over it, a shutter and a cancel control. Without a working
/// camera it says why and offers only cancel, so the user is never left on an empty page:
/// a camera that sends nothing, stops sending, is unplugged or gives nothing to take is
/// explained within seconds. The view and the photo are the frame's centre 3:4 part; the
/// view is mirrored unless the user turns that off, the photo never is. The shutter counts
/// down first (off, 3 s or 10 s, kept between runs), then the view flashes and holds the
/// photo for a moment before the page closes. Where offered, the aura can follow the face
/// in the live view instead of the silhouette.
class CameraPage : public QWidget {
    Q_OBJECT

public:
    /// `camera` may be null: no camera is plugged in. `chooseShortcut` names the keys that
    /// choose a photo from the pictures instead; the problem messages suggest it when it is
    /// not empty.
    CameraPage(std::unique_ptr<CameraSource> camera, const QString& chooseShortcut,
               QWidget* parent = nullptr);
    ~CameraPage() override;

    /// The picture laid over the live view.
    void setOverlay(const Image& overlay);
    /// Opens a camera by its name.
    using Opener = std::function<std::unique_ptr<CameraSource>(const QString&)>;
    /// With two or more cameras in `names`, offers a choice among them at the top of the
    /// page; a camera chosen there is opened with `open` and kept for the next time.
    void offerCameras(const QStringList& names, const Opener& open);
    /// Offers the aura laid over the live view, following the face, with a control that
    /// switches it on and off (off unless chosen before). Where no face is found the
    /// silhouette shows, as without it.
    void offerLiveAura(std::unique_ptr<LiveAura> aura);
    /// Starts the camera and the deadlines it must meet.
    void start();
    /// Stops the camera and lets go of the device.
    void stop();

    /// The message shown instead of the live view, empty while the camera works.
    QString problem() const;
    /// Where the live view and the overlay are drawn: the page above its bar of buttons.
    QRect viewArea() const;

signals:
    void pictureTaken(const QImage& picture);
    void cancelled();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void showProblem(const QString& text);
    void checkCamera();
    void shutterPressed();
    void takeNow();
    void tick();
    void cancelCountdown();
    void announce(const QString& text);
    void showTaken(const QImage& picture);
    void updateChoiceLabels();
    bool showsLiveAura() const;
    void attachCamera();
    void switchCamera(const QString& name);

    std::unique_ptr<CameraSource> m_camera;
    Image m_overlay;
    QImage m_frame;
    QLabel* m_problem = nullptr;
    QPushButton* m_shutter = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_timerChoice = nullptr;
    QPushButton* m_mirrorChoice = nullptr;
    CameraChoice* m_cameraChoice = nullptr;
    QPushButton* m_liveChoice = nullptr;
    // A child of the page, so it goes with it.
    LiveAura* m_liveAura = nullptr;
    Opener m_open;
    QString m_shortcutNote;
    QTimer* m_watch = nullptr;
    QTimer* m_countdown = nullptr;
    QImage m_taken;
    QElapsedTimer m_takenAt;
    int m_secondsLeft = 0;
    bool m_mirrored = true;
    bool m_flash = true;
    QElapsedTimer m_startedAt;
    QElapsedTimer m_lastFrameAt;
    QElapsedTimer m_captureAt;
    bool m_capturing = false;
    bool m_failed = false;
};

} // namespace toolkit
