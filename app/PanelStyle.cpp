#include "app/PanelStyle.h"

#include <QVariant>
#include <QWidget>

namespace {
// The rules of the elements that appear only over the picture: the colour grid, the texts,
// the notice and the close button. The screen's ground and its toolbars are ScreenStyle's.
constexpr char kPanelRules[] =
    "QToolButton#closeB { color: #f4efff; background: rgba(255,255,255,40); border: 2px solid "
    "transparent; border-radius: 6px; padding: 0px; font-size: 10pt; font-weight: bold; }\n"
    "QToolButton#closeB:focus { border: 2px solid #ffd84d; }\n"
    "QLabel#selectColor { color: white; background: rgba(20,16,32,200); border-radius: 10px; "
    "font-size: 13.5pt; font-weight: bold; }\n"
    "QPushButton#xOut1 { background: rgba(20,16,32,225); color: white; border: 1px solid #8f7adf; "
    "border-radius: 10px; padding: 6px 6px 34px 6px; text-align: left; }\n"
    "QPushButton#xOut1 QToolButton { color: #f4efff; background: transparent; border: 1px solid "
    "#8f7adf; border-radius: 6px; padding: 2px 6px; font-size: 8pt; }\n"
    "QPushButton#xOut1 QToolButton:hover { background: rgba(255,255,255,30); }\n"
    "QPushButton#xOut1 QToolButton:pressed { background: rgba(255,255,255,60); }\n"
    "QPushButton#xOut1 QToolButton:focus { border: 2px solid #ffd84d; }\n"
    "QPushButton#xOut2 { background: rgba(20,16,32,225); color: white; border: 1px solid #8f7adf; "
    "border-radius: 10px; font-size: 16.5pt; }\n"
    "QPushButton#xOut1:focus, QPushButton#xOut2:focus { border: 2px solid #ffd84d; }\n"
    "QTextEdit { font-size: 11pt; padding: 10px; border-radius: 10px; }\n"
    "QPushButton#white, QPushButton#silver, QPushButton#black, QPushButton#red, "
    "QPushButton#orange, QPushButton#pink, QPushButton#yellow, QPushButton#gold, "
    "QPushButton#green, QPushButton#brown, QPushButton#blue, QPushButton#tourquise, "
    "QPushButton#purple, QPushButton#indigo, QPushButton#lavendar, QPushButton#violet { border: "
    "2px solid rgba(255,255,255,150); border-radius: 10px; font-weight: bold; }\n"
    "QPushButton#white:focus, QPushButton#silver:focus, QPushButton#black:focus, "
    "QPushButton#red:focus, QPushButton#orange:focus, QPushButton#pink:focus, "
    "QPushButton#yellow:focus, QPushButton#gold:focus, QPushButton#green:focus, "
    "QPushButton#brown:focus, QPushButton#blue:focus, QPushButton#tourquise:focus, "
    "QPushButton#purple:focus, QPushButton#indigo:focus, QPushButton#lavendar:focus, "
    "QPushButton#violet:focus { border: 3px solid #ffd84d; }\n"
    "QPushButton#white { background: #ffffff; color: #000000; }\n"
    "QPushButton#silver { background: #c0c0c0; color: #000000; }\n"
    "QPushButton#black { background: #111111; color: #ffffff; }\n"
    "QPushButton#red { background: #e02020; color: #ffffff; }\n"
    "QPushButton#orange { background: #ff8a00; color: #000000; }\n"
    "QPushButton#pink { background: #ff9ec4; color: #000000; }\n"
    "QPushButton#yellow { background: #ffe600; color: #000000; }\n"
    "QPushButton#gold { background: #e0b020; color: #000000; }\n"
    "QPushButton#green { background: #22b14c; color: #000000; }\n"
    "QPushButton#brown { background: #8b5a2b; color: #ffffff; }\n"
    "QPushButton#blue { background: #2050e0; color: #ffffff; }\n"
    "QPushButton#tourquise { background: #30d5c8; color: #000000; }\n"
    "QPushButton#purple { background: #8020a0; color: #ffffff; }\n"
    "QPushButton#indigo { background: #4b0082; color: #ffffff; }\n"
    "QPushButton#lavendar { background: #c8b4ff; color: #000000; }\n"
    "QPushButton#violet { background: #8f00ff; color: #ffffff; }\n";

constexpr char kApplied[] = "velmoraPanelStyle";
} // namespace

void PanelStyle::ensureApplied(QWidget* screen) {
    if (!screen || screen->property(kApplied).toBool())
        return;
    screen->setProperty(kApplied, true);
    screen->setStyleSheet(screen->styleSheet() + QLatin1Char('\n') +
                          QString::fromUtf8(kPanelRules));
}
