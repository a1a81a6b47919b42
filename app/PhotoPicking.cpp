#include "app/PhotoPicking.h"

#include "app/VelmoraViewController.h"
#include "portrait/PortraitFramer.h"
#include "ui/ImagePickerController.h"
#include "ui/Window.h"

#include <QFutureWatcher>
#include <QtConcurrent>
#include <utility>

using toolkit::Image;
using toolkit::ImagePickerController;

void PhotoPicking::getPhoto(QObject* sender) {
    abandonPhotoBeingOpened();
    if (m_screen.modalViewController())
        return; // the chooser or the camera page is up already
    presentPicker(new ImagePickerController(&m_screen), sender);
}

void PhotoPicking::abandonPhotoBeingOpened() {
    // A new pick replaces a photo still being opened, as a new drop does.
    auto* opening = qobject_cast<ImagePickerController*>(m_screen.modalViewController());
    if (opening && opening->isOpeningFile())
        m_screen.dismissModalViewControllerAnimated(false);
}

void PhotoPicking::presentPicker(ImagePickerController* picker, QObject* sender) {
    Ui::VelmoraViewController* ui = m_screen.ui.get();
    m_screen.setXOutPairHidden(true);
    m_screen.m_panels.hideContents();
    picker->setDelegate(&m_screen);
    // The keys bound to choosing a photo on this screen.
    picker->setChoosePhotoShortcut(tr("Ctrl+O"));
    const bool fromAlbum = ui && sender == ui->choosePhotoBtn;
    m_screen.breakAuraPromise();
    if (fromAlbum) {
        picker->setSourceType(toolkit::ImagePickerControllerSourceTypeSavedPhotosAlbum);
        m_homeviewHiddenByCamera = false;
    } else {
        picker->setSourceType(toolkit::ImagePickerControllerSourceTypeCamera);
        // The aura the live view may show is the one the photo gets.
        picker->setLiveAura(m_screen.m_faceDetector, m_screen.promiseAuraNumber());
        m_homeviewHiddenByCamera = ui && !ui->homeview->isHidden();
        if (ui)
            ui->homeview->hide();
    }
    m_screen.presentModalViewController(picker, true);
    // The view may have been loaded anew by presenting: the elements are read again.
    ui = m_screen.ui.get();
    if (!ui)
        return;
    if (!fromAlbum) {
        picker->setCameraOverlayView(ui->reveal);
        picker->setCameraOverlayView(ui->siloImage);
    }
    ui->reveal->show();
    ui->siloImage->show();
}

toolkit::Result<ImagePickerController*> PhotoPicking::openPhotoFile(const QString& path) {
    // A new file abandons one still being opened; a camera page or the chooser stays.
    abandonPhotoBeingOpened();
    if (m_screen.modalViewController())
        return toolkit::Result<ImagePickerController*>::failure(
            tr("a photo is being taken or chosen already"));
    auto* picker = new ImagePickerController(&m_screen);
    picker->preselectFile(path);
    presentPicker(picker, m_screen.ui ? m_screen.ui->choosePhotoBtn : nullptr);
    return toolkit::Result<ImagePickerController*>::success(picker);
}

void PhotoPicking::didPick(const Image& photo) {
    m_screen.hideFramingPictures();
    m_screen.dismissModalViewControllerAnimated(true);
    m_screen.m_panels.closeIfEmpty();
    m_photo = photo;
    m_homeviewHiddenByCamera = false;
    if (m_fit == Fit::Face) {
        // The screen keeps what it shows until the photo arrives fitted, rather than
        // showing it stretched for a moment.
        fitToFaceInBackground(true);
        return;
    }
    m_fitting = 0;
    m_screen.useImage(m_photo);
    m_screen.determinecurrentimage();
    m_screen.showPortrait();
    offerFitToFace();
}

void PhotoPicking::offerFitToFace() {
    const int pick = ++m_picks;
    if (m_fitOffered || m_photo.isNull())
        return;
    const Image photo = m_photo;
    std::shared_ptr<const toolkit::FaceDetector> detector = m_screen.m_faceDetector;
    auto* watcher = new QFutureWatcher<QRectF>(&m_screen);
    QObject::connect(watcher, &QFutureWatcherBase::finished, &m_screen, [this, watcher, pick] {
        watcher->deleteLater();
        const QRectF face = watcher->result();
        if (pick != m_picks || m_fit != Fit::Stretch || face.isEmpty() || m_fitOffered)
            return;
        const auto overlay = PortraitComposer::aura(m_screen.m_portrait);
        if (!overlay.ok() || overlay.value().isNull())
            return;
        const QImage aura = overlay.value().toQImage().convertToFormat(QImage::Format_Alpha8);
        // The face box in the overlay's pixels, the stretch being the same both ways.
        const QRect box = QRectF(face.x() * aura.width(), face.y() * aura.height(),
                                 face.width() * aura.width(), face.height() * aura.height())
                              .toAlignedRect()
                              .intersected(aura.rect());
        qint64 sum = 0;
        for (int y = box.top(); y <= box.bottom(); ++y) {
            const uchar* line = aura.constScanLine(y);
            for (int x = box.left(); x <= box.right(); ++x)
                sum += line[x];
        }
        const double cover = box.isEmpty() ? 0.0 : sum / (255.0 * box.width() * box.height());
        // A glow that only brushes the face's edge is no reason to speak.
        if (cover < 0.12)
            return;
        m_fitOffered = true;
        if (toolkit::Window* window = m_screen.window())
            window->showMessage(tr("The aura covers the face. Fit to face (Ctrl+F) keeps it "
                                   "clear."),
                                toolkit::Window::MessageKind::Information);
    });
    // The face as a share of the photo's width and height: the portrait stretches both.
    watcher->setFuture(QtConcurrent::run([photo, detector] {
        const QImage reduced = photo.scaledToFit(
            QSize(PortraitFramer::kDetectionSide, PortraitFramer::kDetectionSide));
        QRect largest;
        if (!reduced.isNull() && detector) {
            for (const QRect& box : detector->findFaces(reduced)) {
                if (qint64(box.width()) * box.height() > qint64(largest.width()) * largest.height())
                    largest = box;
            }
        }
        if (largest.isEmpty())
            return QRectF();
        return QRectF(double(largest.x()) / reduced.width(), double(largest.y()) / reduced.height(),
                      double(largest.width()) / reduced.width(),
                      double(largest.height()) / reduced.height());
    }));
}

void PhotoPicking::didCancel() {
    m_screen.breakAuraPromise();
    m_screen.hideFramingPictures();
    Ui::VelmoraViewController* ui = m_screen.ui.get();
    if (std::exchange(m_homeviewHiddenByCamera, false) && ui)
        ui->homeview->show();
    m_screen.m_panels.closeIfEmpty();
}

void PhotoPicking::setFit(Fit fit) {
    Ui::VelmoraViewController* ui = m_screen.ui.get();
    if (ui) {
        for (QToolButton* control : {ui->fitToFace, ui->fitToFaceHome}) {
            if (control->isChecked() != (fit == Fit::Face))
                control->setChecked(fit == Fit::Face); // comes back here through its signal
        }
    }
    if (fit == m_fit)
        return;
    m_fit = fit;
    // Only a photo on the screen is redrawn; one still being picked takes the new fit.
    if (m_photo.isNull() || !m_screen.hasPhoto())
        return;
    if (fit == Fit::Face)
        fitToFaceInBackground(false);
    else
        showStretched();
}

void PhotoPicking::showStretched() {
    m_fitting = 0;
    m_screen.useImage(m_photo);
    m_screen.showAura();
}

void PhotoPicking::fitToFaceInBackground(bool finishesPick) {
    if (finishesPick)
        m_screen.drawAuraNumber();
    const int fit = ++m_fitsStarted;
    m_fitting = fit;
    const Image photo = m_photo;
    std::shared_ptr<const toolkit::FaceDetector> detector = m_screen.m_faceDetector;
    const int number = m_screen.currentimage + 1;
    auto* watcher = new QFutureWatcher<PortraitComposer::Layers>(&m_screen);
    QObject::connect(watcher, &QFutureWatcherBase::finished, &m_screen, [this, watcher, fit] {
        watcher->deleteLater();
        if (fit != m_fitting)
            return; // a newer pick or fit replaced it
        m_fitting = 0;
        // Switched back to stretch while the first photo was being fitted: stretched it is.
        if (m_fit != Fit::Face) {
            showStretched();
            m_screen.showPortrait();
            return;
        }
        const PortraitComposer::Layers framed = watcher->result();
        m_screen.setFramedPortrait(framed);
        m_screen.showPortrait();
        if (!framed.faceFound) {
            if (toolkit::Window* window = m_screen.window())
                window->showMessage(tr("No face found: centred"),
                                    toolkit::Window::MessageKind::Information);
        }
    });
    watcher->setFuture(QtConcurrent::run([photo, detector, number] {
        return PortraitComposer::frame(photo, Fit::Face, number, *detector);
    }));
}
