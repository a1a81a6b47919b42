#include "art/Rng.h"

Rng::Rng(std::uint64_t seed) : m_state(seed) {}

std::uint64_t Rng::next() {
    std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double Rng::unit() {
    return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0);
}

double Rng::uniform(double low, double high) {
    return low + (high - low) * unit();
}

int Rng::below(int count) {
    return count <= 0 ? 0 : static_cast<int>(next() % static_cast<std::uint64_t>(count));
}

bool Rng::chance(double probability) {
    return unit() < probability;
}
