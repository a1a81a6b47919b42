#include "print/CardPrinter.h"

#include <QCoreApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>

namespace {
constexpr double kWidthInches = 4.0;
constexpr double kHeightInches = 6.0;
} // namespace

void CardPrinter::prepare(QPrinter& printer) {
    printer.setPageLayout(
        QPageLayout(QPageSize(QSizeF(kWidthInches, kHeightInches), QPageSize::Inch),
                    QPageLayout::Portrait, QMarginsF()));
    // The card is drawn to the paper's edge; a printer that cannot print there cuts the
    // border, never the portrait.
    printer.setFullPage(true);
    printer.setDocName(QCoreApplication::translate("ReadingCard", "Your aura reading"));
}

toolkit::Result<bool> CardPrinter::print(QPrinter& printer, const ReadingCard::Content& content) {
    using Outcome = toolkit::Result<bool>;
    printer.setFullPage(true);
    const QRectF paper = printer.paperRect(QPrinter::DevicePixel);
    QSizeF card(kWidthInches * printer.logicalDpiX(), kHeightInches * printer.logicalDpiY());
    // Smaller paper (A6 is a little shorter) gets the whole card made smaller, never cut. A
    // device pixel of slack: page sizes come back rounded to points.
    if (card.width() > paper.width() + 1 || card.height() > paper.height() + 1)
        card = card.scaled(paper.size(), Qt::KeepAspectRatio);
    QPainter painter;
    if (!painter.begin(&printer))
        return Outcome::failure(
            QCoreApplication::translate("ReadingCard", "the printer could not start a page"));
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    const QRectF place(
        QPointF((paper.width() - card.width()) / 2.0, (paper.height() - card.height()) / 2.0),
        card);
    painter.setViewport(place.toRect());
    painter.setWindow(QRect(QPoint(0, 0), ReadingCard::size()));
    ReadingCard::draw(painter, content);
    if (!painter.end())
        return Outcome::failure(
            QCoreApplication::translate("ReadingCard", "the printer did not take the page"));
    return Outcome::success(true);
}
