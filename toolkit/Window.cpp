#include "Window.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QTimer>

namespace toolkit {

Window::Window(QWidget* parent) : QWidget(parent) {
    setWindowTitle(QStringLiteral("Velmora"));
    setAcceptDrops(true);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::black);
    setPalette(p);

    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("windowMessage"));
    m_message->setWordWrap(true);
    m_message->setAlignment(Qt::AlignCenter);
    m_message->setStyleSheet(QStringLiteral(
        "background: rgba(150, 20, 30, 230); color: white; padding: 10px; border-radius: 8px;"));
    m_message->setAccessibleName(QStringLiteral("Message"));
    m_message->hide();
    m_messageTimer = new QTimer(this);
    m_messageTimer->setSingleShot(true);
    connect(m_messageTimer, &QTimer::timeout, m_message, &QWidget::hide);
}

void Window::addSubview(QWidget* view) {
    if (!view)
        return;
    view->setParent(this);
    view->move(0, 0);
    // The window is exactly as large as the screen it holds.
    setFixedSize(view->size());
    view->show();
    m_message->raise();
}

void Window::makeKeyAndVisible() {
    show();
    raise();
    activateWindow();
}

void Window::showMessage(const QString& text) {
    m_message->setText(text);
    placeMessage();
    m_message->show();
    m_message->raise();
    m_messageTimer->start(6000);
}

QString Window::message() const {
    return m_message->isVisible() ? m_message->text() : QString();
}

void Window::placeMessage() {
    const int margin = 12;
    const int w = width() - 2 * margin;
    m_message->setFixedWidth(qMax(100, w));
    m_message->adjustSize();
    m_message->move(margin, margin);
}

void Window::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeMessage();
}

void Window::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void Window::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile())
            paths << url.toLocalFile();
    }
    if (!paths.isEmpty()) {
        event->acceptProposedAction();
        emit filesDropped(paths);
    }
}

} // namespace toolkit
