#pragma once
// What the designer hands back: puzzles that carry their one packing, and the
// account of a search (why it stopped, what the rejected candidates fell to).

#include "analysis/Geometry.h"
#include "analysis/PuzzleRating.h"
#include "model/Puzzle.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace tessaro::design {

using Blocks = std::array<uint64_t, kBlocks>;  // cells of each block in its place; 0 for none

// A cell given from one block to another (block indexes 0..7, cell bit x + 4y + 16z).
struct CellMove {
    int cell = 0;
    int from = 0;
    int to = 0;
};

struct Design {
    analysis::BoxSize box;
    Blocks blocks{};  // the one packing, blocks numbered as they will be saved
    analysis::PuzzleRating difficulty;
    uint64_t solutions = 0;  // packings with blocks told apart, as solve counts them
    uint64_t seed = 0;       // with the attempt, enough to make this design again
    uint64_t attempt = 0;
    int assemblyLevel = -1;  // the packing's level in the open box, -1 when it cannot be built
    std::vector<CellMove> moves;  // from the starting puzzle (nearest unique variants only)
    std::vector<int> pieces;      // the stock's pieces, block by block (a maker's own pieces only)
};

enum class DesignStop { Found, Time, Cancelled, Exhausted };

struct DesignResult {
    std::vector<Design> designs;  // hardest first
    uint64_t tried = 0;
    double seconds = 0;
    DesignStop stop = DesignStop::Found;
    // What the rejected candidates fell to, for a plain report when few or none were found.
    uint64_t cutsFailed = 0, identical = 0, notUnique = 0, tooEasy = 0, duplicates = 0;
    uint64_t notAssemblable = 0;  // unique, but not built in the open box as asked
    int bestRejectedRating = 0;  // the hardest unique candidate below the asked rating
    uint64_t everyCut = 0;       // when the body has few cuts: how many (each judged once)

    void rejectTooEasy(int rating) {
        ++tooEasy;
        bestRejectedRating = std::max(bestRejectedRating, rating);
    }
};

}  // namespace tessaro::design
