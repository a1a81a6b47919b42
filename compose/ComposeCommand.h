#pragma once

#include "portrait/PortraitComposer.h"
#include "portrait/ReadingCard.h"

#include "art/AuraPalette.h"
#include "imaging/Image.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

/// `velmora compose`: makes portraits without a window. Each photo is decoded as an album
/// pick decodes it and composed by the same PortraitComposer the window saves with, so each
/// file equals what the application would save.
class ComposeCommand {
public:
    QStringList photos;
    /// The folder the portraits go to; empty for the album folder.
    QString outFolder;
    /// 1 to 100 lays that overlay; 0 draws one at random.
    int aura = 0;
    /// Stretched to the portrait, or cut around the face.
    PortraitComposer::Fit fit = PortraitComposer::Fit::Stretch;
    /// 1 for 360 × 480 portraits, 2 for 720 × 960.
    int scale = 1;
    /// Also writes each portrait's reading card beside it, as PNG and PDF.
    bool card = false;
    /// The meaning of a colour in the user's language, for the card.
    std::function<QString(AuraPalette::Colour)> meaningOf;
    /// Finds the faces photos are cut around; none found without one.
    std::shared_ptr<const toolkit::FaceDetector> faces;

    /// Prints each written path on stdout and each refused photo, with the reason, on
    /// stderr. Returns 0 when every photo became a portrait, 1 otherwise. Needs a
    /// QGuiApplication, and no more.
    int run();

    /// Writes `card` beside the portrait at `portraitPath` as "-card.png" and "-card.pdf";
    /// each file's path, or why it was not written.
    static QList<toolkit::Result<QString>> writeCard(const ReadingCard::Content& card,
                                                     const QString& portraitPath);

private:
    // Decodes `photo` within the decoding budget, as an album pick does; waits on the
    // event loop. Fails with the reason; `stopped` ends the wait early.
    toolkit::Result<toolkit::Image> decode(const QString& photo, const bool& stopped) const;
    // The size photos are decoded at: the portrait's, or the face detector's copy.
    QSize decodeSize() const;
    toolkit::Image::Sizing decodeSizing() const;
    // The reading card of `photo`'s portrait with overlay `auraNumber`, composed at twice
    // the portrait's size. Fails with the reason.
    toolkit::Result<ReadingCard::Content> makeCard(const toolkit::Image& photo, int auraNumber,
                                                   const toolkit::FaceDetector& detector) const;
};
