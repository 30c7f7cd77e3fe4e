#pragma once
// A random cut of the box (less the empty cells) into face-connected blocks:
// seeds spread apart, regions grown towards balanced target sizes, and cells
// traded between neighbouring blocks to part blocks of the same shape.

#include "design/DesignRequest.h"
#include "design/SplitMix.h"

namespace tessaro::design {

struct Cut {
    Blocks blocks{};
    uint64_t empty = 0;  // box cells left out
};

enum class CutOutcome { Made, Stuck, Identical };

// Made: `out` holds a cut meeting the asked sizes and shape rule. Stuck: the
// regions could not cover the body within the sizes. Identical: two blocks kept
// the same shape although identical blocks are not allowed.
CutOutcome randomCut(const DesignRequest& request, SplitMix& rng, Cut& out);

}  // namespace tessaro::design
