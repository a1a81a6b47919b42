#include "TestSupport.h"
#include "album/PhotoAlbum.h"
#include "base/Random.h"
#include "base/Resources.h"
#include "imaging/Image.h"
#include "imaging/PictureFile.h"
#include "imaging/PixelFile.h"
#include "ui/Application.h"
#include "ui/Window.h"
#include "ui/WindowFrame.h"

#include <QAccessible>
#include <QApplication>
#include <QFile>
#include <QMimeData>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTranslator>

namespace {
const QColor kLetterBox(0x2e, 0x2e, 0x2e);

// Contrast ratio of two colours as the web accessibility guidelines define it.
double contrast(const QColor& a, const QColor& b) {
    auto luminance = [](const QColor& c) {
        auto channel = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) +
               0.0722 * channel(c.blueF());
    };
    const double x = luminance(a) + 0.05;
    const double y = luminance(b) + 0.05;
    return x > y ? x / y : y / x;
}

// The name a screen reader hears for `target`, found by walking down from `node`.
QString spokenName(QAccessibleInterface* node, QObject* target) {
    if (!node)
        return {};
    if (node->object() == target)
        return node->text(QAccessible::Name);
    for (int i = 0; i < node->childCount(); ++i) {
        const QString name = spokenName(node->child(i), target);
        if (!name.isEmpty())
            return name;
    }
    return {};
}

// The part of `image` that is not letter-box.
QRect drawnArea(const QImage& image) {
    QRect area;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != kLetterBox)
                area |= QRect(x, y, 1, 1);
    return area;
}
} // namespace

class Desktop : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        frame = app->window()->frame();
        ASSERT_TRUE(waitUntil([this] { return QApplication::activeWindow() == frame; }));
    }

    QByteArray saveAndRead() {
        const QStringList before = albumFiles();
        screen->save(screen->ui->save2);
        EXPECT_TRUE(toolkit::PhotoAlbum::shared().waitForQueuedWrites(30000));
        QStringList added = albumFiles();
        for (const QString& name : before)
            added.removeAll(name);
        if (added.size() != 1)
            return {};
        QFile file(albumFolder + QLatin1Char('/') + added.first());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    toolkit::WindowFrame* frame = nullptr;
    const ScopedRandomSource pinned{[] { return std::uint32_t(7); }};
};

// However large the window is made, the screen fills it at 3:4 (plus its toolbar) on a
// letter-box, and a portrait saved from it is the very same file.
TEST_F(Desktop, ResizedWindowScalesTheScreenAndSavesTheSamePortrait) {
    EXPECT_EQ(frame->size(), QSize(360, 536)) << "the default size on a small screen";
    pickFromAlbum(picture(QStringLiteral("face.jpg"), QSize(600, 800), QColor(90, 140, 200)));
    const QByteArray atDefault = saveAndRead();
    ASSERT_FALSE(atDefault.isEmpty());

    for (const QSize size : {QSize(800, 600), QSize(400, 1000), QSize(1440, 1080)}) {
        frame->resize(size);
        QCoreApplication::processEvents();
        const QImage shown = frame->grab().toImage();
        const QRect screenArea = drawnArea(shown);
        const double scale = qMin(size.width() / 360.0, size.height() / 536.0);
        EXPECT_NEAR(screenArea.width(), 360 * scale, 2) << size.width() << "x" << size.height();
        EXPECT_NEAR(screenArea.height(), 536 * scale, 2) << size.width() << "x" << size.height();
        EXPECT_NEAR(screenArea.center().x(), size.width() / 2.0, 2);
        EXPECT_NEAR(screenArea.center().y(), size.height() / 2.0, 2);
        EXPECT_EQ(saveAndRead(), atDefault)
            << "portrait saved at " << size.width() << "x" << size.height();
    }
}

// Enlarged, the photo is drawn from the picture decoded for that size: a hard edge in it
// stays one step, not the blur of the normalised photo blown up.
TEST_F(Desktop, PhotoStaysSharpInAnEnlargedWindow) {
    QImage edge(720, 960, QImage::Format_RGB32);
    edge.fill(Qt::black);
    for (int y = 0; y < edge.height(); ++y)
        for (int x = 360; x < edge.width(); ++x)
            edge.setPixel(x, y, qRgb(255, 255, 255));
    const QString path = scratch.filePath(QStringLiteral("edge.png"));
    ASSERT_TRUE(edge.save(path));
    pickFromAlbum(path);
    frame->resize(720, 1072);
    // The enlarged portrait is composed in the background once the window is enlarged.
    int steepest = 0;
    int step = 0;
    waitUntil([&] {
        const QImage shown = frame->grab().toImage();
        auto level = [&](int x) { return qGray(shown.pixel(x, 480)); };
        steepest = 0;
        for (int x = 350; x < 370; ++x)
            steepest = qMax(steepest, qAbs(level(x + 1) - level(x)));
        step = qAbs(level(370) - level(350));
        return step > 60 && steepest > step * 3 / 4;
    });
    ASSERT_GT(step, 60) << "the edge is hidden under the aura";
    EXPECT_GT(steepest, step * 3 / 4) << steepest << " of " << step;
}

// At one and a half times, the scale the window opens at on a large screen, the home picture
// is the one made for that scale, copied as it is: not the small one enlarged, soft.
TEST_F(Desktop, TheHomePictureIsDrawnPixelForPixelWhenScaled) {
    frame->resize(540, 804);
    QCoreApplication::processEvents();
    const QImage shown = frame->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage made = toolkit::PixelFile::read(QStringLiteral(VELMORA_TEST_RESOURCES) +
                                                 QStringLiteral("/home@1.5x.pixels"))
                            .convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(made.size(), QSize(540, 720));
    // The title's band, over which the screen lays nothing.
    EXPECT_EQ(shown.copy(0, 0, 540, 200), made.copy(0, 0, 540, 200));
}

// A file dropped anywhere on the scaled screen reaches it as on the unscaled one.
TEST_F(Desktop, DropOnTheScaledWindowOpensThePhoto) {
    frame->resize(900, 700);
    QCoreApplication::processEvents();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(
        picture(QStringLiteral("dropped.jpg"), QSize(600, 800), QColor(30, 200, 60)))});
    QWidget* target = frame->viewport();
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &move);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    ASSERT_TRUE(waitUntil([this] { return !screen->ui->imageView->image().isNull(); }))
        << qPrintable(app->window()->message());
    const QColor shown = screen->ui->imageView->image().toQImage().pixelColor(180, 240);
    EXPECT_NEAR(shown.green(), 200, 12);
    EXPECT_NEAR(shown.red(), 30, 12);
}

// A drag from another program through the desktop's protocol (X11: run under xvfb-run, as
// CTest does): every point on the way is accepted, over the letter-box as over the screen,
// and the drop there opens the photo.
TEST_F(Desktop, ADragFromAnotherProgramOpensThePhoto) {
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs a desktop drag source: X11";
    frame->resize(700, 650);
    ASSERT_TRUE(waitUntil([this] { return frame->viewport()->width() == 700; }));
    const QString photo =
        picture(QStringLiteral("dragged.jpg"), QSize(600, 800), QColor(30, 200, 60));
    const QPoint corner = frame->mapToGlobal(QPoint(0, 0));
    QStringList arguments{photo};
    // Over the toolbar, the photo, then the letter-box to the right of the screen.
    for (const QPoint at : {QPoint(350, 620), QPoint(350, 300), QPoint(690, 300)})
        arguments << QStringLiteral("%1,%2").arg(corner.x() + at.x()).arg(corner.y() + at.y());
    QProcess source;
    source.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    source.start(QStringLiteral(VELMORA_DRAG_SOURCE), arguments);
    ASSERT_TRUE(waitUntil([&] { return source.canReadLine(); }, 30000));
    EXPECT_EQ(source.readLine().trimmed(), "dropped");
    const bool opened = waitUntil([this] { return !screen->ui->imageView->image().isNull(); });
    source.closeWriteChannel();
    EXPECT_TRUE(source.waitForFinished());
    ASSERT_TRUE(opened) << qPrintable(app->window()->message());
    const QColor shown = screen->ui->imageView->image().toQImage().pixelColor(180, 240);
    EXPECT_NEAR(shown.green(), 200, 12);
    EXPECT_NEAR(shown.red(), 30, 12);
}

TEST_F(Desktop, ImageNamedTakesTheSharperVariantWhenThereIsOne) {
    QTemporaryDir resources;
    const ScopedResourcePath lookedUp(resources.path());
    writePicture(resources.filePath(QStringLiteral("pic.png")), QSize(10, 10), Qt::red);
    writePicture(resources.filePath(QStringLiteral("pic@2x.png")), QSize(20, 20), Qt::blue);
    writePicture(resources.filePath(QStringLiteral("plain.png")), QSize(10, 10), Qt::green);

    const QImage dense = toolkit::Image::imageNamed(QStringLiteral("pic.png"), 2).toQImage();
    EXPECT_EQ(dense.pixelColor(5, 5), QColor(Qt::blue));
    EXPECT_EQ(dense.deviceIndependentSize(), QSizeF(10, 10));
    EXPECT_EQ(toolkit::Image::imageNamed(QStringLiteral("pic.png"), 3).toQImage().size(),
              QSize(20, 20))
        << "no @3x: the @2x one";
    EXPECT_EQ(toolkit::Image::imageNamed(QStringLiteral("pic.png"), 1).toQImage().pixelColor(5, 5),
              QColor(Qt::red));
    EXPECT_EQ(
        toolkit::Image::imageNamed(QStringLiteral("plain.png"), 2).toQImage().pixelColor(5, 5),
        QColor(Qt::green));
}

// Everything the toolbar and the panels do can be done from the keyboard, and a screen
// reader hears which meaning is shown.
TEST_F(Desktop, KeyboardWorksTheControlsAndPanelsTakeTheFocus) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(app->window()->focusWidget(), screen->ui->choosePhotoBtn)
        << "Tab from the start goes to the toolbar's first button";
    screen->ui->about->setFocus(Qt::TabFocusReason);
    QTest::keyClick(screen->ui->about, Qt::Key_Return);
    ASSERT_TRUE(waitUntil([this] { return screen->ui->auraText->isVisible(); }))
        << "Enter on a focused button works it";
    EXPECT_TRUE(screen->ui->auraText->hasFocus()) << "the opened panel has the keyboard";
    QTest::keyClick(screen->ui->auraText, Qt::Key_Escape);
    EXPECT_FALSE(screen->ui->close->isVisible());
    EXPECT_TRUE(screen->ui->about->hasFocus()) << "closing gives the keyboard back";

    QTest::keyClick(screen->ui->about, Qt::Key_M, Qt::ControlModifier);
    ASSERT_TRUE(screen->ui->white->hasFocus());
    QTest::keyClick(screen->ui->white, Qt::Key_Space);
    ASSERT_TRUE(screen->ui->auraText->hasFocus());
    EXPECT_EQ(spokenName(QAccessible::queryAccessibleInterface(frame), screen->ui->auraText),
              QStringLiteral("White meaning"))
        << "a screen reader finds the meaning from the desktop window, named for its colour";
    QTest::keyClick(screen->ui->auraText, Qt::Key_Escape);
    EXPECT_TRUE(screen->ui->about->hasFocus());

    QTest::keyClick(screen->ui->about, Qt::Key_F11);
    EXPECT_TRUE(waitUntil([this] { return frame->isFullScreen(); }))
        << int(frame->windowState()) << QApplication::activeWindow();
    QTest::keyClick(screen->ui->about, Qt::Key_F11);
    EXPECT_FALSE(frame->isFullScreen()) << "F11 again leaves full screen";

    // Ctrl+Q ends the event loop (the application then waits for queued portraits).
    QTimer::singleShot(
        0, [this] { QTest::keyClick(screen->ui->about, Qt::Key_Q, Qt::ControlModifier); });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(QCoreApplication::exec(), 0) << "Ctrl+Q did not quit";

    QTest::keyClick(screen->ui->about, Qt::Key_W, Qt::ControlModifier);
    EXPECT_FALSE(frame->isVisible()) << "Ctrl+W closes the window";
}

// The focus ring must be seen against the dark toolbar: at least 3:1.
TEST_F(Desktop, FocusRingStandsOutAgainstTheToolbar) {
    QToolButton* button = screen->ui->save;
    button->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(button->hasFocus());
    const QImage shown = app->window()->grab().toImage();
    const QPoint edge = button->mapTo(app->window(), QPoint(0, button->height() / 2));
    const QColor ring = shown.pixelColor(edge + QPoint(1, 0));
    const QColor toolbar = shown.pixelColor(edge + QPoint(5, 0));
    EXPECT_GE(contrast(ring, toolbar), 3.0)
        << qPrintable(ring.name()) << " on " << qPrintable(toolbar.name());
}

// A photo named on the command line (or opened with the file manager) takes the album's
// path: a good one is shown under an aura, a bad one is refused with the reason, and of
// several only the first is opened, which the window says.
TEST_F(Desktop, PhotosFromTheCommandLineTakeThePickPath) {
    const QString bad = scratch.filePath(QStringLiteral("notes.jpg"));
    QFile notes(bad);
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.write("not a photo");
    notes.close();
    openPhotoFiles(*app, {bad});
    ASSERT_TRUE(waitUntil([this] { return !app->window()->message().isEmpty(); }));
    EXPECT_TRUE(app->window()->message().contains(QStringLiteral("notes.jpg")));
    EXPECT_FALSE(screen->ui->first->isHidden()) << "nothing was opened";

    app->window()->dismissMessage();
    openPhotoFiles(*app, {picture(QStringLiteral("first.jpg"), QSize(600, 800), Qt::red),
                          picture(QStringLiteral("second.jpg"), QSize(600, 800), Qt::blue)});
    ASSERT_TRUE(waitUntil([this] { return !screen->ui->second->isHidden(); }));
    EXPECT_TRUE(app->window()->message().contains(QStringLiteral("first.jpg")));
    const QColor corner = screen->ui->imageView->image().toQImage().pixelColor(2, 2);
    EXPECT_GT(corner.red(), 200) << "the first photo is the one shown";
}

// The German translation loads for a German locale and reaches every kind of text: the
// layout's labels, the about text and the colour meanings.
TEST(Translation, AGermanLocaleShowsGermanTexts) {
    ASSERT_TRUE(toolkit::installTranslations(QLocale(QLocale::German, QLocale::Germany)));
    {
        std::unique_ptr<VelmoraAppDelegate> app = loadMainInterface();
        app->applicationDidFinishLaunching();
        VelmoraViewController* screen = app->viewController();
        EXPECT_EQ(screen->ui->meanings->text(), QStringLiteral("Deutungen"));
        screen->about(screen->ui->about2);
        EXPECT_TRUE(screen->ui->auraText->toPlainText().contains(QStringLiteral("Aura")));
        EXPECT_FALSE(
            screen->ui->auraText->toPlainText().startsWith(QStringLiteral("Velmora gives")));
        screen->meanings(screen->ui->meanings2);
        screen->getColorGold(screen->ui->gold);
        EXPECT_TRUE(screen->ui->goldText->toPlainText().startsWith(QStringLiteral("Gold ist")))
            << qPrintable(screen->ui->goldText->toPlainText().left(40));
    }
    // Every toolbar label fits its button, in English and in German.
    for (const bool german : {true, false}) {
        if (!german) {
            for (QTranslator* t : qApp->findChildren<QTranslator*>(QStringLiteral("translator")))
                QCoreApplication::removeTranslator(t);
        }
        std::unique_ptr<VelmoraAppDelegate> app = loadMainInterface();
        app->applicationDidFinishLaunching();
        VelmoraViewController* screen = app->viewController();
        for (QFrame* toolbar : {screen->ui->first, screen->ui->second}) {
            for (QToolButton* button : toolbar->findChildren<QToolButton*>()) {
                EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()),
                          button->width() - 4)
                    << (german ? "de: " : "en: ") << button->text().toStdString();
            }
        }
        if (!german) {
            for (QTranslator* t : qApp->findChildren<QTranslator*>(QStringLiteral("translator")))
                QCoreApplication::installTranslator(t);
        }
    }
    // The toolkit's own reasons too, with the application's name filled in.
    const QByteArray notAPicture("plain text, not a picture");
    const auto refused = toolkit::PictureFile::fromBytes(QStringLiteral("a.jpg"), notAPicture);
    EXPECT_TRUE(refused.error().contains(QStringLiteral("kein Bild, das Velmora lesen kann")))
        << qPrintable(refused.error());
    for (QTranslator* translator : qApp->findChildren<QTranslator*>(QStringLiteral("translator"))) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
    EXPECT_EQ(QCoreApplication::translate("AboutText", "Velmora gives"),
              QStringLiteral("Velmora gives"));
    EXPECT_TRUE(toolkit::PictureFile::fromBytes(QStringLiteral("a.jpg"), notAPicture)
                    .error()
                    .contains(QStringLiteral("not a picture Velmora can read")));
}

// Tab goes round the controls: from the last one on the toolbar back to the first.
TEST_F(Desktop, TabGoesRoundTheToolbar) {
    pickFromAlbum(picture(QStringLiteral("tab.png"), QSize(300, 400)));
    QWidget* window = app->window();
    QList<QWidget*> seen;
    screen->ui->takePhotoBtn2->setFocus(Qt::TabFocusReason);
    for (int i = 0; i < 12; ++i) {
        seen << window->focusWidget();
        QTest::keyClick(window->focusWidget(), Qt::Key_Tab);
    }
    QStringList names;
    for (QWidget* w : seen)
        names << (w ? w->objectName() : QStringLiteral("(none)"));
    EXPECT_GE(seen.count(screen->ui->takePhotoBtn2), 2) << names.join(' ').toStdString();
}
