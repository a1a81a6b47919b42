#include "TestSupport.h"
#include "app/AboutText.h"
#include "app/ColourMeaning.h"
#include "ui/Color.h"

#include <QShortcut>

using toolkit::Color;

namespace {
std::vector<QWidget*> colourPicker(VelmoraViewController* s) {
    return {s->selectColor, s->white,  s->silver, s->black,    s->red,   s->orange,
            s->pink,        s->yellow, s->gold,   s->green,    s->brown, s->blue,
            s->tourquise,   s->purple, s->indigo, s->lavendar, s->violet};
}
std::vector<QWidget*> meaningTexts(VelmoraViewController* s) {
    return {s->auraText,   s->pinkText,     s->goldText,  s->turquoiseText,
            s->indigoText, s->lavenderText, s->violetText};
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
    ASSERT_EQ(screen->auraText->backgroundColor(), Color::redColor());
    screen->about(nullptr);
    EXPECT_EQ(screen->auraText->text(), QString::fromUtf8(kAboutText));
    EXPECT_EQ(screen->auraText->backgroundColor(), Color::whiteColor());
    EXPECT_FALSE(screen->auraText->isHidden());
    EXPECT_FALSE(screen->close->isHidden());
    EXPECT_EQ(shownCount(colourPicker(screen)), 0);

    screen->meanings(nullptr);
    screen->getColorGold(nullptr);
    screen->xOut1->setHidden(false);
    screen->xOut2->setHidden(false);
    screen->about(nullptr);
    EXPECT_TRUE(screen->goldText->isHidden());
    EXPECT_EQ(shownCount(meaningTexts(screen)), 1);
    EXPECT_TRUE(screen->xOut1->isHidden());
    EXPECT_TRUE(screen->xOut2->isHidden());
}

TEST_F(Panels, MeaningsFromAboutShowsAllSeventeenPickerElements) {
    screen->about(nullptr);
    screen->xOut1->setHidden(false);
    screen->meanings(nullptr);
    EXPECT_TRUE(screen->auraText->isHidden());
    EXPECT_EQ(shownCount(meaningTexts(screen)), 0);
    EXPECT_EQ(shownCount(colourPicker(screen)), 17);
    EXPECT_FALSE(screen->close->isHidden());
    EXPECT_TRUE(screen->xOut1->isHidden());
}

TEST_F(Panels, CloseHidesEveryPanelButNeverBringsBackTheXOutPair) {
    const QImage before = app->window()->grab().toImage();
    screen->closeC(nullptr);
    EXPECT_EQ(app->window()->grab().toImage(), before) << "nothing open: nothing changes";

    screen->meanings(nullptr);
    screen->getColorBlue(nullptr);
    screen->closeC(nullptr);
    EXPECT_TRUE(screen->close->isHidden());
    EXPECT_EQ(shownCount(meaningTexts(screen)), 0);
    EXPECT_EQ(shownCount(colourPicker(screen)), 0);
    EXPECT_TRUE(screen->xOut1->isHidden());
    EXPECT_TRUE(screen->xOut2->isHidden());
    EXPECT_EQ(screen->auraText->backgroundColor(), Color::blueColor()) << "close only hides";
}

TEST_F(Panels, XOutHidesOnlyThePair) {
    screen->meanings(nullptr);
    screen->getColorPink(nullptr);
    screen->xOut1->setHidden(false);
    screen->xOut2->setHidden(false);
    screen->xOut(screen->xOut2);
    EXPECT_TRUE(screen->xOut1->isHidden());
    EXPECT_TRUE(screen->xOut2->isHidden());
    EXPECT_FALSE(screen->close->isHidden());
    EXPECT_FALSE(screen->pinkText->isHidden());
}

TEST_F(Panels, EachColourShowsItsMeaningInItsViewOnItsBackground) {
    struct Expected {
        void (VelmoraViewController::*action)(QObject*);
        toolkit::TextView* view;
        QColor background; // invalid: the view keeps the layout's look
    };
    auto* s = screen;
    const Expected table[] = {
        {&VelmoraViewController::getColorViolet, s->violetText, {}},
        {&VelmoraViewController::getColorLavendar, s->lavenderText, {}},
        {&VelmoraViewController::getColorIndigo, s->indigoText, {}},
        {&VelmoraViewController::getColorPurple, s->auraText, Color::purpleColor()},
        {&VelmoraViewController::getColorTourquise, s->turquoiseText, {}},
        {&VelmoraViewController::getColorBlue, s->auraText, Color::blueColor()},
        {&VelmoraViewController::getColorBrown, s->auraText, Color::brownColor()},
        {&VelmoraViewController::getColorGreen, s->auraText, Color::greenColor()},
        {&VelmoraViewController::getColorGold, s->goldText, {}},
        {&VelmoraViewController::getColorYellow, s->auraText, Color::yellowColor()},
        {&VelmoraViewController::getColorPink, s->pinkText, {}},
        {&VelmoraViewController::getColorOrange, s->auraText, Color::orangeColor()},
        {&VelmoraViewController::getColorRed, s->auraText, Color::redColor()},
        {&VelmoraViewController::getColorBlack, s->auraText, Color::whiteColor()},
        {&VelmoraViewController::getColorSilver, s->auraText, Color::lightGrayColor()},
        {&VelmoraViewController::getColorWhite, s->auraText, Color::whiteColor()},
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

        EXPECT_FALSE(screen->close->isHidden());
        EXPECT_FALSE(e.view->isHidden());
        EXPECT_EQ(shownCount(meaningTexts(screen)), 1);
        EXPECT_EQ(shownCount(colourPicker(screen)), 0);
        EXPECT_EQ(e.view->text(), QString::fromUtf8(row.text));
        if (e.background.isValid()) {
            EXPECT_EQ(e.view->backgroundColor(), e.background);
        } else {
            EXPECT_EQ(e.view->backgroundColor(), dedicatedBefore);
            EXPECT_EQ(screen->auraText->text(), QString::fromUtf8(kAboutText));
            EXPECT_EQ(screen->auraText->backgroundColor(), Color::whiteColor());
        }
        EXPECT_GE(Color::contrastRatio(e.view->textColor(), e.view->backgroundColor()), 4.5);
    }
}

TEST_F(Panels, EachAuraTextColourReplacesTextAndBackground) {
    screen->meanings(nullptr);
    screen->getColorRed(nullptr);
    screen->meanings(nullptr);
    screen->getColorPurple(nullptr);
    EXPECT_TRUE(screen->auraText->text().startsWith(QStringLiteral("Purple aura color")));
    EXPECT_EQ(screen->auraText->backgroundColor(), Color::purpleColor());
}

TEST_F(Panels, TheColourButtonsSendTheirOwnActions) {
    for (size_t i = 0; i < colourMeaningTable().size(); ++i) {
        const ColourMeaning& row = colourMeaningTable()[i];
        const auto& own = VelmoraViewController::colourControls()[i];
        SCOPED_TRACE(row.colour);
        screen->meanings(nullptr);
        (screen->*own.button)->click();
        EXPECT_FALSE((screen->*own.textView)->isHidden());
        EXPECT_EQ((screen->*own.textView)->text(), QString::fromUtf8(row.text));
        EXPECT_FALSE((screen->*own.button)->accessibleName().isEmpty());
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
    EXPECT_TRUE(screen->close->isHidden());
    EXPECT_EQ(shownCount(colourPicker(screen)), 0);
    ASSERT_TRUE(press(QKeySequence(Qt::Key_F1)));
    EXPECT_FALSE(screen->auraText->isHidden());
    ASSERT_TRUE(press(QKeySequence(Qt::Key_Escape)));
    EXPECT_TRUE(screen->auraText->isHidden());
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
