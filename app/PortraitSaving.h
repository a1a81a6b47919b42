#pragma once

#include "base/Result.h"
#include "imaging/Image.h"
#include "portrait/ReadingCard.h"

#include <QCoreApplication>
#include <QString>

#include <optional>

class QPushButton;
class VelmoraViewController;
namespace toolkit {
class AlbumSave;
class Window;
} // namespace toolkit

/// Saving the portrait into the album, and the notice that follows: where it is being
/// written, then its name, with Open folder and Copy for what people do next with it.
class PortraitSaving {
    // Its texts are the screen's, translated with them.
    Q_DECLARE_TR_FUNCTIONS(VelmoraViewController)

public:
    explicit PortraitSaving(VelmoraViewController& screen) : m_screen(screen) {}

    /// Composes the portrait at `scale` times 360 × 480 and queues it for the album.
    /// Returns that save; null when no portrait could be made (the window says why).
    toolkit::AlbumSave* save(int scale = 1);
    /// Saves the portrait and, beside it, its reading card as PNG and PDF.
    void saveReading();
    /// Opens the print dialog for the reading card, printed at its real size.
    void print();
    /// Puts the reading card on the clipboard as a picture and the reading as text.
    void copyReading();
    /// Adds Open folder and Copy to the notice `notice`, which shows and hides them.
    void addNoticeActions(QPushButton* notice);

private:
    /// The reading card of the portrait on the screen; without one, the window says
    /// `notDone` with the reason in its %1.
    std::optional<ReadingCard::Content> cardOrSay(const QString& notDone);
    void finished(const toolkit::Result<QString>& outcome, toolkit::Window* window);
    void showSaved(const QString& path);

    VelmoraViewController& m_screen;
    // The last portrait saved, for the notice's Copy and Open folder.
    toolkit::Image m_lastPortrait;
    QString m_lastFolder;
};
