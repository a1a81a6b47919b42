#pragma once

#include "portrait/ReadingCard.h"

#include <QString>
#include <functional>

class QWidget;

/// The one entry point of the print module, looked up by name after the module is loaded.
/// Its name carries the version of ReadingCard::Content, so that a module built against
/// another version is refused when it is loaded rather than misreading the card.
#define TOOLKIT_PRINT_MODULE_ENTRY "toolkit_print_card_v1"

extern "C" {
/// Opens the print dialog, titled `title`, over `window` for the reading card of `content`,
/// printed at its real size when the dialog is accepted and not at all when it is cancelled.
/// `failed` hears why a started print did not come out. Call on the thread of the event loop.
__attribute__((visibility("default"))) void
toolkit_print_card_v1(QWidget* window, const ReadingCard::Content& content, const QString& title,
                      const std::function<void(const QString&)>& failed);
/// The type of toolkit_print_card_v1, for whoever resolves it.
typedef void (*ToolkitPrintCardEntry)(QWidget* window, const ReadingCard::Content& content,
                                      const QString& title,
                                      const std::function<void(const QString&)>& failed);
}
