#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
class QTimer;

namespace toolkit {

/// The application's one window. Views are added to it as subviews at its top-left
/// corner; modal pages are laid over them inside it.
class Window : public QWidget {
    Q_OBJECT

public:
    explicit Window(QWidget* parent = nullptr);

    /// Adds `view` to the window at the top-left corner and makes the window its size.
    void addSubview(QWidget* view);
    /// Shows the window and makes it the one that receives keyboard input.
    void makeKeyAndVisible();

    /// Shows a short message over the window's content for a few seconds (for failures
    /// the user must hear about, such as a portrait that could not be saved).
    void showMessage(const QString& text);
    /// The message shown now, empty when none is.
    QString message() const;

signals:
    /// Picture files were dropped onto the window.
    void filesDropped(const QStringList& paths);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeMessage();

    QLabel* m_message = nullptr;
    QTimer* m_messageTimer = nullptr;
};

} // namespace toolkit
