#include "ui/Color.h"

#include <algorithm>
#include <cmath>

namespace toolkit {

QColor Color::whiteColor() {
    return QColor::fromRgbF(1.0f, 1.0f, 1.0f);
}
QColor Color::lightGrayColor() {
    return QColor::fromRgbF(2.0f / 3, 2.0f / 3, 2.0f / 3);
}
QColor Color::blackColor() {
    return QColor::fromRgbF(0.0f, 0.0f, 0.0f);
}
QColor Color::purpleColor() {
    return QColor::fromRgbF(0.5f, 0.0f, 0.5f);
}
QColor Color::brownColor() {
    return QColor::fromRgbF(0.6f, 0.4f, 0.2f);
}
QColor Color::orangeColor() {
    return QColor::fromRgbF(1.0f, 0.5f, 0.0f);
}
QColor Color::yellowColor() {
    return QColor::fromRgbF(1.0f, 1.0f, 0.0f);
}
QColor Color::greenColor() {
    return QColor::fromRgbF(0.0f, 1.0f, 0.0f);
}
QColor Color::blueColor() {
    return QColor::fromRgbF(0.0f, 0.0f, 1.0f);
}
QColor Color::redColor() {
    return QColor::fromRgbF(1.0f, 0.0f, 0.0f);
}

namespace {
double relativeLuminance(const QColor& c) {
    auto channel = [](float v) {
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}
} // namespace

double Color::contrastRatio(const QColor& a, const QColor& b) {
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor Color::legibleTextColor(const QColor& background) {
    return contrastRatio(background, blackColor()) >= contrastRatio(background, whiteColor())
               ? blackColor()
               : whiteColor();
}

} // namespace toolkit
