#include "HeifDecoder.h"

#include <QList>
#include <QTransform>
#include <cmath>
#include <libheif/heif.h>
#include <limits>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace toolkit {

namespace {

// The brands of pictures coded with HEVC (single pictures and sequences), with AV1, and
// those of the container alone, which either may carry.
const char* const kHevcBrands[] = {"heic", "heix", "hevc", "hevx", "heim", "heis", "hevm", "hevs"};
const char* const kAv1Brands[] = {"avif", "avis"};
const char* const kContainerBrands[] = {"mif1", "msf1", "mif2", "miaf"};

void initialise() {
    static std::once_flag once;
    std::call_once(once, [] { heif_init(nullptr); });
}

QString reasonOf(const heif_error& error) {
    return QString::fromUtf8(error.message).trimmed();
}

using Context = std::unique_ptr<heif_context, decltype(&heif_context_free)>;
using Handle = std::unique_ptr<heif_image_handle, decltype(&heif_image_handle_release)>;

// The primary picture of the container in `bytes`, which must outlive both.
struct Opened {
    Context context{nullptr, heif_context_free};
    Handle primary{nullptr, heif_image_handle_release};
};

Result<Opened> open(const QByteArray& bytes) {
    initialise();
    Opened opened;
    opened.context.reset(heif_context_alloc());
    heif_context_set_maximum_image_size_limit(opened.context.get(), HeifDecoder::kMaxSide);
    heif_error error = heif_context_read_from_memory_without_copy(
        opened.context.get(), bytes.constData(), size_t(bytes.size()), nullptr);
    if (error.code != heif_error_Ok)
        return Result<Opened>::failure(reasonOf(error));
    heif_image_handle* primary = nullptr;
    error = heif_context_get_primary_image_handle(opened.context.get(), &primary);
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

// The item properties: the boxes inside file > meta > iprp > ipco; none when the
// structure is broken (the decoder then says why).
QList<Box> itemProperties(const QByteArray& bytes) {
    qsizetype from = 0, to = bytes.size();
    QList<Box> boxes;
    for (const char* inside : {"meta", "iprp", "ipco", ""}) {
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
            if (*inside == '\0')
                boxes.append(Box{type, at + header, at + qsizetype(size)});
            if (*inside != '\0' && type == inside) {
                from = at + header + (type == "meta" ? 4 : 0); // meta carries a version
                to = at + size;
                found = true;
                break;
            }
            at += size;
        }
        if (*inside != '\0' && !found)
            return {};
    }
    return boxes;
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

// Reads the bits of an HEVC parameter set, without its emulation-prevention bytes.
class BitReader {
public:
    explicit BitReader(const QByteArray& bytes) {
        int zeros = 0;
        for (const char byte : bytes) {
            if (zeros >= 2 && byte == 3) {
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

// The largest picture that any HEVC sequence parameter set of the container codes, in
// pixels. The decoder allocates what the coded stream says, whatever the container
// declares, so a stream larger than its declaration would escape the budget.
qint64 largestHevcPicture(const QByteArray& bytes) {
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
                    if (width < 0 || height < 0)
                        return std::numeric_limits<qint64>::max();
                    largest = qMax(largest, width * height);
                }
                at += length;
            }
        }
    }
    return largest;
}

// The EXIF orientation (1 to 8) of `handle`'s picture; 1 when it has none.
int exifOrientation(const heif_image_handle* handle) {
    heif_item_id id = 0;
    if (heif_image_handle_get_list_of_metadata_block_IDs(handle, "Exif", &id, 1) < 1)
        return 1;
    QByteArray exif(qsizetype(heif_image_handle_get_metadata_size(handle, id)), Qt::Uninitialized);
    if (exif.size() < 4 ||
        heif_image_handle_get_metadata(handle, id, exif.data()).code != heif_error_Ok)
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
    return QSize(heif_image_handle_get_width(handle), heif_image_handle_get_height(handle));
}

// The smallest thumbnail of `primary` that covers `target` (in stored orientation) with
// the primary's proportions, a thumbnail cropped differently would show another picture.
Handle coveringThumbnail(const heif_image_handle* primary, QSize target) {
    Handle best(nullptr, heif_image_handle_release);
    const QSize full = sizeOf(primary);
    const int count = heif_image_handle_get_number_of_thumbnails(primary);
    if (count <= 0 || full.isEmpty())
        return best;
    std::vector<heif_item_id> ids(static_cast<size_t>(count));
    heif_image_handle_get_list_of_thumbnail_IDs(primary, ids.data(), count);
    for (const heif_item_id id : ids) {
        heif_image_handle* thumbnail = nullptr;
        if (heif_image_handle_get_thumbnail(primary, id, &thumbnail).code != heif_error_Ok)
            continue;
        Handle candidate(thumbnail, heif_image_handle_release);
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
    initialise();
    if (format == "heif")
        return heif_have_decoder_for_format(heif_compression_HEVC);
    if (format == "avif")
        return heif_have_decoder_for_format(heif_compression_AV1);
    return false;
}

Result<HeifDecoder::Declared> HeifDecoder::declared(const QByteArray& bytes) {
    auto opened = open(bytes);
    if (!opened.ok())
        return Result<Declared>::failure(opened.error());
    const heif_image_handle* primary = opened.value().primary.get();
    const QSize size = sizeOf(primary);
    if (size.isEmpty())
        return Result<Declared>::failure(QStringLiteral("the picture has no pixels"));
    // Coded pictures are padded to whole blocks of up to 64 pixels.
    const QSize ispe(heif_image_handle_get_ispe_width(primary),
                     heif_image_handle_get_ispe_height(primary));
    const QSize widest = ispe.expandedTo(size.transposed()).expandedTo(size);
    if (largestHevcPicture(bytes) > qint64(widest.width() + 64) * (widest.height() + 64))
        return Result<Declared>::failure(
            QStringLiteral("the coded picture is larger than the %1 x %2 pixels it declares")
                .arg(size.width())
                .arg(size.height()));
    const int orientation = hasContainerTransformations(bytes) ? 1 : exifOrientation(primary);
    // Measured: 12 and 24 MP 8-bit HEICs peak at 9.3 bytes a pixel, a 12 MP 10-bit one at
    // 13.6. That is the decoder's own planes and libheif's copy of them, the RGBA pixels
    // and the decoder's state for the picture; deeper than 8 bits, one conversion more.
    // Chroma is taken as halved both ways, as phones and cameras write it.
    const int bits = heif_image_handle_get_luma_bits_per_pixel(primary);
    const double planes =
        (bits > 8 ? 2 : 1) * (1.5 + (heif_image_handle_has_alpha_channel(primary) ? 1 : 0));
    const double perPixel = 2 * planes + 4 + 3.5 + (bits > 8 ? planes : 0);
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
    Handle thumbnail(nullptr, heif_image_handle_release);
    if (target.isValid())
        thumbnail = coveringThumbnail(primary, storedTarget);
    const heif_image_handle* chosen = thumbnail ? thumbnail.get() : primary;

    std::unique_ptr<heif_decoding_options, decltype(&heif_decoding_options_free)> options(
        heif_decoding_options_alloc(), heif_decoding_options_free);
    options->strict_decoding = 1;
    options->convert_hdr_to_8bit = 1;
    heif_image* decoded = nullptr;
    const heif_error error = heif_decode_image(chosen, &decoded, heif_colorspace_RGB,
                                               heif_chroma_interleaved_RGBA, options.get());
    if (error.code != heif_error_Ok)
        return Result<QImage>::failure(reasonOf(error));
    std::unique_ptr<heif_image, decltype(&heif_image_release)> owned(decoded, heif_image_release);
    heif_error warning{};
    if (heif_image_get_decoding_warnings(decoded, 0, &warning, 1) > 0)
        return Result<QImage>::failure(reasonOf(warning));

    int stride = 0;
    const uint8_t* pixels =
        heif_image_get_plane_readonly(decoded, heif_channel_interleaved, &stride);
    const int width = heif_image_get_width(decoded, heif_channel_interleaved);
    const int height = heif_image_get_height(decoded, heif_channel_interleaved);
    if (!pixels || width <= 0 || height <= 0)
        return Result<QImage>::failure(QStringLiteral("the decoder made no pixels"));
    const bool alpha = heif_image_handle_has_alpha_channel(chosen);
    const QImage::Format format = !alpha ? QImage::Format_RGBX8888
                                  : heif_image_handle_is_premultiplied_alpha(chosen)
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
        return Result<QImage>::failure(QStringLiteral("there is not enough memory to decode it"));
    return Result<QImage>::success(std::move(image));
}

} // namespace toolkit
