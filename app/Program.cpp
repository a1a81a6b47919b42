#include "app/Program.h"

#include "imaging/ImageDecoder.h"

#include <cstdio>
#include <cstdlib>

toolkit::ApplicationIdentity programIdentity() {
    // The name is also the prefix of the saved portraits (velmora-…png) and of the
    // environment variables (VELMORA_ALBUM, VELMORA_RESOURCES); the display name is the
    // window's title and the album folder's name.
    return {QStringLiteral("velmora"), QStringLiteral("Velmora"), QStringLiteral(VELMORA_VERSION)};
}

int finishProcess(int status) {
    if (toolkit::ImageDecoder::decodesRunning() > 0) {
        std::fflush(stdout);
        std::fflush(stderr);
        std::_Exit(status);
    }
    return status;
}
