#include "print/CardPrintModule.h"

#include "print/CardPrinter.h"

#include <QPrintDialog>
#include <QPrinter>
#include <memory>

void toolkit_print_card_v1(QWidget* window, const ReadingCard::Content& content,
                           const QString& title,
                           const std::function<void(const QString&)>& failed) {
    // The dialog owns the printer's settings while it is open; the card is printed when it
    // is accepted, and nothing is when it is cancelled.
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    CardPrinter::prepare(*printer);
    auto* dialog = new QPrintDialog(printer.get(), window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(title);
    QObject::connect(dialog, &QDialog::accepted, dialog, [printer, content, failed] {
        const auto printed = CardPrinter::print(*printer, content);
        if (!printed.ok())
            failed(printed.error());
    });
    dialog->open();
}
