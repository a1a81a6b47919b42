#include "TestSupport.h"
#include "base/ApplicationIdentity.h"
#include "base/Resources.h"
#include "ui/CameraPage.h"
#include "ui/ImageView.h"
#include "ui/QtPickerPlatform.h"

#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFrame>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>

using toolkit::Image;

namespace {
// Records, when the window is first shown, what the launch had done by then.
class FirstShowSpy : public QObject {
public:
    VelmoraAppDelegate* app = nullptr;
    bool entered = false;
    bool homeImageSetBefore = false;
    bool secondHiddenBefore = false;

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show && !entered) {
            entered = true;
            homeImageSetBefore = !app->homeview->image().isNull();
            secondHiddenBefore = app->second->isHidden();
        }
        return false;
    }
};

class EmptyPage : public toolkit::ViewController {
protected:
    QWidget* loadView() override { return new QWidget; }
};
} // namespace

TEST(Launch, HidesSecondSetsTheHomeImageThenShowsTheWindow) {
    FakePickerPlatform platform;
    auto app = loadMainInterface();
    ASSERT_TRUE(app->second);
    ASSERT_EQ(app->second, app->viewController()->ui->second) << "one toolbar, two outlets";
    ASSERT_EQ(app->homeview, app->viewController()->ui->homeview);
    app->second->setHidden(false); // whatever the layout said
    app->homeview->setImage(Image());

    FirstShowSpy spy;
    spy.app = app.get();
    EXPECT_FALSE(app->window()->isVisible());
    app->window()->installEventFilter(&spy);
    app->applicationDidFinishLaunching();

    EXPECT_TRUE(app->second->isHidden());
    EXPECT_TRUE(spy.entered);
    EXPECT_TRUE(spy.homeImageSetBefore);
    EXPECT_TRUE(spy.secondHiddenBefore);
    EXPECT_TRUE(app->window()->isVisible());
    EXPECT_EQ(app->viewController()->view()->parentWidget(), app->window());
    EXPECT_EQ(app->window()->size(), app->viewController()->view()->size())
        << "the window is exactly the one screen";
    EXPECT_FALSE(app->viewController()->ui->first->isHidden());
}

TEST(Launch, GoesOnWithoutTheHomeImage) {
    FakePickerPlatform platform;
    QTemporaryDir empty;
    const ScopedResourcePath resources(empty.path());

    auto app = loadMainInterface();
    app->applicationDidFinishLaunching();
    EXPECT_TRUE(app->homeview->image().isNull());
    EXPECT_TRUE(app->window()->isVisible());
}

TEST(Launch, TheLayoutStartsInTheHomeState) {
    FakePickerPlatform platform;
    auto app = loadMainInterface();
    app->applicationDidFinishLaunching();
    VelmoraViewController* s = app->viewController();
    EXPECT_FALSE(s->ui->first->isHidden());
    EXPECT_FALSE(s->ui->homeview->isHidden());
    for (QWidget* hidden : std::initializer_list<QWidget*>{
             s->ui->selectColor, s->ui->white, s->ui->violet, s->ui->auraText, s->ui->pinkText,
             s->ui->goldText, s->ui->turquoiseText, s->ui->indigoText, s->ui->lavenderText,
             s->ui->violetText, s->ui->close, s->ui->auraImage, s->ui->siloImage, s->ui->reveal,
             s->ui->second})
        EXPECT_TRUE(hidden->isHidden()) << qPrintable(hidden->objectName());
    EXPECT_EQ(s->ui->sizer->rect().size(), QSize(360, 480));
    EXPECT_EQ(s->ui->imageView->geometry(), QRect(0, 0, 360, 480));
}

class MemoryWarning : public AppFixture {};

TEST_F(MemoryWarning, WhileTheViewIsShownSetsTheFlagOnly) {
    LogCapture log;
    QWidget* before = screen->view();
    EXPECT_FALSE(screen->lowMemoryWarning);
    screen->didReceiveMemoryWarning();
    EXPECT_TRUE(screen->lowMemoryWarning);
    EXPECT_EQ(screen->view(), before);
    EXPECT_TRUE(log.lines.isEmpty()) << "the first load logged nothing, and nothing reloaded";
}

TEST_F(MemoryWarning, WhileCoveredUnloadsAndEachLaterLoadLogsOnce) {
    LogCapture log;
    EmptyPage page;
    QPointer<QWidget> oldImageView = screen->ui->imageView;
    screen->presentModalViewController(&page, false);
    screen->didReceiveMemoryWarning();

    EXPECT_FALSE(screen->isViewLoaded());
    EXPECT_TRUE(oldImageView.isNull());
    EXPECT_FALSE(screen->ui) << "no elements while unloaded";
    EXPECT_TRUE(log.lines.isEmpty());

    screen->dismissModalViewControllerAnimated(false);
    ASSERT_TRUE(screen->isViewLoaded());
    ASSERT_TRUE(screen->ui && screen->ui->imageView);
    EXPECT_EQ(screen->view()->parentWidget(), app->window());
    EXPECT_TRUE(screen->view()->isVisible());
    ASSERT_EQ(log.lines.size(), 1);
    EXPECT_TRUE(log.lines[0].endsWith(QStringLiteral("] view did load being called")));

    // The flag never goes back: every later load logs again, once.
    screen->presentModalViewController(&page, false);
    screen->didReceiveMemoryWarning();
    screen->didReceiveMemoryWarning();
    screen->dismissModalViewControllerAnimated(false);
    EXPECT_EQ(log.lines.size(), 2);
    screen->about(nullptr);
    EXPECT_FALSE(screen->ui->auraText->isHidden()) << "the new elements are bound and work";
}

// A package whose camera module is missing or broken: the window still comes up and works;
// the camera controls say they are looking until the first frame, then that there is none,
// and the camera page says why.
TEST(Launch, WithoutAWorkingCameraModuleTheCameraControlsSaySoAndTheWindowWorks) {
    QTemporaryDir modules;
    const auto restore =
        qScopeGuard([] { toolkit::setModuleFolder(QStringLiteral(VELMORA_MODULES)); });
    toolkit::setModuleFolder(modules.path());
    for (const QByteArray& content : {QByteArray(), QByteArray("not a library\n")}) {
        if (!content.isEmpty()) {
            QFile module(QDir(modules.path())
                             .filePath(toolkit::ApplicationIdentity::current().name +
                                       QStringLiteral("-camera.so")));
            ASSERT_TRUE(module.open(QIODevice::WriteOnly));
            module.write(content);
        }
        toolkit::QtPickerPlatform real;
        const toolkit::PickerPlatform::Scope inUse(&real);
        auto app = loadMainInterface();
        app->applicationDidFinishLaunching();
        VelmoraViewController* s = app->viewController();
        EXPECT_TRUE(
            s->ui->takePhotoBtn->toolTip().contains(QStringLiteral("Looking for a camera")));

        ASSERT_TRUE(waitUntil([s] { return !s->ui->takePhotoBtn->isEnabled(); }))
            << content.constData();
        EXPECT_FALSE(s->ui->takePhotoBtn2->isEnabled());
        EXPECT_TRUE(s->ui->takePhotoBtn->toolTip().contains(QStringLiteral("Camera support")))
            << "the tooltip says why, not that none is plugged in";
        EXPECT_TRUE(s->ui->choosePhotoBtn->isEnabled()) << "the album is still there";

        // Asked anyway (the keyboard), the page says what is wrong rather than "plug one in".
        s->getPhoto(s->ui->takePhotoBtn);
        auto* page = app->window()->findChild<toolkit::CameraPage*>();
        ASSERT_NE(page, nullptr);
        EXPECT_TRUE(page->problem().contains(QStringLiteral("Camera support")));
        EXPECT_TRUE(page->problem().contains(QStringLiteral("-camera.so"))) << "names the file";
        page->findChild<QPushButton*>(QStringLiteral("cancel"))->click();
        ASSERT_TRUE(waitUntil([s] { return !s->modalViewController(); }));
    }
}
