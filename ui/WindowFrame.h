#pragma once

#include <QGraphicsView>

class QGraphicsProxyWidget;

namespace toolkit {

/// The desktop window around the application's Window. The Window keeps its one design
/// size, so that everything drawn from it (a saved portrait) is the same whatever the
/// desktop window's size; the frame shows it scaled uniformly to fit, centred on a neutral
/// background, with input, focus and drops passed through to it.
class WindowFrame : public QGraphicsView {
    Q_OBJECT

public:
    /// Frames `content`, a widget without a parent; the frame does not take ownership.
    explicit WindowFrame(QWidget* content);
    ~WindowFrame() override;

    /// The scale at which the content is shown now.
    qreal contentScale() const;
    /// A size that shows the content whole on the frame's screen: at 1 or 1.5 when that
    /// leaves room for panels and the title bar, smaller on a small screen.
    QSize defaultSize() const;
    /// Switches between full screen and the size the frame had before.
    void toggleFullScreen();
    /// Scales the content to the frame's size again, as after the content was resized.
    void fit();
    /// Lets go of the content, which becomes a widget of its own again.
    void releaseContent();

signals:
    /// The first frame has been painted; sent once, from the event loop.
    void firstFrameShown();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QSizeF contentSize() const;
    void passDragOn(QDropEvent* event);

    QGraphicsProxyWidget* m_proxy = nullptr;
    bool m_painted = false;
    bool m_maximizedBeforeFullScreen = false;
};

} // namespace toolkit
