#pragma once

#include <cstdint>

// Smooth value noise; the warped variant gives the smoky, flowing texture of the auras.
class Noise {
public:
    explicit Noise(std::uint64_t seed);

    float value(float x, float y) const;
    float fractal(float x, float y, int octaves) const;
    float warped(float x, float y, float warp) const;

private:
    float lattice(int ix, int iy) const;

    std::uint64_t m_seed;
};
