#pragma once

struct heif_decoder_plugin;

namespace toolkit {

struct HeifLibrary;

/// The HEVC decoder libheif decodes HEIC photos with, made strict. libde265 conceals damaged
/// data and says so only in warnings, which libheif's own plugin for it leaves unread: a
/// photo with damaged data came out garbled instead of being refused. This plugin drives the
/// same libde265 the same way and turns any warning about the stream into a decoding error,
/// so a HEIC photo is either decoded completely or refused as damaged.
class StrictHevcDecoder {
public:
    /// The plugin, ranked above libheif's own for HEVC; null when libde265 cannot be loaded,
    /// the reason logged. `heif` gives the libheif functions the plugin builds pictures with;
    /// it must outlive the plugin's use.
    static const heif_decoder_plugin* plugin(const HeifLibrary& heif);
};

} // namespace toolkit
