#pragma once
// Puzzles made by cutting a box into face-connected blocks, reproducible from a
// seed: material for the loader's tests and its benchmark.

#include "model/Puzzle.h"

#include <cstdint>

namespace tessaro {

struct CutSpec {
    int cellsX = 4, cellsY = 4, cellsZ = 4;
    int blocks = 8;         // 1..8, at most the number of box cells
    uint64_t seed = 1;
    bool turnBlocks = true; // give each made block a random orientation
};

// Blocks 0..blocks-1 hold the pieces, made = current, each at the origin corner;
// loader state as after INIT; G_iCell_Total set.
Puzzle cutBox(const CutSpec& spec);

}  // namespace tessaro
