#pragma once

#include "art/AuraPalette.h"
#include "base/Result.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QRect>
#include <QString>

#include <functional>

class QPainter;

/// The print-ready reading card: the portrait at twice its size on a cream instant-film
/// border, the aura's colours in their places with the first sentence of each meaning, and
/// the date; 4 × 6 inches at 300 dpi. The same layout becomes a PNG and a PDF page.
class ReadingCard {
public:
    /// One colour of the reading.
    struct Line {
        AuraPalette::Colour colour = AuraPalette::Violet;
        /// "Turquoise · past"
        QString title;
        /// The first sentence of the colour's meaning.
        QString sentence;
    };

    /// What a card shows.
    struct Content {
        /// The portrait at twice its size, 720 × 960.
        QImage portrait;
        QList<Line> lines;
        /// The day it was made, as the user writes dates.
        QString date;
    };

    /// The card of `portrait` (720 × 960) under overlay `auraNumber`, dated today: its
    /// colours in reading order, each with the first sentence of `meaningOf` it.
    static Content contentOf(QImage portrait, int auraNumber,
                             const std::function<QString(AuraPalette::Colour)>& meaningOf);
    /// The reading as plain text, one colour a line with its sentence, then the date: what
    /// a chat or a mail gets beside the card's picture.
    static QString text(const Content& content);

    /// The card in pixels, and where the portrait lies on it (drawn pixel for pixel).
    static QSize size() { return QSize(1200, 1800); }
    static QRect portraitRect() { return QRect(240, 130, 720, 960); }

    /// The card as a picture.
    static QImage paint(const Content& content);
    /// The card as a one-page PDF of 4 × 6 inches. Fails with the reason.
    static toolkit::Result<QByteArray> pdf(const Content& content);
    /// Draws the card into `painter`, whose device is 1200 × 1800 units (a printer page
    /// of 4 × 6 inches at 300 dpi, or the card's picture).
    static void draw(QPainter& painter, const Content& content);
};
