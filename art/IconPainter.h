#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Toolbar icons drawn as white strokes with a soft shadow, plus the application icon.
class IconPainter {
public:
    enum class Control { Camera, Album, Save, About, Meanings, Close, FitToFace };
    static constexpr Control Controls[] = {Control::Camera,   Control::Album,    Control::Save,
                                           Control::About,    Control::Meanings, Control::Close,
                                           Control::FitToFace};

    static QString fileName(Control control);
    static QImage paint(Control control);
    // The application icon at `size` pixels square, drawn at that size.
    static QImage paintApplicationIcon(int size = 256);
    // The application icon as a scalable picture (SVG): the tile, the figure and its glow
    // in gradients.
    static QByteArray applicationIconSvg();
};
