#include "app/GridArrowKeys.h"

#include <QKeyEvent>
#include <limits>

GridArrowKeys::GridArrowKeys(const QList<QWidget*>& cells, QObject* parent) : QObject(parent) {
    for (QWidget* cell : cells) {
        m_cells << cell;
        cell->installEventFilter(this);
    }
}

bool GridArrowKeys::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Up && key != Qt::Key_Down && key != Qt::Key_Left && key != Qt::Key_Right)
        return false;
    if (QWidget* next = neighbour(static_cast<QWidget*>(watched), key))
        next->setFocus(Qt::TabFocusReason);
    // At the grid's edge the key does nothing, as in any grid of buttons.
    return true;
}

QWidget* GridArrowKeys::neighbour(const QWidget* from, int key) const {
    const QPoint here = from->geometry().center();
    const bool vertical = key == Qt::Key_Up || key == Qt::Key_Down;
    const int sign = key == Qt::Key_Down || key == Qt::Key_Right ? 1 : -1;
    QWidget* best = nullptr;
    long long bestScore = std::numeric_limits<long long>::max();
    for (const QPointer<QWidget>& cell : m_cells) {
        if (!cell || cell == from || cell->isHidden() || !cell->isEnabled())
            continue;
        const QPoint there = cell->geometry().center();
        const int along = vertical ? there.y() - here.y() : there.x() - here.x();
        const int across = vertical ? there.x() - here.x() : there.y() - here.y();
        // Only ahead in the key's direction, and nearer the same column (or row) first.
        if (along * sign <= 0 || std::abs(across) > std::abs(along))
            continue;
        const long long score = 4LL * across * across + 1LL * along * along;
        if (score < bestScore) {
            bestScore = score;
            best = cell;
        }
    }
    return best;
}
