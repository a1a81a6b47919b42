#include "app/VelmoraViewController.h"

#include <utility>

#include "app/GridArrowKeys.h"
#include "app/Preferences.h"
#include "app/ScreenIcons.h"
#include "app/ScreenStyle.h"
#include "base/Log.h"
#include "face/NoFaceDetector.h"
#include "ui/ImageView.h"
#include "ui/PickerPlatform.h"
#include "ui/TextView.h"
#include "ui/Window.h"

#include <QCoreApplication>
#include <QKeySequence>
#include <QShortcut>

using toolkit::Image;
using toolkit::ImagePickerController;

VelmoraViewController::VelmoraViewController(QObject* parent)
    : ViewController(parent), m_faceDetector(std::make_shared<toolkit::NoFaceDetector>()) {
    connect(&toolkit::PickerPlatform::current(), &toolkit::PickerPlatform::camerasChanged, this,
            &VelmoraViewController::updateCameraControls);
    // The fit chosen on the screen in an earlier run; stretch on the first.
    m_picking.setFit(Preferences::fit().value_or(Fit::Stretch));
}

VelmoraViewController::~VelmoraViewController() = default;

void VelmoraViewController::setFaceDetector(std::shared_ptr<const toolkit::FaceDetector> detector) {
    m_faceDetector = detector ? std::move(detector) : std::make_shared<toolkit::NoFaceDetector>();
}

void VelmoraViewController::setFaceDetector(const toolkit::FaceDetector* detector) {
    // Not owned: shared without a deleter.
    setFaceDetector(std::shared_ptr<const toolkit::FaceDetector>(detector, [](auto*) {}));
}

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
    // A view loaded anew after a memory warning shows the portrait it showed before.
    if (hasPhoto())
        showPortrait();
}

void VelmoraViewController::viewDidUnload() {
    ui.reset();
}

QWidget* VelmoraViewController::loadView() {
    auto* view = new QWidget(viewParent());
    ui = std::make_unique<Ui::VelmoraViewController>();
    ui->setupUi(view);
    ui->sizer->setAttribute(Qt::WA_TransparentForMouseEvents);
    ScreenStyle::applyTo(view, {ui->first, ui->second, ui->close});
    // The screen holds the keyboard focus at first, so that no button starts out highlighted.
    view->setFocusPolicy(Qt::StrongFocus);
    view->setFocus();
    // Tab runs along the toolbar as it reads, Album first; one of the two toolbars is
    // hidden at any time and skipped.
    QWidget* order[] = {ui->choosePhotoBtn, ui->takePhotoBtn, ui->meanings,      ui->about,
                        ui->fitToFaceHome,  ui->save,         ui->takePhotoBtn2, ui->meanings2,
                        ui->about2,         ui->fitToFace,    ui->save2};
    for (std::size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
    m_display.load();
    ScreenIcons::apply(*ui);
    // A click on a disabled camera button is answered with why (its filters still hear it).
    ui->takePhotoBtn->installEventFilter(this);
    ui->takePhotoBtn2->installEventFilter(this);
    // The colours lie in a 4 × 4 grid: the arrow keys move through it as it is laid out.
    QList<QWidget*> colours;
    for (const ColourControls& row : colourControls())
        colours << ui.get()->*row.button;
    new GridArrowKeys(colours, view);
    m_saving.addNoticeActions(ui->xOut1);
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
    for (QAbstractButton* control : {ui->choosePhotoBtn, ui->takePhotoBtn, ui->takePhotoBtn2})
        wire(control, &VelmoraViewController::getPhoto);
    wire(ui->save, &VelmoraViewController::save);
    wire(ui->save2, &VelmoraViewController::save);
    wire(ui->about, &VelmoraViewController::about);
    wire(ui->about2, &VelmoraViewController::about);
    wire(ui->meanings, &VelmoraViewController::meanings);
    wire(ui->meanings2, &VelmoraViewController::meanings);
    wire(ui->closeB, &VelmoraViewController::closeC);
    wire(ui->xOut1, &VelmoraViewController::xOut);
    wire(ui->xOut2, &VelmoraViewController::xOut);
    // One choice behind the two toolbars' Fit to face, the home screen's and the photo's.
    for (QToolButton* fitControl : {ui->fitToFaceHome, ui->fitToFace}) {
        fitControl->setChecked(fit() == Fit::Face);
        connect(fitControl, &QToolButton::toggled, this,
                [this](bool on) { setFit(on ? Fit::Face : Fit::Stretch); });
        // Only the person's own choice is kept for the next run, not a --fit at start.
        connect(fitControl, &QToolButton::clicked, this, [this] { Preferences::setFit(fit()); });
    }
    for (const ColourControls& row : colourControls())
        wire(ui.get()->*row.button, row.action);
}

void VelmoraViewController::addShortcuts(QWidget* view) {
    auto add = [view](const QKeySequence& keys, auto handler) {
        auto* shortcut = new QShortcut(keys, view);
        QObject::connect(shortcut, &QShortcut::activated, view, handler);
    };
    add(QKeySequence::Open, [this] { getPhoto(ui ? ui->choosePhotoBtn : nullptr); });
    add(QKeySequence(Qt::CTRL | Qt::Key_T), [this] { takePhotoFromKeyboard(); });
    add(QKeySequence::Save, [this] { save(ui ? ui->save2 : nullptr); });
    add(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), [this] { m_saving.save(2); });
    add(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R), [this] { m_saving.saveReading(); });
    add(QKeySequence::Print, [this] { m_saving.print(); });
    add(QKeySequence(Qt::Key_F1), [this] { about(ui ? ui->about2 : nullptr); });
    add(QKeySequence(Qt::CTRL | Qt::Key_M), [this] { meanings(ui ? ui->meanings2 : nullptr); });
    add(QKeySequence(Qt::CTRL | Qt::Key_F), [this] {
        setFit(fit() == Fit::Face ? Fit::Stretch : Fit::Face);
        Preferences::setFit(fit());
    });
    // The event loop ends; the portraits still being written are waited for after it.
    add(QKeySequence(Qt::CTRL | Qt::Key_Q), [] { QCoreApplication::quit(); });
    add(QKeySequence(Qt::Key_Escape), [this] {
        // The innermost thing first: a message over the screen, then a panel, then the
        // notice of a save.
        toolkit::Window* window = this->window();
        if ((window && window->dismissMessage()) || !ui)
            return;
        if (ui->close->isVisibleTo(ui->close->parentWidget()))
            closeC(ui->closeB);
        else if (!ui->xOut1->isHidden())
            xOut(ui->xOut1);
    });
}

// Without a camera the take-photo controls cannot do anything: they are disabled and say
// why, and come back when a camera is plugged in. Until the platform has looked (just after
// the first frame) they stay as they are: a press then looks at once.
void VelmoraViewController::updateCameraControls() {
    if (!ui || !toolkit::PickerPlatform::current().camerasKnown())
        return;
    const bool available = ImagePickerController::isSourceTypeAvailable(
        toolkit::ImagePickerControllerSourceTypeCamera);
    const QString tip = available ? tr("Take a photo (Ctrl+T)") : noCameraText();
    for (QToolButton* b : {ui->takePhotoBtn, ui->takePhotoBtn2}) {
        b->setEnabled(available);
        b->setToolTip(tip);
    }
}

bool VelmoraViewController::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress && ui &&
        (watched == ui->takePhotoBtn || watched == ui->takePhotoBtn2) &&
        !static_cast<QWidget*>(watched)->isEnabled()) {
        if (toolkit::Window* window = this->window())
            window->showMessage(noCameraText(), toolkit::Window::MessageKind::Information);
        return true;
    }
    return ViewController::eventFilter(watched, event);
}

QString VelmoraViewController::noCameraText() {
    // Camera support that failed to load says so, rather than that no camera is plugged in.
    const QString problem = toolkit::PickerPlatform::current().cameraProblem();
    return problem.isEmpty() ? tr("No camera found. Plug one in, or choose a photo (Ctrl+O).")
                             : problem;
}

void VelmoraViewController::takePhotoFromKeyboard() {
    if (!ImagePickerController::isSourceTypeAvailable(
            toolkit::ImagePickerControllerSourceTypeCamera)) {
        if (toolkit::Window* window = this->window())
            window->showMessage(noCameraText());
        return;
    }
    getPhoto(ui ? ui->takePhotoBtn : nullptr);
}

toolkit::Window* VelmoraViewController::window() {
    return isViewLoaded() ? qobject_cast<toolkit::Window*>(view()->window()) : nullptr;
}

// The notice of a save and its dismiss button come and go together.
void VelmoraViewController::setXOutPairHidden(bool hidden) {
    if (!ui)
        return;
    ui->xOut2->setHidden(hidden);
    ui->xOut1->setHidden(hidden);
    m_display.setCovered(!hidden);
}

// ---- The photo and its aura

void VelmoraViewController::getPhoto(QObject* sender) {
    m_picking.getPhoto(sender);
}

void VelmoraViewController::imagePickerControllerDidFinishPickingMediaWithInfo(
    ImagePickerController*, const toolkit::MediaInfo& info) {
    m_picking.didPick(info.value(toolkit::ImagePickerControllerOriginalImage));
}

void VelmoraViewController::imagePickerControllerDidCancel(ImagePickerController*) {
    m_picking.didCancel();
}

void VelmoraViewController::useImage(const Image& image) {
    m_portrait = PortraitComposer::frame(image, Fit::Stretch, currentimage + 1, *m_faceDetector);
    // In an enlarged window the photo is drawn from the picture itself, decoded for the
    // size it is shown at, rather than the normalised one blown up.
    m_detail = image;
    if (ui) {
        ui->imageView->setImage(Image(m_portrait.photo));
        ui->imageView->setDetailImage(m_detail);
    }
}

void VelmoraViewController::drawAuraNumber() {
    const int promised = std::exchange(m_promisedAura, 0);
    throw2 =
        QVariant((promised > 0 ? promised : PortraitComposer::drawAuraNumber(m_fixedAura)) - 1);
    currentimage = throw2.toInt();
}

int VelmoraViewController::promiseAuraNumber() {
    m_promisedAura = PortraitComposer::drawAuraNumber(m_fixedAura);
    return m_promisedAura;
}

void VelmoraViewController::determinecurrentimage() {
    drawAuraNumber();
    m_portrait.aura = QImage();
    m_portrait.auraNumber = currentimage + 1;
    showAura();
}

void VelmoraViewController::setFramedPortrait(const PortraitComposer::Layers& framed) {
    m_portrait = framed;
    m_detail = Image();
}

void VelmoraViewController::showAura() {
    if (!ui)
        return;
    const auto aura = PortraitComposer::aura(m_portrait);
    ui->auraImage->setImage(aura.ok() ? aura.value() : Image());
    m_display.show();
}

void VelmoraViewController::hideFramingPictures() {
    // Left in place, the outline and its hint would lie over the photo and end up in what
    // the user takes for the portrait.
    if (ui) {
        ui->siloImage->hide();
        ui->reveal->hide();
    }
}

void VelmoraViewController::showPortrait() {
    if (!ui)
        return;
    ui->imageView->setImage(Image(m_portrait.photo));
    ui->imageView->setDetailImage(m_detail);
    ui->homeview->hide();
    ui->auraImage->show();
    showAura();
    ui->first->hide();
    ui->second->show();
}

PortraitComposer::Layers VelmoraViewController::portraitLayers() const {
    if (hasPhoto())
        return m_portrait;
    // Before any photo, the portrait is the home screen: the very picture the window shows.
    return PortraitComposer::withoutAura(Image::imageNamed(QStringLiteral("home.pixels"), 1.0));
}

// ---- Panels

void VelmoraViewController::about(QObject*) {
    m_panels.showAbout();
}

void VelmoraViewController::meanings(QObject*) {
    m_panels.showMeanings();
}

void VelmoraViewController::closeC(QObject*) {
    m_panels.close();
}

void VelmoraViewController::xOut(QObject*) {
    setXOutPairHidden(true);
}

const std::array<VelmoraViewController::ColourControls, AuraPalette::Count>&
VelmoraViewController::colourControls() {
    using C = VelmoraViewController;
    using U = Ui::VelmoraViewController;
    // In the colour table's order.
    static const std::array<ColourControls, AuraPalette::Count> controls = {{
        {&C::getColorViolet, &U::violet, &U::violetText},
        {&C::getColorLavendar, &U::lavendar, &U::lavenderText},
        {&C::getColorIndigo, &U::indigo, &U::indigoText},
        {&C::getColorPurple, &U::purple, &U::auraText},
        {&C::getColorTourquise, &U::tourquise, &U::turquoiseText},
        {&C::getColorBlue, &U::blue, &U::auraText},
        {&C::getColorBrown, &U::brown, &U::auraText},
        {&C::getColorGreen, &U::green, &U::auraText},
        {&C::getColorGold, &U::gold, &U::goldText},
        {&C::getColorYellow, &U::yellow, &U::auraText},
        {&C::getColorPink, &U::pink, &U::pinkText},
        {&C::getColorOrange, &U::orange, &U::auraText},
        {&C::getColorRed, &U::red, &U::auraText},
        {&C::getColorBlack, &U::black, &U::auraText},
        {&C::getColorSilver, &U::silver, &U::auraText},
        {&C::getColorWhite, &U::white, &U::auraText},
    }};
    return controls;
}

void VelmoraViewController::getColorViolet(QObject*) {
    m_panels.showMeaning(AuraPalette::Violet);
}
void VelmoraViewController::getColorLavendar(QObject*) {
    m_panels.showMeaning(AuraPalette::Lavender);
}
void VelmoraViewController::getColorIndigo(QObject*) {
    m_panels.showMeaning(AuraPalette::Indigo);
}
void VelmoraViewController::getColorPurple(QObject*) {
    m_panels.showMeaning(AuraPalette::Purple);
}
void VelmoraViewController::getColorTourquise(QObject*) {
    m_panels.showMeaning(AuraPalette::Turquoise);
}
void VelmoraViewController::getColorBlue(QObject*) {
    m_panels.showMeaning(AuraPalette::Blue);
}
void VelmoraViewController::getColorBrown(QObject*) {
    m_panels.showMeaning(AuraPalette::Brown);
}
void VelmoraViewController::getColorGreen(QObject*) {
    m_panels.showMeaning(AuraPalette::Green);
}
void VelmoraViewController::getColorGold(QObject*) {
    m_panels.showMeaning(AuraPalette::Gold);
}
void VelmoraViewController::getColorYellow(QObject*) {
    m_panels.showMeaning(AuraPalette::Yellow);
}
void VelmoraViewController::getColorPink(QObject*) {
    m_panels.showMeaning(AuraPalette::Pink);
}
void VelmoraViewController::getColorOrange(QObject*) {
    m_panels.showMeaning(AuraPalette::Orange);
}
void VelmoraViewController::getColorRed(QObject*) {
    m_panels.showMeaning(AuraPalette::Red);
}
void VelmoraViewController::getColorBlack(QObject*) {
    m_panels.showMeaning(AuraPalette::Black);
}
void VelmoraViewController::getColorSilver(QObject*) {
    m_panels.showMeaning(AuraPalette::Silver);
}
void VelmoraViewController::getColorWhite(QObject*) {
    m_panels.showMeaning(AuraPalette::White);
}

// ---- Saving

void VelmoraViewController::save(QObject*) {
    m_saving.save();
}
