#pragma once

#include "base/Result.h"
#include "imaging/Image.h"
#include "portrait/PortraitComposer.h"

#include <QCoreApplication>
#include <QObject>

class VelmoraViewController;
namespace toolkit {
class ImagePickerController;
}

/// The screen's photo: picking it (the album chooser, the camera page, a dropped or named
/// file), fitting it to the portrait in either fit, and taking back what a pick laid over
/// the screen when it ends without one.
class PhotoPicking {
    // Its texts are the screen's, translated with them.
    Q_DECLARE_TR_FUNCTIONS(VelmoraViewController)

public:
    using Fit = PortraitComposer::Fit;

    explicit PhotoPicking(VelmoraViewController& screen) : m_screen(screen) {}

    /// Opens the chooser (from the Album button) or the camera page (from the others).
    void getPhoto(QObject* sender);
    /// Opens `path` as if chosen from the album. Fails while a camera page or the chooser
    /// is open.
    toolkit::Result<toolkit::ImagePickerController*> openPhotoFile(const QString& path);
    /// The pick delivered `photo`: it becomes the portrait's, in the current fit.
    void didPick(const toolkit::Image& photo);
    /// The pick ended without a photo.
    void didCancel();

    Fit fit() const { return m_fit; }
    /// The photo on the screen, as picked; null before any.
    const toolkit::Image& photo() const { return m_photo; }
    /// Switches the fit and redraws the photo on the screen in it.
    void setFit(Fit fit);
    bool isFitting() const { return m_fitting != 0; }

private:
    void presentPicker(toolkit::ImagePickerController* picker, QObject* sender);
    void abandonPhotoBeingOpened();
    void showStretched();
    // Fits the photo to its face in the background; a pick finishes its sequence on arrival.
    void fitToFaceInBackground(bool finishesPick);
    /// Looks for a face in the stretched photo in the background; when the aura covers
    /// it, a quiet hint offers Fit to face, once a run.
    void offerFitToFace();

    VelmoraViewController& m_screen;
    Fit m_fit = Fit::Stretch;
    // The picture of the last pick, unedited, for redrawing it in the other fit.
    toolkit::Image m_photo;
    // Whether the camera request of the pick under way hid a home picture that was shown.
    bool m_homeviewHiddenByCamera = false;
    // Which fit is the newest: an older one that arrives late is dropped. 0 when none runs.
    int m_fitting = 0;
    int m_fitsStarted = 0;
    // Counts photos shown, so a late answer about an earlier photo is dropped.
    int m_picks = 0;
    bool m_fitOffered = false;
};
