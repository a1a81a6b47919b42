#pragma once

#include <QColor>
#include <QTextEdit>

namespace toolkit {

/// Read-only, scrollable plain text on a background colour. The text colour follows the
/// background (black or white, whichever contrasts more), so any background stays legible.
class TextView : public QTextEdit {
    Q_OBJECT
    Q_PROPERTY(QColor backgroundColor READ backgroundColor WRITE setBackgroundColor)

public:
    explicit TextView(QWidget* parent = nullptr);

    /// Replaces the text (always plain text, never markup).
    void setText(const QString& text);
    QString text() const { return toPlainText(); }

    /// Sets the background colour and the legible text colour that goes with it.
    void setBackgroundColor(const QColor& color);
    QColor backgroundColor() const { return m_background; }
    QColor textColor() const;

private:
    QColor m_background;
};

} // namespace toolkit
