#pragma once

#include "album/AlbumSave.h"
#include "art/AuraPalette.h"
#include "face/FaceDetector.h"
#include "portrait/PortraitComposer.h"
#include "ui/ImagePickerController.h"
#include "ui/ImageView.h"
#include "ui/TextView.h"
#include "ui/ViewController.h"

#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QToolButton>
#include <QVariant>
#include <array>
#include <cstddef>
#include <cstdint>

namespace toolkit {
class Window;
}

/// The controller of Velmora's one screen: the photo under its aura, the panels laid over
/// it (about text, colour picker, colour meanings, close bar, save confirmation) and the
/// toolbars. Its outlets are bound from the layout each time the view is loaded.
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
    /// Composes the photo area into a portrait and queues it for the album, as the save
    /// button does. Returns that save, to hear where the portrait went; null when there is
    /// no photo area to compose.
    toolkit::AlbumSave* savePortrait();

    /// Lays overlay `number` (1 to the overlay count) on every photo from now on instead of
    /// drawing one at random (`velmora compose --aura`); 0 draws at random again.
    void setFixedAura(int number) { m_fixedAura = number; }

    /// What the screen has for each row of the colour table, in its order: the action, the
    /// button that sends it and the text view that shows the meaning.
    struct ColourControls {
        void (VelmoraViewController::*action)(QObject* sender);
        QPointer<QPushButton> VelmoraViewController::*button;
        QPointer<toolkit::TextView> VelmoraViewController::*textView;
    };
    static const std::array<ColourControls, AuraPalette::Count>& colourControls();

    Fit fit() const { return m_fit; }
    /// Switches the fit; the photo on the screen is redrawn in it at once, under the same
    /// aura. Fitting to the face runs in the background.
    void setFit(Fit fit);
    /// The detector that fitting to the face asks (tests give a fake); not owned, and must
    /// outlive every fit started with it.
    void setFaceDetector(const toolkit::FaceDetector* detector) { m_faceDetector = detector; }
    /// Whether a photo is being fitted to its face in the background.
    bool isFitting() const { return m_fitting != 0; }

    /// A picture file dropped on the window or named on the command line: opened in the
    /// background like an album pick, then taken through the same sequence. A file still
    /// being opened is abandoned for it. Returns the picker, which reports a refusal, or
    /// why no picker could be opened (a camera page is open).
    toolkit::Result<toolkit::ImagePickerController*> openPhotoFile(const QString& path);

    // Outlets, named as the layout names their elements; null while the view is unloaded.
    // `save`, `about` and `meanings` name both an action and a bar button; C++ keeps one
    // namespace for both, so those three outlets carry a trailing underscore.
    QPointer<toolkit::ImageView> imageView;
    QPointer<QToolButton> choosePhotoBtn;
    QPointer<QToolButton> takePhotoBtn;
    QPointer<QToolButton> takePhotoBtn2;
    QPointer<QToolButton> save_;
    QPointer<QToolButton> save2;
    QPointer<QToolButton> fitToFace;
    QPointer<QToolButton> about_;
    QPointer<QToolButton> about2;
    QPointer<QToolButton> meanings_;
    QPointer<QToolButton> meanings2;
    QPointer<toolkit::ImageView> auraImage;
    QPointer<toolkit::ImageView> homeview;
    QPointer<toolkit::ImageView> siloImage;
    QVariant throw2; // the last draw, boxed
    std::int32_t currentimage = 0;
    std::int32_t width = 0;       // kept from the original design; nothing uses it
    std::int32_t height = 0;      // kept from the original design; nothing uses it
    toolkit::Image newImage;      // nothing uses it
    toolkit::Image saveThisImage; // nothing uses it
    QPointer<QLabel> sizer;
    QPointer<QFrame> first;
    QPointer<QFrame> second;
    QPointer<QPushButton> white;
    QPointer<QPushButton> silver;
    QPointer<QPushButton> black;
    QPointer<QPushButton> red;
    QPointer<QPushButton> orange;
    QPointer<QPushButton> pink;
    QPointer<QPushButton> yellow;
    QPointer<QPushButton> gold;
    QPointer<QPushButton> green;
    QPointer<QPushButton> brown;
    QPointer<QPushButton> blue;
    QPointer<QPushButton> tourquise;
    QPointer<QPushButton> purple;
    QPointer<QPushButton> indigo;
    QPointer<QPushButton> lavendar;
    QPointer<QPushButton> violet;
    QPointer<QLabel> selectColor;
    QPointer<toolkit::TextView> auraText;
    QPointer<toolkit::TextView> pinkText;
    QPointer<toolkit::TextView> goldText;
    QPointer<toolkit::TextView> turquoiseText;
    QPointer<toolkit::TextView> indigoText;
    QPointer<toolkit::TextView> lavenderText;
    QPointer<toolkit::TextView> violetText;
    QPointer<QPushButton> xOut1;
    QPointer<QPushButton> xOut2;
    QPointer<QFrame> close;
    QPointer<QToolButton> closeB;
    QPointer<toolkit::ImageView> reveal;
    bool lowMemoryWarning = false;

protected:
    QWidget* loadView() override;
    void viewDidLoad() override;
    void viewDidUnload() override;

private:
    void connectActions();
    void addShortcuts(QWidget* view);
    void applyIcons();
    void updateCameraControls();
    void takePhotoFromKeyboard();
    void selectColour(AuraPalette::Colour colour);
    void setXOutPairHidden(bool hidden);
    void setMeaningTextViewsHidden(bool hidden);
    void setColourPickerHidden(bool hidden);
    void presentPicker(toolkit::ImagePickerController* picker, QObject* sender);
    void abandonPhotoBeingOpened();
    void saveFinished(const toolkit::Result<QString>& outcome, toolkit::Window* window);
    void showSavedNotice(const QString& path);
    // Draws the overlay number without showing it.
    void drawAuraNumber();
    // Fits `m_photo` to its face in the background; a pick finishes its sequence on arrival.
    void fitToFaceInBackground(bool finishesPick);
    void showStretched();
    // Shows the portrait's aura in `auraImage`.
    void showAura();
    // What the portrait is now: the photo and its aura, or the home picture before any.
    PortraitComposer::Layers portraitLayers() const;
    // The window the screen is in; null while the view is unloaded.
    toolkit::Window* window();
    void addNoticeActions();
    void rememberFocus();
    void focusPanel(QWidget* element);

    // Whether the camera request of the pick under way hid a home picture that was shown.
    bool homeviewHiddenByCamera = false;
    // The last portrait saved, for the notice's Copy and Open folder.
    toolkit::Image lastPortrait;
    QString lastPortraitFolder;
    Fit m_fit = Fit::Stretch;
    int m_fixedAura = 0;
    // The picture of the last pick, unedited, for redrawing it in the other fit.
    toolkit::Image m_photo;
    // The portrait of that photo, as shown and as saved; kept through a reload of the view.
    PortraitComposer::Layers m_portrait;
    bool m_hasPhoto = false;
    const toolkit::FaceDetector* m_faceDetector;
    // Which fit is the newest: an older one that arrives late is dropped. 0 when none runs.
    int m_fitting = 0;
    int m_fitsStarted = 0;
    // Where the keyboard focus returns when the open panel closes.
    QPointer<QWidget> focusBeforePanel;
};
