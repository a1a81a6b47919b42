#include "ui/CameraPage.h"

#include "base/Log.h"
#include "camera/CameraSource.h"
#include "portrait/LiveAura.h"
#include "ui/CameraChoice.h"
#include "ui/CameraSettings.h"
#include "ui/PickerPlatform.h"

#include <QAccessible>
#include <QFontMetricsF>
#include <QKeySequence>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
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
// Long enough to be seen as a flash, short enough not to dazzle; then the photo stays so the
// person sees what was taken before the page closes.
constexpr int kFlashMs = 150;
constexpr int kHoldMs = 600;
} // namespace

CameraPage::CameraPage(std::unique_ptr<CameraSource> camera, const QString& chooseShortcut,
                       QWidget* parent)
    : QWidget(parent), m_camera(std::move(camera)) {
    m_shortcutNote =
        chooseShortcut.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(chooseShortcut);
    const QString& shortcutNote = m_shortcutNote;
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

    m_mirrored = CameraSettings::mirrored();
    m_flash = CameraSettings::flashAllowed();
    const QString choiceStyle = QStringLiteral(
        "QPushButton { color: white; background: rgba(21, 18, 31, 170); border: 1px solid "
        "#6d5cae; border-radius: 6px; padding: 4px 8px; }"
        "QPushButton:checked { background: rgba(109, 92, 174, 200); }"
        "QPushButton:focus { border: 2px solid #ffd84d; }");
    m_timerChoice = new QPushButton(this);
    m_timerChoice->setObjectName(QStringLiteral("countdownChoice"));
    m_timerChoice->setStyleSheet(choiceStyle);
    connect(m_timerChoice, &QPushButton::clicked, this, [this] {
        CameraSettings::setCountdownSeconds(
            CameraSettings::nextCountdown(CameraSettings::countdownSeconds()));
        updateChoiceLabels();
    });
    m_mirrorChoice = new QPushButton(tr("Mirror"), this);
    m_mirrorChoice->setObjectName(QStringLiteral("mirrorChoice"));
    m_mirrorChoice->setCheckable(true);
    m_mirrorChoice->setChecked(m_mirrored);
    m_mirrorChoice->setStyleSheet(choiceStyle);
    connect(m_mirrorChoice, &QPushButton::toggled, this, [this](bool on) {
        m_mirrored = on;
        CameraSettings::setMirrored(on);
        updateChoiceLabels();
        update(viewArea());
    });
    updateChoiceLabels();
    m_countdown = new QTimer(this);
    m_countdown->setInterval(1000);
    connect(m_countdown, &QTimer::timeout, this, &CameraPage::tick);

    m_problem = new QLabel(this);
    m_problem->setObjectName(QStringLiteral("cameraProblem"));
    m_problem->setWordWrap(true);
    m_problem->setAlignment(Qt::AlignCenter);
    m_problem->setStyleSheet(QStringLiteral("color: white; font-size: 15px; padding: 24px;"));
    m_problem->hide();

    connect(m_cancel, &QPushButton::clicked, this, [this] {
        if (m_countdown->isActive()) {
            // Esc while counting down calls off the photo, not the page.
            cancelCountdown();
            return;
        }
        if (!m_taken.isNull())
            return; // the photo is taken and on its way
        stop();
        emit cancelled();
    });
    connect(m_shutter, &QPushButton::clicked, this, &CameraPage::shutterPressed);
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
    attachCamera();
}

void CameraPage::attachCamera() {
    m_shutter->setEnabled(false); // until the first frame shows the camera works
    connect(m_camera.get(), &CameraSource::previewFrame, this, [this](const QImage& frame) {
        if (m_failed || !m_taken.isNull())
            return;
        const QRect part = CameraSource::portraitRect(frame.size());
        m_frame = part == frame.rect() ? frame : frame.copy(part);
        m_lastFrameAt.start();
        if (m_liveAura && m_liveChoice->isChecked())
            m_liveAura->offer(m_frame);
        if (!m_capturing && !m_shutter->isEnabled()) {
            m_shutter->setEnabled(true);
            announce(tr("Camera ready. Press Space to take the photo."));
        }
        update(viewArea());
    });
    connect(m_camera.get(), &CameraSource::captured, this, [this](const QImage& picture) {
        if (m_failed || !m_capturing)
            return;
        m_capturing = false;
        stop();
        showTaken(picture.copy(CameraSource::portraitRect(picture.size())));
    });
    connect(m_camera.get(), &CameraSource::failed, this, [this](const QString& reason) {
        showProblem(tr("The camera stopped: %1").arg(reason));
    });
    connect(m_camera.get(), &CameraSource::unplugged, this, [this] {
        showProblem(tr("The camera was unplugged.\nPlug it in and open the camera again, or "
                       "cancel and choose a photo%1.")
                        .arg(m_shortcutNote));
    });
}

void CameraPage::offerCameras(const QStringList& names, const Opener& open) {
    if (names.size() < 2 || !m_camera)
        return;
    m_open = open;
    m_cameraChoice = new CameraChoice(names, m_camera->name(), this);
    connect(m_cameraChoice, &CameraChoice::chosen, this, &CameraPage::switchCamera);
    QWidget::setTabOrder(m_mirrorChoice, m_cameraChoice);
    resizeEvent(nullptr);
    m_cameraChoice->show();
}

void CameraPage::offerLiveAura(std::unique_ptr<LiveAura> aura) {
    if (!aura)
        return;
    m_liveAura = aura.release();
    m_liveAura->setParent(this);
    connect(m_liveAura, &LiveAura::changed, this, [this] { update(viewArea()); });
    m_liveChoice = new QPushButton(tr("Live aura"), this);
    m_liveChoice->setObjectName(QStringLiteral("liveAuraChoice"));
    m_liveChoice->setCheckable(true);
    m_liveChoice->setChecked(CameraSettings::liveAura());
    m_liveChoice->setStyleSheet(m_mirrorChoice->styleSheet());
    connect(m_liveChoice, &QPushButton::toggled, this, [this](bool on) {
        CameraSettings::setLiveAura(on);
        updateChoiceLabels();
        update(viewArea());
    });
    QWidget::setTabOrder(m_mirrorChoice, m_liveChoice);
    updateChoiceLabels();
    resizeEvent(nullptr);
    m_liveChoice->show();
}

bool CameraPage::showsLiveAura() const {
    return m_liveAura && m_liveChoice->isChecked() && m_liveAura->hasFace();
}

void CameraPage::switchCamera(const QString& name) {
    if (!m_open || (m_camera && m_camera->name() == name) || !m_taken.isNull())
        return;
    if (m_countdown->isActive())
        cancelCountdown();
    stop();
    if (m_camera)
        m_camera->disconnect(this);
    m_camera = m_open(name);
    // Kept by name: the same camera is taken next time, wherever it is in the list.
    CameraSettings::setCameraName(name);
    m_frame = QImage();
    m_failed = false;
    m_capturing = false;
    m_problem->hide();
    update();
    if (!m_camera) {
        showProblem(tr("The camera was unplugged.\nPlug it in and open the camera again, or "
                       "cancel and choose a photo%1.")
                        .arg(m_shortcutNote));
        return;
    }
    attachCamera();
    start();
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
    m_countdown->stop();
    m_secondsLeft = 0;
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

void CameraPage::shutterPressed() {
    if (!m_camera || m_capturing || m_failed || !m_taken.isNull() || !m_shutter->isEnabled())
        return;
    const int seconds = CameraSettings::countdownSeconds();
    if (m_countdown->isActive() || seconds == 0) {
        // A second press means the person is ready now.
        m_countdown->stop();
        takeNow();
        return;
    }
    m_secondsLeft = seconds;
    announce(QString::number(m_secondsLeft));
    m_countdown->start();
    update(viewArea());
}

void CameraPage::tick() {
    if (--m_secondsLeft > 0) {
        announce(QString::number(m_secondsLeft));
        update(viewArea());
        return;
    }
    m_countdown->stop();
    takeNow();
}

void CameraPage::takeNow() {
    // The newest frame when the count ends, not the one when it began.
    m_secondsLeft = 0;
    m_capturing = true;
    m_captureAt.start();
    m_shutter->setEnabled(false);
    m_camera->capture();
    update(viewArea());
}

void CameraPage::cancelCountdown() {
    m_countdown->stop();
    m_secondsLeft = 0;
    announce(tr("Countdown cancelled."));
    update(viewArea());
}

void CameraPage::showTaken(const QImage& picture) {
    m_taken = picture;
    m_takenAt.start();
    m_shutter->setEnabled(false);
    m_timerChoice->setEnabled(false);
    m_mirrorChoice->setEnabled(false);
    if (m_liveChoice)
        m_liveChoice->setEnabled(false);
    announce(tr("Photo taken."));
    update();
    QTimer::singleShot(kFlashMs, this, [this] { update(viewArea()); });
    QTimer::singleShot(kHoldMs, this, [this] { emit pictureTaken(m_taken); });
}

void CameraPage::announce(const QString& text) {
    // The count is said, not only drawn: a screen reader hears each number.
    setAccessibleDescription(text);
    m_shutter->setAccessibleDescription(text);
    QAccessibleEvent event(this, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&event);
}

void CameraPage::updateChoiceLabels() {
    const int seconds = CameraSettings::countdownSeconds();
    const QString text = seconds == 0 ? tr("Timer: off") : tr("Timer: %1 s").arg(seconds);
    m_timerChoice->setText(text);
    m_timerChoice->setAccessibleName(text);
    m_timerChoice->setToolTip(tr("Seconds counted down before the photo: off, 3 or 10"));
    m_mirrorChoice->setAccessibleName(m_mirrored ? tr("Mirror view: on") : tr("Mirror view: off"));
    m_mirrorChoice->setToolTip(tr("Show the live view like a mirror; the photo is never mirrored"));
    if (m_liveChoice) {
        m_liveChoice->setAccessibleName(m_liveChoice->isChecked() ? tr("Live aura: on")
                                                                  : tr("Live aura: off"));
        m_liveChoice->setToolTip(tr("Show the portrait's aura around your face in the live view"));
    }
}

void CameraPage::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && viewArea().contains(event->position().toPoint()))
        shutterPressed();
    QWidget::mousePressEvent(event);
}

void CameraPage::resizeEvent(QResizeEvent*) {
    const QRect area = viewArea();
    m_problem->setGeometry(area);
    const int y = area.bottom() + 1 + (kBarHeight - 40) / 2;
    m_cancel->setGeometry(12, y, 100, 40);
    m_shutter->setGeometry(width() - 12 - 140, y, 140, 40);
    m_timerChoice->setGeometry(8, 8, 104, 30);
    m_mirrorChoice->setGeometry(width() - 8 - 80, 8, 80, 30);
    // The top row keeps clear of the outline's hint below it.
    if (m_liveChoice)
        m_liveChoice->setGeometry((width() - 96) / 2, 8, 96, 30);
    if (m_cameraChoice) {
        // Its own row below the hint: camera names are long.
        const int w = qMin(width() - 16, 280);
        m_cameraChoice->setGeometry((width() - w) / 2, 78, w, 30);
    }
}

void CameraPage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = viewArea();
    const bool live = m_problem->isHidden();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const bool liveAura = live && showsLiveAura();
    if (!m_taken.isNull()) {
        // The photo as it is kept, not mirrored: what the portrait will show, with its aura.
        painter.drawImage(area, m_taken);
        if (liveAura)
            m_liveAura->draw(painter, QRectF(area));
    } else if (!m_frame.isNull() && live) {
        // Fill the view like the photo will be: the portrait part of the frame, stretched to
        // the area as the photo will be stretched to the portrait. Mirrored by the painter,
        // so the frame is not copied on the GUI thread.
        painter.save();
        if (m_mirrored) {
            painter.translate(2 * area.left() + area.width(), 0);
            painter.scale(-1, 1);
        }
        painter.drawImage(area, m_frame);
        // The aura is part of the mirror image: the person and the glow flip together.
        if (liveAura)
            m_liveAura->draw(painter, QRectF(area));
        painter.restore();
    }
    if (!m_overlay.isNull() && live && !liveAura)
        m_overlay.drawInRect(painter, QRectF(area));
    if (m_secondsLeft > 0 && live) {
        QFont font = painter.font();
        font.setPixelSize(qMax(24, area.height() / 3));
        font.setBold(true);
        QPainterPath path;
        const QString count = QString::number(m_secondsLeft);
        const QRectF box = QFontMetricsF(font).boundingRect(count);
        path.addText(area.center().x() - box.width() / 2, area.center().y() + box.height() / 3,
                     font, count);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.strokePath(path, QPen(QColor(0x15, 0x12, 0x1f), 6));
        painter.fillPath(path, Qt::white);
    }
    if (!m_taken.isNull() && m_flash && m_takenAt.elapsed() < kFlashMs)
        painter.fillRect(area, Qt::white);
    painter.fillRect(QRect(0, area.bottom() + 1, width(), kBarHeight), QColor(0x15, 0x12, 0x1f));
}

} // namespace toolkit
