#pragma once
// The yardstick: a straightforward dancing-links exact-cover counter (Algorithm X,
// column of fewest rows first) over the same placements as the analysis, with
// every block told apart and no use of the box's symmetry. Box cells are primary
// columns when the blocks fill the box, else secondary (they may stay empty).

#include "model/Puzzle.h"

#include <cstdint>

namespace tessaro::bench {

uint64_t dancingLinksCount(const Puzzle& p);

}  // namespace tessaro::bench
