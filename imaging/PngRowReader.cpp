#include "imaging/PngRowReader.h"

#include <QtEndian>
#include <csetjmp>
#include <cstdint>
#include <cstring>
#include <png.h>
#include <vector>

namespace toolkit {

namespace {

struct Source {
    const QByteArray* bytes;
    qsizetype at;
};

void readBytes(png_structp png, png_bytep out, size_t count) {
    auto* source = static_cast<Source*>(png_get_io_ptr(png));
    if (count > size_t(source->bytes->size() - source->at))
        png_error(png, "the file ends early");
    std::memcpy(out, source->bytes->constData() + source->at, count);
    source->at += qsizetype(count);
}

void jumpOut(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void ignoreWarning(png_structp, png_const_charp) {}

// Whether a chunk of `type` is anywhere in the file; orientation may stand after the pixels.
bool hasChunk(const QByteArray& png, const char type[4]) {
    qsizetype at = 8;
    while (at + 12 <= png.size()) {
        if (std::memcmp(png.constData() + at + 4, type, 4) == 0)
            return true;
        at += 12 + qsizetype(qFromBigEndian<quint32>(png.constData() + at));
    }
    return false;
}

// The state kept across the decode; outside the frame that calls setjmp, so that nothing
// there changes between setjmp and a longjmp.
struct Decode {
    png_structp png = nullptr;
    png_infop info = nullptr;
    QImage out;
    std::vector<png_byte> row;
    std::vector<std::uint32_t> sums;
};

bool run(Decode& d, Source& source, int boxWidth, int boxHeight) {
    if (setjmp(png_jmpbuf(d.png)))
        return false;
    png_set_read_fn(d.png, &source, readBytes);
    png_read_info(d.png, d.info);
    const int width = int(png_get_image_width(d.png, d.info));
    const int height = int(png_get_image_height(d.png, d.info));
    if (png_get_interlace_type(d.png, d.info) != PNG_INTERLACE_NONE || width <= 0 || height <= 0)
        return false;
    const int colourType = png_get_color_type(d.png, d.info);
    const bool alpha =
        (colourType & PNG_COLOR_MASK_ALPHA) || png_get_valid(d.png, d.info, PNG_INFO_tRNS);
    png_set_expand(d.png);
    png_set_strip_16(d.png);
    png_set_gray_to_rgb(d.png);
    png_set_bgr(d.png);
    if (!alpha)
        png_set_filler(d.png, 0xff, PNG_FILLER_AFTER);
    png_read_update_info(d.png, d.info);
    if (png_get_channels(d.png, d.info) != 4 || png_get_bit_depth(d.png, d.info) != 8 ||
        png_get_rowbytes(d.png, d.info) != size_t(width) * 4)
        return false;

    const int outWidth = (width + boxWidth - 1) / boxWidth;
    const int outHeight = (height + boxHeight - 1) / boxHeight;
    d.out = QImage(outWidth, outHeight,
                   alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (d.out.isNull())
        return false;
    d.row.resize(size_t(width) * 4);
    d.sums.assign(size_t(outWidth) * 4, 0);
    for (int y = 0; y < height; ++y) {
        png_read_row(d.png, d.row.data(), nullptr);
        const png_byte* p = d.row.data();
        for (int ox = 0; ox < outWidth; ++ox) {
            std::uint32_t* sum = &d.sums[size_t(ox) * 4];
            const int x1 = qMin(width, (ox + 1) * boxWidth);
            for (int x = ox * boxWidth; x < x1; ++x, p += 4) {
                if (alpha) {
                    // Averaged as the picture is drawn: premultiplied.
                    const std::uint32_t a = p[3];
                    sum[0] += (p[0] * a + 127) / 255;
                    sum[1] += (p[1] * a + 127) / 255;
                    sum[2] += (p[2] * a + 127) / 255;
                    sum[3] += a;
                } else {
                    sum[0] += p[0];
                    sum[1] += p[1];
                    sum[2] += p[2];
                    sum[3] += 255;
                }
            }
        }
        if ((y + 1) % boxHeight != 0 && y + 1 != height)
            continue;
        const int rows = y % boxHeight + 1;
        uchar* out = d.out.scanLine(y / boxHeight);
        for (int ox = 0; ox < outWidth; ++ox) {
            const std::uint32_t n =
                std::uint32_t((qMin(width, (ox + 1) * boxWidth) - ox * boxWidth) * rows);
            for (int c = 0; c < 4; ++c)
                out[ox * 4 + c] = uchar((d.sums[size_t(ox) * 4 + size_t(c)] + n / 2) / n);
        }
        std::fill(d.sums.begin(), d.sums.end(), 0u);
    }
    png_read_end(d.png, nullptr);
    return true;
}

} // namespace

std::optional<QImage> PngRowReader::boxAveraged(const QByteArray& png, int boxWidth,
                                                int boxHeight) {
    if (boxWidth < 1 || boxHeight < 1 || hasChunk(png, "eXIf"))
        return std::nullopt;
    Decode d;
    d.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, jumpOut, ignoreWarning);
    if (!d.png)
        return std::nullopt;
    d.info = png_create_info_struct(d.png);
    Source source{&png, 0};
    const bool read = d.info && run(d, source, boxWidth, boxHeight);
    png_destroy_read_struct(&d.png, d.info ? &d.info : nullptr, nullptr);
    if (!read)
        return std::nullopt;
    return std::move(d.out);
}

} // namespace toolkit
