#include "TestSupport.h"
#include "app/AboutText.h"
#include "app/ColourMeaning.h"
#include "art/AuraColourTable.h"
#include "base/Resources.h"
#include "portrait/AuraReading.h"
#include "ui/Color.h"
#include "ui/TextView.h"

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTest>
#include <algorithm>

using toolkit::Color;

namespace {
std::vector<QWidget*> colourPicker(VelmoraViewController* s) {
    return {s->ui->selectColor, s->ui->white, s->ui->silver,    s->ui->black,  s->ui->red,
            s->ui->orange,      s->ui->pink,  s->ui->yellow,    s->ui->gold,   s->ui->green,
            s->ui->brown,       s->ui->blue,  s->ui->tourquise, s->ui->purple, s->ui->indigo,
            s->ui->lavendar,    s->ui->violet};
}
std::vector<QWidget*> meaningTexts(VelmoraViewController* s) {
    return {s->ui->auraText,   s->ui->pinkText,     s->ui->goldText,  s->ui->turquoiseText,
            s->ui->indigoText, s->ui->lavenderText, s->ui->violetText};
}
int shownCount(const std::vector<QWidget*>& elements) {
    int n = 0;
    for (QWidget* w : elements)
        n += w->isHidden() ? 0 : 1;
    return n;
}
} // namespace

class Panels : public AppFixture {};

TEST_F(Panels, AboutReplacesAMeaningOnAuraTextAndHidesADedicatedOne) {
    screen->meanings(nullptr);
    screen->getColorRed(nullptr);
    ASSERT_EQ(screen->ui->auraText->backgroundColor(), Color::redColor());
    screen->about(nullptr);
    EXPECT_EQ(screen->ui->auraText->text(), QString::fromUtf8(kAboutText));
    EXPECT_EQ(screen->ui->auraText->backgroundColor(), Color::whiteColor());
    EXPECT_FALSE(screen->ui->auraText->isHidden());
    EXPECT_FALSE(screen->ui->close->isHidden());
    EXPECT_EQ(shownCount(colourPicker(screen)), 0);

    screen->meanings(nullptr);
    screen->getColorGold(nullptr);
    screen->ui->xOut1->setHidden(false);
    screen->ui->xOut2->setHidden(false);
    screen->about(nullptr);
    EXPECT_TRUE(screen->ui->goldText->isHidden());
    EXPECT_EQ(shownCount(meaningTexts(screen)), 1);
    EXPECT_TRUE(screen->ui->xOut1->isHidden());
    EXPECT_TRUE(screen->ui->xOut2->isHidden());
}

TEST_F(Panels, MeaningsFromAboutShowsAllSeventeenPickerElements) {
    screen->about(nullptr);
    screen->ui->xOut1->setHidden(false);
    screen->meanings(nullptr);
    EXPECT_TRUE(screen->ui->auraText->isHidden());
    EXPECT_EQ(shownCount(meaningTexts(screen)), 0);
    EXPECT_EQ(shownCount(colourPicker(screen)), 17);
    EXPECT_FALSE(screen->ui->close->isHidden());
    EXPECT_TRUE(screen->ui->xOut1->isHidden());
}

TEST_F(Panels, CloseHidesEveryPanelButNeverBringsBackTheXOutPair) {
    const QImage before = app->window()->grab().toImage();
    screen->closeC(nullptr);
    EXPECT_EQ(app->window()->grab().toImage(), before) << "nothing open: nothing changes";

    screen->meanings(nullptr);
    screen->getColorBlue(nullptr);
    screen->closeC(nullptr);
    EXPECT_TRUE(screen->ui->close->isHidden());
    EXPECT_EQ(shownCount(meaningTexts(screen)), 0);
    EXPECT_EQ(shownCount(colourPicker(screen)), 0);
    EXPECT_TRUE(screen->ui->xOut1->isHidden());
    EXPECT_TRUE(screen->ui->xOut2->isHidden());
    EXPECT_EQ(screen->ui->auraText->backgroundColor(), Color::blueColor()) << "close only hides";
}

TEST_F(Panels, XOutHidesOnlyThePair) {
    screen->meanings(nullptr);
    screen->getColorPink(nullptr);
    screen->ui->xOut1->setHidden(false);
    screen->ui->xOut2->setHidden(false);
    screen->xOut(screen->ui->xOut2);
    EXPECT_TRUE(screen->ui->xOut1->isHidden());
    EXPECT_TRUE(screen->ui->xOut2->isHidden());
    EXPECT_FALSE(screen->ui->close->isHidden());
    EXPECT_FALSE(screen->ui->pinkText->isHidden());
}

TEST_F(Panels, EachColourShowsItsMeaningInItsViewOnItsBackground) {
    struct Expected {
        void (VelmoraViewController::*action)(QObject*);
        toolkit::TextView* view;
        QColor background; // invalid: the view keeps the layout's look
    };
    auto* s = screen;
    const Expected table[] = {
        {&VelmoraViewController::getColorViolet, s->ui->violetText, {}},
        {&VelmoraViewController::getColorLavendar, s->ui->lavenderText, {}},
        {&VelmoraViewController::getColorIndigo, s->ui->indigoText, {}},
        {&VelmoraViewController::getColorPurple, s->ui->auraText, Color::purpleColor()},
        {&VelmoraViewController::getColorTourquise, s->ui->turquoiseText, {}},
        {&VelmoraViewController::getColorBlue, s->ui->auraText, Color::blueColor()},
        {&VelmoraViewController::getColorBrown, s->ui->auraText, Color::brownColor()},
        {&VelmoraViewController::getColorGreen, s->ui->auraText, Color::greenColor()},
        {&VelmoraViewController::getColorGold, s->ui->goldText, {}},
        {&VelmoraViewController::getColorYellow, s->ui->auraText, Color::yellowColor()},
        {&VelmoraViewController::getColorPink, s->ui->pinkText, {}},
        {&VelmoraViewController::getColorOrange, s->ui->auraText, Color::orangeColor()},
        {&VelmoraViewController::getColorRed, s->ui->auraText, Color::redColor()},
        {&VelmoraViewController::getColorBlack, s->ui->auraText, Color::whiteColor()},
        {&VelmoraViewController::getColorSilver, s->ui->auraText, Color::lightGrayColor()},
        {&VelmoraViewController::getColorWhite, s->ui->auraText, Color::whiteColor()},
    };
    ASSERT_EQ(std::size(table), colourMeaningTable().size());
    for (size_t i = 0; i < std::size(table); ++i) {
        const Expected& e = table[i];
        const ColourMeaning& row = colourMeaningTable()[i];
        SCOPED_TRACE(row.colour);
        // The about text on auraText first: a dedicated view must leave it untouched.
        screen->about(nullptr);
        screen->meanings(nullptr);
        const QColor dedicatedBefore = e.view->backgroundColor();
        (screen->*e.action)(nullptr);

        EXPECT_FALSE(screen->ui->close->isHidden());
        EXPECT_FALSE(e.view->isHidden());
        EXPECT_EQ(shownCount(meaningTexts(screen)), 1);
        EXPECT_EQ(shownCount(colourPicker(screen)), 0);
        EXPECT_EQ(e.view->text(), QString::fromUtf8(row.text));
        if (e.background.isValid()) {
            EXPECT_EQ(e.view->backgroundColor(), e.background);
        } else {
            EXPECT_EQ(e.view->backgroundColor(), dedicatedBefore);
            EXPECT_EQ(screen->ui->auraText->text(), QString::fromUtf8(kAboutText));
            EXPECT_EQ(screen->ui->auraText->backgroundColor(), Color::whiteColor());
        }
        EXPECT_GE(Color::contrastRatio(e.view->textColor(), e.view->backgroundColor()), 4.5);
    }
}

TEST_F(Panels, EachAuraTextColourReplacesTextAndBackground) {
    screen->meanings(nullptr);
    screen->getColorRed(nullptr);
    screen->meanings(nullptr);
    screen->getColorPurple(nullptr);
    EXPECT_TRUE(screen->ui->auraText->text().startsWith(QStringLiteral("Purple aura color")));
    EXPECT_EQ(screen->ui->auraText->backgroundColor(), Color::purpleColor());
}

TEST_F(Panels, TheColourButtonsSendTheirOwnActions) {
    for (size_t i = 0; i < colourMeaningTable().size(); ++i) {
        const ColourMeaning& row = colourMeaningTable()[i];
        const auto& own = VelmoraViewController::colourControls()[i];
        SCOPED_TRACE(row.colour);
        screen->meanings(nullptr);
        (screen->ui.get()->*own.button)->click();
        EXPECT_FALSE((screen->ui.get()->*own.textView)->isHidden());
        EXPECT_EQ((screen->ui.get()->*own.textView)->text(), QString::fromUtf8(row.text));
        EXPECT_FALSE((screen->ui.get()->*own.button)->accessibleName().isEmpty());
    }
}

TEST_F(Panels, KeyboardShortcutsOpenAndCloseThePanels) {
    auto press = [this](const QKeySequence& keys) {
        for (QShortcut* shortcut : screen->view()->findChildren<QShortcut*>()) {
            if (shortcut->key() == keys) {
                emit shortcut->activated();
                return true;
            }
        }
        return false;
    };
    ASSERT_TRUE(press(QKeySequence(Qt::CTRL | Qt::Key_M)));
    EXPECT_EQ(shownCount(colourPicker(screen)), 17);
    ASSERT_TRUE(press(QKeySequence(Qt::Key_Escape)));
    EXPECT_TRUE(screen->ui->close->isHidden());
    EXPECT_EQ(shownCount(colourPicker(screen)), 0);
    ASSERT_TRUE(press(QKeySequence(Qt::Key_F1)));
    EXPECT_FALSE(screen->ui->auraText->isHidden());
    ASSERT_TRUE(press(QKeySequence(Qt::Key_Escape)));
    EXPECT_TRUE(screen->ui->auraText->isHidden());
}

TEST(Texts, TheMeaningsHaveTheirOpeningsLengthsAndSpelling) {
    const std::pair<const char*, int> expected[] = {
        {"Violet aura color in a person represents both psychic ability", 381},
        {"Lavender aura color relates to dreams, visions and the imagination.", 308},
        {"Indigo aura color indicates a person with psychic awareness or ability.", 371},
        {"Purple aura color shows a noble nature.", 256},
        {"Turquoise is a healing color.", 352},
        {"Blue aura color indicates calm, sensitivity, compassion and intuition.", 343},
        {"Brown aura color represents goodness and possible growth.", 426},
        {"Green aura color represents the earth.", 414},
        {"Gold is the color of spiritual guidance.", 364},
        {"Yellow is the color of spiritual and intellectual awakening.", 477},
        {"Pink aura represents love, compassion, sensitivity, affection", 361},
        {"Orange as a aura color represents the ability to be external.", 340},
        {"Red has to do with the physical body.", 366},
        {"Black pulls in light and energy.", 467},
        {"Silver is the color of prosperity.", 363},
        {"White represents pure energy or light.", 442},
    };
    for (size_t i = 0; i < std::size(expected); ++i) {
        const QString text = QString::fromUtf8(colourMeaningTable()[i].text);
        SCOPED_TRACE(colourMeaningTable()[i].colour);
        EXPECT_TRUE(text.startsWith(QString::fromUtf8(expected[i].first)));
        EXPECT_EQ(text.size(), expected[i].second);
        EXPECT_FALSE(text.contains(QLatin1Char('\n')));
        EXPECT_TRUE(text.contains(QStringLiteral("color")));
        EXPECT_FALSE(text.contains(QStringLiteral("colour")));
    }
}

TEST(Texts, TheAboutTextHasItsStructure) {
    const QStringList lines = QString::fromUtf8(kAboutText).split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 6);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral(
        "Velmora gives the ability to photograph aura and energy signatures of people and "
        "various settings.")));
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral(". ")));
    EXPECT_TRUE(lines[1].isEmpty());
    EXPECT_EQ(lines[2],
              QStringLiteral(" Keep the following suggests in mind when using this application: "));
    EXPECT_TRUE(lines[3].startsWith(QStringLiteral(" 1.)")));
    EXPECT_TRUE(lines[4].startsWith(QStringLiteral(" 2.)")));
    EXPECT_TRUE(lines[5].startsWith(QStringLiteral(" 3.)")));
}

// A meaning read to its end opens at its start the next time, whichever colour was read.
TEST_F(Panels, AMeaningReopensAtItsStart) {
    for (const AuraPalette::Colour colour : {AuraPalette::Gold, AuraPalette::Blue}) {
        const auto& own = VelmoraViewController::colourControls()[colour];
        screen->meanings(nullptr);
        (screen->*own.action)(nullptr);
        toolkit::TextView* text = screen->ui.get()->*own.textView;
        // Short, as on a small screen or in large type, so that the meaning scrolls.
        text->resize(text->width(), 60);
        QScrollBar* bar = text->verticalScrollBar();
        ASSERT_GT(bar->maximum(), 0) << "the meaning is too short to scroll";
        bar->setValue(bar->maximum());
        screen->closeC(nullptr);
        screen->meanings(nullptr);
        (screen->*own.action)(nullptr);
        EXPECT_EQ(bar->value(), 0) << colourMeaningTable()[colour].colour;
        screen->closeC(nullptr);
    }
}

// In the 4 × 4 colour grid the arrow keys move as the grid is laid out: Down to the colour
// below, Right to the next in the row.
TEST_F(Panels, ArrowKeysMoveThroughTheColourGridByRowAndColumn) {
    screen->meanings(nullptr);
    QList<QPushButton*> grid;
    for (const auto& row : VelmoraViewController::colourControls())
        grid << screen->ui.get()->*row.button;
    std::sort(grid.begin(), grid.end(), [](const QWidget* a, const QWidget* b) {
        return std::pair(a->y(), a->x()) < std::pair(b->y(), b->x());
    });
    ASSERT_EQ(grid.size(), 16);
    for (int i = 0; i < 12; ++i) {
        grid[i]->setFocus();
        QTest::keyClick(grid[i], Qt::Key_Down);
        EXPECT_EQ(app->window()->focusWidget(), grid[i + 4]) << grid[i]->objectName().toStdString();
        QTest::keyClick(grid[i + 4], Qt::Key_Up);
        EXPECT_EQ(app->window()->focusWidget(), grid[i]);
        if (i % 4 != 3) {
            QTest::keyClick(grid[i], Qt::Key_Right);
            EXPECT_EQ(app->window()->focusWidget(), grid[i + 1]);
        }
    }
}

// Around an open panel the picture beneath is veiled, so that it does not read through; the
// veil goes with the panel.
TEST_F(Panels, AnOpenPanelVeilsThePictureAroundIt) {
    const QRect margin(336, 280, 20, 60); // right of the text, where the home picture glows
    auto lightness = [this, margin] {
        const QImage shown = app->window()->grab(margin).toImage();
        double sum = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x)
                sum += QColor(shown.pixel(x, y)).lightnessF();
        return sum / (shown.width() * shown.height());
    };
    const double open = [&] {
        screen->about(nullptr);
        return lightness();
    }();
    screen->closeC(nullptr);
    const double closed = lightness();
    EXPECT_LT(open, closed * 0.5) << open << " against " << closed;
}

// The reading names the colours the overlay's table gives, in their places, each opening its
// own meaning; a new photo with another aura gets its own reading, and Meanings rings the
// portrait's colours in the grid.
TEST_F(Panels, TheReadingNamesTheAurasColoursAndOpensTheirMeanings) {
    QFile file(toolkit::resourcePath() + QStringLiteral("/auras.tsv"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const auto table = AuraColourTable::fromText(file.readAll(), nullptr);
    ASSERT_TRUE(table);
    auto shown = [this] {
        QStringList labels;
        for (auto* button : screen->view()->findChildren<QPushButton*>())
            if (button->objectName().startsWith(QLatin1String("readingColour")) &&
                button->isVisible())
                labels << button->text();
        return labels;
    };
    EXPECT_TRUE(shown().isEmpty()) << "a reading on the home screen";
    for (const int number : {3, 58}) {
        SCOPED_TRACE(number);
        screen->setFixedAura(number);
        pickFromAlbum(picture(QStringLiteral("sitter-%1.png").arg(number), QSize(300, 400)));
        QStringList expected;
        auto entries = table->colours(number);
        std::stable_sort(entries.begin(), entries.end(),
                         [](const auto& p, const auto& q) { return p.place < q.place; });
        for (const auto& entry : entries)
            expected << AuraReading::label(entry);
        ASSERT_FALSE(expected.isEmpty());
        EXPECT_EQ(shown(), expected);

        auto* first = screen->view()->findChild<QPushButton*>(QStringLiteral("readingColour1"));
        ASSERT_TRUE(first);
        first->click();
        const auto& own = VelmoraViewController::colourControls()[entries.first().colour];
        toolkit::TextView* text = screen->ui.get()->*own.textView;
        EXPECT_TRUE(text->isVisible()) << "the colour's meaning is not open";
        screen->closeC(screen->ui->closeB);

        screen->meanings(screen->ui->meanings2);
        QPushButton* ringed = screen->ui.get()->*own.button;
        EXPECT_FALSE(ringed->accessibleDescription().isEmpty()) << "not marked in the grid";
        screen->closeC(screen->ui->closeB);
    }
}
