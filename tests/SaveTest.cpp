#include "TestSupport.h"
#include "album/PhotoAlbum.h"
#include "app/ColourMeaning.h"
#include "base/Random.h"
#include "imaging/Image.h"
#include "ui/Window.h"

#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QTest>

#include <QClipboard>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QToolButton>
#include <functional>
#include <vector>

namespace {

QImage argb(const QImage& image) {
    return image.convertToFormat(QImage::Format_ARGB32);
}

/// Pixels of `region` that differ between `a` and `b` by more than `tolerance` in a channel.
int differingPixels(const QImage& a, const QImage& b, const QRect& region, int tolerance = 0) {
    const QImage x = argb(a);
    const QImage y = argb(b);
    int differing = 0;
    for (int row = region.top(); row <= region.bottom(); ++row) {
        for (int column = region.left(); column <= region.right(); ++column) {
            const QRgb p = x.pixel(column, row);
            const QRgb q = y.pixel(column, row);
            if (qAbs(qRed(p) - qRed(q)) > tolerance || qAbs(qGreen(p) - qGreen(q)) > tolerance ||
                qAbs(qBlue(p) - qBlue(q)) > tolerance || qAbs(qAlpha(p) - qAlpha(q)) > tolerance)
                ++differing;
        }
    }
    return differing;
}

/// The share of `region` whose pixels are within 8 of `colour` in every channel.
double shareOfColour(const QImage& image, const QRect& region, QColor colour) {
    const QImage x = argb(image);
    int matching = 0;
    for (int row = region.top(); row <= region.bottom(); ++row) {
        for (int column = region.left(); column <= region.right(); ++column) {
            const QRgb p = x.pixel(column, row);
            if (qAbs(qRed(p) - colour.red()) <= 8 && qAbs(qGreen(p) - colour.green()) <= 8 &&
                qAbs(qBlue(p) - colour.blue()) <= 8)
                ++matching;
        }
    }
    return double(matching) / double(region.width() * region.height());
}

// The photo area above the reading along its foot, which is on the screen, not in the portrait.
const QRect kPhotoArea(0, 0, 360, 440);

} // namespace

class Save : public AppFixture {
protected:
    // Pinned so that every portrait of a test has the same overlay.
    const ScopedRandomSource pinned{[] { return std::uint32_t(41); }};

    /// What the window shows now over the photo area.
    QImage screenShows() const { return argb(app->window()->grab(kPhotoArea).toImage()); }

    /// Saves as the save button does and returns the one new portrait of the album.
    QImage saveAndLoad() {
        const QStringList before = albumFiles();
        screen->save(screen->ui->save2);
        EXPECT_TRUE(toolkit::PhotoAlbum::shared().waitForQueuedWrites(30000));
        QCoreApplication::processEvents();
        QStringList added = albumFiles();
        for (const QString& name : before)
            added.removeAll(name);
        if (added.size() != 1) {
            ADD_FAILURE() << "expected one new portrait, found " << added.size();
            return QImage();
        }
        const QImage portrait(albumFolder + QLatin1Char('/') + added.first());
        EXPECT_FALSE(portrait.isNull()) << qPrintable(added.first());
        return argb(portrait);
    }

    void pickPhoto() {
        pickFromAlbum(picture(QStringLiteral("face.jpg"), QSize(600, 800), QColor(90, 140, 200)));
    }

    /// The cancel button of the camera page on screen (closed pages linger until deleted).
    QPushButton* visibleCancel() const {
        for (auto* button : app->window()->findChildren<QPushButton*>(QStringLiteral("cancel")))
            if (button->isVisible())
                return button;
        return nullptr;
    }

    /// A save that fails (a file lies where the album folder would be made), leaving its
    /// message over the window; the album is good again afterwards.
    void failASave() {
        QFile blocker(scratch.filePath(QStringLiteral("blocker")));
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        toolkit::PhotoAlbum::shared().setFolder(blocker.fileName() + QStringLiteral("/album"));
        screen->save(screen->ui->save2);
        ASSERT_TRUE(toolkit::PhotoAlbum::shared().waitForQueuedWrites(30000));
        QCoreApplication::processEvents();
        toolkit::PhotoAlbum::shared().setFolder(albumFolder);
    }

    bool xOutPairShown() const {
        return !screen->ui->xOut1->isHidden() && !screen->ui->xOut2->isHidden();
    }
};

// A portrait is the photo under its aura: whatever panel is open at the save, the file is
// the one saved with none, and the panel is closed afterwards.
TEST_F(Save, APortraitWithAnyPanelOpenEqualsTheOneWithNone) {
    pickPhoto();
    const QImage plain = saveAndLoad();
    ASSERT_EQ(plain.size(), QSize(360, 480));
    std::vector<std::pair<QString, std::function<void()>>> panels{
        {QStringLiteral("about"), [this] { screen->about(screen->ui->about2); }},
        {QStringLiteral("meanings"), [this] { screen->meanings(screen->ui->meanings2); }}};
    for (size_t i = 0; i < colourMeaningTable().size(); ++i) {
        const auto& own = VelmoraViewController::colourControls()[i];
        panels.emplace_back(QString::fromLatin1(colourMeaningTable()[i].colour), [this, &own] {
            screen->meanings(screen->ui->meanings2);
            (screen->*own.action)(screen->ui.get()->*own.button);
        });
    }
    for (const auto& [name, open] : panels) {
        SCOPED_TRACE(qPrintable(name));
        screen->xOut(screen->ui->xOut1);
        open();
        ASSERT_GT(differingPixels(screenShows(), plain, kPhotoArea), 1000) << "the panel shows";
        EXPECT_EQ(differingPixels(saveAndLoad(), plain, kPhotoArea), 0);
        EXPECT_TRUE(screen->ui->close->isHidden());
        EXPECT_TRUE(xOutPairShown());
        screen->xOut(screen->ui->xOut1);
        EXPECT_EQ(differingPixels(screenShows(), plain, kPhotoArea), 0) << "the panel is closed";
    }
}

TEST_F(Save, TheColourPickerIsNeverInThePortraitAndIsHiddenAfterwards) {
    pickPhoto();
    screen->meanings(screen->ui->meanings2);
    const QRect whiteButton = screen->ui->white->geometry();
    const QImage before = screenShows();
    ASSERT_GT(shareOfColour(before, whiteButton, Qt::white), 0.3) << "the white button shows";

    const QImage portrait = saveAndLoad();
    EXPECT_LT(shareOfColour(portrait, whiteButton, Qt::white), 0.05);
    EXPECT_GT(differingPixels(portrait, before, screen->ui->selectColor->geometry()), 100);
    for (size_t i = 0; i < colourMeaningTable().size(); ++i) {
        EXPECT_TRUE(
            (screen->ui.get()->*VelmoraViewController::colourControls()[i].button)->isHidden())
            << colourMeaningTable()[i].colour;
    }
    EXPECT_TRUE(screen->ui->selectColor->isHidden());
    screen->xOut(screen->ui->xOut1);
    EXPECT_EQ(differingPixels(portrait, screenShows(), kPhotoArea), 0);
}

// The notice of the previous save, and one the user had dismissed, are both kept out; it
// always shows after the save.
TEST_F(Save, TheNoticeIsNeverInThePortraitAndAlwaysShowsAfterwards) {
    pickPhoto();
    screen->xOut(screen->ui->xOut1);
    const QImage plain = screenShows();

    const QImage saved = saveAndLoad();
    EXPECT_EQ(differingPixels(saved, plain, kPhotoArea), 0);
    EXPECT_TRUE(xOutPairShown());
    EXPECT_GT(differingPixels(screenShows(), plain, screen->ui->xOut1->geometry()), 1000)
        << "the notice shows on the screen";
    // Below the notice lies the portrait: the reading's chips neither show through the
    // notice nor stick out under it, and come back with the notice dismissed.
    const int below = screen->ui->xOut1->geometry().bottom() + 1;
    const QRect foot(0, below, 360, 480 - below);
    auto footShown = [this] { return argb(app->window()->grab(QRect(0, 0, 360, 480)).toImage()); };
    EXPECT_EQ(differingPixels(footShown(), saved, foot, 2), 0) << "the reading under the notice";

    EXPECT_EQ(differingPixels(saveAndLoad(), plain, kPhotoArea), 0) << "saved while shown";
    EXPECT_TRUE(xOutPairShown());

    screen->xOut(screen->ui->xOut2);
    EXPECT_FALSE(xOutPairShown());
    EXPECT_GT(differingPixels(footShown(), saved, foot, 2), 100) << "the reading is back";
    EXPECT_EQ(differingPixels(saveAndLoad(), plain, kPhotoArea), 0) << "saved after dismissing";
    EXPECT_TRUE(xOutPairShown());
}

TEST_F(Save, BeforeAnyPhotoSavesTheHomeScreen) {
    ASSERT_FALSE(screen->ui->homeview->isHidden());
    const QImage home = screenShows();
    const QImage portrait = saveAndLoad();
    EXPECT_EQ(differingPixels(portrait, home, kPhotoArea), 0);
    const QImage homePicture =
        toolkit::Image::imageNamed(QStringLiteral("home.pixels"), 1.0).toQImage();
    ASSERT_EQ(homePicture.size(), QSize(360, 480));
    EXPECT_EQ(differingPixels(portrait, homePicture, kPhotoArea), 0);
    EXPECT_TRUE(xOutPairShown());
}

// A message about an earlier failure lies over the window for a few seconds; it tells the
// user something and is no part of the portrait.
TEST_F(Save, AMessageOverTheWindowIsNotInThePortrait) {
    pickPhoto();
    const QImage plain = screenShows();
    failASave();
    ASSERT_FALSE(app->window()->message().isEmpty());
    ASSERT_GT(differingPixels(screenShows(), plain, kPhotoArea), 1000);
    EXPECT_EQ(differingPixels(saveAndLoad(), plain, kPhotoArea), 0);
}

TEST_F(Save, AFailedSaveSaysWhyAndTakesTheNoticeBack) {
    pickPhoto();
    QFile blocker(scratch.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString unusable = blocker.fileName() + QStringLiteral("/album");
    toolkit::PhotoAlbum::shared().setFolder(unusable);
    screen->save(screen->ui->save2);
    EXPECT_TRUE(xOutPairShown()) << "shown at once, as the save returns";
    ASSERT_TRUE(toolkit::PhotoAlbum::shared().waitForQueuedWrites(30000));
    QCoreApplication::processEvents();

    EXPECT_FALSE(xOutPairShown()) << "the notice does not claim a portrait that is not there";
    EXPECT_TRUE(app->window()->message().contains(unusable))
        << qPrintable(app->window()->message());
    EXPECT_TRUE(albumFiles().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(unusable));

    // The next save into a good folder works and says so.
    toolkit::PhotoAlbum::shared().setFolder(albumFolder);
    const QImage portrait = saveAndLoad();
    EXPECT_EQ(portrait.size(), QSize(360, 480));
    EXPECT_TRUE(xOutPairShown());
}

TEST_F(Save, ThePortraitHasTheSizerSizeWhateverThePhoto) {
    ASSERT_EQ(screen->ui->sizer->rect().size(), QSize(360, 480));
    struct Case {
        const char* name;
        QSize size;
    };
    for (const Case& c : {Case{"tiny.png", QSize(7, 5)}, Case{"wide.jpg", QSize(3000, 400)},
                          Case{"tall.jpg", QSize(300, 2400)}, Case{"exact.png", QSize(360, 480)},
                          Case{"large.jpg", QSize(4000, 3000)}}) {
        SCOPED_TRACE(c.name);
        pickFromAlbum(picture(QString::fromLatin1(c.name), c.size, QColor(30, 160, 90)));
        const QImage portrait = saveAndLoad();
        EXPECT_EQ(portrait.size(), QSize(360, 480));
        // The photo fills the whole area under its aura, as the screen shows it.
        screen->xOut(screen->ui->xOut1);
        EXPECT_EQ(differingPixels(portrait, screenShows(), kPhotoArea), 0);
    }
}

// Cancelling the chooser or the camera, or a refused file, leaves the screen as it was, and
// so the next portrait: no framing outline over the photo, the home picture back.
TEST_F(Save, APickEndingWithoutAPhotoLeavesScreenAndPortraitAsTheyWere) {
    const QString refused = scratch.filePath(QStringLiteral("empty.jpg"));
    QFile(refused).open(QIODevice::WriteOnly);
    const std::vector<std::pair<const char*, std::function<void()>>> endings{
        {"chooser cancelled", [this] { pickFromAlbum(QString()); }},
        {"file refused",
         [this, refused] {
             pickFromAlbum(refused);
             ASSERT_TRUE(app->window()->dismissMessage());
         }},
        {"camera cancelled", [this] {
             screen->getPhoto(screen->ui->takePhotoBtn);
             ASSERT_TRUE(visibleCancel());
             visibleCancel()->click();
             ASSERT_TRUE(waitUntil([this] { return !screen->modalViewController(); }));
         }}};

    const QImage home = screenShows();
    for (const auto& [name, end] : endings) {
        SCOPED_TRACE(name);
        end();
        EXPECT_EQ(differingPixels(screenShows(), home, kPhotoArea), 0) << "on the home screen";
    }
    pickPhoto();
    const QImage portrait = saveAndLoad();
    screen->xOut(screen->ui->xOut1);
    const QImage shown = screenShows();
    for (const auto& [name, end] : endings) {
        SCOPED_TRACE(name);
        end();
        EXPECT_EQ(differingPixels(screenShows(), shown, kPhotoArea), 0) << "over the photo";
        EXPECT_EQ(differingPixels(saveAndLoad(), portrait, kPhotoArea), 0);
        screen->xOut(screen->ui->xOut1);
    }
}

// The notice says which file the portrait went to; a long folder is shortened in the
// middle, and the whole path is at hand in the tooltip.
TEST_F(Save, TheNoticeNamesTheSavedFile) {
    const QString deep = scratch.filePath(QStringLiteral("a-folder-with-a-rather-long-name/"
                                                         "and-another-one-inside-it/album"));
    toolkit::PhotoAlbum::shared().setFolder(deep);
    screen->save(screen->ui->save2);
    ASSERT_TRUE(toolkit::PhotoAlbum::shared().waitForQueuedWrites(30000));
    QCoreApplication::processEvents();
    const QStringList saved = QDir(deep).entryList({QStringLiteral("*.png")});
    ASSERT_EQ(saved.size(), 1);
    EXPECT_TRUE(screen->ui->xOut1->text().contains(saved.first()))
        << qPrintable(screen->ui->xOut1->text());
    EXPECT_EQ(screen->ui->xOut1->toolTip(),
              QDir::toNativeSeparators(deep + QLatin1Char('/') + saved.first()));
    const QFontMetrics metrics = screen->ui->xOut1->fontMetrics();
    for (const QString& line : screen->ui->xOut1->text().split(QLatin1Char('\n')))
        EXPECT_LE(metrics.horizontalAdvance(line), screen->ui->xOut1->contentsRect().width())
            << qPrintable(line);
}

// After a save the notice offers the portrait itself: Copy puts exactly the saved pixels on
// the clipboard.
TEST_F(Save, TheNoticeCopiesThePortrait) {
    pickPhoto();
    const QImage portrait = saveAndLoad();
    auto* copy = screen->ui->xOut1->findChild<QToolButton*>(QStringLiteral("copyPortrait"));
    ASSERT_TRUE(copy && copy->isVisible());
    QGuiApplication::clipboard()->clear();
    copy->click();
    const QImage copied = QGuiApplication::clipboard()->image();
    ASSERT_EQ(copied.size(), portrait.size());
    EXPECT_EQ(differingPixels(copied, portrait, kPhotoArea), 0);
    screen->xOut(screen->ui->xOut2);
    EXPECT_FALSE(copy->isVisible()) << "dismissing the notice takes its actions along";
}

// Messages are for reading: they lie over whatever the screen raises later, Esc takes
// them away, and a drop Velmora cannot take is answered rather than ignored.
TEST_F(Save, MessagesAreSeenAndCanBeDismissed) {
    toolkit::Window* window = app->window();
    auto* message = window->findChild<QLabel*>(QStringLiteral("windowMessage"));
    ASSERT_TRUE(message);
    auto drawnOnTop = [&] {
        const QPoint inside = message->geometry().topLeft() + QPoint(4, message->height() / 2);
        const QColor seen = window->grab().toImage().pixelColor(inside);
        return window->childAt(inside) == message && seen.red() > 100 && seen.green() < 70;
    };

    const QString refused = scratch.filePath(QStringLiteral("empty.png"));
    QFile(refused).open(QIODevice::WriteOnly);
    pickFromAlbum(refused);
    EXPECT_TRUE(window->message().contains(QStringLiteral("empty.png")));
    EXPECT_TRUE(drawnOnTop()) << "the refusal is hidden under the screen";

    failASave();
    screen->getPhoto(screen->ui->takePhotoBtn);
    ASSERT_TRUE(visibleCancel());
    visibleCancel()->click();
    ASSERT_TRUE(waitUntil([this] { return !screen->modalViewController(); }));
    EXPECT_TRUE(drawnOnTop()) << "a cancelled pick buried the failed save's message";

    QTest::keyClick(screen->view(), Qt::Key_Escape);
    EXPECT_TRUE(window->message().isEmpty());
    EXPECT_FALSE(drawnOnTop());

    auto drop = [window](const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        QDropEvent event(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        // Straight to the window: the application delivers drops only during a real drag.
        static_cast<QObject*>(window)->event(&event);
    };
    drop({QUrl::fromLocalFile(picture(QStringLiteral("a.png"), QSize(8, 8))),
          QUrl::fromLocalFile(picture(QStringLiteral("b.png"), QSize(8, 8)))});
    EXPECT_TRUE(window->message().contains(QStringLiteral("one picture")))
        << qPrintable(window->message());
    drop({QUrl(QStringLiteral("https://example.org/face.jpg"))});
    EXPECT_TRUE(window->message().contains(QStringLiteral("https://example.org/face.jpg")));
    EXPECT_TRUE(screen->ui->first->isVisible()) << "nothing was opened";
}
