#pragma once

#include "art/AuraPalette.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <map>
#include <optional>

/// Which of the sixteen colours each overlay shows and where around the head each sits, as
/// the generator measured them on the overlay's pixels. The application reads it to tell the
/// person their reading; the generator writes it beside the overlays as "auras.tsv".
class AuraColourTable {
public:
    /// Where a colour sits around the head, as the sitter is seen.
    enum class Place { Left, Above, Right };

    struct Entry {
        AuraPalette::Colour colour = AuraPalette::Violet;
        Place place = Place::Above;
        /// The colour's share of the overlay's visible glow, 0 to 1.
        double share = 0.0;
    };

    /// The table's file name in the resources.
    static QString fileName() { return QStringLiteral("auras.tsv"); }

    /// The colours of overlay `number`, most visible first; empty for an unknown overlay.
    QList<Entry> colours(int number) const;
    void setColours(int number, QList<Entry> entries);
    bool isEmpty() const { return m_entries.empty(); }

    /// The table as tab-separated text: a header, then one line per overlay and colour.
    QByteArray toText() const;
    /// Reads toText()'s format; on a malformed line, nothing and the line's number and fault
    /// in `error`.
    static std::optional<AuraColourTable> fromText(const QByteArray& text, QString* error);

    /// The colour's name as the table and the meanings use it ("Turquoise").
    static QString colourName(AuraPalette::Colour colour);
    static QString placeName(Place place);

private:
    std::map<int, QList<Entry>> m_entries;
};
