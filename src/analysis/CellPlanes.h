#pragma once
// Planes of the 4x4x4 grid as 64-bit cell masks (bit x + 4y + 16z): a set of
// cells shifted one step along x or y must lose the plane it wrapped into.

#include <cstdint>

namespace tessaro::analysis {

inline constexpr uint64_t kPlaneX0 = 0x1111111111111111ull;  // x = 0
inline constexpr uint64_t kPlaneX3 = kPlaneX0 << 3;
inline constexpr uint64_t kPlaneY0 = 0x000F000F000F000Full;  // y = 0
inline constexpr uint64_t kPlaneY3 = kPlaneY0 << 12;
inline constexpr uint64_t kLayer0 = 0xFFFF;  // z = 0

}  // namespace tessaro::analysis
