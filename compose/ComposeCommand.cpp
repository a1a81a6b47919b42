#include "compose/ComposeCommand.h"

#include "album/AlbumSave.h"
#include "album/PhotoAlbum.h"
#include "base/Console.h"
#include "base/MemoryPressureMonitor.h"
#include "face/NoFaceDetector.h"
#include "imaging/DecodeAhead.h"
#include "imaging/ImageDecoder.h"
#include "imaging/PngEncoder.h"
#include "portrait/PortraitFramer.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <optional>

namespace {
// Paths go to stdout as the file system has them, so that a script can use every one; to
// stderr escaped, so that a name with a newline cannot forge a line.
void report(const QString& line, FILE* stream) {
    if (stream == stderr)
        toolkit::writeEscapedLine(line, stream);
    else
        toolkit::writeText(line + QLatin1Char('\n'), stream);
}

// Waits for events rather than polling for them: a poll loop took a core from the decoders.
// The tick bounds each wait so that a stop is still seen.
template <class Done> void waitUntil(Done done, const bool& stopped) {
    QTimer tick;
    tick.start(50);
    while (!done() && !stopped)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}
} // namespace

toolkit::Result<toolkit::Image> ComposeCommand::decode(const QString& photo,
                                                       const bool& stopped) const {
    // The decoder's own time limit ends a photo that takes too long.
    toolkit::ImageDecoder decoder;
    std::optional<toolkit::Result<toolkit::Image>> decoded;
    decoder.start(
        photo, decodeSize(),
        [&decoded](toolkit::Result<toolkit::Image> picture) { decoded = std::move(picture); },
        decodeSizing());
    waitUntil([&decoded] { return decoded.has_value(); }, stopped);
    if (!decoded)
        return toolkit::Result<toolkit::Image>::failure(QStringLiteral("stopped"));
    return std::move(*decoded);
}

QSize ComposeCommand::decodeSize() const {
    // Fitting to a face looks for it in a larger copy than the portrait, which then serves
    // for the photo too: decoded once, at that size, instead of twice.
    if (fit == PortraitComposer::Fit::Face && scale == 1)
        return QSize(PortraitFramer::kDetectionSide, PortraitFramer::kDetectionSide);
    return PortraitComposer::portraitSize(scale);
}

toolkit::Image::Sizing ComposeCommand::decodeSizing() const {
    // Faces are looked for in a copy of any size from the detection side up: the copy a
    // JPEG decodes to by itself spares resampling it, which costs a third of its decode.
    return fit == PortraitComposer::Fit::Face && scale == 1 ? toolkit::Image::Sizing::Covering
                                                            : toolkit::Image::Sizing::Exactly;
}

toolkit::Result<ReadingCard::Content>
ComposeCommand::makeCard(const toolkit::Image& photo, int auraNumber,
                         const toolkit::FaceDetector& detector) const {
    using Outcome = toolkit::Result<ReadingCard::Content>;
    const auto portrait =
        PortraitComposer::paint(PortraitComposer::frame(photo, fit, auraNumber, detector, 2));
    if (!portrait.ok())
        return Outcome::failure(portrait.error());
    return Outcome::success(ReadingCard::contentOf(portrait.value(), auraNumber, meaningOf));
}

QList<toolkit::Result<QString>> ComposeCommand::writeCard(const ReadingCard::Content& card,
                                                          const QString& portraitPath) {
    QString base = portraitPath;
    if (base.endsWith(QLatin1String(".png")))
        base.chop(4);
    QList<toolkit::Result<QString>> written;
    const auto png = toolkit::PngEncoder::encode(ReadingCard::paint(card));
    written.append(
        png.ok() ? toolkit::PhotoAlbum::writeBeside(png.value(), base + QStringLiteral("-card.png"))
                 : toolkit::Result<QString>::failure(
                       QStringLiteral("%1-card.png: %2").arg(base, png.error())));
    const auto pdf = ReadingCard::pdf(card);
    written.append(
        pdf.ok() ? toolkit::PhotoAlbum::writeBeside(pdf.value(), base + QStringLiteral("-card.pdf"))
                 : toolkit::Result<QString>::failure(
                       QStringLiteral("%1-card.pdf: %2").arg(base, pdf.error())));
    return written;
}

int ComposeCommand::run() {
    toolkit::PhotoAlbum& album = toolkit::PhotoAlbum::shared();
    if (!outFolder.isEmpty())
        album.setFolder(outFolder);

    int failures = 0;
    // Each save of this run is followed through this object, which ends with the run: the
    // counters live on this stack.
    QObject followingSaves;

    // SIGTERM or SIGINT: the photo being composed is given up and the portrait being
    // written is finished, so no temporary is left; a second signal ends it at once.
    bool stopped = false;
    toolkit::MemoryPressureMonitor signals_(&toolkit::PhotoAlbum::removeTemporaryNow);
    QObject::connect(&signals_, &toolkit::MemoryPressureMonitor::terminationRequested,
                     [&stopped] { stopped = true; });

    // The photos are decoded ahead, about one a core, while they are composed one by one
    // in their order: the aura each gets, and so each file, is the same as without. Only
    // the photos in flight are held, however long the batch.
    const int inFlight = QThread::idealThreadCount();
    int writing = 0;
    toolkit::DecodeAhead ahead(inFlight);
    for (const QString& photo : photos)
        ahead.announce(photo, decodeSize(), decodeSizing());
    std::optional<toolkit::DecodeAhead::Scope> usingAhead(&ahead);
    const toolkit::NoFaceDetector noFaces;
    const toolkit::FaceDetector& detector = faces ? *faces : noFaces;
    for (const QString& photo : photos) {
        const auto decoded = decode(photo, stopped);
        if (stopped)
            break;
        if (!decoded.ok()) {
            ++failures;
            report(QStringLiteral("velmora: skipped %1").arg(decoded.error()), stderr);
            continue;
        }
        const int auraNumber = PortraitComposer::drawAuraNumber(aura);
        const auto portrait = PortraitComposer::paint(
            PortraitComposer::frame(decoded.value(), fit, auraNumber, detector, scale));
        // A portrait without its aura is no portrait: an install that lost its pictures
        // fails loudly here, where the window would just show the bare photo.
        if (!portrait.ok()) {
            ++failures;
            report(QStringLiteral("velmora: skipped %1: %2").arg(photo, portrait.error()), stderr);
            continue;
        }
        // The album's writer may fall behind: portraits waiting for it are held whole, so
        // no more wait than photos are decoded ahead.
        waitUntil([&writing, inFlight] { return writing < inFlight; }, stopped);
        if (stopped)
            break;
        // The album prints its own line for a failed write; here it is only counted.
        ++writing;
        toolkit::AlbumSave* saving =
            toolkit::imageWriteToSavedPhotosAlbum(toolkit::Image(portrait.value()));
        toolkit::Result<ReadingCard::Content> cardImage =
            toolkit::Result<ReadingCard::Content>::failure(QString());
        if (card)
            cardImage = makeCard(decoded.value(), auraNumber, detector);
        QObject::connect(
            saving, &toolkit::AlbumSave::finished, &followingSaves,
            [this, &failures, &writing, cardImage](const toolkit::Result<QString>& outcome) {
                --writing;
                if (!outcome.ok()) {
                    ++failures;
                    return;
                }
                report(outcome.value(), stdout);
                if (!card)
                    return;
                if (!cardImage.ok()) {
                    ++failures;
                    report(QStringLiteral("velmora: no reading card for %1: %2")
                               .arg(outcome.value(), cardImage.error()),
                           stderr);
                    return;
                }
                for (const auto& written : writeCard(cardImage.value(), outcome.value())) {
                    if (written.ok()) {
                        report(written.value(), stdout);
                    } else {
                        ++failures;
                        report(QStringLiteral("velmora: %1").arg(written.error()), stderr);
                    }
                }
            });
        QCoreApplication::processEvents();
        if (stopped)
            break;
    }
    if (stopped) {
        album.discardQueuedWrites();
        report(QStringLiteral("velmora: stopped before every photo was composed"), stderr);
        ++failures;
    }
    usingAhead.reset();
    album.waitForQueuedWrites();
    QCoreApplication::processEvents();
    return failures == 0 ? 0 : 1;
}
