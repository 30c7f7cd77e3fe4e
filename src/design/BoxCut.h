#pragma once
// A random cut of the box (less the empty cells) into face-connected blocks:
// seeds spread apart, regions grown towards balanced target sizes, and cells
// traded between neighbouring blocks to part blocks of the same shape.

#include "design/Design.h"
#include "design/DesignRequest.h"
#include "design/PieceRules.h"
#include "model/SplitMix.h"

namespace tessaro::design {

struct Cut {
    Blocks blocks{};
    uint64_t empty = 0;  // box cells left out
};

enum class CutOutcome { Made, Stuck, Identical };

// Made: `out` holds a cut meeting the asked sizes and shape rules. Stuck: the
// regions could not cover the body within the sizes, or a block kept a shape
// left out. Identical: two blocks kept the same shape although identical blocks
// are not allowed. Block sizes aim at one of `sizeLists` (sizeLists() of the request).
CutOutcome randomCut(const DesignRequest& request, const std::vector<SizeList>& sizeLists, SplitMix& rng, Cut& out);

}  // namespace tessaro::design
