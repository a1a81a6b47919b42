#include "ui/Window.h"

#include "base/ApplicationIdentity.h"
#include "ui/WindowFrame.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QChildEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QShortcut>
#include <QTimer>

namespace toolkit {

namespace {
// A label wraps only at spaces, so a long path would run out of the message on both
// sides. A zero-width space after each separator, and every 24 characters of a run without
// one, lets it wrap there.
QString breakableText(const QString& text) {
    const QChar zeroWidthSpace(0x200B);
    QString broken;
    broken.reserve(text.size() + text.size() / 8);
    int run = 0;
    for (const QChar c : text) {
        broken += c;
        run = c.isSpace() ? 0 : run + 1;
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char('-') ||
            c == QLatin1Char('_') || c == QLatin1Char('.') || run >= 24) {
            broken += zeroWidthSpace;
            run = 0;
        }
    }
    return broken;
}
} // namespace

Window::Window(QWidget* parent) : QWidget(parent) {
    // Dialogs opened over the window (the photo chooser) are windows of their own on the
    // desktop, not squeezed into the scaled screen.
    setWindowFlag(Qt::BypassGraphicsProxyWidget);
    setAcceptDrops(true);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::black);
    setPalette(p);

    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("windowMessage"));
    // A file name is shown as it is, never read as markup.
    m_message->setTextFormat(Qt::PlainText);
    m_message->setWordWrap(true);
    m_message->setAlignment(Qt::AlignCenter);
    m_message->setAccessibleName(QStringLiteral("Message"));
    m_message->hide();
    m_messageTimer = new QTimer(this);
    m_messageTimer->setSingleShot(true);
    connect(m_messageTimer, &QTimer::timeout, m_message, &QWidget::hide);

    m_frame = new WindowFrame(this);
    // Framing shows the content at once; the window is shown when the application says so.
    hide();
    m_frame->setWindowTitle(ApplicationIdentity::current().displayName);
    auto* fullScreen = new QShortcut(QKeySequence(Qt::Key_F11), this);
    connect(fullScreen, &QShortcut::activated, m_frame, &WindowFrame::toggleFullScreen);
    auto* close = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_W), this);
    connect(close, &QShortcut::activated, m_frame, &QWidget::close);
}

Window::~Window() {
    m_frame->releaseContent();
    delete m_frame;
}

void Window::addSubview(QWidget* view) {
    if (!view)
        return;
    // A view loaded into the window is not moved: a move styles its whole tree again.
    if (view->parentWidget() != this)
        view->setParent(this);
    view->move(0, 0);
    // The window is exactly as large as the screen it holds.
    setFixedSize(view->size());
    m_frame->fit();
    view->show();
    m_message->raise();
}

void Window::makeKeyAndVisible() {
    show();
    if (!m_frame->isVisible())
        m_frame->resize(m_frame->defaultSize());
    m_frame->show();
    m_frame->raise();
    m_frame->activateWindow();
    m_frame->setFocus(Qt::ActiveWindowFocusReason);
}

void Window::showMessage(const QString& text, MessageKind kind) {
    m_messageText = text;
    m_messageKind = kind;
    m_message->setStyleSheet(
        kind == MessageKind::Failure
            ? QStringLiteral("background: rgba(150, 20, 30, 230); color: white; padding: 10px; "
                             "border-radius: 8px;")
            : QStringLiteral("background: rgba(20, 16, 32, 215); color: white; padding: 8px; "
                             "border: 1px solid rgba(255, 255, 255, 60); border-radius: 8px;"));
    m_message->setText(breakableText(text));
    m_message->setAccessibleDescription(text);
    placeMessage();
    m_message->show();
    m_message->raise();
    m_messageTimer->start(kind == MessageKind::Failure ? 6000 : 4000);
    // Read out at once by screen readers, as a notification would be.
    QAccessibleEvent alert(m_message, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

QString Window::message() const {
    return m_message->isVisible() ? m_messageText : QString();
}

bool Window::dismissMessage() {
    if (m_message->isHidden())
        return false;
    m_messageTimer->stop();
    m_message->hide();
    return true;
}

void Window::childEvent(QChildEvent* event) {
    QWidget::childEvent(event);
    if (event->added() && event->child() != m_message && event->child()->isWidgetType()) {
        event->child()->installEventFilter(this);
        if (m_message)
            m_message->raise();
    }
}

// A message is there to be read: whatever view is raised or added later (a screen shown
// again after a page closed) stays under it.
bool Window::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ZOrderChange && watched != m_message && m_message &&
        watched->parent() == this)
        m_message->raise();
    return QWidget::eventFilter(watched, event);
}

// Embedded in the frame's scene, the content's focus chain would end at its last control
// (there is no next item in the scene): Tab goes round to the first control instead, and
// Shift+Tab from the first to the last. Plain containers that hold the focus only until
// Tab moves into the controls are passed over.
bool Window::focusNextPrevChild(bool next) {
    QWidget* current = focusWidget();
    QWidget* candidate = current ? current : this;
    for (int steps = 0; steps < 10000; ++steps) {
        candidate = next ? candidate->nextInFocusChain() : candidate->previousInFocusChain();
        if (!candidate || candidate == current)
            break;
        if (candidate != this && isAncestorOf(candidate) && candidate->isVisible() &&
            candidate->isEnabled() && (candidate->focusPolicy() & Qt::TabFocus) &&
            candidate->metaObject() != &QWidget::staticMetaObject) {
            candidate->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
    return QWidget::focusNextPrevChild(next);
}

// Enter works a focused button as Space does: buttons outside a dialog leave it unhandled,
// and it arrives here.
void Window::keyPressEvent(QKeyEvent* event) {
    auto* button = qobject_cast<QAbstractButton*>(focusWidget());
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && button &&
        button->isEnabled() && button->isVisible() &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        button->animateClick();
        return;
    }
    QWidget::keyPressEvent(event);
}

void Window::placeMessage() {
    const int margin = 12;
    const int w = width() - 2 * margin;
    m_message->setFixedWidth(qMax(100, w));
    m_message->adjustSize();
    // Information sits above the toolbar, where it covers neither a control nor the face;
    // a failure at the top, where it is seen first.
    if (m_messageKind == MessageKind::Information)
        m_message->move(margin, qMax(margin, height() - m_message->height() - 72));
    else
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

// Every position must say yes again: a desktop drag source asks at each move, and drops
// only where the last answer was yes.
void Window::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
    else
        event->ignore();
}

void Window::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty())
        return;
    event->acceptProposedAction();
    if (urls.size() > 1) {
        showMessage(tr("Drop one picture at a time: %1 files were dropped.").arg(urls.size()));
    } else if (!urls.first().isLocalFile()) {
        showMessage(tr("Only a picture file on this computer can be opened, not %1.")
                        .arg(urls.first().toDisplayString()));
    } else {
        emit filesDropped({urls.first().toLocalFile()});
    }
}

} // namespace toolkit
