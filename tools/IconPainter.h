#pragma once

#include <QImage>
#include <QString>

// Toolbar icons drawn as white strokes with a soft shadow, plus the application icon.
class IconPainter {
public:
    enum class Control { Camera, Album, Save, About, Meanings, Close };
    static constexpr Control Controls[] = {Control::Camera, Control::Album,    Control::Save,
                                           Control::About,  Control::Meanings, Control::Close};

    static QString fileName(Control control);
    static QImage paint(Control control);
    static QImage paintApplicationIcon();
};
