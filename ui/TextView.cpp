#include "ui/TextView.h"

#include "ui/Color.h"

#include <QPalette>

namespace toolkit {

TextView::TextView(QWidget* parent) : QTextEdit(parent) {
    setReadOnly(true);
    setAcceptRichText(false);
    setFrameShape(QFrame::NoFrame);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    // Text to read, not to edit: the pointer stays an arrow over it, and no caret blinks in
    // it when it has the keyboard (which scrolls it and can still select).
    viewport()->setCursor(Qt::ArrowCursor);
    setCursorWidth(0);
    setBackgroundColor(Color::whiteColor());
}

void TextView::setText(const QString& text) {
    setPlainText(text);
}

void TextView::setBackgroundColor(const QColor& color) {
    m_background = color;
    QPalette p = palette();
    p.setColor(QPalette::Base, color);
    p.setColor(QPalette::Window, color);
    p.setColor(QPalette::Text, Color::legibleTextColor(color));
    setPalette(p);
    // Once the window's style sheet has polished the viewport it no longer follows this
    // widget's palette: without its own copy a new background never shows, and white text
    // on a purple background would land on white.
    viewport()->setPalette(p);
    viewport()->setAutoFillBackground(true);
}

QColor TextView::textColor() const {
    return palette().color(QPalette::Text);
}

} // namespace toolkit
