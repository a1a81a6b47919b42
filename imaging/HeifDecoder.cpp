#include "imaging/HeifDecoder.h"

#include "imaging/HeifContainer.h"
#include "imaging/HeifLibrary.h"
#include "imaging/HeifPlanes.h"
#include "imaging/PictureFile.h"
#include "imaging/Resampler.h"

#include <QCoreApplication>
#include <QList>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <libheif/heif.h>
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

const HeifLibrary& lib() {
    return HeifLibrary::get();
}

bool initialise() {
    return lib().loaded;
}

QString reasonOf(const heif_error& error) {
    QString reason = QString::fromUtf8(error.message).trimmed();
    // libheif puts its own words before a decoder's; ours say it better alone.
    const qsizetype ours = reason.indexOf(QLatin1String("damaged data: "));
    return ours >= 0 ? reason.mid(ours) : reason;
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
    return HeifContainer::exifOrientation(exif);
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

} // namespace

QByteArray HeifDecoder::formatOf(const QByteArray& head) {
    if (head.size() < 16 || head.mid(4, 4) != "ftyp")
        return QByteArray();
    const qsizetype end = qMin<qsizetype>(head.size(), HeifContainer::bigEndian(head, 0));
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
    if (HeifContainer::largestCodedPicture(bytes) >
        qint64(widest.width() + 64) * (widest.height() + 64))
        return Result<Declared>::failure(
            QCoreApplication::translate(
                "toolkit::HeifDecoder",
                "the coded picture is larger than the %1 x %2 pixels it declares")
                .arg(size.width())
                .arg(size.height()));
    const int orientation =
        HeifContainer::hasContainerTransformations(bytes) ? 1 : exifOrientation(primary);
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
    const int orientation =
        HeifContainer::hasContainerTransformations(bytes) ? 1 : exifOrientation(primary);
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
        QImage image =
            HeifPlanes::shrunkToRgb(decoded, chosen,
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
