#pragma once
// How hard a puzzle is, measured so that the figure does not move when the
// counting engine gets cleverer: the nodes of one plain exact-cover search over
// the whole tree. The search always fills the open cell with the fewest
// candidates (a placement covering it, or leaving it empty while empty cells are
// left), ties to the lowest cell index; blocks of one shape are interchangeable;
// no symmetry breaking and no other pruning. Every state it visits counts as a
// node, the empty box included, and the count is the same for any thread count.

#include "analysis/Geometry.h"
#include "model/Puzzle.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace tessaro::design {

struct Difficulty {
    uint64_t searchNodes = 0;
    uint64_t packings = 0;  // leaves: packings with blocks of one shape alike, box rotations apart
    bool complete = false;  // false when cancelled; the figures are then lower bounds
};

// The plain search over a box: blocks given by their cells (anywhere, any
// orientation; zero for none), cells already taken (`kept`, inside the box),
// and the rest of the box filled or left empty.
// `progress`, when given, hears the nodes so far about every million nodes, on a search thread.
using DifficultyProgress = std::function<void(uint64_t nodes)>;
Difficulty measureDifficulty(analysis::BoxSize box, const std::array<uint64_t, kBlocks>& blocks, uint64_t kept = 0,
                             int threads = 1, const std::atomic<bool>* cancel = nullptr,
                             const DifficultyProgress& progress = {});

// The same for a puzzle as `solve` counts it: with fromBox, the blocks loaded
// in the box stay where they are. Call only for a puzzle whose analysis found no problems.
Difficulty measureDifficulty(const Puzzle& p, bool fromBox, int threads = 1,
                             const std::atomic<bool>* cancel = nullptr, const DifficultyProgress& progress = {});

// Search nodes per distinct packing (nodes alone when there is none).
double nodesPerPacking(uint64_t searchNodes, uint64_t distinctPackings);

// 1..10: one step per factor of four in nodes per distinct packing, 1 up to 64 nodes.
int difficultyRating(double nodesPerPacking);

}  // namespace tessaro::design
