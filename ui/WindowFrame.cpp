#include "ui/WindowFrame.h"

#include "ui/WindowAccessible.h"

#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QScreen>
#include <QWindow>
#include <memory>
#include <utility>

namespace toolkit {

WindowFrame::WindowFrame(QWidget* content) {
    setObjectName(QStringLiteral("windowFrame"));
    WindowAccessible::install();
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setAlignment(Qt::AlignCenter);
    setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform |
                   QPainter::TextAntialiasing);
    // The content paints through the scene at every scale: nothing is cached at one size
    // and blown up.
    setViewportUpdateMode(QGraphicsView::MinimalViewportUpdate);
    setBackgroundBrush(QColor(0x2e, 0x2e, 0x2e));
    setMinimumSize(180, 268);
    auto* scene = new QGraphicsScene(this);
    m_proxy = scene->addWidget(content);
    // The content takes the keyboard focus itself (the proxy would copy its NoFocus policy
    // and leave Tab nowhere to go); the proxy passes it on to the content's controls.
    m_proxy->setFocusPolicy(Qt::StrongFocus);
    setScene(scene);
    connect(m_proxy, &QGraphicsWidget::geometryChanged, this, &WindowFrame::fit);
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    // Drags arrive at the viewport, as all input does.
    viewport()->setAcceptDrops(true);
    fit();
}

WindowFrame::~WindowFrame() {
    releaseContent();
}

void WindowFrame::releaseContent() {
    if (m_proxy && m_proxy->widget())
        m_proxy->setWidget(nullptr);
}

qreal WindowFrame::contentScale() const {
    return transform().m11();
}

QSize WindowFrame::defaultSize() const {
    const QSizeF design = contentSize();
    if (design.isEmpty())
        return design.toSize();
    const QScreen* shown = windowHandle() ? windowHandle()->screen() : nullptr;
    if (!shown)
        shown = screen();
    // Room for a title bar and the desktop's panels around the window.
    const QSize room = shown ? shown->availableGeometry().size() * 0.9 : design.toSize();
    const qreal fits = qMin(room.width() / design.width(), room.height() / design.height());
    const qreal scale = fits >= 1.5 ? 1.5 : fits >= 1 ? 1 : fits;
    return (design * scale).toSize();
}

QSizeF WindowFrame::contentSize() const {
    return m_proxy && m_proxy->widget() ? QSizeF(m_proxy->widget()->size()) : QSizeF();
}

void WindowFrame::toggleFullScreen() {
    if (isFullScreen()) {
        if (m_maximizedBeforeFullScreen)
            showMaximized();
        else
            showNormal();
    } else {
        m_maximizedBeforeFullScreen = isMaximized();
        showFullScreen();
    }
}

void WindowFrame::fit() {
    // The content's own size: the proxy learns of it only once the content is shown.
    const QRectF content(QPointF(0, 0), contentSize());
    if (content.isEmpty())
        return;
    setSceneRect(content);
    const qreal scale =
        qMin(viewport()->width() / content.width(), viewport()->height() / content.height());
    setTransform(QTransform::fromScale(scale, scale));
}

void WindowFrame::resizeEvent(QResizeEvent* event) {
    QGraphicsView::resizeEvent(event);
    fit();
}

void WindowFrame::paintEvent(QPaintEvent* event) {
    QGraphicsView::paintEvent(event);
    // Queued, so that whatever waits for the first frame runs once it is on screen.
    if (!std::exchange(m_painted, true))
        QMetaObject::invokeMethod(this, &WindowFrame::firstFrameShown, Qt::QueuedConnection);
}

void WindowFrame::focusInEvent(QFocusEvent* event) {
    QGraphicsView::focusInEvent(event);
    // Keyboard input belongs to the content, whichever way the frame got the focus.
    if (!m_proxy || !m_proxy->widget())
        return;
    // With nothing inside focused yet, the proxy gives the focus to the content's first
    // control only when asked as Tab does.
    const bool none = m_proxy->widget()->focusWidget() == nullptr;
    if (none && scene()->focusItem() == m_proxy)
        m_proxy->clearFocus();
    if (scene()->focusItem() != m_proxy)
        m_proxy->setFocus(none ? Qt::TabFocusReason : event->reason());
}

// Drags go to the content straight, not through the scene: the scene would offer them only
// over the content (not the letter-box around it), and its proxy answers a move with the
// content's answer to an enter. The content sees the point in its own, unscaled coordinates.
void WindowFrame::dragEnterEvent(QDragEnterEvent* event) {
    passDragOn(event);
}

void WindowFrame::dragMoveEvent(QDragMoveEvent* event) {
    passDragOn(event);
}

void WindowFrame::dropEvent(QDropEvent* event) {
    passDragOn(event);
}

void WindowFrame::dragLeaveEvent(QDragLeaveEvent* event) {
    if (QWidget* content = m_proxy ? m_proxy->widget() : nullptr) {
        QDragLeaveEvent leave;
        QCoreApplication::sendEvent(content, &leave);
    }
    event->accept();
}

void WindowFrame::passDragOn(QDropEvent* event) {
    QWidget* content = m_proxy ? m_proxy->widget() : nullptr;
    if (!content) {
        event->ignore();
        return;
    }
    const QPointF scenePoint = mapToScene(event->position().toPoint());
    const QPoint at(qBound(0, qRound(scenePoint.x()), content->width() - 1),
                    qBound(0, qRound(scenePoint.y()), content->height() - 1));
    const auto actions = event->possibleActions();
    const auto buttons = event->buttons();
    const auto modifiers = event->modifiers();
    std::unique_ptr<QDropEvent> passed;
    if (event->type() == QEvent::DragEnter)
        passed =
            std::make_unique<QDragEnterEvent>(at, actions, event->mimeData(), buttons, modifiers);
    else if (event->type() == QEvent::DragMove)
        passed =
            std::make_unique<QDragMoveEvent>(at, actions, event->mimeData(), buttons, modifiers);
    else
        passed = std::make_unique<QDropEvent>(QPointF(at), actions, event->mimeData(), buttons,
                                              modifiers);
    passed->setDropAction(event->dropAction());
    passed->ignore();
    QCoreApplication::sendEvent(content, passed.get());
    event->setDropAction(passed->dropAction());
    event->setAccepted(passed->isAccepted());
}

} // namespace toolkit
