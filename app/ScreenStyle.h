#pragma once

#include <QList>
#include <QProxyStyle>

/// The screen's own look: its dark ground, the toolbars' shaded bars and their flat tool
/// buttons (tinted when hovered, pressed or checked, ringed in yellow when focused). A style
/// set on those elements alone, so that dialogs and other windows keep the desktop's look;
/// not style sheet rules, whose matching against every element of the screen was a tenth of
/// the launch.
class ScreenStyle : public QProxyStyle {
    Q_OBJECT

public:
    /// Gives `screen` its ground and each of `toolbars`, with its tool buttons, its look,
    /// and fits the buttons' labels; the style belongs to `screen`.
    static void applyTo(QWidget* screen, const QList<QWidget*>& toolbars);

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override;

private:
    ScreenStyle() = default;
    static bool isOurs(const QWidget* widget);
};
