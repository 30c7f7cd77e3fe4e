#pragma once
// The nearest variants of a puzzle with exactly one packing: starting from its
// blocks as they fill the body, cells are given one at a time to a
// face-neighbouring block (no block goes below minCells, a connected block stays
// connected, the body stays as it is), breadth first, fewest moves first. Every
// variant reached in the time is judged and the `count` hardest are kept; once
// `count` are kept, a variant is rated before it is proved unique, and one rated
// below them all goes no further.

#include "design/DesignRequest.h"

namespace tessaro::design {

struct NearestRequest {
    Puzzle source;
    int maxMoves = 4;
    int minCells = 2;  // no variant offered has a smaller block
    int count = 5;
    double seconds = 60;
    int minRating = 1;
    int threads = 1;
};

struct NearestResult : DesignResult {
    bool noPacking = false;  // the puzzle packs no way: nothing to start from
    bool fromMade = false;   // started from the blocks' made places (else from the first packing found)
    Blocks start{};
    // Every variant with at most this many moves was judged (the last depth
    // whose judging was finished; a depth cut short by the time does not count).
    int movesSearched = 0;
    uint64_t bounded = 0;  // variants left unproved: rated too low to enter the list once it was full
};

NearestResult nearestUnique(const NearestRequest& request, const DesignControl& control = {});

}  // namespace tessaro::design
