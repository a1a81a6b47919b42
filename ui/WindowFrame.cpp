#include "ui/WindowFrame.h"

#include "ui/WindowAccessible.h"

#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QScreen>
#include <QWindow>
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

} // namespace toolkit
