#pragma once

#include "art/AuraColourTable.h"

#include <QImage>
#include <QList>

/// Reads an overlay's colours off its pixels: every pixel dense enough to be seen is classed
/// to the nearest of the sixteen colours in Lab, and each colour's place is where the bulk
/// of it lies around the head.
class AuraColourMeasure {
public:
    /// Alpha above which a pixel of the glow counts as visible.
    static constexpr double kVisibleAlpha = 0.2;
    /// The share of the visible glow a colour needs to be named.
    static constexpr double kNamedShare = 0.15;

    /// The overlay's shares of every colour, indexed by AuraPalette::Colour, summing to 1
    /// (all zero for an overlay with nothing visible). `overlay` is a 360 × 480 portrait's
    /// overlay, or any multiple of it.
    static QList<double> shares(const QImage& overlay);
    /// The colours reaching kNamedShare, most visible first, each with its place.
    static QList<AuraColourTable::Entry> namedColours(const QImage& overlay);
    /// The palette colour nearest to an opaque colour, in Lab.
    static AuraPalette::Colour nearest(QRgb colour);
};
