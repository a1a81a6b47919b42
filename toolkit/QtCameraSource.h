#pragma once

#include "CameraSource.h"

#include <QCameraDevice>
#include <memory>

class QCamera;
class QImageCapture;
class QMediaCaptureSession;
class QVideoSink;

namespace toolkit {

/// A webcam through Qt Multimedia: preview frames from a video sink, stills from an image
/// capture.
class QtCameraSource : public CameraSource {
    Q_OBJECT

public:
    explicit QtCameraSource(const QCameraDevice& device, QObject* parent = nullptr);
    ~QtCameraSource() override;

    void start() override;
    void stop() override;
    void capture() override;

private:
    std::unique_ptr<QMediaCaptureSession> m_session;
    QCamera* m_camera = nullptr;
    QImageCapture* m_capture = nullptr;
    QVideoSink* m_sink = nullptr;
    QImage m_lastFrame;
};

} // namespace toolkit
