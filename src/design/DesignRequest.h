#pragma once
// What the designer is asked for, and what it hands back: one plain struct in,
// results that carry their packing, and one small control object for a worker
// thread (cancel flag in, progress out).

#include "analysis/Geometry.h"
#include "analysis/PuzzleRating.h"
#include "model/Puzzle.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tessaro::design {

using Blocks = std::array<uint64_t, kBlocks>;  // cells of each block in its place; 0 for none

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

struct DesignProgress {
    uint64_t tried = 0;  // candidates judged
    int found = 0;
    int bestRating = 0;  // 0 while nothing was found
    double seconds = 0;
    int depth = 0;  // nearest unique variants: cells moved in the candidates now judged
};

struct DesignControl {
    const std::atomic<bool>* cancel = nullptr;
    // Called on the calling thread about every progressInterval seconds.
    std::function<void(const DesignProgress&)> progress;
    double progressInterval = 0.25;
    // Each design as soon as it is accepted, at most the count asked for, so a
    // caller can keep it before the search ends (maybe on a worker thread, one call at a time).
    std::function<void(const Design&)> found;
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
};

}  // namespace tessaro::design
