#pragma once
// Cell sets of the 4x4x4 grid as 64-bit masks (bit x + 4y + 16z).

#include "analysis/CellPlanes.h"

#include <array>
#include <cstddef>
#include <bit>
#include <cstdint>

namespace tessaro::design {

// The cells sharing a face with some cell of `m` (not m itself unless adjacent to it).
inline uint64_t faceNeighbours(uint64_t m) {
    using namespace analysis;
    return ((m << 1) & ~kPlaneX0) | ((m >> 1) & ~kPlaneX3) | ((m << 4) & ~kPlaneY0) | ((m >> 4) & ~kPlaneY3) | (m << 16) |
           (m >> 16);
}

inline uint64_t cellBit(int c) { return uint64_t(1) << c; }

// A hash of blocks in their places (block order counts: sort first to ignore it).
template <size_t N>
uint64_t blocksHash(const std::array<uint64_t, N>& blocks) {
    uint64_t h = 0x243F6A8885A308D3ull;
    for (uint64_t m : blocks) {
        h ^= m;
        h *= 0x9E3779B97F4A7C15ull;
        h ^= h >> 29;
    }
    return h;
}

}  // namespace tessaro::design
