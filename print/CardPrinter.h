#pragma once

#include "base/Result.h"
#include "portrait/ReadingCard.h"

class QPrinter;

/// Prints reading cards at their real size, 4 × 6 inches: on paper of that size the card
/// fills the page; on larger paper it is centred, as a photo lab prints a small print; on
/// smaller paper it is made smaller to fit, never cut.
class CardPrinter {
public:
    /// Asks `printer` for a 4 × 6 inch portrait page without margins, what the print dialog
    /// then offers first.
    static void prepare(QPrinter& printer);
    /// Prints `content` as one page on `printer`. Fails with the reason when the printer
    /// cannot start or finish the page.
    static toolkit::Result<bool> print(QPrinter& printer, const ReadingCard::Content& content);
};
