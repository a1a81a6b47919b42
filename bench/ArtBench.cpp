// Painting one aura at a photo's placement: the face framing paints one per photo, so the
// painter's set-up (outline distance field, per-cell geometry) is part of every figure.

#include "art/AuraOverlayPainter.h"
#include "art/AuraRecipe.h"
#include "art/PortraitFormat.h"

#include <QTransform>
#include <benchmark/benchmark.h>

namespace {

void paintOneAura(benchmark::State& state, QTransform placement) {
    const QSize canvas(PortraitFormat::Width, PortraitFormat::Height);
    int number = 1;
    for (auto _ : state) {
        const AuraOverlayPainter painter(canvas, placement);
        benchmark::DoNotOptimize(painter.paint(AuraRecipe::forIndex(number)));
        number = number % PortraitFormat::OverlayCount + 1;
    }
}
BENCHMARK_CAPTURE(paintOneAura, identity, QTransform())
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(3);
// A face off centre and larger than the clear oval: part of the glow lies off the canvas.
BENCHMARK_CAPTURE(paintOneAura, moved_and_enlarged, QTransform(1.6, 0, 0, 1.6, -220, -90))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(3);

} // namespace
