#pragma once

#include "camera/CameraSource.h"

#include <QCameraDevice>
#include <QCameraFormat>
#include <QElapsedTimer>
#include <QVideoFrame>
#include <memory>

class QCamera;
class QMediaCaptureSession;
class QTimer;
class QVideoSink;

namespace toolkit {

/// A webcam through Qt Multimedia. Frames come from a video sink; the sink's handler only
/// keeps the newest frame, because the backend gives that handler 300 ms and ends the
/// stream for good past it. Frames are converted, cropped to the portrait's 3:4, on a worker
/// thread; the photo is the newest preview frame. A stream that stops is opened again.
class QtCameraSource : public CameraSource {
    Q_OBJECT

public:
    explicit QtCameraSource(const QCameraDevice& device, QObject* parent = nullptr);
    ~QtCameraSource() override;

    void start() override;
    void stop() override;
    void capture() override;
    QString name() const override;

    /// The device went away: stops and tells the page.
    void deviceRemoved();

    /// The format to ask `device` for: at 15 frames a second or more, 4:3 or 16:9, the
    /// smallest with the 960 rows a large portrait needs, else the largest; null when it
    /// lists none (the backend chooses then).
    static QCameraFormat preferredFormat(const QCameraDevice& device);

private:
    void openSession();
    void closeSession(bool later = false);
    void frameArrived(const QVideoFrame& frame);
    void convertNewest();
    void converted(const QImage& image, const QImage& preview, quint64 generation);
    void checkStream();

    QCameraDevice m_device;
    std::unique_ptr<QMediaCaptureSession> m_session;
    QCamera* m_camera = nullptr;
    QVideoSink* m_sink = nullptr;
    QTimer* m_watchdog = nullptr;
    QElapsedTimer m_lastFrameAt;
    QVideoFrame m_newest;
    QImage m_latest;
    QElapsedTimer m_latestAt;
    // Since the live view last changed: frames that arrive but never come out converted
    // stall it as surely as frames that stop.
    QElapsedTimer m_shownAt;
    quint64 m_generation = 0;
    bool m_running = false;
    bool m_converting = false;
    bool m_wantPicture = false;
    int m_reopened = 0;
};

} // namespace toolkit
