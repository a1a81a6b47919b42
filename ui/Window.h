#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
class QTimer;

namespace toolkit {

class WindowFrame;

/// The application's one window. Views are added to it as subviews at its top-left
/// corner; modal pages are laid over them inside it. It keeps the size of its first view;
/// the desktop window around it (frame()) may have any size and shows it scaled to fit.
class Window : public QWidget {
    Q_OBJECT

public:
    explicit Window(QWidget* parent = nullptr);
    ~Window() override;

    /// Adds `view` to the window at the top-left corner and makes the window its size.
    void addSubview(QWidget* view);
    /// Shows the window and makes it the one that receives keyboard input.
    void makeKeyAndVisible();
    /// The desktop window the user moves, resizes and closes.
    WindowFrame* frame() const { return m_frame; }

    /// What a message is: a failure the user must hear about (a portrait that could not be
    /// saved), shown in alarm red at the top; or information (no face found), quiet, above
    /// the toolbar, covering no control.
    enum class MessageKind { Failure, Information };

    /// Shows a short message over the window's content for a few seconds.
    void showMessage(const QString& text, MessageKind kind = MessageKind::Failure);
    /// The message shown now, empty when none is.
    QString message() const;
    /// Takes the message away; false when none was shown.
    bool dismissMessage();
    /// The kind of the message shown last.
    MessageKind messageKind() const { return m_messageKind; }

signals:
    /// One picture file was dropped onto the window. A drop of several files, or of
    /// something that is not a file on this computer, is answered with a message instead.
    void filesDropped(const QStringList& paths);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void childEvent(QChildEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void placeMessage();

    MessageKind m_messageKind = MessageKind::Failure;
    QLabel* m_message = nullptr;
    QString m_messageText;
    QTimer* m_messageTimer = nullptr;
    WindowFrame* m_frame = nullptr;
};

} // namespace toolkit
