#pragma once

#include <QImage>
#include <QObject>
#include <QRect>
#include <QString>

namespace toolkit {

/// A live camera: preview frames while it runs, and one still picture per capture.
class CameraSource : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;
    ~CameraSource() override = default;

    /// Starts the device; frames follow.
    virtual void start() = 0;
    /// Stops and lets go of the device; no frame follows.
    virtual void stop() = 0;
    /// Takes a still picture; `captured` follows (or `failed`).
    virtual void capture() = 0;
    /// The name of the device it shows, as the camera list names it; empty when unknown.
    virtual QString name() const { return QString(); }

    /// The part of a frame of `size` that makes the picture: its centre 3:4 part, the whole
    /// frame when it is 3:4 already. Webcams are landscape; stretching their frames to the
    /// portrait would squash faces.
    static QRect portraitRect(QSize size) {
        const int w = size.width();
        const int h = size.height();
        if (w * 4 > h * 3) {
            const int cw = h * 3 / 4;
            return QRect((w - cw) / 2, 0, cw, h);
        }
        const int ch = w * 4 / 3;
        return QRect(0, (h - ch) / 2, w, ch);
    }

signals:
    /// A frame for the live view, possibly smaller than the photo it would make.
    void previewFrame(const QImage& frame);
    void captured(const QImage& picture);
    /// The camera cannot go on; `reason` is for the user.
    void failed(const QString& reason);
    /// The camera was unplugged while in use.
    void unplugged();
};

} // namespace toolkit
