#include "base/SystemError.h"

#include <cstring>

namespace toolkit {

QString systemErrorText(int error) {
    char buffer[256];
    // The GNU strerror_r: returns the text, in `buffer` or in static storage.
    return QString::fromLocal8Bit(::strerror_r(error, buffer, sizeof buffer));
}

} // namespace toolkit
