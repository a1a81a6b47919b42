// The hot path in process: pick to composed screen, save, the album's encode-and-publish,
// launch to first frame. Figures are wall-clock medians of repetitions.

#include "BenchSession.h"
#include "PhotoFactory.h"
#include "album/PhotoAlbum.h"
#include "app/MainInterface.h"
#include "art/PortraitFormat.h"
#include "imaging/Image.h"
#include "imaging/PngEncoder.h"
#include "imaging/Resampler.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QPixmap>
#include <benchmark/benchmark.h>
#include <chrono>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;
using Kind = PhotoFactory::Kind;

const QSize kDrawSize(PortraitFormat::Width, PortraitFormat::Height);

double secondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

void fail(benchmark::State& state, const QString& reason) {
    // The reporter reads the message after the benchmark has returned.
    static std::string message;
    message = reason.toStdString();
    state.SkipWithError(message.c_str());
}

// The photo as the album picker hands it over, decoded at the draw size, then drawn into the
// photo area with an aura drawn at random over it.
void pickToComposed(benchmark::State& state, Kind kind) {
    const QString path = PhotoFactory::path(kind);
    VelmoraViewController* screen = BenchSession::current().screen();
    for (auto _ : state) {
        auto picked = toolkit::Image::fromFile(path, kDrawSize);
        if (!picked.ok())
            return fail(state, picked.error());
        screen->useImage(picked.value());
        screen->determinecurrentimage();
    }
    state.counters["file_mb"] = double(QFileInfo(path).size()) / 1e6;
}
BENCHMARK_CAPTURE(pickToComposed, jpeg_12mp, Kind::Jpeg12)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5);
BENCHMARK_CAPTURE(pickToComposed, jpeg_48mp, Kind::Jpeg48)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5);
BENCHMARK_CAPTURE(pickToComposed, png_12mp, Kind::Png12)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5);

// The antialiasing filter alone, on what the DCT shrink gives for a 12 MP photo.
void resample(benchmark::State& state) {
    QImage decoded(1000, 750, QImage::Format_RGB32);
    for (int y = 0; y < decoded.height(); ++y)
        for (int x = 0; x < decoded.width(); ++x)
            decoded.setPixel(x, y, qRgb(x * 7 % 256, y * 5 % 256, (x ^ y) % 256));
    for (auto _ : state)
        benchmark::DoNotOptimize(toolkit::Resampler::scaled(decoded, kDrawSize).constBits());
}
BENCHMARK(resample)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5);

// The time is until save() gives the main thread back; on_disk_after_ms is how long after
// that the PNG is published under its final name.
void saveReturns(benchmark::State& state) {
    BenchSession& session = BenchSession::current();
    session.showPortrait(Kind::Jpeg12);
    VelmoraViewController* screen = session.screen();
    toolkit::PhotoAlbum& album = toolkit::PhotoAlbum::shared();
    double publishedAfter = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        screen->save(screen->ui->save2);
        const auto returned = Clock::now();
        album.waitForQueuedWrites();
        const auto published = Clock::now();
        state.SetIterationTime(secondsBetween(start, returned));
        publishedAfter += secondsBetween(returned, published) * 1000;
        QCoreApplication::processEvents();
        session.clearAlbum();
    }
    state.counters["on_disk_after_ms"] =
        benchmark::Counter(publishedAfter, benchmark::Counter::kAvgIterations);
}
BENCHMARK(saveReturns)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(40)
    ->Repetitions(5);

// The album worker's whole job for one portrait: encode, write, sync, link.
void albumWriteNow(benchmark::State& state) {
    BenchSession& session = BenchSession::current();
    const QImage portrait = session.composedPortrait();
    for (auto _ : state) {
        const auto written = toolkit::PhotoAlbum::writeNow(portrait, session.albumFolder());
        if (!written.ok())
            return fail(state, written.error());
        state.PauseTiming();
        session.clearAlbum();
        state.ResumeTiming();
    }
}
BENCHMARK(albumWriteNow)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(40)
    ->Repetitions(5);

// The encode alone, to tell it from the file system's share of the album's time: at the
// PNG quality given (it maps to zlib's level), of the capture as rendered (with an alpha
// channel) or as opaque RGB; png_bytes is the size of the result.
void pngEncode(benchmark::State& state) {
    QImage portrait = BenchSession::current().composedPortrait();
    if (state.range(1))
        portrait = portrait.convertToFormat(QImage::Format_RGB32);
    qint64 bytes = 0;
    for (auto _ : state) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "png");
        writer.setQuality(int(state.range(0)));
        if (!writer.write(portrait))
            return fail(state, writer.errorString());
        bytes = png.size();
    }
    state.counters["png_bytes"] = double(bytes);
}
BENCHMARK(pngEncode)
    ->ArgNames({"quality", "opaque"})
    ->Args({70, 0}) // what the album did first: zlib level 2, with the alpha channel
    ->Args({80, 1}) // what it does now: level 1, opaque RGB
    ->Args({90, 1}) // level 0, stored: the floor of Qt's PNG writer, at the raw size
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5);

// The album's own encoder: one row filter on every row, libdeflate at level 1 (filter 0
// none, 1 sub, 2 up, 4 paeth), of the capture as rendered.
void pngEncodeFixed(benchmark::State& state) {
    const QImage portrait = BenchSession::current().composedPortrait();
    const auto filter = toolkit::PngEncoder::Filter(state.range(0));
    qint64 bytes = 0;
    for (auto _ : state) {
        auto png = toolkit::PngEncoder::encode(portrait, filter, int(state.range(1)));
        if (!png.ok())
            return fail(state, png.error());
        bytes = png.value().size();
    }
    state.counters["png_bytes"] = double(bytes);
}
BENCHMARK(pngEncodeFixed)
    ->ArgNames({"filter", "level"})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Args({2, 1})
    ->Args({4, 1})
    ->Args({2, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5);

// An overlay's decode, as shipped (level 0) or written again with the "up" filter at
// libdeflate's `level`; png_bytes is the file's size.
void overlayDecode(benchmark::State& state) {
    QFile shipped(QStringLiteral(VELMORA_BENCH_RESOURCES "/17.png"));
    if (!shipped.open(QIODevice::ReadOnly))
        return fail(state, shipped.errorString());
    QByteArray png = shipped.readAll();
    if (state.range(0) > 0) {
        auto again = toolkit::PngEncoder::encode(
            QImage::fromData(png, "png"), toolkit::PngEncoder::Filter::Up, int(state.range(0)));
        if (!again.ok())
            return fail(state, again.error());
        png = again.value();
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(QImage::fromData(png, "png").constBits());
    state.counters["png_bytes"] = double(png.size());
}
BENCHMARK(overlayDecode)
    ->ArgNames({"level"})
    ->Arg(0)
    ->Arg(1)
    ->Arg(6)
    ->Arg(12)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5);

// Warm: what a second launch in the same process costs, fonts and images already loaded.
// cold_ms is the process's first launch, once, for context.
void launchToFirstFrame(benchmark::State& state) {
    const double cold = BenchSession::current().coldLaunchMilliseconds();
    for (auto _ : state) {
        auto app = loadMainInterface();
        app->applicationDidFinishLaunching();
        const QPixmap frame = app->window()->grab();
        benchmark::DoNotOptimize(frame.cacheKey());
        state.PauseTiming();
        app.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["cold_ms"] = cold;
}
BENCHMARK(launchToFirstFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5);

} // namespace
