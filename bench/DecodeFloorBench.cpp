// The floor under pick-to-composed: libjpeg alone decoding the photo at the scale Velmora's
// decode uses, the pixels thrown away (what `djpeg -scale M/8 PHOTO > /dev/null` does).

#include "PhotoFactory.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

namespace {

struct ErrorExit {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void jumpOut(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorExit*>(info->err)->jump, 1);
}

// The smallest of 1/8, 1/4, 1/2 and 1 whose output still covers 360x480.
int scaleNumerator(QSize stored) {
    for (int m : {1, 2, 4, 8}) {
        if (std::ceil(stored.width() * m / 8.0) >= 360 &&
            std::ceil(stored.height() * m / 8.0) >= 480)
            return m;
    }
    return 8;
}

bool decodeScaled(const QString& path, int numerator) {
    FILE* file = std::fopen(qPrintable(path), "rb");
    if (!file)
        return false;
    jpeg_decompress_struct info;
    ErrorExit error;
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = jumpOut;
    std::vector<JSAMPLE> row;
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&info);
        std::fclose(file);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    info.scale_num = unsigned(numerator);
    info.scale_denom = 8;
    jpeg_start_decompress(&info);
    row.resize(size_t(info.output_width) * size_t(info.output_components));
    JSAMPROW rows[1] = {row.data()};
    while (info.output_scanline < info.output_height)
        jpeg_read_scanlines(&info, rows, 1);
    benchmark::DoNotOptimize(row.data());
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    return true;
}

void decodeFloor(benchmark::State& state, PhotoFactory::Kind kind) {
    const QString path = PhotoFactory::path(kind);
    const int numerator = scaleNumerator(PhotoFactory::size(kind));
    for (auto _ : state) {
        if (!decodeScaled(path, numerator)) {
            state.SkipWithError("libjpeg could not decode the photo");
            return;
        }
    }
    state.counters["scale_eighths"] = numerator;
}
BENCHMARK_CAPTURE(decodeFloor, jpeg_12mp, PhotoFactory::Kind::Jpeg12)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5);
BENCHMARK_CAPTURE(decodeFloor, jpeg_48mp, PhotoFactory::Kind::Jpeg48)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5);

} // namespace
