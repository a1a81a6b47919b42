#include "ArtWriter.h"
#include "art/AuraColourMeasure.h"
#include "art/AuraColourTable.h"
#include "art/AuraOverlayPainter.h"
#include "art/AuraRecipe.h"
#include "art/HomePainter.h"
#include "art/IconPainter.h"
#include "art/PortraitFormat.h"
#include "art/RevealPainter.h"
#include "art/SilhouettePainter.h"
#include "imaging/PixelFile.h"

#include <QGuiApplication>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

int main(int argc, char* argv[]) {
    // Build machines have no display; text rendering still needs a platform plugin.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    const QStringList arguments = QGuiApplication::arguments();
    if (arguments.size() != 2) {
        std::fprintf(stderr, "usage: velmora-art OUTDIR\n");
        return 2;
    }
    ArtWriter writer(arguments.at(1));
    if (!writer.prepare()) {
        return 1;
    }

    const AuraOverlayPainter overlays;
    // Each overlay depends only on its own number, so the order threads take them in is irrelevant.
    // Overlays have no "@2x" files: their smoke makes the hundred 18 MB at 360 × 480 and
    // about four times that at twice the size, so a larger portrait paints its own (about
    // 0.1 s, in the background) from the same recipe.
    std::atomic<int> next{1};
    // Each overlay's colours as they show, measured on its pixels, for the reading.
    std::vector<QList<AuraColourTable::Entry>> measured(PortraitFormat::OverlayCount + 1);
    auto paintOverlays = [&] {
        for (int index = next++; index <= PortraitFormat::OverlayCount; index = next++) {
            const AuraRecipe recipe = AuraRecipe::forIndex(index);
            const QImage overlay = overlays.paint(recipe);
            measured[std::size_t(index)] = AuraColourMeasure::namedColours(overlay);
            writer.write(QStringLiteral("%1.png").arg(index), overlay);
            writer.write(QStringLiteral("glow-%1.png").arg(index),
                         AuraOverlayPainter::paintWideGlow(recipe));
        }
    };
    const unsigned cores = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
    std::vector<std::thread> workers;
    for (unsigned i = 0; i < cores; ++i) {
        workers.emplace_back(paintOverlays);
    }

    // Text is drawn on the main thread, where the font database lives.
    // The pictures with text and fine lines also come drawn at twice the size ("@2x") for
    // screens of twice the pixel density, where an enlarged one would look blurred.
    writer.write(QStringLiteral("home.png"), HomePainter::paint());
    writer.write(QStringLiteral("home@2x.png"), HomePainter::paint(2.0));
    // The home screen's picture as the window shows it, at each scale the window opens at:
    // its pixels as they are drawn, read with no decoding and drawn with no scaling.
    for (const qreal scale : {1.0, 1.5, 2.0}) {
        const QString tag = scale == 1.0 ? QString() : QStringLiteral("@%1x").arg(scale);
        writer.writeBytes(QStringLiteral("home%1.pixels").arg(tag),
                          toolkit::PixelFile::encode(HomePainter::paint(scale)));
    }
    writer.write(QStringLiteral("silo.png"), SilhouettePainter::framingGuide());
    writer.write(QStringLiteral("silo@2x.png"), SilhouettePainter::framingGuide(2.0));
    writer.write(QStringLiteral("reveal.png"), RevealPainter::paint());
    writer.write(QStringLiteral("reveal@2x.png"), RevealPainter::paint(2.0));
    for (const IconPainter::Control control : IconPainter::Controls) {
        writer.write(IconPainter::fileName(control), IconPainter::paint(control));
    }
    writer.write(QStringLiteral("velmora.png"), IconPainter::paintApplicationIcon());
    // The sizes a desktop's icon theme looks for, each drawn at its size, and a scalable one.
    for (const int size : {48, 64, 128, 512})
        writer.write(QStringLiteral("velmora-%1.png").arg(size),
                     IconPainter::paintApplicationIcon(size));
    writer.writeBytes(QStringLiteral("velmora.svg"), IconPainter::applicationIconSvg());

    for (std::thread& worker : workers) {
        worker.join();
    }
    AuraColourTable table;
    for (int index = 1; index <= PortraitFormat::OverlayCount; ++index)
        table.setColours(index, measured[std::size_t(index)]);
    writer.writeBytes(AuraColourTable::fileName(), table.toText());
    return writer.failed() ? 1 : 0;
}
