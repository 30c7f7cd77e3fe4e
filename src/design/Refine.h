#pragma once
// A cut with more than one packing brought towards one: a cell at a time is
// given to a neighbouring block, kept when the packings do not grow in number,
// until one is left or the steps run out. Most random cuts of a small box pack
// many ways; a short descent finds a unique one far sooner than fresh cuts do.

#include "design/BoxCut.h"

#include <atomic>

namespace tessaro::design {

struct RefineStats {
    uint64_t judged = 0;  // variants counted
};

// True when `blocks` now packs exactly one way (distinct_unlabelled 1, counted completely).
bool refineTowardsUnique(const DesignRequest& request, SplitMix& rng, Blocks& blocks, int steps,
                         const std::atomic<bool>* stop, RefineStats& stats);

// `moves` random legal moves of a cell to a neighbouring block (as the descent
// makes them); fewer when none is left.
void shakeCut(const DesignRequest& request, SplitMix& rng, Blocks& blocks, int moves);

}  // namespace tessaro::design
