#include "ColourMeaning.h"
#include "Image.h"
#include "PhotoAlbum.h"
#include "Random.h"
#include "TestSupport.h"
#include "Window.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSet>

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

const QRect kPhotoArea(0, 0, 360, 480);

} // namespace

class Save : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        // Pinned so that every portrait of a test has the same overlay.
        toolkit::setRandomSource([] { return std::uint32_t(41); });
    }
    void TearDown() override {
        toolkit::setRandomSource({});
        AppFixture::TearDown();
    }

    /// What the window shows now over the photo area.
    QImage screenShows() const { return argb(app->window()->grab(kPhotoArea).toImage()); }

    /// Saves as the save button does and returns the one new portrait of the album.
    QImage saveAndLoad() {
        const QStringList before = albumFiles();
        screen->save(screen->save2);
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

    bool xOutPairShown() const { return !screen->xOut1->isHidden() && !screen->xOut2->isHidden(); }
};

// Meanings laid on goldText, turquoiseText and the others are part of the portrait; those
// laid on auraText and pinkText are taken away by the save, as is the about text.
TEST_F(Save, KeepsOnlyTheMeaningsNotLaidOnAuraOrPinkText) {
    pickPhoto();
    for (const ColourMeaning& row : colourMeaningTable()) {
        SCOPED_TRACE(row.colour);
        screen->meanings(screen->meanings2);
        (screen->*row.action)(screen->*row.button);
        toolkit::TextView* text = screen->*row.textView;
        ASSERT_FALSE(text->isHidden());
        const bool leftOut = text == screen->auraText || text == screen->pinkText;
        const QImage before = screenShows();
        // What the save takes away or keeps is really on the screen: the meaning's
        // background, and its words in another colour on it.
        const QColor background = row.background ? row.background() : text->backgroundColor();
        EXPECT_GT(shareOfColour(before, text->geometry(), background), 0.4);
        EXPECT_GT(shareOfColour(before, text->geometry(), text->textColor()), 0.01);

        const QImage portrait = saveAndLoad();
        ASSERT_EQ(portrait.size(), QSize(360, 480));
        EXPECT_EQ(text->isHidden(), leftOut);
        EXPECT_FALSE(screen->close->isHidden()) << "the save leaves the close bar alone";
        EXPECT_EQ(differingPixels(portrait, before, screen->close->geometry()), 0)
            << "the close bar is in the portrait";
        if (leftOut) {
            EXPECT_GT(differingPixels(portrait, before, text->geometry()), 1000)
                << "the text is not in the portrait";
        } else {
            EXPECT_EQ(differingPixels(portrait, before, text->geometry()), 0);
        }
        // Whatever the save hid, the portrait is what the screen shows without the notice.
        screen->xOut(screen->xOut1);
        EXPECT_EQ(differingPixels(portrait, screenShows(), kPhotoArea), 0);
        screen->closeC(screen->closeB);
    }
}

TEST_F(Save, TheGoldMeaningIsInThePortraitOnItsBackground) {
    pickPhoto();
    screen->meanings(screen->meanings2);
    screen->getColorGold(screen->gold);
    const QImage portrait = saveAndLoad();

    const QRect gold = screen->goldText->geometry();
    EXPECT_GT(shareOfColour(portrait, gold, screen->goldText->backgroundColor()), 0.4);
    EXPECT_LT(shareOfColour(portrait, gold, QColor(90, 140, 200)), 0.05) << "the photo is covered";

    // The bar is there: the same place without it looks different.
    screen->closeC(screen->closeB);
    screen->xOut(screen->xOut1);
    EXPECT_GT(differingPixels(portrait, screenShows(), screen->close->geometry()), 1000);
}

TEST_F(Save, TheAboutTextIsLeftOutButTheCloseBarStays) {
    pickPhoto();
    screen->about(screen->about2);
    const QImage portrait = saveAndLoad();
    EXPECT_TRUE(screen->auraText->isHidden());
    EXPECT_FALSE(screen->close->isHidden());
    screen->xOut(screen->xOut1);
    EXPECT_EQ(differingPixels(portrait, screenShows(), kPhotoArea), 0);
    EXPECT_LT(shareOfColour(portrait, screen->auraText->geometry(), Qt::white), 0.05);
}

TEST_F(Save, TheColourPickerIsNeverInThePortraitAndIsHiddenAfterwards) {
    pickPhoto();
    screen->meanings(screen->meanings2);
    const QRect whiteButton = screen->white->geometry();
    const QImage before = screenShows();
    ASSERT_GT(shareOfColour(before, whiteButton, Qt::white), 0.3) << "the white button shows";

    const QImage portrait = saveAndLoad();
    EXPECT_LT(shareOfColour(portrait, whiteButton, Qt::white), 0.05);
    EXPECT_GT(differingPixels(portrait, before, screen->selectColor->geometry()), 100);
    for (const ColourMeaning& row : colourMeaningTable())
        EXPECT_TRUE((screen->*row.button)->isHidden()) << row.colour;
    EXPECT_TRUE(screen->selectColor->isHidden());
    screen->xOut(screen->xOut1);
    EXPECT_EQ(differingPixels(portrait, screenShows(), kPhotoArea), 0);
}

// The notice of the previous save, and one the user had dismissed, are both kept out; it
// always shows after the save.
TEST_F(Save, TheNoticeIsNeverInThePortraitAndAlwaysShowsAfterwards) {
    pickPhoto();
    screen->xOut(screen->xOut1);
    const QImage plain = screenShows();

    EXPECT_EQ(differingPixels(saveAndLoad(), plain, kPhotoArea), 0);
    EXPECT_TRUE(xOutPairShown());
    EXPECT_GT(differingPixels(screenShows(), plain, screen->xOut1->geometry()), 1000)
        << "the notice shows on the screen";

    EXPECT_EQ(differingPixels(saveAndLoad(), plain, kPhotoArea), 0) << "saved while shown";
    EXPECT_TRUE(xOutPairShown());

    screen->xOut(screen->xOut2);
    EXPECT_FALSE(xOutPairShown());
    EXPECT_EQ(differingPixels(saveAndLoad(), plain, kPhotoArea), 0) << "saved after dismissing";
    EXPECT_TRUE(xOutPairShown());
}

TEST_F(Save, BeforeAnyPhotoSavesTheHomeScreen) {
    ASSERT_FALSE(screen->homeview->isHidden());
    const QImage home = screenShows();
    const QImage portrait = saveAndLoad();
    EXPECT_EQ(differingPixels(portrait, home, kPhotoArea), 0);
    const QImage homePicture = toolkit::Image::imageNamed(QStringLiteral("home.png")).toQImage();
    if (homePicture.size() == QSize(360, 480) && !homePicture.hasAlphaChannel()) {
        EXPECT_EQ(differingPixels(portrait, homePicture, kPhotoArea, 2), 0);
    }
    EXPECT_TRUE(xOutPairShown());
}

// A message about an earlier failure lies over the window for a few seconds; it tells the
// user something and is no part of the portrait.
TEST_F(Save, AMessageOverTheWindowIsNotInThePortrait) {
    pickPhoto();
    const QImage plain = screenShows();
    emit toolkit::PhotoAlbum::shared().failed(QStringLiteral("/nowhere: Permission denied"));
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
    screen->save(screen->save2);
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
    ASSERT_EQ(screen->sizer->rect().size(), QSize(360, 480));
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
        screen->xOut(screen->xOut1);
        EXPECT_EQ(differingPixels(portrait, screenShows(), kPhotoArea), 0);
    }
}
