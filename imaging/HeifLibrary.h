#pragma once

#include <libheif/heif.h>

namespace toolkit {

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
    F(heif_image_add_plane) \
    F(heif_image_create) \
    F(heif_image_get_plane) \
    F(heif_image_set_nclx_color_profile) \
    F(heif_nclx_color_profile_alloc) \
    F(heif_register_decoder_plugin) \
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

/// libheif's functions that the HEIF decoder calls. libheif and the codecs under it (x265,
/// libde265, dav1d, aom) are a dozen libraries whose mapping, binding and start-up every
/// process paid at its start, for the few that ever read a HEIF file: they are loaded the
/// first time one is looked at, and only the header is used at build time.
struct HeifLibrary {
#define TOOLKIT_HEIF_POINTER(name) decltype(&::name) name = nullptr;
    TOOLKIT_HEIF_FUNCTIONS(TOOLKIT_HEIF_POINTER)
#undef TOOLKIT_HEIF_POINTER
    /// Whether the library was found with every function above; when not, the reason was
    /// logged once.
    bool loaded = false;

    /// The library, loaded once by whichever thread asks first; never unloaded.
    static const HeifLibrary& get();
};

} // namespace toolkit
