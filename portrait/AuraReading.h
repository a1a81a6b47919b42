#pragma once

#include "art/AuraColourTable.h"

#include <QList>
#include <QString>

/// The reading of a portrait: which colours its aura shows and where, left of the head for
/// the past, above it for the present, right of it for the future, from the table the
/// generator measured on the overlays. Any thread.
class AuraReading {
public:
    /// The colours of overlay `auraNumber`, in reading order (past, present, future).
    /// Empty for a portrait without an aura, or when the table is missing or damaged (said
    /// once on stderr): a portrait never waits for its reading.
    static QList<AuraColourTable::Entry> of(int auraNumber);

    /// The colour's name in the user's language ("Turquoise").
    static QString colourName(AuraPalette::Colour colour);
    /// The time a place stands for, in the user's language ("past").
    static QString timeOf(AuraColourTable::Place place);
    /// How the screen names one colour of a reading: "Turquoise · past".
    static QString label(const AuraColourTable::Entry& entry);
    /// The first sentence of a meaning text.
    static QString firstSentence(const QString& text);
};
