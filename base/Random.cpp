#include "base/Random.h"

#include <stdlib.h>

namespace toolkit {

namespace {
std::function<std::uint32_t()>& source() {
    static std::function<std::uint32_t()> s;
    return s;
}
} // namespace

std::uint32_t arc4random() {
    return source() ? source()() : ::arc4random();
}

void setRandomSource(std::function<std::uint32_t()> s) {
    source() = std::move(s);
}

} // namespace toolkit
