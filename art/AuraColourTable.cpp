#include "art/AuraColourTable.h"

#include <QList>

#include <algorithm>
#include <iterator>
#include <string>

namespace {

constexpr const char* kColourNames[] = {
    "Violet", "Lavender", "Indigo", "Purple", "Turquoise", "Blue",  "Brown",  "Green",
    "Gold",   "Yellow",   "Pink",   "Orange", "Red",       "Black", "Silver", "White",
};
static_assert(std::size(kColourNames) == AuraPalette::Count);

constexpr const char* kPlaceNames[] = {"left", "above", "right"};

} // namespace

QList<AuraColourTable::Entry> AuraColourTable::colours(int number) const {
    const auto found = m_entries.find(number);
    return found == m_entries.end() ? QList<Entry>() : found->second;
}

void AuraColourTable::setColours(int number, QList<Entry> entries) {
    m_entries[number] = std::move(entries);
}

QString AuraColourTable::colourName(AuraPalette::Colour colour) {
    if (colour < 0 || colour >= AuraPalette::Count)
        return QString();
    return QString::fromLatin1(kColourNames[colour]);
}

QString AuraColourTable::placeName(Place place) {
    return QString::fromLatin1(kPlaceNames[static_cast<int>(place)]);
}

QByteArray AuraColourTable::toText() const {
    QByteArray text = "# overlay\tcolour\tplace\tshare\n";
    for (const auto& [number, entries] : m_entries) {
        for (const Entry& entry : entries) {
            text += QByteArray::number(number) + '\t' + colourName(entry.colour).toLatin1() + '\t' +
                    placeName(entry.place).toLatin1() + '\t' +
                    QByteArray::number(entry.share, 'f', 3) + '\n';
        }
    }
    return text;
}

std::optional<AuraColourTable> AuraColourTable::fromText(const QByteArray& text, QString* error) {
    AuraColourTable table;
    const QList<QByteArray> lines = text.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        auto fail = [&](const QString& why) {
            if (error)
                *error = QStringLiteral("line %1: %2").arg(i + 1).arg(why);
            return std::nullopt;
        };
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() != 4)
            return fail(QStringLiteral("%1 fields instead of 4").arg(fields.size()));
        bool numberOk = false;
        bool shareOk = false;
        const int number = fields[0].toInt(&numberOk);
        const double share = fields[3].toDouble(&shareOk);
        if (!numberOk || number < 1)
            return fail(QStringLiteral("\"%1\" is not an overlay number")
                            .arg(QString::fromLatin1(fields[0])));
        if (!shareOk || share < 0.0 || share > 1.0)
            return fail(QStringLiteral("\"%1\" is not a share from 0 to 1")
                            .arg(QString::fromLatin1(fields[3])));
        Entry entry;
        entry.share = share;
        const auto colour =
            std::find(std::begin(kColourNames), std::end(kColourNames), fields[1].toStdString());
        if (colour == std::end(kColourNames))
            return fail(
                QStringLiteral("\"%1\" is not an aura colour").arg(QString::fromLatin1(fields[1])));
        entry.colour = static_cast<AuraPalette::Colour>(colour - std::begin(kColourNames));
        const auto place =
            std::find(std::begin(kPlaceNames), std::end(kPlaceNames), fields[2].toStdString());
        if (place == std::end(kPlaceNames))
            return fail(QStringLiteral("\"%1\" is not left, above or right")
                            .arg(QString::fromLatin1(fields[2])));
        entry.place = static_cast<Place>(place - std::begin(kPlaceNames));
        table.m_entries[number].append(entry);
    }
    return table;
}
