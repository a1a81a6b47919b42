#pragma once

#include "art/AuraColourTable.h"
#include "portrait/ReadingCard.h"

#include <QCoreApplication>
#include <QImage>
#include <QList>
#include <QPointer>

class QPushButton;
class QWidget;
class VelmoraViewController;

/// What the photo area shows of a portrait: the very picture a save writes, sharper in an
/// enlarged window, and the reading along its foot: the aura's colours in their places,
/// each a control that opens its meaning. The reading is never part of the portrait.
class PortraitDisplay {
    // Its texts are the screen's, translated with them.
    Q_DECLARE_TR_FUNCTIONS(VelmoraViewController)

public:
    explicit PortraitDisplay(VelmoraViewController& screen) : m_screen(screen) {}

    /// Makes the reading's controls in the loaded view, after the toolbars in Tab order.
    void load();
    /// Shows the portrait as it is now, with its reading; on the home screen, neither.
    void show();
    /// Composes the portrait at twice the size in the background, for an enlarged window.
    void composeSharp();
    /// The portrait at twice the size when it has been composed; null otherwise.
    QImage sharp() const { return m_sharp; }
    /// The reading of the portrait on the screen, in reading order; empty on the home screen.
    QList<AuraColourTable::Entry> reading() const;
    /// The reading card of the portrait on the screen, or why there is none.
    toolkit::Result<ReadingCard::Content> card() const;
    /// Hides the reading while the save's notice lies over it, its chips otherwise seen
    /// through the notice and under its edge; shows it again after.
    void setCovered(bool covered);

private:
    void arrange();

    VelmoraViewController& m_screen;
    QPointer<QWidget> m_row;
    QList<QPushButton*> m_colours;
    QPushButton* m_card = nullptr;
    bool m_hasReading = false;
    bool m_covered = false;
    // Counts portraits shown, so a sharp one composed for an earlier portrait is dropped.
    int m_requests = 0;
    QImage m_sharp;
};
