#pragma once
// The designer's randomness: splitmix64, the same numbers on every platform and
// standard library (std:: distributions differ between them), so a seed names
// one design everywhere.

#include "model/Figure.h"

#include <cstdint>

namespace tessaro::design {

class SplitMix {
public:
    explicit SplitMix(uint64_t seed) : s_(seed) {}
    uint64_t next() {
        uint64_t z = (s_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // 0..n-1; the slight bias of a remainder does not matter at these sizes.
    int below(int n) { return int(next() % uint64_t(n)); }

private:
    uint64_t s_;
};

// One independent stream per (seed, attempt), so any attempt can be redone alone.
inline uint64_t attemptSeed(uint64_t seed, uint64_t attempt) {
    SplitMix m(seed ^ (attempt * 0xD1B54A32D192ED03ull));
    m.next();
    return m.next();
}

// The model's [0, 1) draws (Shuffle, the file key) from a seed instead of the clock.
class SeededUniform final : public UniformRandom {
public:
    explicit SeededUniform(uint64_t seed) : m_(seed) {}
    float next() override { return float(m_.next() >> 40) * (1.0f / 16777216.0f); }

private:
    SplitMix m_;
};

}  // namespace tessaro::design
