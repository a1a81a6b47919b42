#include "imaging/PngFileReader.h"

#include <QFile>
#include <QtEndian>
#include <cstring>
#include <libdeflate.h>
#include <memory>
#include <vector>

#ifdef __x86_64__
#include <immintrin.h>
#endif

namespace toolkit {

namespace {
// Larger than any picture the program ships; a file claiming more is left to the general
// reader and its limits.
constexpr quint32 kMaxSide = 8192;

quint32 be32(const uchar* p) {
    return qFromBigEndian<quint32>(p);
}

// The Paeth filter undone for pictures of `Bpp` bytes a pixel: the predictor chosen with
// selects rather than branches, and the first pixel, which has nothing left of it, apart.
template <int Bpp> void undoPaeth(uchar* row, const uchar* previous, size_t length) {
    for (size_t i = 0; i < size_t(Bpp) && i < length; ++i)
        row[i] = uchar(row[i] + previous[i]);
    for (size_t i = Bpp; i < length; ++i) {
        const int a = row[i - Bpp], b = previous[i], c = previous[i - Bpp];
        // |p - a|, |p - b| and |p - c| for p = a + b - c.
        const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
        int predicted = a, nearest = pa;
        if (pb < nearest) {
            predicted = b;
            nearest = pb;
        }
        if (pc < nearest)
            predicted = c;
        row[i] = uchar(row[i] + predicted);
    }
}

template <int Bpp> void undoAverage(uchar* row, const uchar* previous, size_t length) {
    for (size_t i = 0; i < size_t(Bpp) && i < length; ++i)
        row[i] = uchar(row[i] + (previous[i] >> 1));
    for (size_t i = Bpp; i < length; ++i)
        row[i] = uchar(row[i] + ((row[i - Bpp] + previous[i]) >> 1));
}

// Undoes a row's filter in place; `previous` is the row above, already unfiltered (zeros
// for the first).
bool unfilter(uchar filter, uchar* row, const uchar* previous, size_t length, int bpp) {
    switch (filter) {
    case 0:
        return true;
    case 1:
        for (size_t i = size_t(bpp); i < length; ++i)
            row[i] = uchar(row[i] + row[i - size_t(bpp)]);
        return true;
    case 2: {
        size_t i = 0;
#ifdef __SSE2__
        for (; i + 16 <= length; i += 16) {
            const __m128i sum =
                _mm_add_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i)),
                             _mm_loadu_si128(reinterpret_cast<const __m128i*>(previous + i)));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i), sum);
        }
#endif
        for (; i < length; ++i)
            row[i] = uchar(row[i] + previous[i]);
        return true;
    }
    case 3:
        bpp == 4 ? undoAverage<4>(row, previous, length) : undoAverage<3>(row, previous, length);
        return true;
    case 4:
        bpp == 4 ? undoPaeth<4>(row, previous, length) : undoPaeth<3>(row, previous, length);
        return true;
    default:
        return false;
    }
}
#ifdef __x86_64__
bool hasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

// RGBA bytes to premultiplied ARGB32, eight pixels at a time, as qPremultiply rounds; returns
// how many pixels it did (whole eights).
__attribute__((target("avx2"))) quint32 premultiplyAvx2(const uchar* in, QRgb* out, quint32 width) {
    // R, G, B, A in the file; B, G, R, A in an ARGB32 word's memory.
    const __m256i order = _mm256_setr_epi8(2, 1, 0, 3, 6, 5, 4, 7, 10, 9, 8, 11, 14, 13, 12, 15, 2,
                                           1, 0, 3, 6, 5, 4, 7, 10, 9, 8, 11, 14, 13, 12, 15);
    const __m256i redBlue = _mm256_set1_epi32(0xff00ff);
    const __m256i byte = _mm256_set1_epi32(0xff);
    quint32 x = 0;
    for (; x + 8 <= width; x += 8) {
        const __m256i p = _mm256_shuffle_epi8(
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + 4 * x)), order);
        const __m256i a = _mm256_srli_epi32(p, 24);
        __m256i t = _mm256_mullo_epi32(_mm256_and_si256(p, redBlue), a);
        t = _mm256_srli_epi32(
            _mm256_add_epi32(
                _mm256_add_epi32(t, _mm256_and_si256(_mm256_srli_epi32(t, 8), redBlue)),
                _mm256_set1_epi32(0x800080)),
            8);
        t = _mm256_and_si256(t, redBlue);
        __m256i g = _mm256_mullo_epi32(_mm256_and_si256(_mm256_srli_epi32(p, 8), byte), a);
        g = _mm256_add_epi32(_mm256_add_epi32(g, _mm256_and_si256(_mm256_srli_epi32(g, 8), byte)),
                             _mm256_set1_epi32(0x80));
        g = _mm256_and_si256(g, _mm256_set1_epi32(0xff00));
        const __m256i premultiplied =
            _mm256_or_si256(_mm256_or_si256(g, t), _mm256_slli_epi32(a, 24));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x), premultiplied);
    }
    return x;
}
#endif
} // namespace

QImage PngFileReader::read(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QImage();
    const QByteArray bytes = file.readAll();
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    const size_t size = size_t(bytes.size());
    static const uchar signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (size < 8 + 25 || std::memcmp(data, signature, 8) != 0)
        return QImage();

    quint32 width = 0, height = 0;
    int bpp = 0;
    QByteArray compressed;
    for (size_t at = 8; at + 12 <= size;) {
        const quint32 length = be32(data + at);
        const uchar* type = data + at + 4;
        if (length > size - at - 12)
            return QImage();
        const uchar* body = data + at + 8;
        if (std::memcmp(type, "IHDR", 4) == 0) {
            if (length != 13)
                return QImage();
            width = be32(body);
            height = be32(body + 4);
            const uchar depth = body[8], colour = body[9], interlace = body[12];
            if (depth != 8 || (colour != 2 && colour != 6) || interlace != 0 || width == 0 ||
                height == 0 || width > kMaxSide || height > kMaxSide)
                return QImage();
            bpp = colour == 6 ? 4 : 3;
        } else if (std::memcmp(type, "IDAT", 4) == 0) {
            compressed.append(reinterpret_cast<const char*>(body), qsizetype(length));
        } else if (std::memcmp(type, "IEND", 4) == 0) {
            break;
        } else if (std::memcmp(type, "PLTE", 4) == 0 || std::memcmp(type, "tRNS", 4) == 0) {
            return QImage(); // changes what the pixels mean: the general reader's job
        }
        at += 12 + length;
    }
    if (bpp == 0 || compressed.isEmpty())
        return QImage();

    const size_t stride = size_t(width) * size_t(bpp);
    std::vector<uchar> raw((stride + 1) * height);
    std::unique_ptr<libdeflate_decompressor, decltype(&libdeflate_free_decompressor)> inflater(
        libdeflate_alloc_decompressor(), &libdeflate_free_decompressor);
    size_t produced = 0;
    if (!inflater ||
        libdeflate_zlib_decompress(inflater.get(), compressed.constData(),
                                   size_t(compressed.size()), raw.data(), raw.size(),
                                   &produced) != LIBDEFLATE_SUCCESS ||
        produced != raw.size())
        return QImage();

    QImage image(int(width), int(height),
                 bpp == 4 ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (image.isNull())
        return QImage();
    const std::vector<uchar> zeros(stride, 0);
    const uchar* previous = zeros.data();
    for (quint32 y = 0; y < height; ++y) {
        uchar* row = raw.data() + y * (stride + 1);
        if (!unfilter(row[0], row + 1, previous, stride, bpp))
            return QImage();
        previous = row + 1;
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(int(y)));
        const uchar* in = row + 1;
        if (bpp == 4) {
            quint32 x = 0;
#ifdef __x86_64__
            if (hasAvx2())
                x = premultiplyAvx2(in, out, width);
            in += 4 * x;
#endif
            for (; x < width; ++x, in += 4)
                out[x] = qPremultiply(qRgba(in[0], in[1], in[2], in[3]));
        } else {
            for (quint32 x = 0; x < width; ++x, in += 3)
                out[x] = qRgb(in[0], in[1], in[2]);
        }
    }
    return image;
}

} // namespace toolkit
