#include "ui/CameraPage.h"

#include "base/Log.h"
#include "camera/CameraSource.h"
#include "ui/PickerPlatform.h"

#include <QKeySequence>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>

namespace toolkit {

namespace {
constexpr int kBarHeight = 56;
// How long the page waits before it says what went wrong. A webcam sends its first frame
// within a second or two; the camera source opens a stopped stream again after a second.
constexpr int kFirstFrameMs = 5000;
constexpr int kFramesStopMs = 3000;
constexpr int kCaptureMs = 3000;
} // namespace

CameraPage::CameraPage(std::unique_ptr<CameraSource> camera, const QString& chooseShortcut,
                       QWidget* parent)
    : QWidget(parent), m_camera(std::move(camera)) {
    const QString shortcutNote =
        chooseShortcut.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(chooseShortcut);
    setObjectName(QStringLiteral("cameraPage"));
    setAccessibleName(tr("Camera"));
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::black);
    setPalette(p);

    m_shutter = new QPushButton(tr("Take photo"), this);
    m_shutter->setObjectName(QStringLiteral("shutter"));
    m_shutter->setAccessibleName(tr("Take photo"));
    m_shutter->setToolTip(tr("Take the photo (Space)"));
    m_shutter->setShortcut(QKeySequence(Qt::Key_Space));
    m_cancel = new QPushButton(tr("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cancel"));
    m_cancel->setAccessibleName(tr("Cancel"));
    m_cancel->setToolTip(tr("Back without a photo (Esc)"));
    m_cancel->setShortcut(QKeySequence(Qt::Key_Escape));
    const QString buttonStyle = QStringLiteral(
        "QPushButton { color: white; background: #2a2440; border: 1px solid #6d5cae; "
        "border-radius: 8px; padding: 8px 14px; font-weight: bold; }"
        "QPushButton:disabled { color: #77708a; border-color: #3a3450; }"
        "QPushButton:focus { border: 2px solid #ffd84d; }");
    m_shutter->setStyleSheet(buttonStyle);
    m_cancel->setStyleSheet(buttonStyle);

    m_problem = new QLabel(this);
    m_problem->setObjectName(QStringLiteral("cameraProblem"));
    m_problem->setWordWrap(true);
    m_problem->setAlignment(Qt::AlignCenter);
    m_problem->setStyleSheet(QStringLiteral("color: white; font-size: 15px; padding: 24px;"));
    m_problem->hide();

    connect(m_cancel, &QPushButton::clicked, this, [this] {
        stop();
        emit cancelled();
    });
    connect(m_shutter, &QPushButton::clicked, this, [this] {
        if (!m_camera || m_capturing || m_failed)
            return;
        m_capturing = true;
        m_captureAt.start();
        m_shutter->setEnabled(false);
        m_camera->capture();
    });
    m_watch = new QTimer(this);
    m_watch->setInterval(250);
    connect(m_watch, &QTimer::timeout, this, &CameraPage::checkCamera);

    if (!m_camera) {
        // Without camera support, plugging a camera in would not help.
        const QString unsupported = PickerPlatform::current().cameraProblem();
        if (!unsupported.isEmpty())
            showProblem(unsupported + QLatin1Char('\n') +
                        tr("Cancel and choose a photo from your pictures%1.").arg(shortcutNote));
        else
            showProblem(tr("No camera is plugged in.\nConnect one, or cancel and choose a photo "
                           "from your pictures%1.")
                            .arg(shortcutNote));
        return;
    }
    m_shutter->setEnabled(false); // until the first frame shows the camera works
    connect(m_camera.get(), &CameraSource::previewFrame, this, [this](const QImage& frame) {
        if (m_failed)
            return;
        m_frame = frame.copy(CameraSource::portraitRect(frame.size()));
        m_lastFrameAt.start();
        if (!m_capturing)
            m_shutter->setEnabled(true);
        update(viewArea());
    });
    connect(m_camera.get(), &CameraSource::captured, this, [this](const QImage& picture) {
        if (m_failed || !m_capturing)
            return;
        m_capturing = false;
        stop();
        emit pictureTaken(picture.copy(CameraSource::portraitRect(picture.size())));
    });
    connect(m_camera.get(), &CameraSource::failed, this, [this](const QString& reason) {
        showProblem(tr("The camera stopped: %1").arg(reason));
    });
    connect(m_camera.get(), &CameraSource::unplugged, this, [this, shortcutNote] {
        showProblem(tr("The camera was unplugged.\nPlug it in and open the camera again, or "
                       "cancel and choose a photo%1.")
                        .arg(shortcutNote));
    });
}

CameraPage::~CameraPage() {
    stop();
}

void CameraPage::setOverlay(const Image& overlay) {
    m_overlay = overlay;
    update();
}

void CameraPage::start() {
    m_cancel->setFocus();
    if (!m_camera || m_failed)
        return;
    m_startedAt.start();
    m_lastFrameAt.invalidate();
    m_camera->start();
    m_watch->start();
}

void CameraPage::stop() {
    m_watch->stop();
    if (m_camera)
        m_camera->stop();
}

void CameraPage::checkCamera() {
    if (m_failed)
        return;
    if (m_capturing) {
        // A pending photo has its own deadline and its own message.
        if (m_captureAt.elapsed() > kCaptureMs)
            showProblem(tr("The camera gave no picture to take.\nCancel and try again."));
    } else if (!m_lastFrameAt.isValid() && m_startedAt.elapsed() > kFirstFrameMs) {
        showProblem(tr("The camera sends no picture. Another program may be using it."));
    } else if (m_lastFrameAt.isValid() && m_lastFrameAt.elapsed() > kFramesStopMs) {
        showProblem(tr("The camera stopped sending pictures.\nCheck its cable, then cancel "
                       "and try again."));
    }
}

QString CameraPage::problem() const {
    return m_problem->isVisible() ? m_problem->text() : QString();
}

void CameraPage::showProblem(const QString& text) {
    qCWarning(programLog, "camera: %s", qUtf8Printable(QString(text).replace('\n', ' ')));
    // The device is let go at once; the page stays, with its message and Cancel.
    m_failed = true;
    stop();
    m_capturing = false;
    m_shutter->setEnabled(false);
    m_problem->setText(text);
    m_problem->show();
    m_problem->raise();
}

QRect CameraPage::viewArea() const {
    return QRect(0, 0, width(), qMax(0, height() - kBarHeight));
}

void CameraPage::resizeEvent(QResizeEvent*) {
    const QRect area = viewArea();
    m_problem->setGeometry(area);
    const int y = area.bottom() + 1 + (kBarHeight - 40) / 2;
    m_cancel->setGeometry(12, y, 100, 40);
    m_shutter->setGeometry(width() - 12 - 140, y, 140, 40);
}

void CameraPage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = viewArea();
    if (!m_frame.isNull() && m_problem->isHidden()) {
        // Fill the view like the photo will be: the portrait part of the frame, stretched to
        // the area as the photo will be stretched to the portrait.
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(area, m_frame);
    }
    if (!m_overlay.isNull() && m_problem->isHidden())
        m_overlay.drawInRect(painter, QRectF(area));
    painter.fillRect(QRect(0, area.bottom() + 1, width(), kBarHeight), QColor(0x15, 0x12, 0x1f));
}

} // namespace toolkit
