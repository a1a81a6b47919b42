#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>

/// Moves the keyboard focus among controls laid out in a grid as the arrow keys point: Left
/// and Right to the neighbour in the row, Up and Down to the nearest control in the row
/// above or below, rather than along the focus chain in reading order.
class GridArrowKeys : public QObject {
public:
    /// Follows the arrow keys pressed in each of `cells`; lives as long as `parent`.
    GridArrowKeys(const QList<QWidget*>& cells, QObject* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* neighbour(const QWidget* from, int key) const;

    QList<QPointer<QWidget>> m_cells;
};
