#pragma once
// The program's one random-number generator: splitmix64, the same numbers on
// every platform and standard library (std:: distributions differ between them),
// so a seed names one cut, design or estimate everywhere.

#include "model/Figure.h"

#include <cstddef>
#include <cstdint>

namespace tessaro {

// One step: advances `state` and returns its next number.
inline uint64_t splitMix64(uint64_t& state) {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// [0, 1) from a number's top 24 bits, which fill a float mantissa exactly, so 1.0 is never reached.
inline float unitFloat(uint64_t z) { return float(z >> 40) * (1.0f / 16777216.0f); }

class SplitMix {
public:
    explicit SplitMix(uint64_t seed) : s_(seed) {}
    uint64_t next() { return splitMix64(s_); }
    // 0..n-1 by the remainder; its slight bias does not matter at these sizes.
    int below(int n) { return int(next() % uint64_t(n)); }
    // 0..n-1 by the high half of a 128-bit product: the estimates' draws.
    size_t scaledBelow(size_t n) { return size_t((static_cast<unsigned __int128>(next()) * n) >> 64); }

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
    float next() override { return unitFloat(m_.next()); }

private:
    SplitMix m_;
};

}  // namespace tessaro
