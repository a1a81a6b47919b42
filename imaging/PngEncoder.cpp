#include "imaging/PngEncoder.h"

#include <QCoreApplication>
#include <QtEndian>
#include <cstdlib>
#include <cstring>
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
    const QImage pixels =
        image.convertToFormat(opaque ? QImage::Format_RGB888 : QImage::Format_RGBA8888);
    if (pixels.isNull())
        return Result<QByteArray>::failure(reason("there is not enough memory to encode it"));
    const int width = pixels.width(), height = pixels.height();
    const int bpp = opaque ? 3 : 4;
    const size_t rowBytes = size_t(width) * size_t(bpp);

    std::vector<uchar> raw;
    std::vector<uchar> zeros(rowBytes, 0);
    try {
        raw.resize((rowBytes + 1) * size_t(height));
    } catch (const std::bad_alloc&) {
        return Result<QByteArray>::failure(reason("there is not enough memory to encode it"));
    }
    for (int y = 0; y < height; ++y) {
        uchar* out = &raw[(rowBytes + 1) * size_t(y)];
        out[0] = uchar(filter);
        filterRow(filter, pixels.constScanLine(y),
                  y > 0 ? pixels.constScanLine(y - 1) : zeros.data(), int(rowBytes), bpp, out + 1);
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
