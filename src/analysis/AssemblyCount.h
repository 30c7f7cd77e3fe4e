#pragma once
// How many of a puzzle's distinct packings (blocks of one shape alike, box
// rotations alike) can be built in the open box with some face up, and how many
// by straight drops alone. A walk of its own over every packing: the count
// itself never visits them one by one.

#include "analysis/Assembly.h"
#include "model/Puzzle.h"

#include <atomic>
#include <cstdint>

namespace tessaro::analysis {

struct AssemblyCounts {
    uint64_t distinct = 0;     // distinct packings walked
    uint64_t assemblable = 0;  // of them, built with some face up
    uint64_t dropOnly = 0;     // of them, built by straight drops alone
    uint64_t packings = 0;     // packings checked (one per class and then some)
    bool complete = false;     // false when cancelled or the puzzle has no sound box
    double seconds = 0;
};

// fromBox: the blocks loaded in the box stay where they are, as in the count.
// threads 0: every core.
AssemblyCounts countAssemblies(const Puzzle& puzzle, bool fromBox, int threads = 0,
                               const std::atomic<bool>* cancel = nullptr);

}  // namespace tessaro::analysis
