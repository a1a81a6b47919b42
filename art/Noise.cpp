#include "art/Noise.h"

#include <cmath>

namespace {

float fade(float t) {
    return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f);
}

float mix(float a, float b, float t) {
    return a + (b - a) * t;
}

// std::floor without the call it is on a processor without SSE4.1: the truncation, one lower
// for a negative fraction. Exact for the lattice's coordinates (well within an int's range).
float floorOf(float v) {
    const float truncated = static_cast<float>(static_cast<int>(v));
    return truncated > v ? truncated - 1.0f : truncated;
}

} // namespace

Noise::Noise(std::uint64_t seed) : m_seed(seed) {}

float Noise::lattice(int ix, int iy) const {
    std::uint64_t z = m_seed ^ (static_cast<std::uint64_t>(static_cast<std::int64_t>(ix)) *
                                0x9E3779B97F4A7C15ull);
    z ^= static_cast<std::uint64_t>(static_cast<std::int64_t>(iy)) * 0xC2B2AE3D27D4EB4Full;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return static_cast<float>(z >> 40) * (1.0f / 16777216.0f);
}

float Noise::value(float x, float y) const {
    const float fx = floorOf(x);
    const float fy = floorOf(y);
    const int ix = static_cast<int>(fx);
    const int iy = static_cast<int>(fy);
    const float tx = fade(x - fx);
    const float ty = fade(y - fy);
    const float top = mix(lattice(ix, iy), lattice(ix + 1, iy), tx);
    const float bottom = mix(lattice(ix, iy + 1), lattice(ix + 1, iy + 1), tx);
    return mix(top, bottom, ty);
}

float Noise::fractal(float x, float y, int octaves) const {
    float sum = 0.0f;
    float amplitude = 0.5f;
    float total = 0.0f;
    for (int octave = 0; octave < octaves; ++octave) {
        sum += amplitude * value(x, y);
        total += amplitude;
        // The rotation between octaves hides the lattice grid.
        const float nx = 1.6f * x + 1.2f * y + 17.3f;
        const float ny = -1.2f * x + 1.6f * y + 5.1f;
        x = nx;
        y = ny;
        amplitude *= 0.5f;
    }
    return sum / total;
}

float Noise::warped(float x, float y, float warp) const {
    const float qx = fractal(x, y, 3);
    const float qy = fractal(x + 5.2f, y + 1.3f, 3);
    return fractal(x + warp * (qx - 0.5f) * 4.0f, y + warp * (qy - 0.5f) * 4.0f, 4);
}
