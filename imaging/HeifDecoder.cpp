#include "imaging/HeifDecoder.h"

#include "base/Log.h"
#include "imaging/PictureFile.h"
#include "imaging/Resampler.h"

#include <QCoreApplication>
#include <QList>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <dlfcn.h>
#include <initializer_list>
#include <libheif/heif.h>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

namespace toolkit {

namespace {

// The brands of pictures coded with HEVC (single pictures and sequences), with AV1, and
// those of the container alone, which either may carry.
const char* const kHevcBrands[] = {"heic", "heix", "hevc", "hevx", "heim", "heis", "hevm", "hevs"};
const char* const kAv1Brands[] = {"avif", "avis"};
const char* const kContainerBrands[] = {"mif1", "msf1", "mif2", "miaf"};

const char kLibraryName[] = "libheif.so.1";

// libheif and the codecs under it (x265, libde265, dav1d, aom) are a dozen libraries whose
// mapping, binding and start-up every process paid at its start, for the few that ever
// read a HEIF file: they are loaded the first time one is looked at.
// clang-format off
#define TOOLKIT_HEIF_FUNCTIONS(F) \
    F(heif_init) \
    F(heif_context_alloc) \
    F(heif_context_free) \
    F(heif_context_get_primary_image_handle) \
    F(heif_context_read_from_memory_without_copy) \
    F(heif_context_set_maximum_image_size_limit) \
    F(heif_decode_image) \
    F(heif_decoding_options_alloc) \
    F(heif_decoding_options_free) \
    F(heif_have_decoder_for_format) \
    F(heif_image_get_bits_per_pixel) \
    F(heif_image_get_bits_per_pixel_range) \
    F(heif_image_get_colorspace) \
    F(heif_image_get_decoding_warnings) \
    F(heif_image_get_height) \
    F(heif_image_get_plane_readonly) \
    F(heif_image_get_width) \
    F(heif_image_handle_get_height) \
    F(heif_image_handle_get_ispe_height) \
    F(heif_image_handle_get_ispe_width) \
    F(heif_image_handle_get_list_of_metadata_block_IDs) \
    F(heif_image_handle_get_list_of_thumbnail_IDs) \
    F(heif_image_handle_get_luma_bits_per_pixel) \
    F(heif_image_handle_get_metadata) \
    F(heif_image_handle_get_metadata_size) \
    F(heif_image_handle_get_nclx_color_profile) \
    F(heif_image_handle_get_number_of_thumbnails) \
    F(heif_image_handle_get_thumbnail) \
    F(heif_image_handle_get_width) \
    F(heif_image_handle_has_alpha_channel) \
    F(heif_image_handle_is_premultiplied_alpha) \
    F(heif_image_handle_release) \
    F(heif_image_release) \
    F(heif_nclx_color_profile_free)
// clang-format on

struct Library {
#define TOOLKIT_HEIF_POINTER(name) decltype(&::name) name = nullptr;
    TOOLKIT_HEIF_FUNCTIONS(TOOLKIT_HEIF_POINTER)
#undef TOOLKIT_HEIF_POINTER
    bool loaded = false;
};

Library load() {
    Library library;
    void* handle = ::dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        qCWarning(programLog, "HEIF pictures cannot be read: %s", ::dlerror());
        return library;
    }
    bool complete = true;
#define TOOLKIT_HEIF_RESOLVE(name)                                                                 \
    library.name = reinterpret_cast<decltype(&::name)>(::dlsym(handle, #name));                    \
    complete = complete && library.name;
    TOOLKIT_HEIF_FUNCTIONS(TOOLKIT_HEIF_RESOLVE)
#undef TOOLKIT_HEIF_RESOLVE
    if (!complete) {
        qCWarning(programLog, "HEIF pictures cannot be read: %s lacks a function the decoder uses",
                  kLibraryName);
        return library;
    }
    library.heif_init(nullptr);
    library.loaded = true;
    return library;
}

// Loaded once, whichever thread asks first; never unloaded.
const Library& lib() {
    static const Library library = load();
    return library;
}

bool initialise() {
    return lib().loaded;
}

QString reasonOf(const heif_error& error) {
    return QString::fromUtf8(error.message).trimmed();
}

using Context = std::unique_ptr<heif_context, decltype(&::heif_context_free)>;
using Handle = std::unique_ptr<heif_image_handle, decltype(&::heif_image_handle_release)>;

// The primary picture of the container in `bytes`, which must outlive both.
struct Opened {
    Context context{nullptr, lib().heif_context_free};
    Handle primary{nullptr, lib().heif_image_handle_release};
};

Result<Opened> open(const QByteArray& bytes) {
    if (!initialise())
        return Result<Opened>::failure(QCoreApplication::translate(
            "toolkit::HeifDecoder", "the HEIF decoder (libheif) is not installed"));
    Opened opened;
    opened.context.reset(lib().heif_context_alloc());
    lib().heif_context_set_maximum_image_size_limit(opened.context.get(), HeifDecoder::kMaxSide);
    heif_error error = lib().heif_context_read_from_memory_without_copy(
        opened.context.get(), bytes.constData(), size_t(bytes.size()), nullptr);
    if (error.code != heif_error_Ok)
        return Result<Opened>::failure(reasonOf(error));
    heif_image_handle* primary = nullptr;
    error = lib().heif_context_get_primary_image_handle(opened.context.get(), &primary);
    if (error.code != heif_error_Ok)
        return Result<Opened>::failure(reasonOf(error));
    opened.primary.reset(primary);
    return Result<Opened>::success(std::move(opened));
}

quint32 bigEndian(const QByteArray& bytes, qsizetype at) {
    quint32 value = 0;
    for (int i = 0; i < 4; ++i)
        value = (value << 8) | uchar(bytes[at + i]);
    return value;
}

// A box of the container: its type and where its contents lie.
struct Box {
    QByteArray type;
    qsizetype body;
    qsizetype end;
};

// The boxes inside the box reached through `path` (e.g. meta, iprp, ipco) from the top of
// the file; none when the structure is broken (the decoder then says why).
QList<Box> boxesInside(const QByteArray& bytes, std::initializer_list<const char*> path) {
    qsizetype from = 0, to = bytes.size();
    QList<Box> boxes;
    auto it = path.begin();
    while (true) {
        const char* inside = it == path.end() ? nullptr : *it;
        bool found = false;
        for (qsizetype at = from; at + 8 <= to;) {
            qint64 size = bigEndian(bytes, at);
            qsizetype header = 8;
            if (size == 1 && at + 16 <= to) {
                size = qint64(bigEndian(bytes, at + 8)) << 32 | bigEndian(bytes, at + 12);
                header = 16;
            } else if (size == 0) {
                size = to - at;
            }
            if (size < header || size > to - at)
                return {};
            const QByteArray type = bytes.mid(at + 4, 4);
            if (!inside)
                boxes.append(Box{type, at + header, at + qsizetype(size)});
            if (inside && type == inside) {
                from = at + header + (type == "meta" ? 4 : 0); // meta carries a version
                to = at + size;
                found = true;
                break;
            }
            at += size;
        }
        if (!inside)
            return boxes;
        if (!found)
            return {};
        ++it;
    }
}

QList<Box> itemProperties(const QByteArray& bytes) {
    return boxesInside(bytes, {"meta", "iprp", "ipco"});
}

// Whether the container's item properties hold a rotation or a mirroring. The decoder
// applies those itself; such a file's EXIF orientation restates them and must not be
// applied a second time.
bool hasContainerTransformations(const QByteArray& bytes) {
    for (const Box& box : itemProperties(bytes))
        if (box.type == "irot" || box.type == "imir")
            return true;
    return false;
}

// Reads the bits of a parameter set or sequence header.
class BitReader {
public:
    /// `escaped`: HEVC's emulation-prevention bytes are dropped (AV1 has none).
    explicit BitReader(const QByteArray& bytes, bool escaped = true) {
        int zeros = 0;
        for (const char byte : bytes) {
            if (escaped && zeros >= 2 && byte == 3) {
                zeros = 0;
                continue;
            }
            m_bytes.append(byte);
            zeros = byte == 0 ? zeros + 1 : 0;
        }
    }
    quint32 bits(int count) {
        quint32 value = 0;
        for (int i = 0; i < count; ++i, ++m_at)
            value =
                (value << 1) |
                (m_at / 8 < m_bytes.size() ? (uchar(m_bytes[m_at / 8]) >> (7 - m_at % 8)) & 1 : 0);
        return value;
    }
    /// An unsigned Exp-Golomb number; -1 when it is longer than any valid one.
    qint64 golomb() {
        int zeros = 0;
        while (bits(1) == 0)
            if (++zeros > 31)
                return -1;
        return (qint64(1) << zeros) - 1 + bits(zeros);
    }

private:
    QByteArray m_bytes;
    qint64 m_at = 0;
};

// The first bytes of each item's data that the file itself holds, as its item locations
// say.
QList<QByteArray> itemHeads(const QByteArray& bytes) {
    QList<QByteArray> heads;
    for (const Box& box : boxesInside(bytes, {"meta"})) {
        if (box.type != "iloc")
            continue;
        qsizetype at = box.body;
        bool broken = false;
        auto number = [&](int size) -> qint64 {
            if (at + size > box.end) {
                broken = true;
                return 0;
            }
            qint64 value = 0;
            for (int i = 0; i < size; ++i)
                value = (value << 8) | uchar(bytes[at++]);
            return value;
        };
        const int version = int(number(1));
        number(3);
        const int sizes = int(number(2));
        const int offsetSize = sizes >> 12, lengthSize = (sizes >> 8) & 15;
        const int baseSize = (sizes >> 4) & 15, indexSize = version > 0 ? sizes & 15 : 0;
        const qint64 items = number(version < 2 ? 2 : 4);
        for (qint64 item = 0; item < items && !broken; ++item) {
            number(version < 2 ? 2 : 4);
            const qint64 method = version > 0 ? number(2) & 15 : 0;
            number(2);
            const qint64 base = number(baseSize);
            const qint64 extents = number(2);
            for (qint64 e = 0; e < extents && !broken; ++e) {
                number(indexSize);
                const qint64 offset = number(offsetSize);
                number(lengthSize);
                if (e == 0 && method == 0 && base + offset >= 0 && base + offset < bytes.size())
                    heads.append(bytes.mid(base + offset, 512));
            }
        }
    }
    return heads;
}

// The picture an AV1 sequence header at the start of `data` (after a temporal delimiter,
// if any) codes, in pixels; 0 when `data` starts with none.
qint64 av1Picture(const QByteArray& data) {
    qsizetype at = 0;
    for (int obu = 0; obu < 2 && at < data.size(); ++obu) {
        const int header = uchar(data[at]);
        if (header & 0x81) // the forbidden and the reserved bit
            return 0;
        const int type = (header >> 3) & 15;
        at += (header & 4) ? 2 : 1;
        qint64 size = data.size() - at;
        if (header & 2) {
            size = 0;
            for (int i = 0; i < 8; ++i) {
                if (at >= data.size())
                    return 0;
                const int b = uchar(data[at++]);
                size |= qint64(b & 0x7F) << (7 * i);
                if (!(b & 0x80))
                    break;
            }
        }
        if (type == 2) { // a temporal delimiter
            at += size;
            continue;
        }
        if (type != 1)
            return 0;
        BitReader sequence(data.mid(at, qMin<qint64>(size, 512)), false);
        sequence.bits(4); // the profile and whether it is a still picture
        if (sequence.bits(1)) {
            sequence.bits(5);
        } else {
            bool decoderModel = false;
            int delayLength = 0;
            if (sequence.bits(1)) { // timing
                sequence.bits(32);
                sequence.bits(32);
                if (sequence.bits(1))
                    sequence.golomb();
                decoderModel = sequence.bits(1);
                if (decoderModel) {
                    delayLength = int(sequence.bits(5)) + 1;
                    sequence.bits(32);
                    sequence.bits(10);
                }
            }
            const bool displayDelay = sequence.bits(1);
            const int points = int(sequence.bits(5)) + 1;
            for (int i = 0; i < points; ++i) {
                sequence.bits(12);
                if (sequence.bits(5) > 7)
                    sequence.bits(1);
                if (decoderModel && sequence.bits(1)) {
                    sequence.bits(delayLength);
                    sequence.bits(delayLength);
                    sequence.bits(1);
                }
                if (displayDelay && sequence.bits(1))
                    sequence.bits(4);
            }
        }
        const int widthBits = int(sequence.bits(4)) + 1, heightBits = int(sequence.bits(4)) + 1;
        const qint64 width = qint64(sequence.bits(widthBits)) + 1;
        return width * (qint64(sequence.bits(heightBits)) + 1);
    }
    return 0;
}

// The largest picture that any HEVC sequence parameter set or AV1 sequence header of the
// container codes, in pixels. The decoder allocates what the coded stream says, whatever the
// container declares, so a stream larger than its declaration would escape the budget.
qint64 largestCodedPicture(const QByteArray& bytes) {
    qint64 largest = 0;
    for (const Box& box : itemProperties(bytes)) {
        if (box.type != "hvcC" || box.body + 23 > box.end)
            continue;
        auto twoBytes = [&bytes](qsizetype at) {
            return int(uchar(bytes[at])) << 8 | uchar(bytes[at + 1]);
        };
        qsizetype at = box.body + 22;
        const int arrays = uchar(bytes[at++]);
        for (int a = 0; a < arrays && at + 3 <= box.end; ++a) {
            const int type = uchar(bytes[at]) & 0x3F;
            const int count = twoBytes(at + 1);
            at += 3;
            for (int n = 0; n < count && at + 2 <= box.end; ++n) {
                const qsizetype length = twoBytes(at);
                at += 2;
                if (type == 33 && at + length <= box.end) {
                    BitReader sps(bytes.mid(at + 2, length - 2)); // past the NAL header
                    sps.bits(4);
                    const int subLayers = int(sps.bits(3));
                    sps.bits(1);
                    sps.bits(96); // the general profile, tier and level
                    int present[8] = {};
                    for (int i = 0; i < subLayers; ++i)
                        present[i] = int(sps.bits(2));
                    if (subLayers > 0)
                        sps.bits(2 * (8 - subLayers));
                    for (int i = 0; i < subLayers; ++i)
                        sps.bits((present[i] & 2 ? 88 : 0) + (present[i] & 1 ? 8 : 0));
                    sps.golomb();
                    if (sps.golomb() == 3)
                        sps.bits(1);
                    const qint64 width = sps.golomb(), height = sps.golomb();
                    // Each may be near 2^32: their product would overflow.
                    if (width < 0 || height < 0 || width > 0xFFFFFF || height > 0xFFFFFF)
                        return std::numeric_limits<qint64>::max();
                    largest = qMax(largest, width * height);
                }
                at += length;
            }
        }
    }
    for (const QByteArray& head : itemHeads(bytes))
        largest = qMax(largest, av1Picture(head));
    return largest;
}

// The EXIF orientation (1 to 8) of `handle`'s picture; 1 when it has none.
int exifOrientation(const heif_image_handle* handle) {
    heif_item_id id = 0;
    if (lib().heif_image_handle_get_list_of_metadata_block_IDs(handle, "Exif", &id, 1) < 1)
        return 1;
    QByteArray exif(qsizetype(lib().heif_image_handle_get_metadata_size(handle, id)),
                    Qt::Uninitialized);
    if (exif.size() < 4 ||
        lib().heif_image_handle_get_metadata(handle, id, exif.data()).code != heif_error_Ok)
        return 1;
    // The block starts with the offset of the TIFF header past these four bytes.
    const qsizetype tiff = 4 + qsizetype(bigEndian(exif, 0));
    if (tiff < 4 || tiff + 8 > exif.size())
        return 1;
    const bool little = exif.mid(tiff, 2) == "II";
    auto number = [&](qsizetype at, int count) -> quint32 {
        if (at < 0 || at + count > exif.size())
            return 0;
        quint32 value = 0;
        for (int i = 0; i < count; ++i)
            value = (value << 8) | uchar(exif[little ? at + count - 1 - i : at + i]);
        return value;
    };
    const qsizetype ifd = tiff + qsizetype(number(tiff + 4, 4));
    const int entries = int(number(ifd, 2));
    for (int i = 0; i < entries; ++i) {
        const qsizetype entry = ifd + 2 + 12 * i;
        if (entry + 12 > exif.size())
            break;
        if (number(entry, 2) == 0x0112) {
            const int orientation = int(number(entry + 8, 2));
            return orientation >= 1 && orientation <= 8 ? orientation : 1;
        }
    }
    return 1;
}

bool turnsAQuarter(int orientation) {
    return orientation >= 5;
}

// `stored` shown with EXIF orientation `orientation`.
QImage upright(const QImage& stored, int orientation) {
    switch (orientation) {
    case 2:
        return stored.mirrored(true, false);
    case 3:
        return stored.transformed(QTransform().rotate(180));
    case 4:
        return stored.mirrored(false, true);
    case 5:
        return stored.transformed(QTransform().rotate(90)).mirrored(true, false);
    case 6:
        return stored.transformed(QTransform().rotate(90));
    case 7:
        return stored.transformed(QTransform().rotate(90)).mirrored(false, true);
    case 8:
        return stored.transformed(QTransform().rotate(270));
    default:
        return stored;
    }
}

QSize sizeOf(const heif_image_handle* handle) {
    return QSize(lib().heif_image_handle_get_width(handle),
                 lib().heif_image_handle_get_height(handle));
}

// The smallest thumbnail of `primary` that covers `target` (in stored orientation) with
// the primary's proportions, a thumbnail cropped differently would show another picture.
Handle coveringThumbnail(const heif_image_handle* primary, QSize target) {
    Handle best(nullptr, lib().heif_image_handle_release);
    const QSize full = sizeOf(primary);
    const int count = lib().heif_image_handle_get_number_of_thumbnails(primary);
    if (count <= 0 || full.isEmpty())
        return best;
    std::vector<heif_item_id> ids(static_cast<size_t>(count));
    lib().heif_image_handle_get_list_of_thumbnail_IDs(primary, ids.data(), count);
    for (const heif_item_id id : ids) {
        heif_image_handle* thumbnail = nullptr;
        if (lib().heif_image_handle_get_thumbnail(primary, id, &thumbnail).code != heif_error_Ok)
            continue;
        Handle candidate(thumbnail, lib().heif_image_handle_release);
        const QSize size = sizeOf(thumbnail);
        const double proportion = double(size.width()) / size.height();
        const double fullProportion = double(full.width()) / full.height();
        if (size.width() < target.width() || size.height() < target.height() ||
            qint64(size.width()) * size.height() >= qint64(full.width()) * full.height() ||
            std::abs(proportion / fullProportion - 1) > 0.01)
            continue;
        if (!best || size.width() < sizeOf(best.get()).width())
            best = std::move(candidate);
    }
    return best;
}

// The memory a decode of `handle` takes at its peak, in bytes a pixel. Measured on 12 and
// 24 MP HEICs: shrunk from the decoder's planes, 8-bit pictures peak at 5.4 and a 10-bit
// one at 9.8; made into full-size RGBA first, at 9.3 and 13.6. That is the decoder's own
// planes and libheif's copy of them, the decoder's state for the picture and the RGBA
// pixels; deeper than 8 bits, one conversion more. Chroma is taken as halved both ways, as
// phones and cameras write it.
double bytesPerPixel(const heif_image_handle* handle, bool fullSizeRgba) {
    const bool deep = lib().heif_image_handle_get_luma_bits_per_pixel(handle) > 8;
    const double planes =
        (deep ? 2 : 1) * (1.5 + (lib().heif_image_handle_has_alpha_channel(handle) ? 1 : 0));
    const double shrunk = 2 * planes + 3.5 + (deep ? planes / 2 : 0);
    return fullSizeRgba ? shrunk + 4 + (deep ? planes / 2 : 0) : shrunk;
}

// The mean sample of `channel` over each cell of `target` laid on it, in the channel's
// own units; empty when the picture has no such channel. Every sample is read once, so
// shrinking costs about as much as reading.
std::vector<float> cellMeans(const heif_image* image, heif_channel channel, QSize target) {
    int stride = 0;
    const uint8_t* data = lib().heif_image_get_plane_readonly(image, channel, &stride);
    const int width = lib().heif_image_get_width(image, channel);
    const int height = lib().heif_image_get_height(image, channel);
    if (!data || width < 1 || height < 1)
        return {};
    const bool wide = lib().heif_image_get_bits_per_pixel(image, channel) > 8;
    std::vector<float> means(size_t(target.width()) * size_t(target.height()));
    for (int ty = 0; ty < target.height(); ++ty) {
        const int y0 = int(qint64(ty) * height / target.height());
        const int y1 = qMax(y0 + 1, int(qint64(ty + 1) * height / target.height()));
        for (int tx = 0; tx < target.width(); ++tx) {
            const int x0 = int(qint64(tx) * width / target.width());
            const int x1 = qMax(x0 + 1, int(qint64(tx + 1) * width / target.width()));
            quint64 sum = 0;
            for (int y = y0; y < y1; ++y) {
                const uint8_t* row = data + qint64(y) * stride;
                if (wide) {
                    const auto* samples = reinterpret_cast<const quint16*>(row);
                    for (int x = x0; x < x1; ++x)
                        sum += samples[x];
                } else {
                    for (int x = x0; x < x1; ++x)
                        sum += row[x];
                }
            }
            means[size_t(ty) * size_t(target.width()) + size_t(tx)] =
                float(sum) / float(qint64(y1 - y0) * (x1 - x0));
        }
    }
    return means;
}

// The luma weights of red and blue for the matrix `matrix` names.
std::pair<float, float> lumaWeights(int matrix) {
    switch (matrix) {
    case heif_matrix_coefficients_ITU_R_BT_709_5:
        return {0.2126f, 0.0722f};
    case heif_matrix_coefficients_US_FCC_T47:
        return {0.30f, 0.11f};
    case heif_matrix_coefficients_SMPTE_240M:
        return {0.212f, 0.087f};
    case heif_matrix_coefficients_ITU_R_BT_2020_2_non_constant_luminance:
        return {0.2627f, 0.0593f};
    default:
        return {0.299f, 0.114f};
    }
}

// `image`, decoded in its own colour space and at least as large as `target`, shrunk to
// `target` and turned into RGB: the full-size RGB pixels are never made.
QImage shrunkToRgb(const heif_image* image, const heif_image_handle* handle, QSize target) {
    const heif_colorspace space = lib().heif_image_get_colorspace(image);
    const bool rgb = space == heif_colorspace_RGB;
    const std::vector<float> first =
        cellMeans(image, rgb ? heif_channel_R : heif_channel_Y, target);
    const std::vector<float> second =
        cellMeans(image, rgb ? heif_channel_G : heif_channel_Cb, target);
    const std::vector<float> third =
        cellMeans(image, rgb ? heif_channel_B : heif_channel_Cr, target);
    const std::vector<float> alpha = cellMeans(image, heif_channel_Alpha, target);
    const bool grey = space == heif_colorspace_monochrome;
    if (first.empty() || (!grey && (second.empty() || third.empty())))
        return QImage();
    auto top = [image](heif_channel channel) {
        return float((1 << lib().heif_image_get_bits_per_pixel_range(image, channel)) - 1);
    };
    const float firstTop = top(rgb ? heif_channel_R : heif_channel_Y);
    const float chromaTop = grey ? 1 : top(rgb ? heif_channel_G : heif_channel_Cb);
    const float alphaTop = alpha.empty() ? 1 : top(heif_channel_Alpha);

    int matrix = heif_matrix_coefficients_ITU_R_BT_601_6;
    bool fullRange = true;
    heif_color_profile_nclx* nclx = nullptr;
    if (lib().heif_image_handle_get_nclx_color_profile(handle, &nclx).code == heif_error_Ok &&
        nclx) {
        matrix = nclx->matrix_coefficients;
        fullRange = nclx->full_range_flag;
        lib().heif_nclx_color_profile_free(nclx);
    }
    const auto [kr, kb] = lumaWeights(matrix);
    // Limited range puts black at 16 and white at 235 (chroma 16 to 240), scaled to the depth.
    const float scale = (firstTop + 1) / 256;
    auto luma = [&](float y) {
        return fullRange ? y / firstTop : (y - 16 * scale) / (219 * scale);
    };
    auto chroma = [&](float c) {
        return fullRange ? c / chromaTop - 0.5f : (c - 128 * scale) / (224 * scale);
    };
    auto byte = [](float v) { return int(std::lround(std::clamp(v, 0.0f, 1.0f) * 255)); };

    const bool premultiplied = lib().heif_image_handle_is_premultiplied_alpha(handle);
    QImage out(target, alpha.empty()   ? QImage::Format_RGB32
                       : premultiplied ? QImage::Format_ARGB32_Premultiplied
                                       : QImage::Format_ARGB32);
    if (out.isNull())
        return out;
    for (int y = 0; y < target.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < target.width(); ++x) {
            const size_t i = size_t(y) * size_t(target.width()) + size_t(x);
            float r, g, b;
            if (grey) {
                r = g = b = luma(first[i]);
            } else if (rgb || matrix == heif_matrix_coefficients_RGB_GBR) {
                // Planar RGB, or YCbCr planes that hold G, B and R as they are.
                const float p = first[i] / firstTop, q = second[i] / chromaTop,
                            t = third[i] / chromaTop;
                r = rgb ? p : t;
                g = rgb ? q : p;
                b = rgb ? t : q;
            } else {
                const float l = luma(first[i]), cb = chroma(second[i]), cr = chroma(third[i]);
                r = l + 2 * (1 - kr) * cr;
                b = l + 2 * (1 - kb) * cb;
                g = (l - kr * r - kb * b) / (1 - kr - kb);
            }
            const int a = alpha.empty() ? 255 : byte(alpha[i] / alphaTop);
            line[x] = qRgba(byte(r), byte(g), byte(b), a);
        }
    }
    return out.convertToFormat(alpha.empty() ? QImage::Format_RGB32
                                             : QImage::Format_ARGB32_Premultiplied);
}

} // namespace

QByteArray HeifDecoder::formatOf(const QByteArray& head) {
    if (head.size() < 16 || head.mid(4, 4) != "ftyp")
        return QByteArray();
    const qsizetype end = qMin<qsizetype>(head.size(), bigEndian(head, 0));
    bool hevc = false, av1 = false, container = false;
    // The major brand, then the compatible ones after the minor version.
    for (qsizetype at = 8; at + 4 <= end; at += at == 8 ? 8 : 4) {
        const QByteArray brand = head.mid(at, 4);
        for (const char* b : kHevcBrands)
            hevc = hevc || brand == b;
        for (const char* b : kAv1Brands)
            av1 = av1 || brand == b;
        for (const char* b : kContainerBrands)
            container = container || brand == b;
    }
    if (hevc)
        return "heif";
    if (av1)
        return "avif";
    return container ? "heif" : QByteArray();
}

bool HeifDecoder::canDecode(const QByteArray& format) {
    if (!initialise())
        return false;
    if (format == "heif")
        return lib().heif_have_decoder_for_format(heif_compression_HEVC);
    if (format == "avif")
        return lib().heif_have_decoder_for_format(heif_compression_AV1);
    return false;
}

Result<HeifDecoder::Declared> HeifDecoder::declared(const QByteArray& bytes) {
    auto opened = open(bytes);
    if (!opened.ok())
        return Result<Declared>::failure(opened.error());
    const heif_image_handle* primary = opened.value().primary.get();
    const QSize size = sizeOf(primary);
    if (size.isEmpty())
        return Result<Declared>::failure(
            QCoreApplication::translate("toolkit::HeifDecoder", "the picture has no pixels"));
    // Coded pictures are padded to whole blocks of up to 64 pixels.
    const QSize ispe(lib().heif_image_handle_get_ispe_width(primary),
                     lib().heif_image_handle_get_ispe_height(primary));
    const QSize widest = ispe.expandedTo(size.transposed()).expandedTo(size);
    if (largestCodedPicture(bytes) > qint64(widest.width() + 64) * (widest.height() + 64))
        return Result<Declared>::failure(
            QCoreApplication::translate(
                "toolkit::HeifDecoder",
                "the coded picture is larger than the %1 x %2 pixels it declares")
                .arg(size.width())
                .arg(size.height()));
    const int orientation = hasContainerTransformations(bytes) ? 1 : exifOrientation(primary);
    const double perPixel = bytesPerPixel(primary, false);
    Declared declared;
    declared.rotated = turnsAQuarter(orientation);
    declared.upright = declared.rotated ? size.transposed() : size;
    declared.decodeBytes = qint64(std::ceil(double(size.width()) * size.height() * perPixel));
    return Result<Declared>::success(declared);
}

Result<QImage> HeifDecoder::decode(const QByteArray& bytes, QSize target) {
    auto opened = open(bytes);
    if (!opened.ok())
        return Result<QImage>::failure(opened.error());
    const heif_image_handle* primary = opened.value().primary.get();
    const int orientation = hasContainerTransformations(bytes) ? 1 : exifOrientation(primary);
    const QSize storedTarget =
        target.isValid() && turnsAQuarter(orientation) ? target.transposed() : target;
    Handle thumbnail(nullptr, lib().heif_image_handle_release);
    if (target.isValid())
        thumbnail = coveringThumbnail(primary, storedTarget);
    const heif_image_handle* chosen = thumbnail ? thumbnail.get() : primary;

    std::unique_ptr<heif_decoding_options, decltype(&::heif_decoding_options_free)> options(
        lib().heif_decoding_options_alloc(), lib().heif_decoding_options_free);
    options->strict_decoding = 1;
    options->convert_hdr_to_8bit = 1;
    // Shrinking the decoder's own planes spares making a full-size RGB copy (four bytes a
    // pixel) and converting every pixel of it; enlarging is left to the RGB pixels.
    const QSize chosenSize = sizeOf(chosen);
    const bool shrink = storedTarget.isValid() && chosenSize.width() >= storedTarget.width() &&
                        chosenSize.height() >= storedTarget.height();
    if (!shrink) {
        const double needed =
            double(chosenSize.width()) * chosenSize.height() * bytesPerPixel(chosen, true);
        if (needed > double(PictureFile::kDecodeBudgetBytes))
            return Result<QImage>::failure(
                QCoreApplication::translate(
                    "toolkit::HeifDecoder",
                    "the picture is too large to decode whole (it needs %1 MB)")
                    .arg(qint64(needed / (1024 * 1024)) + 1));
    }
    heif_image* decoded = nullptr;
    const heif_error error =
        shrink ? lib().heif_decode_image(chosen, &decoded, heif_colorspace_undefined,
                                         heif_chroma_undefined, options.get())
               : lib().heif_decode_image(chosen, &decoded, heif_colorspace_RGB,
                                         heif_chroma_interleaved_RGBA, options.get());
    if (error.code != heif_error_Ok)
        return Result<QImage>::failure(reasonOf(error));
    std::unique_ptr<heif_image, decltype(&::heif_image_release)> owned(decoded,
                                                                       lib().heif_image_release);
    heif_error warning{};
    if (lib().heif_image_get_decoding_warnings(decoded, 0, &warning, 1) > 0)
        return Result<QImage>::failure(reasonOf(warning));

    if (shrink) {
        // Averaged in cells of two to three times the target's size, then filtered down to
        // it: averaging straight to the target left fine texture as moiré.
        const auto cells = [](int chosen, int target) {
            return std::max(target, chosen / Resampler::boxFactor(chosen, target));
        };
        QImage image = shrunkToRgb(decoded, chosen,
                                   QSize(cells(chosenSize.width(), storedTarget.width()),
                                         cells(chosenSize.height(), storedTarget.height())));
        if (!image.isNull() && image.size() != storedTarget)
            image = Resampler::scaled(image, storedTarget);
        if (image.isNull())
            return Result<QImage>::failure(
                QCoreApplication::translate("toolkit::HeifDecoder", "the decoder made no pixels"));
        return Result<QImage>::success(upright(image, orientation));
    }
    int stride = 0;
    const uint8_t* pixels =
        lib().heif_image_get_plane_readonly(decoded, heif_channel_interleaved, &stride);
    const int width = lib().heif_image_get_width(decoded, heif_channel_interleaved);
    const int height = lib().heif_image_get_height(decoded, heif_channel_interleaved);
    if (!pixels || width <= 0 || height <= 0)
        return Result<QImage>::failure(
            QCoreApplication::translate("toolkit::HeifDecoder", "the decoder made no pixels"));
    const bool alpha = lib().heif_image_handle_has_alpha_channel(chosen);
    const QImage::Format format = !alpha ? QImage::Format_RGBX8888
                                  : lib().heif_image_handle_is_premultiplied_alpha(chosen)
                                      ? QImage::Format_RGBA8888_Premultiplied
                                      : QImage::Format_RGBA8888;
    // Read in place: the only full-size copy is the decoder's own.
    const QImage stored(pixels, width, height, stride, format);
    QImage image =
        storedTarget.isValid() && stored.size() != storedTarget
            ? stored.scaled(storedTarget, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
            : stored;
    image = upright(image, orientation);
    // Always a copy of its own, in the formats the other decoders give.
    image =
        image.convertToFormat(alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (image.isNull())
        return Result<QImage>::failure(QCoreApplication::translate(
            "toolkit::HeifDecoder", "there is not enough memory to decode it"));
    return Result<QImage>::success(std::move(image));
}

} // namespace toolkit
