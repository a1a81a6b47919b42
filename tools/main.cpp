#include "ArtWriter.h"
#include "AuraOverlayPainter.h"
#include "AuraRecipe.h"
#include "HomePainter.h"
#include "IconPainter.h"
#include "RevealPainter.h"
#include "SilhouettePainter.h"

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
    std::atomic<int> next{1};
    auto paintOverlays = [&] {
        for (int index = next++; index <= AuraRecipe::Count; index = next++) {
            writer.write(QStringLiteral("%1.png").arg(index),
                         overlays.paint(AuraRecipe::forIndex(index)));
        }
    };
    const unsigned cores = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
    std::vector<std::thread> workers;
    for (unsigned i = 0; i < cores; ++i) {
        workers.emplace_back(paintOverlays);
    }

    // Text is drawn on the main thread, where the font database lives.
    writer.write(QStringLiteral("home.png"), HomePainter::paint());
    writer.write(QStringLiteral("silo.png"), SilhouettePainter::framingGuide());
    writer.write(QStringLiteral("reveal.png"), RevealPainter::paint());
    for (const IconPainter::Control control : IconPainter::Controls) {
        writer.write(IconPainter::fileName(control), IconPainter::paint(control));
    }
    writer.write(QStringLiteral("velmora.png"), IconPainter::paintApplicationIcon());

    for (std::thread& worker : workers) {
        worker.join();
    }
    return writer.failed() ? 1 : 0;
}
