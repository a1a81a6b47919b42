#pragma once

#include <cstdint>

// Own generator so the pictures come out identical on every platform and run.
class Rng {
public:
    explicit Rng(std::uint64_t seed);

    std::uint64_t next();
    double unit();
    double uniform(double low, double high);
    int below(int count);
    bool chance(double probability);

private:
    std::uint64_t m_state;
};
