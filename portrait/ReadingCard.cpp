#include "portrait/ReadingCard.h"

#include "portrait/AuraReading.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDate>
#include <QFont>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace {

// Instant film's cream paper, and its ink.
constexpr QRgb kPaper = 0xfff3ecdc;
constexpr QRgb kInk = 0xff2b2530;
constexpr QRgb kFaint = 0xff6d6472;

QFont font(int pixels, bool bold = false, bool italic = false) {
    QFont f(QStringLiteral("DejaVu Serif"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

} // namespace

ReadingCard::Content
ReadingCard::contentOf(QImage portrait, int auraNumber,
                       const std::function<QString(AuraPalette::Colour)>& meaningOf) {
    Content content;
    content.portrait = std::move(portrait);
    for (const AuraColourTable::Entry& entry : AuraReading::of(auraNumber))
        content.lines.append(
            {entry.colour, AuraReading::label(entry),
             AuraReading::firstSentence(meaningOf ? meaningOf(entry.colour) : QString())});
    content.date = QLocale().toString(QDate::currentDate(), QLocale::LongFormat);
    return content;
}

QString ReadingCard::text(const Content& content) {
    QStringList lines{QCoreApplication::translate("ReadingCard", "Your aura reading")};
    for (const Line& line : content.lines)
        lines << (line.sentence.isEmpty()
                      ? line.title
                      : QStringLiteral("%1: %2").arg(line.title, line.sentence));
    lines << content.date;
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

void ReadingCard::draw(QPainter& painter, const Content& content) {
    const QRect card(QPoint(0, 0), size());
    painter.fillRect(card, QColor::fromRgba(kPaper));
    const QRect photo = portraitRect();
    // A hairline shadow round the print, as a photo sits in its frame.
    painter.fillRect(photo.adjusted(-2, -2, 2, 2), QColor(0, 0, 0, 40));
    painter.drawImage(photo, content.portrait);

    const int left = photo.left();
    const int width = photo.width();
    int y = photo.bottom() + 60;
    painter.setPen(QColor::fromRgba(kInk));
    painter.setFont(font(46, true));
    painter.drawText(QRect(left, y, width, 60), Qt::AlignLeft | Qt::AlignVCenter,
                     QCoreApplication::translate("ReadingCard", "Your aura reading"));
    y += 90;
    for (const Line& line : content.lines) {
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(QPen(QColor::fromRgba(kInk), 2));
        painter.setBrush(AuraPalette::colour(line.colour));
        painter.drawEllipse(QRect(left, y + 6, 40, 40));
        painter.setPen(QColor::fromRgba(kInk));
        painter.setFont(font(36, true));
        painter.drawText(QRect(left + 60, y, width - 60, 52), Qt::AlignLeft | Qt::AlignVCenter,
                         line.title);
        painter.setFont(font(27, false, true));
        painter.setPen(QColor::fromRgba(kFaint));
        const QRect text(left + 60, y + 54, width - 60, 100);
        painter.drawText(text, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, line.sentence);
        y += 170;
    }
    painter.setFont(font(26));
    painter.setPen(QColor::fromRgba(kFaint));
    painter.drawText(QRect(left, card.height() - 90, width, 40), Qt::AlignRight | Qt::AlignVCenter,
                     content.date);
}

QImage ReadingCard::paint(const Content& content) {
    QImage card(size(), QImage::Format_RGB32);
    card.setDotsPerMeterX(11811); // 300 dpi
    card.setDotsPerMeterY(11811);
    QPainter painter(&card);
    draw(painter, content);
    painter.end();
    return card;
}

toolkit::Result<QByteArray> ReadingCard::pdf(const Content& content) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(300);
        writer.setPageLayout(QPageLayout(QPageSize(QSizeF(4.0, 6.0), QPageSize::Inch),
                                         QPageLayout::Portrait, QMarginsF()));
        writer.setTitle(QCoreApplication::translate("ReadingCard", "Your aura reading"));
        QPainter painter;
        if (!painter.begin(&writer))
            return toolkit::Result<QByteArray>::failure(
                QStringLiteral("the PDF writer could not start a page"));
        draw(painter, content);
        painter.end();
    }
    if (bytes.isEmpty())
        return toolkit::Result<QByteArray>::failure(QStringLiteral("the PDF came out empty"));
    return toolkit::Result<QByteArray>::success(bytes);
}
