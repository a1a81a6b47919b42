#include "ui/ImagePickerController.h"

#include "art/PortraitFormat.h"
#include "base/Log.h"
#include "camera/CameraSource.h"
#include "portrait/LiveAura.h"
#include "ui/CameraPage.h"
#include "ui/CameraSettings.h"
#include "ui/ImageView.h"
#include "ui/PickerPlatform.h"
#include "ui/Window.h"

#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMetaMethod>
#include <QPushButton>
#include <QStandardPaths>

namespace toolkit {

ImagePickerController::ImagePickerController(QObject* parent)
    : ViewController(parent), m_decoder(new ImageDecoder(this)) {}

ImagePickerController::~ImagePickerController() = default;

void ImagePickerController::setCameraOverlayView(ImageView* view) {
    m_overlay = view;
    if (m_page)
        m_page->setOverlay(view ? view->image() : Image());
}

bool ImagePickerController::isSourceTypeAvailable(int sourceType) {
    if (sourceType == ImagePickerControllerSourceTypeCamera)
        return PickerPlatform::current().hasCamera();
    return sourceType == ImagePickerControllerSourceTypeSavedPhotosAlbum;
}

QSize ImagePickerController::decodeSize() {
    return QSize(PortraitFormat::Width, PortraitFormat::Height);
}

void ImagePickerController::preselectFile(const QString& path) {
    m_preselected = path;
}

bool ImagePickerController::isOpeningFile() const {
    return !m_preselected.isEmpty() || m_decoder->isBusy();
}

QWidget* ImagePickerController::loadView() {
    if (m_sourceType != ImagePickerControllerSourceTypeCamera) {
        // The chooser is a dialog of its own: nothing is laid over the screen.
        return new QWidget;
    }
    PickerPlatform& platform = PickerPlatform::current();
    auto* page =
        new CameraPage(platform.openCamera(CameraSettings::cameraName()), m_chooseShortcut);
    page->offerCameras(platform.cameraNames(), [](const QString& name) {
        return PickerPlatform::current().openCamera(name);
    });
    m_page = page;
    if (m_liveDetector && m_liveAuraNumber > 0)
        page->offerLiveAura(std::make_unique<LiveAura>(m_liveDetector, m_liveAuraNumber));
    if (m_overlay)
        page->setOverlay(m_overlay->image());
    connect(page, &CameraPage::pictureTaken, this,
            [this](const QImage& picture) { finishPicking(Image(picture)); });
    connect(page, &CameraPage::cancelled, this, [this] {
        if (ViewController* presenter = presentingViewController())
            presenter->dismissModalViewControllerAnimated(true);
    });
    return page;
}

bool ImagePickerController::coversPresenter() const {
    return m_sourceType == ImagePickerControllerSourceTypeCamera;
}

void ImagePickerController::wasPresented() {
    if (m_sourceType == ImagePickerControllerSourceTypeCamera) {
        if (m_page)
            m_page->start();
        return;
    }
    // The result always arrives after the presenting action has run to its end.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!m_preselected.isEmpty())
                openFile(m_preselected);
            else
                chooseFromAlbum();
        },
        Qt::QueuedConnection);
}

void ImagePickerController::wasDismissed() {
    if (m_page)
        m_page->stop();
    m_decoder->cancel();
    hideOpening();
    // Every way a pick can end without a picture (cancel, a refused file, a camera that
    // failed) goes through the dismissal, so the delegate hears of each exactly once.
    if (!m_finished) {
        m_finished = true;
        if (m_delegate)
            m_delegate->imagePickerControllerDidCancel(this);
    }
    deleteLater();
}

void ImagePickerController::chooseFromAlbum() {
    // The chooser starts where people keep their photos; the album holds only portraits.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    ViewController* presenter = presentingViewController();
    QWidget* parent = presenter ? presenter->view()->window() : nullptr;
    QPointer<ImagePickerController> self(this);
    PickerPlatform::current().chooseFile(parent, folder, [self](const QString& path) {
        if (!self)
            return;
        if (path.isEmpty()) {
            if (ViewController* presenter = self->presentingViewController())
                presenter->dismissModalViewControllerAnimated(true);
            return;
        }
        self->openFile(path);
    });
}

void ImagePickerController::openFile(const QString& path) {
    showOpening(path);
    m_decoder->start(path, decodeSize(), [this](Result<Image> picture) {
        hideOpening();
        if (!picture.ok())
            refuse(picture.error());
        else
            finishPicking(picture.value());
    });
}

void ImagePickerController::showOpening(const QString& path) {
    ViewController* presenter = presentingViewController();
    QWidget* window = presenter && presenter->view() ? presenter->view()->window() : nullptr;
    if (!window || m_opening)
        return;
    // Laid over the screen, which stays usable: a drop or Cancel ends this pick.
    auto* panel = new QFrame(window);
    panel->setObjectName(QStringLiteral("openingPhoto"));
    panel->setStyleSheet(QStringLiteral("#openingPhoto { background: rgba(0, 0, 0, 190); "
                                        "border-radius: 8px; } QLabel { color: white; }"));
    auto* layout = new QHBoxLayout(panel);
    auto* label = new QLabel(tr("Opening %1…").arg(QFileInfo(path).fileName()), panel);
    label->setAccessibleName(QStringLiteral("Opening photo"));
    auto* cancel = new QPushButton(tr("Cancel"), panel);
    layout->addWidget(label, 1);
    layout->addWidget(cancel);
    connect(cancel, &QPushButton::clicked, this, &ImagePickerController::cancelOpening);
    const int margin = 12;
    panel->setFixedWidth(qMax(160, window->width() - 2 * margin));
    panel->adjustSize();
    // Above the toolbar, which stays readable.
    panel->move(margin, window->height() - panel->height() - 72);
    panel->show();
    panel->raise();
    m_opening = panel;
}

void ImagePickerController::hideOpening() {
    // Later, not now: its Cancel button may be the one whose click is being handled.
    if (m_opening) {
        m_opening->hide();
        m_opening->deleteLater();
        m_opening = nullptr;
    }
}

void ImagePickerController::cancelOpening() {
    m_decoder->cancel();
    hideOpening();
    if (ViewController* presenter = presentingViewController())
        presenter->dismissModalViewControllerAnimated(true);
}

void ImagePickerController::refuse(const QString& reason) {
    // Whoever listens reports the refusal its own way (compose lists skipped photos).
    if (!isSignalConnected(QMetaMethod::fromSignal(&ImagePickerController::refused)))
        qCWarning(programLog, "cannot use the photo: %s", qUtf8Printable(reason));
    emit refused(reason);
    ViewController* presenter = presentingViewController();
    if (!presenter)
        return;
    if (auto* window = qobject_cast<Window*>(presenter->view()->window()))
        window->showMessage(cannotUseText(reason));
    presenter->dismissModalViewControllerAnimated(true);
}

QString ImagePickerController::cannotUseText(const QString& reason) {
    return tr("Cannot use this photo.\n%1").arg(reason);
}

void ImagePickerController::finishPicking(const Image& picture) {
    if (m_finished)
        return;
    m_finished = true;
    MediaInfo info;
    info.insert(ImagePickerControllerOriginalImage, picture);
    if (m_delegate) {
        m_delegate->imagePickerControllerDidFinishPickingMediaWithInfo(this, info);
    } else if (ViewController* presenter = presentingViewController()) {
        presenter->dismissModalViewControllerAnimated(true);
    }
}

} // namespace toolkit
