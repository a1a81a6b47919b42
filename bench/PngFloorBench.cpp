// The floor under a PNG photo's decode: the file's IDAT data inflated by libdeflate in one
// call and the rows unfiltered, nothing else (no gamma, no conversion); beside it the decode
// as Velmora does it (Qt's reader on libpng and zlib).

#include "PhotoFactory.h"

#include <QFile>
#include <QImage>
#include <QtEndian>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <cstring>
#include <libdeflate.h>
#include <vector>

namespace {

QByteArray readPhoto() {
    QFile file(PhotoFactory::path(PhotoFactory::Kind::Png12));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// 8-bit RGB or RGBA, not interlaced: what the benchmark's photo is. False otherwise.
bool decodeFloor(const QByteArray& png, std::vector<uchar>& pixels,
                 libdeflate_decompressor* inflater) {
    qsizetype at = 8;
    int width = 0, height = 0, bpp = 0;
    QByteArray idat;
    while (at + 12 <= png.size()) {
        const quint32 length = qFromBigEndian<quint32>(png.constData() + at);
        const char* type = png.constData() + at + 4;
        const char* data = type + 4;
        if (std::memcmp(type, "IHDR", 4) == 0) {
            width = int(qFromBigEndian<quint32>(data));
            height = int(qFromBigEndian<quint32>(data + 4));
            if (data[8] != 8 || (data[9] != 2 && data[9] != 6) || data[12] != 0)
                return false;
            bpp = data[9] == 2 ? 3 : 4;
        } else if (std::memcmp(type, "IDAT", 4) == 0) {
            idat.append(data, qsizetype(length));
        }
        at += 12 + qsizetype(length);
    }
    const size_t stride = size_t(width) * size_t(bpp);
    pixels.resize((stride + 1) * size_t(height));
    size_t got = 0;
    if (libdeflate_zlib_decompress(inflater, idat.constData(), size_t(idat.size()), pixels.data(),
                                   pixels.size(), &got) != LIBDEFLATE_SUCCESS)
        return false;
    for (int y = 0; y < height; ++y) {
        uchar* row = &pixels[(stride + 1) * size_t(y)];
        const uchar* above = y ? row - (stride + 1) + 1 : nullptr;
        const int filter = row[0];
        ++row;
        const size_t n = size_t(bpp);
        // One loop per filter, as a real decoder has: the first pixel has no left neighbour.
        switch (filter) {
        case 1:
            for (size_t i = n; i < stride; ++i)
                row[i] = uchar(row[i] + row[i - n]);
            break;
        case 2:
            if (above)
                for (size_t i = 0; i < stride; ++i)
                    row[i] = uchar(row[i] + above[i]);
            break;
        case 3:
            for (size_t i = 0; i < stride; ++i)
                row[i] = uchar(row[i] + ((i >= n ? row[i - n] : 0) + (above ? above[i] : 0)) / 2);
            break;
        case 4:
            for (size_t i = 0; i < stride; ++i) {
                const int a = i >= n ? row[i - n] : 0;
                const int b = above ? above[i] : 0;
                const int c = above && i >= n ? above[i - n] : 0;
                const int q = a + b - c, pa = std::abs(q - a), pb = std::abs(q - b),
                          pc = std::abs(q - c);
                row[i] = uchar(row[i] + (pa <= pb && pa <= pc ? a : pb <= pc ? b : c));
            }
            break;
        default:
            break;
        }
    }
    return true;
}

void pngDecodeFloor(benchmark::State& state) {
    const QByteArray png = readPhoto();
    libdeflate_decompressor* inflater = libdeflate_alloc_decompressor();
    std::vector<uchar> pixels;
    for (auto _ : state) {
        if (!decodeFloor(png, pixels, inflater)) {
            state.SkipWithError("not an 8-bit RGB(A) PNG");
            break;
        }
        benchmark::DoNotOptimize(pixels.data());
    }
    libdeflate_free_decompressor(inflater);
}
BENCHMARK(pngDecodeFloor)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5);

void pngDecodeQt(benchmark::State& state) {
    const QByteArray png = readPhoto();
    for (auto _ : state)
        benchmark::DoNotOptimize(QImage::fromData(png, "png").constBits());
}
BENCHMARK(pngDecodeQt)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5);

} // namespace
