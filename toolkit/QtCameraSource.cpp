#include "QtCameraSource.h"

#include <QCamera>
#include <QImageCapture>
#include <QMediaCaptureSession>
#include <QVideoFrame>
#include <QVideoSink>

namespace toolkit {

QtCameraSource::QtCameraSource(const QCameraDevice& device, QObject* parent)
    : CameraSource(parent), m_session(std::make_unique<QMediaCaptureSession>()) {
    m_camera = new QCamera(device, this);
    m_capture = new QImageCapture(this);
    m_sink = new QVideoSink(this);
    m_session->setCamera(m_camera);
    m_session->setImageCapture(m_capture);
    m_session->setVideoSink(m_sink);

    connect(m_sink, &QVideoSink::videoFrameChanged, this, [this](const QVideoFrame& frame) {
        m_lastFrame = frame.toImage();
        if (!m_lastFrame.isNull())
            emit previewFrame(m_lastFrame);
    });
    connect(m_capture, &QImageCapture::imageCaptured, this,
            [this](int, const QImage& picture) { emit captured(picture); });
    connect(m_capture, &QImageCapture::errorOccurred, this,
            [this](int, QImageCapture::Error, const QString& reason) {
                // Some webcams offer no still capture: the live frame is the photo then.
                if (!m_lastFrame.isNull())
                    emit captured(m_lastFrame);
                else
                    emit failed(reason);
            });
    connect(m_camera, &QCamera::errorOccurred, this,
            [this](QCamera::Error, const QString& reason) { emit failed(reason); });
}

QtCameraSource::~QtCameraSource() {
    stop();
}

void QtCameraSource::start() {
    m_camera->start();
}

void QtCameraSource::stop() {
    m_camera->stop();
}

void QtCameraSource::capture() {
    if (m_capture->isReadyForCapture())
        m_capture->capture();
    else if (!m_lastFrame.isNull())
        emit captured(m_lastFrame);
    else
        emit failed(tr("the camera is not ready"));
}

} // namespace toolkit
