#include "app/PhotoPicking.h"

#include "app/VelmoraViewController.h"
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
    if (fromAlbum) {
        picker->setSourceType(toolkit::ImagePickerControllerSourceTypeSavedPhotosAlbum);
        m_homeviewHiddenByCamera = false;
    } else {
        picker->setSourceType(toolkit::ImagePickerControllerSourceTypeCamera);
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
}

void PhotoPicking::didCancel() {
    m_screen.hideFramingPictures();
    Ui::VelmoraViewController* ui = m_screen.ui.get();
    if (std::exchange(m_homeviewHiddenByCamera, false) && ui)
        ui->homeview->show();
    m_screen.m_panels.closeIfEmpty();
}

void PhotoPicking::setFit(Fit fit) {
    Ui::VelmoraViewController* ui = m_screen.ui.get();
    if (ui && ui->fitToFace->isChecked() != (fit == Fit::Face))
        ui->fitToFace->setChecked(fit == Fit::Face); // comes back here through its signal
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
