#pragma once

#include <cstdint>
#include <functional>

namespace toolkit {

/// A uniformly distributed 32-bit unsigned random number from the system's generator.
std::uint32_t arc4random();

/// Replaces the generator (tests pin draws with it); an empty function restores the system's.
void setRandomSource(std::function<std::uint32_t()> source);

} // namespace toolkit
