#include "imaging/PngEncoder.h"

#include <QCoreApplication>
#include <QtEndian>
#include <cstdlib>
#include <cstring>
#ifdef __x86_64__
#include <immintrin.h>
#endif
#include <libdeflate.h>
#include <memory>
#include <vector>

namespace toolkit {

namespace {

bool isOpaque(const QImage& image) {
    if (!image.hasAlphaChannel())
        return true;
    if (image.format() != QImage::Format_ARGB32_Premultiplied &&
        image.format() != QImage::Format_ARGB32)
        return false;
    const int width = image.width();
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        QRgb all = 0xFF000000u;
        for (int x = 0; x < width; ++x)
            all &= line[x];
        if (qAlpha(all) != 255)
            return false;
    }
    return true;
}

#ifdef __x86_64__
// Four pixels at a time: B, G, R, A in memory become R, G, B; the last store writes four
// bytes past the twelve it keeps, which the next store or the scalar tail overwrites.
__attribute__((target("ssse3"))) int toRgbSsse3(const QRgb* line, int width, uchar* out) {
    const __m128i order = _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1);
    int x = 0;
    // Stops while six pixels are left: the last wide store ends inside the row.
    for (; x + 6 <= width; x += 4, out += 12) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(line + x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_shuffle_epi8(pixels, order));
    }
    return x;
}
#endif

// An opaque row of 32-bit pixels as R, G, B bytes.
void toRgb(const QRgb* line, int width, uchar* out) {
    int x = 0;
#ifdef __x86_64__
    static const bool ssse3 = __builtin_cpu_supports("ssse3");
    if (ssse3) {
        x = toRgbSsse3(line, width, out);
        out += 3 * x;
    }
#endif
    for (; x < width; ++x, out += 3) {
        const QRgb pixel = line[x];
        out[0] = uchar(pixel >> 16);
        out[1] = uchar(pixel >> 8);
        out[2] = uchar(pixel);
    }
}

void appendChunk(QByteArray& png, const char type[4], const uchar* data, size_t size) {
    const quint32 length = qToBigEndian(quint32(size));
    png.append(reinterpret_cast<const char*>(&length), 4);
    const qsizetype start = png.size();
    png.append(type, 4);
    if (size)
        png.append(reinterpret_cast<const char*>(data), qsizetype(size));
    const quint32 crc = qToBigEndian(
        quint32(libdeflate_crc32(0, png.constData() + start, size_t(png.size() - start))));
    png.append(reinterpret_cast<const char*>(&crc), 4);
}

uchar paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return uchar(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

// One row filtered into `out` (after its filter byte), `bpp` bytes a pixel; `above` is the
// unfiltered row before it, zeros for the first.
void filterRow(PngEncoder::Filter filter, const uchar* row, const uchar* above, int bytes, int bpp,
               uchar* out) {
    using F = PngEncoder::Filter;
    // The portraits' filter, as a loop of its own that the compiler vectorises; the general
    // loop below tests the filter at every byte.
    if (filter == F::Up) {
        for (int i = 0; i < bytes; ++i)
            out[i] = uchar(row[i] - above[i]);
        return;
    }
    for (int i = 0; i < bytes; ++i) {
        const int a = i >= bpp ? row[i - bpp] : 0;
        const int b = above[i];
        const int c = i >= bpp ? above[i - bpp] : 0;
        int predicted = 0;
        switch (filter) {
        case F::None:
            break;
        case F::Sub:
            predicted = a;
            break;
        case F::Up:
            predicted = b;
            break;
        case F::Average:
            predicted = (a + b) / 2;
            break;
        case F::Paeth:
            predicted = paeth(a, b, c);
            break;
        }
        out[i] = uchar(row[i] - predicted);
    }
}

QString reason(const char* text) {
    return QCoreApplication::translate("toolkit::PngEncoder", text);
}

} // namespace

Result<QByteArray> PngEncoder::encode(const QImage& image, Filter filter, int level) {
    if (image.isNull())
        return Result<QByteArray>::failure(reason("the picture is empty"));
    const bool opaque = isOpaque(image);
    // An opaque picture of 32 bits a pixel (every portrait) is narrowed row by row as it is
    // filtered; Qt's conversion of the whole picture took ten times as long, on a pool of
    // threads started for it.
    const bool ownRows = opaque && image.depth() == 32;
    const QImage pixels =
        ownRows ? image
                : image.convertToFormat(opaque ? QImage::Format_RGB888 : QImage::Format_RGBA8888);
    if (pixels.isNull())
        return Result<QByteArray>::failure(reason("there is not enough memory to encode it"));
    const int width = pixels.width(), height = pixels.height();
    const int bpp = opaque ? 3 : 4;
    const size_t rowBytes = size_t(width) * size_t(bpp);

    std::vector<uchar> raw;
    // The row before the current one (zeros above the first) and the current one, as RGB
    // bytes when narrowed here.
    std::vector<uchar> rows(rowBytes * 2, 0);
    try {
        raw.resize((rowBytes + 1) * size_t(height));
    } catch (const std::bad_alloc&) {
        return Result<QByteArray>::failure(reason("there is not enough memory to encode it"));
    }
    const uchar* above = rows.data();
    for (int y = 0; y < height; ++y) {
        uchar* out = &raw[(rowBytes + 1) * size_t(y)];
        out[0] = uchar(filter);
        const uchar* row = pixels.constScanLine(y);
        if (ownRows) {
            uchar* narrowed = rows.data() + rowBytes * size_t((y + 1) % 2);
            toRgb(reinterpret_cast<const QRgb*>(row), width, narrowed);
            row = narrowed;
        }
        filterRow(filter, row, above, int(rowBytes), bpp, out + 1);
        above = row;
    }

    std::unique_ptr<libdeflate_compressor, decltype(&libdeflate_free_compressor)> compressor(
        libdeflate_alloc_compressor(level), &libdeflate_free_compressor);
    if (!compressor)
        return Result<QByteArray>::failure(reason("there is not enough memory to encode it"));
    std::vector<uchar> deflated(libdeflate_zlib_compress_bound(compressor.get(), raw.size()));
    const size_t deflatedSize = libdeflate_zlib_compress(compressor.get(), raw.data(), raw.size(),
                                                         deflated.data(), deflated.size());
    if (deflatedSize == 0)
        return Result<QByteArray>::failure(reason("the compressor gave no data"));

    QByteArray png;
    png.reserve(qsizetype(deflatedSize) + 64);
    png.append("\x89PNG\r\n\x1a\n", 8);
    uchar header[13];
    const quint32 w = qToBigEndian(quint32(width)), h = qToBigEndian(quint32(height));
    std::memcpy(header, &w, 4);
    std::memcpy(header + 4, &h, 4);
    header[8] = 8;                            // bits a channel
    header[9] = opaque ? 2 : 6;               // RGB or RGBA
    header[10] = header[11] = header[12] = 0; // deflate, adaptive filtering, no interlace
    appendChunk(png, "IHDR", header, sizeof header);
    appendChunk(png, "IDAT", deflated.data(), deflatedSize);
    appendChunk(png, "IEND", nullptr, 0);
    return Result<QByteArray>::success(std::move(png));
}

} // namespace toolkit
