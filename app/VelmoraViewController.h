#pragma once

#include "album/AlbumSave.h"
#include "app/PhotoPicking.h"
#include "app/PortraitDisplay.h"
#include "app/PortraitSaving.h"
#include "app/ScreenPanels.h"
#include "art/AuraPalette.h"
#include "face/FaceDetector.h"
#include "portrait/PortraitComposer.h"
#include "ui/ImagePickerController.h"
#include "ui/ViewController.h"
#include "ui_VelmoraViewController.h"

#include <QPushButton>
#include <QVariant>
#include <array>
#include <cstdint>
#include <memory>

namespace toolkit {
class Window;
}

/// The controller of Velmora's one screen: the photo under its aura, the panels laid over
/// it (about text, colour picker, colour meanings, close bar, save confirmation) and the
/// toolbars. Its elements are the layout's, in `ui`, made anew each time the view loads.
/// The jobs are done by its parts: picking a photo and fitting it, the panels, saving.
class VelmoraViewController : public toolkit::ViewController,
                              public toolkit::ImagePickerControllerDelegate {
    Q_OBJECT

public:
    /// How a photo becomes the portrait: stretched to fill it (the screen's behaviour), or
    /// cut to 3:4 around its largest face with the aura placed on the face.
    using Fit = PortraitComposer::Fit;

    explicit VelmoraViewController(QObject* parent = nullptr);
    ~VelmoraViewController() override;

    void awakeFromNib() override;
    void didReceiveMemoryWarning() override;

    // Actions: each takes the control that sent it.
    void getPhoto(QObject* sender);
    void about(QObject* sender);
    void meanings(QObject* sender);
    void closeC(QObject* sender);
    void xOut(QObject* sender);
    void save(QObject* sender);
    void getColorViolet(QObject* sender);
    void getColorLavendar(QObject* sender);
    void getColorIndigo(QObject* sender);
    void getColorPurple(QObject* sender);
    void getColorTourquise(QObject* sender);
    void getColorBlue(QObject* sender);
    void getColorBrown(QObject* sender);
    void getColorGreen(QObject* sender);
    void getColorGold(QObject* sender);
    void getColorYellow(QObject* sender);
    void getColorPink(QObject* sender);
    void getColorOrange(QObject* sender);
    void getColorRed(QObject* sender);
    void getColorBlack(QObject* sender);
    void getColorSilver(QObject* sender);
    void getColorWhite(QObject* sender);

    void
    imagePickerControllerDidFinishPickingMediaWithInfo(toolkit::ImagePickerController* picker,
                                                       const toolkit::MediaInfo& info) override;
    /// A pick that ended without a photo takes back the framing pictures that `getPhoto`
    /// laid over the screen, and the home picture a camera request took away.
    void imagePickerControllerDidCancel(toolkit::ImagePickerController* picker) override;
    /// Stretches `image` to the normalised photo size and shows it in `imageView`.
    void useImage(const toolkit::Image& image);
    /// Draws the aura overlay at random and shows it in `auraImage`.
    void determinecurrentimage();
    /// Composes the portrait and queues it for the album, as the save button does. Returns
    /// that save, to hear where the portrait went; null when no portrait could be made.
    toolkit::AlbumSave* savePortrait(int scale = 1) { return m_saving.save(scale); }

    /// Lays overlay `number` (1 to the overlay count) on every photo from now on instead of
    /// drawing one at random; 0 draws at random again.
    void setFixedAura(int number) { m_fixedAura = number; }

    /// What the screen has for each row of the colour table, in its order: the action, the
    /// button that sends it and the text view that shows the meaning.
    struct ColourControls {
        void (VelmoraViewController::*action)(QObject* sender);
        QPushButton* Ui::VelmoraViewController::*button;
        toolkit::TextView* Ui::VelmoraViewController::*textView;
    };
    static const std::array<ColourControls, AuraPalette::Count>& colourControls();

    Fit fit() const { return m_picking.fit(); }
    /// Switches the fit; the photo on the screen is redrawn in it at once, under the same
    /// aura. Fitting to the face runs in the background.
    void setFit(Fit fit) { m_picking.setFit(fit); }
    /// The detector that fitting to the face asks; a fit in the background keeps it until
    /// the fit is done. Without one, no face is ever found.
    void setFaceDetector(std::shared_ptr<const toolkit::FaceDetector> detector);
    /// As above, for a detector the caller keeps alive past every fit started with it
    /// (tests give a fake).
    void setFaceDetector(const toolkit::FaceDetector* detector);
    /// Whether a photo is being fitted to its face in the background.
    bool isFitting() const { return m_picking.isFitting(); }

    /// A picture file dropped on the window or named on the command line: opened in the
    /// background like an album pick, then taken through the same sequence. A file still
    /// being opened is abandoned for it. Returns the picker, which reports a refusal, or
    /// why no picker could be opened (a camera page is open).
    toolkit::Result<toolkit::ImagePickerController*> openPhotoFile(const QString& path) {
        return m_picking.openPhotoFile(path);
    }

    /// The layout's elements, named as the layout names them; null while the view is
    /// unloaded.
    std::unique_ptr<Ui::VelmoraViewController> ui;
    QVariant throw2; // the last draw, boxed
    std::int32_t currentimage = 0;
    bool lowMemoryWarning = false;

protected:
    QWidget* loadView() override;
    void viewDidLoad() override;
    void viewDidUnload() override;

private:
    friend class PhotoPicking;
    friend class ScreenPanels;
    friend class PortraitSaving;
    friend class PortraitDisplay;

    void connectActions();
    void addShortcuts(QWidget* view);
    bool eventFilter(QObject* watched, QEvent* event) override;
    void updateCameraControls();
    void takePhotoFromKeyboard();
    void setXOutPairHidden(bool hidden);
    // Whether a photo has become the portrait (else the home picture is).
    bool hasPhoto() const { return !m_portrait.photo.isNull(); }
    // Takes away the framing outline and its hint a pick laid over the photo area.
    void hideFramingPictures();
    // Shows the portrait in the photo area: photo, aura, the photo's toolbar.
    void showPortrait();
    // Makes `framed` the portrait, fitted to the face.
    void setFramedPortrait(const PortraitComposer::Layers& framed);
    // Why the take-photo controls do nothing, and what to do instead.
    static QString noCameraText();
    // Shows the portrait's aura in `auraImage`, and the composed portrait over both layers.
    void showAura();
    // Draws the overlay number without showing it: the one promised, when there is one.
    void drawAuraNumber();
    // Draws the overlay the next photo gets now, so the camera can preview it live; 0 takes
    // the promise back.
    int promiseAuraNumber();
    void breakAuraPromise() { m_promisedAura = 0; }
    // What the portrait is now: the photo and its aura, or the home picture before any.
    PortraitComposer::Layers portraitLayers() const;
    // The window the screen is in; null while the view is unloaded.
    toolkit::Window* window();

    int m_fixedAura = 0;
    int m_promisedAura = 0;
    std::shared_ptr<const toolkit::FaceDetector> m_faceDetector;
    // The portrait of the last photo, as shown and as saved; kept through a reload of the
    // view.
    PortraitComposer::Layers m_portrait;
    // The picture the stretched photo is drawn from in an enlarged window; null when fitted.
    toolkit::Image m_detail;
    PhotoPicking m_picking{*this};
    ScreenPanels m_panels{*this};
    PortraitSaving m_saving{*this};
    PortraitDisplay m_display{*this};
};
