#pragma once
// Which blocks a design may hold, and what that allows of a box: the distinct
// shapes of each size that fit it, the fewest cells that many different blocks
// need, and the lists of block sizes a cut may aim for.

#include "design/DesignRequest.h"
#include "model/Puzzle.h"

#include <optional>
#include <string>
#include <vector>

namespace tessaro::design {

// Within the sizes, not the straight tricube when that is left out, using all
// three axes when flat blocks are left out.
bool pieceAllowed(const DesignRequest& request, uint64_t cells);

struct ShapeSupply {
    // Distinct allowed shapes fitting the box, by size (index = cells), capped at
    // kBlocks; sizes past `known` were not counted (the enumeration grew too large).
    std::vector<int> bySize;
    int known = 0;
};
ShapeSupply shapeSupply(const DesignRequest& request);

// Why the blocks cannot be told apart in the body, or "" when they may be.
std::string shapeProblem(const DesignRequest& request);

// Every sorted list of block sizes that sums to the body, within the sizes and
// the supply of distinct shapes; at most `limit` lists (empty when none are known).
using SizeList = std::array<int, kBlocks>;
std::vector<SizeList> sizeLists(const DesignRequest& request, size_t limit = 20000);

}  // namespace tessaro::design
