#pragma once
// What the designer is asked for: one plain struct, checked before any search.

#include "analysis/Geometry.h"

#include <cstdint>
#include <string>

namespace tessaro::design {

struct DesignRequest {
    analysis::BoxSize box{3, 3, 3};
    int blocks = 7;
    // Blocks of one or two cells and the straight tricube are filler that makes
    // a puzzle play like one with fewer blocks: at 3 and above the straight
    // tricube is left out too, so only 2 or less lets these in.
    int minCells = 3;
    bool noFlat = false;  // every block spans all three axes
    int maxCells = 0;     // 0: the box's cells
    int empty = 0;     // box cells no block covers
    bool allowIdentical = false;
    int count = 5;
    double seconds = 60;
    int minRating = 1;
    uint64_t seed = 1;
    int threads = 1;  // 0: every core
    // Only puzzles whose packing can be built in the open box; with minLevel > 0,
    // only those whose easiest order needs a block that many steps beyond a drop.
    bool assemblable = false;
    int minLevel = 0;
};

// Why a request cannot be designed for, or "" when it can.
std::string requestProblem(const DesignRequest& request);

}  // namespace tessaro::design
