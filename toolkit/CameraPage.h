#pragma once

#include "Image.h"

#include <QImage>
#include <QWidget>
#include <memory>

class QLabel;
class QPushButton;

namespace toolkit {

class CameraSource;

/// The camera page of the image picker, laid over the screen inside the window: the live
/// view, the overlay picture over it, a shutter and a cancel control. Without a working
/// camera it says why and offers only cancel, so the user is never left on an empty page.
class CameraPage : public QWidget {
    Q_OBJECT

public:
    /// `camera` may be null: no camera is plugged in.
    explicit CameraPage(std::unique_ptr<CameraSource> camera, QWidget* parent = nullptr);
    ~CameraPage() override;

    /// The picture laid over the live view.
    void setOverlay(const Image& overlay);
    void start();
    void stop();

    /// The message shown instead of the live view, empty while the camera works.
    QString problem() const;

signals:
    void pictureTaken(const QImage& picture);
    void cancelled();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void showProblem(const QString& text);
    QRect viewArea() const;

    std::unique_ptr<CameraSource> m_camera;
    Image m_overlay;
    QImage m_frame;
    QLabel* m_problem = nullptr;
    QPushButton* m_shutter = nullptr;
    QPushButton* m_cancel = nullptr;
    bool m_capturing = false;
};

} // namespace toolkit
