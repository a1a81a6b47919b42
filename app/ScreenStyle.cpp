#include "app/ScreenStyle.h"

#include "ui/ToolButtonLabels.h"

#include <QFrame>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionToolButton>
#include <QToolButton>

namespace {
const QColor kGround(0x10, 0x10, 0x18);
const QColor kBarTop(0x2a, 0x24, 0x40);
const QColor kBarBottom(0x15, 0x12, 0x1f);
const QColor kBarEdge(0x4a, 0x3f, 0x70);
const QColor kLabel(0xf4, 0xef, 0xff);
const QColor kLabelDisabled(0x77, 0x70, 0x8a);
const QColor kFocusRing(0xff, 0xd8, 0x4d);
constexpr int kBorder = 2;
constexpr qreal kRadius = 6;
constexpr qreal kLabelPoints = 8;
// Marks the elements this style draws: once a panel's style sheet is set on the screen,
// their style is the sheet's, which hands them to this one as its base.
constexpr char kStyled[] = "velmoraScreenStyle";
} // namespace

void ScreenStyle::applyTo(QWidget* screen, const QList<QWidget*>& toolbars) {
    auto* style = new ScreenStyle;
    style->setParent(screen);
    auto take = [style](QWidget* widget) {
        widget->setProperty(kStyled, true);
        widget->setStyle(style);
    };
    screen->setAttribute(Qt::WA_StyledBackground);
    take(screen);
    // The toolbars' buttons, and those laid straight on the screen over a toolbar.
    QList<QToolButton*> buttons =
        screen->findChildren<QToolButton*>(QString(), Qt::FindDirectChildrenOnly);
    for (QWidget* bar : toolbars) {
        take(bar);
        buttons << bar->findChildren<QToolButton*>();
    }
    for (QToolButton* button : buttons) {
        take(button);
        button->setAttribute(Qt::WA_Hover);
    }
    // Every label in one size: a label longer than its button (German's "Deutungen") would
    // be cut in the middle.
    toolkit::ToolButtonLabels::fit(buttons, kLabelPoints);
}

bool ScreenStyle::isOurs(const QWidget* widget) {
    return widget && widget->property(kStyled).toBool();
}

void ScreenStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                QPainter* painter, const QWidget* widget) const {
    if (element == PE_Widget && isOurs(widget) && !qobject_cast<const QFrame*>(widget)) {
        painter->fillRect(option->rect, kGround);
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void ScreenStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                              const QWidget* widget) const {
    if (element == CE_ShapedFrame && isOurs(widget)) {
        // A bar shaded from top to bottom under a one-pixel light edge.
        const QRect bar = widget->rect();
        QLinearGradient shade(bar.topLeft(), bar.bottomLeft());
        shade.setColorAt(0, kBarTop);
        shade.setColorAt(1, kBarBottom);
        painter->fillRect(option->rect, shade);
        painter->fillRect(QRect(bar.left(), bar.top(), bar.width(), 1), kBarEdge);
        return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void ScreenStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                     QPainter* painter, const QWidget* widget) const {
    const auto* button = qstyleoption_cast<const QStyleOptionToolButton*>(option);
    if (control != CC_ToolButton || !button || !isOurs(widget)) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    const bool enabled = button->state & State_Enabled;
    const bool checked = button->state & State_On;
    QColor tint = Qt::transparent;
    if (checked)
        tint = QColor(143, 122, 223, 110);
    else if (enabled && (button->state & State_Sunken))
        tint = QColor(255, 255, 255, 60);
    else if (enabled && (button->state & State_MouseOver))
        tint = QColor(255, 255, 255, 30);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    if (tint.alpha() > 0) {
        QPainterPath shape;
        shape.addRoundedRect(QRectF(button->rect), kRadius, kRadius);
        painter->fillPath(shape, tint);
    }
    if (button->state & State_HasFocus) {
        const qreal half = kBorder / 2.0;
        painter->setPen(QPen(kFocusRing, kBorder));
        painter->drawRoundedRect(QRectF(button->rect).adjusted(half, half, -half, -half),
                                 kRadius - half, kRadius - half);
    }
    painter->restore();
    QStyleOptionToolButton label = *button;
    label.rect = button->rect.adjusted(kBorder, kBorder, -kBorder, -kBorder);
    label.palette.setColor(QPalette::ButtonText, !enabled  ? kLabelDisabled
                                                 : checked ? QColor(Qt::white)
                                                           : kLabel);
    QProxyStyle::drawControl(CE_ToolButtonLabel, &label, painter, widget);
}

int ScreenStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                             const QWidget* widget) const {
    // A pressed or checked button's label stays where it is: the tint says it.
    if ((metric == PM_ButtonShiftHorizontal || metric == PM_ButtonShiftVertical) && isOurs(widget))
        return 0;
    return QProxyStyle::pixelMetric(metric, option, widget);
}
