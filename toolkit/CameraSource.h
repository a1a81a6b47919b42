#pragma once

#include <QImage>
#include <QObject>

namespace toolkit {

/// A live camera: preview frames while it runs, and one still picture per capture.
class CameraSource : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    ~CameraSource() override = default;

    virtual void start() = 0;
    virtual void stop() = 0;
    /// Takes a still picture; `captured` follows (or `failed`).
    virtual void capture() = 0;

signals:
    void previewFrame(const QImage& frame);
    void captured(const QImage& picture);
    /// The camera cannot go on; `reason` is for the user.
    void failed(const QString& reason);
};

} // namespace toolkit
