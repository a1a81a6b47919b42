#include "imaging/StrictHevcDecoder.h"

#include "base/Log.h"
#include "imaging/HeifLibrary.h"

#include <libde265/de265.h>
#include <libheif/heif_plugin.h>

#include <dlfcn.h>

#include <cstring>
#include <memory>
#include <string>

namespace toolkit {

namespace {

const char kLibraryName[] = "libde265.so.0";

// clang-format off
#define TOOLKIT_DE265_FUNCTIONS(F) \
    F(de265_new_decoder) \
    F(de265_free_decoder) \
    F(de265_push_NAL) \
    F(de265_flush_data) \
    F(de265_decode) \
    F(de265_get_next_picture) \
    F(de265_get_warning) \
    F(de265_get_error_text) \
    F(de265_isOK) \
    F(de265_get_chroma_format) \
    F(de265_get_image_width) \
    F(de265_get_image_height) \
    F(de265_get_bits_per_pixel) \
    F(de265_get_image_plane) \
    F(de265_get_image_full_range_flag) \
    F(de265_get_image_colour_primaries) \
    F(de265_get_image_transfer_characteristics) \
    F(de265_get_image_matrix_coefficients)
// clang-format on

struct De265 {
#define TOOLKIT_DE265_POINTER(name) decltype(&::name) name = nullptr;
    TOOLKIT_DE265_FUNCTIONS(TOOLKIT_DE265_POINTER)
#undef TOOLKIT_DE265_POINTER
    bool loaded = false;
};

De265 load() {
    De265 library;
    void* handle = ::dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        qCWarning(programLog, "HEIC photos are decoded without checking for damage: %s",
                  ::dlerror());
        return library;
    }
    bool complete = true;
#define TOOLKIT_DE265_RESOLVE(name)                                                                \
    library.name = reinterpret_cast<decltype(&::name)>(::dlsym(handle, #name));                    \
    complete = complete && library.name;
    TOOLKIT_DE265_FUNCTIONS(TOOLKIT_DE265_RESOLVE)
#undef TOOLKIT_DE265_RESOLVE
    if (!complete) {
        qCWarning(programLog,
                  "HEIC photos are decoded without checking for damage: %s lacks a function",
                  kLibraryName);
        return library;
    }
    library.loaded = true;
    return library;
}

const De265& de265() {
    static const De265 library = load();
    return library;
}

const HeifLibrary* s_heif = nullptr;

// libheif keeps the text of an error it is given: only texts that live for the process.
heif_error failure(heif_error_code code, heif_suberror_code sub, const char* text) {
    return heif_error{code, sub, text};
}

// A refusal for damaged data, naming what the decoder found. The text lives until the
// thread's next refusal, long after the decode that returns it has been answered.
heif_error damaged(de265_error found) {
    thread_local std::string text;
    text = std::string("damaged data: ") + de265().de265_get_error_text(found);
    return heif_error{heif_error_Decoder_plugin_error, heif_suberror_Unspecified, text.c_str()};
}

const heif_error kOk{heif_error_Ok, heif_suberror_Unspecified, "Success"};

struct Decoder {
    de265_decoder_context* context = nullptr;
};

// Warnings that say nothing of the picture's pixels: threading, and metadata (SEI) that
// came before the stream's parameters.
bool harmless(de265_error warning) {
    return warning == DE265_WARNING_NO_WPP_CANNOT_USE_MULTITHREADING ||
           warning == DE265_WARNING_NUMBER_OF_THREADS_LIMITED_TO_MAXIMUM ||
           warning == DE265_WARNING_SPS_MISSING_CANNOT_DECODE_SEI;
}

const char* pluginName() {
    return "libde265, refusing damaged data";
}

int supports(heif_compression_format format) {
    // Above the 100 of libheif's own plugin for the same decoder.
    return format == heif_compression_HEVC ? 200 : 0;
}

heif_error newDecoder(void** out) {
    auto decoder = std::make_unique<Decoder>();
    decoder->context = de265().de265_new_decoder();
    if (!decoder->context)
        return failure(heif_error_Memory_allocation_error, heif_suberror_Unspecified,
                       "the HEVC decoder could not be made");
    *out = decoder.release();
    return kOk;
}

void freeDecoder(void* opaque) {
    auto* decoder = static_cast<Decoder*>(opaque);
    if (decoder && decoder->context)
        de265().de265_free_decoder(decoder->context);
    delete decoder;
}

void setStrict(void*, int) {
    // Always strict: that is the reason for this plugin.
}

// libheif hands the configuration and the picture's data as NAL units, each behind its
// size in four bytes.
heif_error pushData(void* opaque, const void* data, size_t size) {
    auto* decoder = static_cast<Decoder*>(opaque);
    const auto* bytes = static_cast<const uint8_t*>(data);
    size_t at = 0;
    while (at + 4 <= size) {
        const size_t length = (size_t(bytes[at]) << 24) | (size_t(bytes[at + 1]) << 16) |
                              (size_t(bytes[at + 2]) << 8) | size_t(bytes[at + 3]);
        at += 4;
        if (length > size - at || length > size_t(INT32_MAX))
            return failure(heif_error_Decoder_plugin_error, heif_suberror_End_of_data,
                           "the picture's data is cut short");
        const de265_error error =
            de265().de265_push_NAL(decoder->context, bytes + at, int(length), 0, nullptr);
        if (!de265().de265_isOK(error))
            return failure(heif_error_Decoder_plugin_error, heif_suberror_Unspecified,
                           de265().de265_get_error_text(error));
        at += length;
    }
    if (at != size)
        return failure(heif_error_Decoder_plugin_error, heif_suberror_End_of_data,
                       "the picture's data is cut short");
    return kOk;
}

heif_error toHeifImage(const de265_image* picture, heif_image** out) {
    const HeifLibrary& heif = *s_heif;
    const de265_chroma chroma = de265().de265_get_chroma_format(picture);
    heif_chroma heifChroma = heif_chroma_420;
    switch (chroma) {
    case de265_chroma_mono:
        heifChroma = heif_chroma_monochrome;
        break;
    case de265_chroma_420:
        heifChroma = heif_chroma_420;
        break;
    case de265_chroma_422:
        heifChroma = heif_chroma_422;
        break;
    case de265_chroma_444:
        heifChroma = heif_chroma_444;
        break;
    }
    const int width = de265().de265_get_image_width(picture, 0);
    const int height = de265().de265_get_image_height(picture, 0);
    heif_image* image = nullptr;
    heif_error error =
        heif.heif_image_create(width, height, heif_colorspace_YCbCr, heifChroma, &image);
    if (error.code != heif_error_Ok)
        return error;
    const heif_channel channels[] = {heif_channel_Y, heif_channel_Cb, heif_channel_Cr};
    const int planes = chroma == de265_chroma_mono ? 1 : 3;
    for (int c = 0; c < planes; ++c) {
        const int w = de265().de265_get_image_width(picture, c);
        const int h = de265().de265_get_image_height(picture, c);
        const int bits = de265().de265_get_bits_per_pixel(picture, c);
        if (w <= 0 || h <= 0 || bits <= 0 || bits > 16) {
            heif.heif_image_release(image);
            return failure(heif_error_Decoder_plugin_error, heif_suberror_Unspecified,
                           "the decoded picture has a plane of no size");
        }
        error = heif.heif_image_add_plane(image, channels[c], w, h, bits);
        if (error.code != heif_error_Ok) {
            heif.heif_image_release(image);
            return error;
        }
        int from = 0;
        int to = 0;
        const uint8_t* source = de265().de265_get_image_plane(picture, c, &from);
        uint8_t* target = heif.heif_image_get_plane(image, channels[c], &to);
        const size_t row = size_t(w) * ((bits + 7) / 8);
        for (int y = 0; y < h; ++y)
            std::memcpy(target + size_t(y) * to, source + size_t(y) * from, row);
    }
    heif_color_profile_nclx* nclx = heif.heif_nclx_color_profile_alloc();
    if (nclx) {
        nclx->color_primaries =
            heif_color_primaries(de265().de265_get_image_colour_primaries(picture));
        nclx->transfer_characteristics = heif_transfer_characteristics(
            de265().de265_get_image_transfer_characteristics(picture));
        nclx->matrix_coefficients =
            heif_matrix_coefficients(de265().de265_get_image_matrix_coefficients(picture));
        nclx->full_range_flag = uint8_t(de265().de265_get_image_full_range_flag(picture));
        heif.heif_image_set_nclx_color_profile(image, nclx);
        heif.heif_nclx_color_profile_free(nclx);
    }
    *out = image;
    return kOk;
}

heif_error decodeImage(void* opaque, heif_image** out) {
    auto* decoder = static_cast<Decoder*>(opaque);
    *out = nullptr;
    de265_error error = de265().de265_flush_data(decoder->context);
    if (!de265().de265_isOK(error))
        return failure(heif_error_Decoder_plugin_error, heif_suberror_Unspecified,
                       de265().de265_get_error_text(error));
    heif_image* image = nullptr;
    int more = 1;
    while (more) {
        more = 0;
        error = de265().de265_decode(decoder->context, &more);
        for (de265_error warning = de265().de265_get_warning(decoder->context); warning != DE265_OK;
             warning = de265().de265_get_warning(decoder->context)) {
            if (harmless(warning))
                continue;
            // The decoder went on over damaged data and would give a picture with garbage in
            // it: refused, naming what it found.
            if (image)
                s_heif->heif_image_release(image);
            return damaged(warning);
        }
        if (error != DE265_OK && error != DE265_ERROR_WAITING_FOR_INPUT_DATA) {
            if (image)
                s_heif->heif_image_release(image);
            return damaged(error);
        }
        if (const de265_image* picture = de265().de265_get_next_picture(decoder->context)) {
            if (!image) {
                const heif_error converted = toHeifImage(picture, &image);
                if (converted.code != heif_error_Ok)
                    return converted;
            }
        }
        if (error == DE265_ERROR_WAITING_FOR_INPUT_DATA)
            break;
    }
    if (!image)
        return failure(heif_error_Decoder_plugin_error, heif_suberror_Unspecified,
                       "the picture's data decodes to no picture");
    *out = image;
    return kOk;
}

heif_decoder_plugin makePlugin() {
    heif_decoder_plugin plugin{};
    plugin.plugin_api_version = 3;
    plugin.get_plugin_name = pluginName;
    plugin.does_support_format = supports;
    plugin.new_decoder = newDecoder;
    plugin.free_decoder = freeDecoder;
    plugin.push_data = pushData;
    plugin.decode_image = decodeImage;
    plugin.set_strict_decoding = setStrict;
    plugin.id_name = "strict-libde265";
    return plugin;
}

} // namespace

const heif_decoder_plugin* StrictHevcDecoder::plugin(const HeifLibrary& heif) {
    if (!de265().loaded)
        return nullptr;
    s_heif = &heif;
    static const heif_decoder_plugin plugin = makePlugin();
    return &plugin;
}

} // namespace toolkit
