#pragma once
// A maker's own pieces: the blocks of a puzzle file taken as a stock, and every
// box (2 to 4 cells a side) that some of them fill exactly, each piece used at
// most once. Each such box and choice of pieces is judged as the designer
// judges a cut; those that pack exactly one way are kept, hardest first.

#include "design/DesignRequest.h"

#include <optional>
#include <vector>

namespace tessaro::design {

// The blocks of a puzzle as it holds them now, each its cells anywhere (none for an empty block).
std::vector<uint64_t> stockOf(const Puzzle& puzzle);

struct StockRequest {
    std::vector<uint64_t> pieces;           // at most kBlocks
    std::optional<analysis::BoxSize> box;   // else every box, one per shape up to turning
    int count = 5;
    double seconds = 60;
    int minRating = 1;
    int threads = 1;
};

struct StockResult : DesignResult {
    uint64_t choices = 0;  // boxes and piece choices whose cells agree: all there is to judge
    uint64_t noPacking = 0;  // of those judged, the ones that do not pack at all
};

// Each design's `pieces` names the stock pieces it uses (indexes into request.pieces),
// block b of the design being pieces[b]; its attempt is the choice's place in the order judged.
StockResult stockPuzzles(const StockRequest& request, const DesignControl& control = {});

}  // namespace tessaro::design
