#include "app/VelmoraViewController.h"

#include "album/PhotoAlbum.h"
#include "app/AboutText.h"
#include "app/ColourMeaning.h"
#include "art/PortraitFormat.h"
#include "base/Log.h"
#include "base/Random.h"
#include "face/HogFaceDetector.h"
#include "ui/Color.h"
#include "ui/Desktop.h"
#include "ui/ImageView.h"
#include "ui/PickerPlatform.h"
#include "ui/TextView.h"
#include "ui/Window.h"
#include "ui_VelmoraViewController.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QFutureWatcher>
#include <QKeySequence>
#include <QScrollBar>
#include <QShortcut>
#include <QtConcurrent>
#include <utility>

using toolkit::Image;
using toolkit::ImagePickerController;

namespace {
// Lines that fit the notice, each shortened in the middle when it is too long for it (a
// file name or folder has no spaces to wrap at); the whole path is in the tooltip and read
// out by screen readers.
void setNoticeText(QPushButton* notice, const QStringList& lines, const QString& fullPath) {
    const QFontMetrics metrics = notice->fontMetrics();
    const int room = notice->contentsRect().width() - 20;
    QStringList fitted;
    for (const QString& line : lines)
        fitted << metrics.elidedText(line, Qt::ElideMiddle, room);
    notice->setText(fitted.join(QLatin1Char('\n')));
    // Read out as it reads on screen, in full.
    QStringList spoken = lines;
    spoken.removeAll(QString());
    notice->setAccessibleName(spoken.join(QLatin1Char(' ')));
    notice->setToolTip(fullPath);
    notice->setAccessibleDescription(fullPath);
}

// A message to an outlet the layout left unassigned, or one that an unload destroyed,
// has no effect.
void setHidden(QWidget* element, bool hidden) {
    if (element)
        element->setHidden(hidden);
}
void show(QWidget* element) {
    setHidden(element, false);
}
void hide(QWidget* element) {
    setHidden(element, true);
}
} // namespace

VelmoraViewController::VelmoraViewController(QObject* parent)
    : ViewController(parent), m_faceDetector(&toolkit::HogFaceDetector::shared()) {
    connect(&toolkit::PickerPlatform::current(), &toolkit::PickerPlatform::camerasChanged, this,
            &VelmoraViewController::updateCameraControls);
}

VelmoraViewController::~VelmoraViewController() = default;

// ---- Lifecycle

void VelmoraViewController::awakeFromNib() {
    lowMemoryWarning = false;
}

void VelmoraViewController::didReceiveMemoryWarning() {
    ViewController::didReceiveMemoryWarning();
    Image::clearNamedImageCache();
    lowMemoryWarning = true;
}

void VelmoraViewController::viewDidLoad() {
    if (lowMemoryWarning)
        toolkit::log(QStringLiteral("view did load being called"));
}

void VelmoraViewController::viewDidUnload() {}

QWidget* VelmoraViewController::loadView() {
    auto* view = new QWidget;
    Ui::VelmoraViewController ui;
    ui.setupUi(view);

    imageView = ui.imageView;
    choosePhotoBtn = ui.choosePhotoBtn;
    takePhotoBtn = ui.takePhotoBtn;
    takePhotoBtn2 = ui.takePhotoBtn2;
    save_ = ui.save;
    save2 = ui.save2;
    fitToFace = ui.fitToFace;
    about_ = ui.about;
    about2 = ui.about2;
    meanings_ = ui.meanings;
    meanings2 = ui.meanings2;
    auraImage = ui.auraImage;
    homeview = ui.homeview;
    siloImage = ui.siloImage;
    sizer = ui.sizer;
    first = ui.first;
    second = ui.second;
    white = ui.white;
    silver = ui.silver;
    black = ui.black;
    red = ui.red;
    orange = ui.orange;
    pink = ui.pink;
    yellow = ui.yellow;
    gold = ui.gold;
    green = ui.green;
    brown = ui.brown;
    blue = ui.blue;
    tourquise = ui.tourquise;
    purple = ui.purple;
    indigo = ui.indigo;
    lavendar = ui.lavendar;
    violet = ui.violet;
    selectColor = ui.selectColor;
    auraText = ui.auraText;
    pinkText = ui.pinkText;
    goldText = ui.goldText;
    turquoiseText = ui.turquoiseText;
    indigoText = ui.indigoText;
    lavenderText = ui.lavenderText;
    violetText = ui.violetText;
    xOut1 = ui.xOut1;
    xOut2 = ui.xOut2;
    close = ui.close;
    closeB = ui.closeB;
    reveal = ui.reveal;

    sizer->setAttribute(Qt::WA_TransparentForMouseEvents);
    // The screen itself holds the keyboard focus at first, so that no button starts out
    // highlighted; Tab moves into the controls.
    view->setFocusPolicy(Qt::StrongFocus);
    view->setFocus();
    // Tab runs along the toolbar as it reads, Album first; one of the two toolbars is
    // hidden at any time and skipped.
    QWidget* order[] = {choosePhotoBtn, takePhotoBtn, meanings_, about_,    save_,
                        takePhotoBtn2,  meanings2,    about2,    fitToFace, save2};
    for (std::size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
    // The icons lie on the toolbars, outside every portrait.
    applyIcons();
    addNoticeActions();
    connectActions();
    addShortcuts(view);
    updateCameraControls();
    return view;
}

void VelmoraViewController::connectActions() {
    using Action = void (VelmoraViewController::*)(QObject*);
    auto wire = [this](QAbstractButton* control, Action action) {
        connect(control, &QAbstractButton::clicked, this,
                [this, control, action] { (this->*action)(control); });
    };
    for (QAbstractButton* control :
         {choosePhotoBtn.data(), takePhotoBtn.data(), takePhotoBtn2.data()})
        wire(control, &VelmoraViewController::getPhoto);
    wire(save_, &VelmoraViewController::save);
    wire(save2, &VelmoraViewController::save);
    wire(about_, &VelmoraViewController::about);
    wire(about2, &VelmoraViewController::about);
    wire(meanings_, &VelmoraViewController::meanings);
    wire(meanings2, &VelmoraViewController::meanings);
    wire(closeB, &VelmoraViewController::closeC);
    wire(xOut1, &VelmoraViewController::xOut);
    wire(xOut2, &VelmoraViewController::xOut);
    fitToFace->setChecked(m_fit == Fit::Face);
    connect(fitToFace, &QToolButton::toggled, this,
            [this](bool on) { setFit(on ? Fit::Face : Fit::Stretch); });
    for (const ColourControls& row : colourControls())
        wire(this->*row.button, row.action);
}

void VelmoraViewController::addShortcuts(QWidget* view) {
    auto add = [view](const QKeySequence& keys, auto handler) {
        auto* shortcut = new QShortcut(keys, view);
        QObject::connect(shortcut, &QShortcut::activated, view, handler);
    };
    add(QKeySequence::Open, [this] { getPhoto(choosePhotoBtn); });
    add(QKeySequence(Qt::CTRL | Qt::Key_T), [this] { takePhotoFromKeyboard(); });
    add(QKeySequence::Save, [this] { save(save2); });
    add(QKeySequence(Qt::Key_F1), [this] { about(about2); });
    add(QKeySequence(Qt::CTRL | Qt::Key_M), [this] { meanings(meanings2); });
    add(QKeySequence(Qt::CTRL | Qt::Key_F),
        [this] { setFit(m_fit == Fit::Face ? Fit::Stretch : Fit::Face); });
    // The event loop ends; the portraits still being written are waited for after it.
    add(QKeySequence(Qt::CTRL | Qt::Key_Q), [] { QCoreApplication::quit(); });
    add(QKeySequence(Qt::Key_Escape), [this] {
        // The innermost thing first: a message over the screen, then a panel, then the
        // notice of a save.
        toolkit::Window* window = this->window();
        if (window && window->dismissMessage())
            return;
        if (close && close->isVisibleTo(close->parentWidget()))
            closeC(closeB);
        else if (xOut1 && !xOut1->isHidden())
            xOut(xOut1);
    });
}

void VelmoraViewController::applyIcons() {
    auto icon = [](const char* name) {
        const Image image = Image::imageNamed(QString::fromLatin1(name));
        return image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image.toQImage()));
    };
    const QIcon camera = icon("icon-camera.png");
    const QIcon meaningsIcon = icon("icon-meanings.png");
    const QIcon aboutIcon = icon("icon-about.png");
    const QIcon saveIcon = icon("icon-save.png");
    fitToFace->setIcon(icon("icon-fit-to-face.png"));
    for (QToolButton* b : {takePhotoBtn.data(), takePhotoBtn2.data()})
        b->setIcon(camera);
    for (QToolButton* b : {meanings_.data(), meanings2.data()})
        b->setIcon(meaningsIcon);
    for (QToolButton* b : {about_.data(), about2.data()})
        b->setIcon(aboutIcon);
    for (QToolButton* b : {save_.data(), save2.data()})
        b->setIcon(saveIcon);
    choosePhotoBtn->setIcon(icon("icon-album.png"));
    closeB->setIcon(icon("icon-close.png"));
    for (QToolButton* b : {takePhotoBtn.data(), takePhotoBtn2.data(), meanings_.data(),
                           meanings2.data(), about_.data(), about2.data(), save_.data(),
                           save2.data(), choosePhotoBtn.data(), fitToFace.data()})
        b->setIconSize(QSize(24, 24));
}

// The notice of a save offers what people do next with a portrait: find it, or paste it
// somewhere. The buttons lie inside the notice, so whatever hides it hides them.
void VelmoraViewController::addNoticeActions() {
    auto add = [this](const char* name, const QString& text, const QString& tip) {
        auto* button = new QToolButton(xOut1);
        button->setObjectName(QString::fromLatin1(name));
        button->setText(text);
        button->setAccessibleName(text);
        button->setToolTip(tip);
        return button;
    };
    QToolButton* openFolder =
        add("openFolder", tr("Open folder"), tr("Show the album folder in the file manager"));
    QToolButton* copy = add("copyPortrait", tr("Copy"), tr("Copy the portrait as a picture"));
    const int y = xOut1->height() - 32;
    openFolder->setGeometry(10, y, 104, 24);
    copy->setGeometry(120, y, 64, 24);
    connect(openFolder, &QToolButton::clicked, this, [this] {
        const auto opened = toolkit::openFolder(lastPortraitFolder);
        if (!opened.ok()) {
            qCWarning(toolkit::programLog, "cannot open the album folder: %s",
                      qUtf8Printable(opened.error()));
            if (toolkit::Window* window = this->window())
                window->showMessage(tr("Cannot open the folder.\n%1").arg(opened.error()));
        }
    });
    connect(copy, &QToolButton::clicked, this, [this] { toolkit::copyToClipboard(lastPortrait); });
}

// Without a camera the take-photo controls cannot do anything: they are disabled and say
// why, and come back when a camera is plugged in. Until the platform has looked (just after
// the first frame) they stay as they are: a press then looks at once.
void VelmoraViewController::updateCameraControls() {
    if (!toolkit::PickerPlatform::current().camerasKnown())
        return;
    const bool available = ImagePickerController::isSourceTypeAvailable(
        toolkit::ImagePickerControllerSourceTypeCamera);
    const QString tip = available ? tr("Take a photo (Ctrl+T)")
                                  : tr("No camera found: plug one in, or choose a photo (Ctrl+O)");
    for (QToolButton* b : {takePhotoBtn.data(), takePhotoBtn2.data()}) {
        if (!b)
            continue;
        b->setEnabled(available);
        b->setToolTip(tip);
    }
}

void VelmoraViewController::takePhotoFromKeyboard() {
    if (!ImagePickerController::isSourceTypeAvailable(
            toolkit::ImagePickerControllerSourceTypeCamera)) {
        if (toolkit::Window* window = this->window())
            window->showMessage(tr("No camera found. Plug one in, or choose a photo (Ctrl+O)."));
        return;
    }
    getPhoto(takePhotoBtn);
}

toolkit::Window* VelmoraViewController::window() {
    return isViewLoaded() ? qobject_cast<toolkit::Window*>(view()->window()) : nullptr;
}

// ---- Groups

// The notice of a save and its dismiss button come and go together.
void VelmoraViewController::setXOutPairHidden(bool hidden) {
    setHidden(xOut2, hidden);
    setHidden(xOut1, hidden);
}

void VelmoraViewController::setMeaningTextViewsHidden(bool hidden) {
    for (QWidget* text : std::initializer_list<QWidget*>{
             auraText.data(), pinkText.data(), goldText.data(), turquoiseText.data(),
             indigoText.data(), lavenderText.data(), violetText.data()})
        setHidden(text, hidden);
}

void VelmoraViewController::setColourPickerHidden(bool hidden) {
    setHidden(selectColor, hidden);
    // The picker's buttons run from white to violet: the colour table read backwards.
    const auto& table = colourControls();
    for (auto row = table.rbegin(); row != table.rend(); ++row)
        setHidden(this->*row->button, hidden);
}

// ---- Photo acquisition

void VelmoraViewController::getPhoto(QObject* sender) {
    abandonPhotoBeingOpened();
    if (modalViewController())
        return; // the chooser or the camera page is up already
    auto* picker = new ImagePickerController(this);
    presentPicker(picker, sender);
}

void VelmoraViewController::abandonPhotoBeingOpened() {
    // A new pick replaces a photo still being opened, as a new drop does.
    auto* opening = qobject_cast<ImagePickerController*>(modalViewController());
    if (opening && opening->isOpeningFile())
        dismissModalViewControllerAnimated(false);
}

void VelmoraViewController::presentPicker(ImagePickerController* picker, QObject* sender) {
    setXOutPairHidden(true);
    show(siloImage);
    setMeaningTextViewsHidden(true);
    setColourPickerHidden(true);

    picker->setDelegate(this);
    // The keys bound to choosing a photo on this screen.
    picker->setChoosePhotoShortcut(tr("Ctrl+O"));
    const bool fromAlbum = sender == choosePhotoBtn.data();
    if (fromAlbum) {
        picker->setSourceType(toolkit::ImagePickerControllerSourceTypeSavedPhotosAlbum);
        homeviewHiddenByCamera = false;
    } else {
        picker->setSourceType(toolkit::ImagePickerControllerSourceTypeCamera);
        homeviewHiddenByCamera = homeview && !homeview->isHidden();
        hide(homeview);
    }
    presentModalViewController(picker, true);
    if (!fromAlbum) {
        picker->setCameraOverlayView(reveal);
        picker->setCameraOverlayView(siloImage);
    }
    show(reveal);
    show(siloImage);
}

toolkit::Result<ImagePickerController*> VelmoraViewController::openPhotoFile(const QString& path) {
    // A new file abandons one still being opened; a camera page or the chooser stays.
    abandonPhotoBeingOpened();
    if (modalViewController())
        return toolkit::Result<ImagePickerController*>::failure(
            tr("a photo is being taken or chosen already"));
    auto* picker = new ImagePickerController(this);
    picker->preselectFile(path);
    presentPicker(picker, choosePhotoBtn);
    return toolkit::Result<ImagePickerController*>::success(picker);
}

void VelmoraViewController::imagePickerControllerDidFinishPickingMediaWithInfo(
    ImagePickerController*, const toolkit::MediaInfo& info) {
    hide(siloImage);
    hide(reveal);
    show(auraImage);
    dismissModalViewControllerAnimated(true);
    m_photo = info.value(toolkit::ImagePickerControllerOriginalImage);
    if (m_fit == Fit::Face) {
        homeviewHiddenByCamera = false;
        // The screen keeps what it shows until the photo arrives fitted, rather than
        // showing it stretched for a moment.
        fitToFaceInBackground(true);
        return;
    }
    m_fitting = 0;
    // The view may have been loaded anew by the dismissal: the outlets are read again.
    if (imageView)
        imageView->setImage(m_photo);
    useImage(imageView ? imageView->image() : Image());
    hide(homeview);
    homeviewHiddenByCamera = false;
    determinecurrentimage();
    show(auraImage);
    hide(first);
    show(second);
}

void VelmoraViewController::imagePickerControllerDidCancel(ImagePickerController*) {
    // Left in place, the outline and its hint would lie over the photo and end up in the
    // next portrait.
    hide(siloImage);
    hide(reveal);
    if (std::exchange(homeviewHiddenByCamera, false))
        show(homeview);
}

void VelmoraViewController::useImage(const Image& image) {
    m_portrait = PortraitComposer::frame(image, Fit::Stretch, currentimage + 1, *m_faceDetector);
    m_hasPhoto = true;
    if (imageView) {
        imageView->setImage(Image(m_portrait.photo));
        // In an enlarged window the photo is drawn from the picture itself, decoded for the
        // size it is shown at, rather than the normalised one blown up.
        imageView->setDetailImage(image);
    }
}

// ---- Fit

void VelmoraViewController::setFit(Fit fit) {
    if (fitToFace && fitToFace->isChecked() != (fit == Fit::Face))
        fitToFace->setChecked(fit == Fit::Face); // comes back here through its signal
    if (fit == m_fit)
        return;
    m_fit = fit;
    // Only a photo on the screen is redrawn; one still being picked takes the new fit.
    if (m_photo.isNull() || !second || second->isHidden())
        return;
    if (fit == Fit::Face)
        fitToFaceInBackground(false);
    else
        showStretched();
}

void VelmoraViewController::showStretched() {
    m_fitting = 0;
    if (imageView)
        imageView->setImage(m_photo);
    useImage(imageView ? imageView->image() : Image());
    showAura();
}

void VelmoraViewController::fitToFaceInBackground(bool finishesPick) {
    if (finishesPick)
        drawAuraNumber();
    const int fit = ++m_fitsStarted;
    m_fitting = fit;
    const Image photo = m_photo;
    const toolkit::FaceDetector* detector = m_faceDetector;
    const int number = currentimage + 1;
    auto* watcher = new QFutureWatcher<PortraitComposer::Layers>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, fit, finishesPick] {
        watcher->deleteLater();
        if (fit != m_fitting)
            return; // a newer pick or fit replaced it
        m_fitting = 0;
        const PortraitComposer::Layers framed = watcher->result();
        // Switched back to stretch while the first photo was being fitted: stretched it is.
        const bool fitted = m_fit == Fit::Face;
        if (!fitted) {
            showStretched();
        } else {
            m_portrait = framed;
            m_hasPhoto = true;
            if (imageView) {
                imageView->setImage(Image(framed.photo));
                imageView->setDetailImage(Image());
            }
            showAura();
        }
        if (finishesPick) {
            hide(homeview);
            show(auraImage);
            hide(first);
            show(second);
        }
        if (fitted && !framed.faceFound) {
            if (toolkit::Window* window = this->window())
                window->showMessage(tr("No face found: centred"));
        }
    });
    watcher->setFuture(QtConcurrent::run([photo, detector, number] {
        return PortraitComposer::frame(photo, Fit::Face, number, *detector);
    }));
}

// ---- Aura overlay

void VelmoraViewController::drawAuraNumber() {
    const std::uint32_t draw =
        m_fixedAura > 0 ? std::uint32_t(m_fixedAura - 1)
                        : toolkit::arc4random() % std::uint32_t(PortraitFormat::OverlayCount);
    throw2 = QVariant(int(draw));
    currentimage = throw2.toInt();
}

void VelmoraViewController::determinecurrentimage() {
    drawAuraNumber();
    m_portrait.aura = QImage();
    m_portrait.auraNumber = currentimage + 1;
    showAura();
}

void VelmoraViewController::showAura() {
    if (!auraImage)
        return;
    const auto aura = PortraitComposer::aura(m_portrait);
    auraImage->setImage(aura.ok() ? aura.value() : Image());
}

PortraitComposer::Layers VelmoraViewController::portraitLayers() const {
    if (m_hasPhoto)
        return m_portrait;
    // Before any photo, the portrait is the home screen.
    return PortraitComposer::withoutAura(Image::imageNamed(QStringLiteral("home.png"), 1.0));
}

// ---- Panels

void VelmoraViewController::meanings(QObject*) {
    rememberFocus();
    show(close);
    setXOutPairHidden(true);
    setMeaningTextViewsHidden(true);
    setColourPickerHidden(false);
    focusPanel(white);
}

void VelmoraViewController::about(QObject*) {
    rememberFocus();
    show(close);
    setXOutPairHidden(true);
    hide(pinkText);
    show(auraText);
    for (QWidget* text :
         std::initializer_list<QWidget*>{goldText.data(), turquoiseText.data(), indigoText.data(),
                                         lavenderText.data(), violetText.data()})
        hide(text);
    if (auraText) {
        auraText->setText(QCoreApplication::translate("AboutText", kAboutText));
        auraText->setBackgroundColor(toolkit::Color::whiteColor());
        // One text view shows the about text or a meaning: it is named for what it shows.
        auraText->setAccessibleName(tr("About aura photos"));
    }
    setColourPickerHidden(true);
    focusPanel(auraText);
}

void VelmoraViewController::closeC(QObject*) {
    const bool wasOpen = close && !close->isHidden();
    hide(close);
    setMeaningTextViewsHidden(true);
    setColourPickerHidden(true);
    if (!wasOpen)
        return;
    // The keyboard goes back to where it was before the panel opened.
    QWidget* back = focusBeforePanel;
    focusBeforePanel = nullptr;
    if (!back || !back->isVisible() || !back->isEnabled())
        back = isViewLoaded() ? view() : nullptr;
    if (back)
        back->setFocus(Qt::OtherFocusReason);
}

// The control that had the keyboard when the first panel opened; moving from panel to panel
// (meanings, then a colour) keeps it.
void VelmoraViewController::rememberFocus() {
    if (close && !close->isHidden())
        return;
    focusBeforePanel = isViewLoaded() ? view()->window()->focusWidget() : nullptr;
}

void VelmoraViewController::focusPanel(QWidget* element) {
    if (element && element->isVisibleTo(element->window()))
        element->setFocus(Qt::OtherFocusReason);
}

void VelmoraViewController::xOut(QObject*) {
    setXOutPairHidden(true);
}

// ---- Colour meanings

const std::array<VelmoraViewController::ColourControls, AuraPalette::Count>&
VelmoraViewController::colourControls() {
    // In the colour table's order.
    static const std::array<ColourControls, AuraPalette::Count> controls = {{
        {&VelmoraViewController::getColorViolet, &VelmoraViewController::violet,
         &VelmoraViewController::violetText},
        {&VelmoraViewController::getColorLavendar, &VelmoraViewController::lavendar,
         &VelmoraViewController::lavenderText},
        {&VelmoraViewController::getColorIndigo, &VelmoraViewController::indigo,
         &VelmoraViewController::indigoText},
        {&VelmoraViewController::getColorPurple, &VelmoraViewController::purple,
         &VelmoraViewController::auraText},
        {&VelmoraViewController::getColorTourquise, &VelmoraViewController::tourquise,
         &VelmoraViewController::turquoiseText},
        {&VelmoraViewController::getColorBlue, &VelmoraViewController::blue,
         &VelmoraViewController::auraText},
        {&VelmoraViewController::getColorBrown, &VelmoraViewController::brown,
         &VelmoraViewController::auraText},
        {&VelmoraViewController::getColorGreen, &VelmoraViewController::green,
         &VelmoraViewController::auraText},
        {&VelmoraViewController::getColorGold, &VelmoraViewController::gold,
         &VelmoraViewController::goldText},
        {&VelmoraViewController::getColorYellow, &VelmoraViewController::yellow,
         &VelmoraViewController::auraText},
        {&VelmoraViewController::getColorPink, &VelmoraViewController::pink,
         &VelmoraViewController::pinkText},
        {&VelmoraViewController::getColorOrange, &VelmoraViewController::orange,
         &VelmoraViewController::auraText},
        {&VelmoraViewController::getColorRed, &VelmoraViewController::red,
         &VelmoraViewController::auraText},
        {&VelmoraViewController::getColorBlack, &VelmoraViewController::black,
         &VelmoraViewController::auraText},
        {&VelmoraViewController::getColorSilver, &VelmoraViewController::silver,
         &VelmoraViewController::auraText},
        {&VelmoraViewController::getColorWhite, &VelmoraViewController::white,
         &VelmoraViewController::auraText},
    }};
    return controls;
}

void VelmoraViewController::selectColour(AuraPalette::Colour colour) {
    const ColourMeaning& row = colourMeaningTable()[colour];
    const ColourControls& own = colourControls()[colour];
    toolkit::TextView* text = this->*own.textView;
    rememberFocus();
    show(close);
    show(text);
    setColourPickerHidden(true);
    if (!text)
        return;
    text->setText(QCoreApplication::translate("ColourMeaning", row.text));
    if (row.background)
        text->setBackgroundColor(row.background());
    text->verticalScrollBar()->setValue(0);
    // Named after the colour as its button says it, in the user's language.
    const QPushButton* button = this->*own.button;
    text->setAccessibleName(
        tr("%1 meaning").arg(button ? button->text() : QString::fromLatin1(row.colour)));
    focusPanel(text);
}

void VelmoraViewController::getColorViolet(QObject*) {
    selectColour(AuraPalette::Violet);
}
void VelmoraViewController::getColorLavendar(QObject*) {
    selectColour(AuraPalette::Lavender);
}
void VelmoraViewController::getColorIndigo(QObject*) {
    selectColour(AuraPalette::Indigo);
}
void VelmoraViewController::getColorPurple(QObject*) {
    selectColour(AuraPalette::Purple);
}
void VelmoraViewController::getColorTourquise(QObject*) {
    selectColour(AuraPalette::Turquoise);
}
void VelmoraViewController::getColorBlue(QObject*) {
    selectColour(AuraPalette::Blue);
}
void VelmoraViewController::getColorBrown(QObject*) {
    selectColour(AuraPalette::Brown);
}
void VelmoraViewController::getColorGreen(QObject*) {
    selectColour(AuraPalette::Green);
}
void VelmoraViewController::getColorGold(QObject*) {
    selectColour(AuraPalette::Gold);
}
void VelmoraViewController::getColorYellow(QObject*) {
    selectColour(AuraPalette::Yellow);
}
void VelmoraViewController::getColorPink(QObject*) {
    selectColour(AuraPalette::Pink);
}
void VelmoraViewController::getColorOrange(QObject*) {
    selectColour(AuraPalette::Orange);
}
void VelmoraViewController::getColorRed(QObject*) {
    selectColour(AuraPalette::Red);
}
void VelmoraViewController::getColorBlack(QObject*) {
    selectColour(AuraPalette::Black);
}
void VelmoraViewController::getColorSilver(QObject*) {
    selectColour(AuraPalette::Silver);
}
void VelmoraViewController::getColorWhite(QObject*) {
    selectColour(AuraPalette::White);
}

// ---- Composite save

void VelmoraViewController::save(QObject*) {
    savePortrait();
}

toolkit::AlbumSave* VelmoraViewController::savePortrait() {
    toolkit::AlbumSave* saving = nullptr;
    setXOutPairHidden(true);
    // A portrait is the photo under its aura: an open panel is closed as the close button
    // does, and the framing pictures of a pick still under way are taken away.
    closeC(closeB);
    hide(siloImage);
    hide(reveal);
    const auto composed = PortraitComposer::paint(portraitLayers());
    if (!composed.ok()) {
        qCWarning(toolkit::programLog, "cannot compose the portrait: %s",
                  qUtf8Printable(composed.error()));
        if (auto* window = this->window())
            window->showMessage(tr("The portrait was not saved.\n%1").arg(composed.error()));
        return nullptr;
    }
    const Image portrait(composed.value());
    saving = toolkit::imageWriteToSavedPhotosAlbum(portrait);
    lastPortrait = portrait;
    lastPortraitFolder = toolkit::PhotoAlbum::shared().folder();
    // The window as it is now: the view may be unloaded by the time the album answers.
    QPointer<toolkit::Window> window = this->window();
    connect(
        saving, &toolkit::AlbumSave::finished, this,
        [this, window](const toolkit::Result<QString>& outcome) { saveFinished(outcome, window); });
    if (xOut1) {
        // The file gets its name when the album has written it (showSavedNotice).
        const QString folder = QDir::toNativeSeparators(toolkit::PhotoAlbum::shared().folder());
        setNoticeText(xOut1, {tr("Saving the portrait"), QString(), tr("into %1").arg(folder)},
                      folder);
    }
    setXOutPairHidden(false);
    return saving;
}

void VelmoraViewController::saveFinished(const toolkit::Result<QString>& outcome,
                                         toolkit::Window* window) {
    if (outcome.ok()) {
        showSavedNotice(outcome.value());
        return;
    }
    // The notice says the portrait is being saved; the window's message says why it was
    // not, and the notice must not contradict it.
    setXOutPairHidden(true);
    if (window)
        window->showMessage(tr("The portrait was not saved.\n%1").arg(outcome.error()));
}

void VelmoraViewController::showSavedNotice(const QString& path) {
    if (!xOut1)
        return;
    const QFileInfo file(path);
    const QString folder = QDir::toNativeSeparators(file.absolutePath());
    setNoticeText(xOut1, {tr("Portrait saved as"), file.fileName(), tr("in %1").arg(folder)},
                  QDir::toNativeSeparators(file.absoluteFilePath()));
}
