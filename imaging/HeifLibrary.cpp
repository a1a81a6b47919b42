#include "imaging/HeifLibrary.h"

#include "base/Log.h"
#include "imaging/StrictHevcDecoder.h"

#include <dlfcn.h>

namespace toolkit {

namespace {

const char kLibraryName[] = "libheif.so.1";

HeifLibrary load() {
    HeifLibrary library;
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

} // namespace

const HeifLibrary& HeifLibrary::get() {
    static const HeifLibrary library = load();
    // HEVC through a decoder that refuses damaged data, not libheif's own, which conceals it.
    static const bool strict = [] {
        if (!library.loaded)
            return false;
        const heif_decoder_plugin* plugin = StrictHevcDecoder::plugin(library);
        return plugin && library.heif_register_decoder_plugin(plugin).code == heif_error_Ok;
    }();
    (void)strict;
    return library;
}

} // namespace toolkit
