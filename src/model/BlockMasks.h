#pragma once
// The bridge between a block's cubes in the model and a cell set: bit
// x + 4y + 16z, the order of the model's cells, as the engines use it.

#include "model/Puzzle.h"

#include <array>
#include <cstdint>

namespace tessaro {

using BlockMasks = std::array<uint64_t, kBlocks>;

// The cells block b (0-based) holds; 0 for an empty block or a number out of range.
uint64_t blockMask(const Puzzle& p, int b);
BlockMasks blockMasks(const Puzzle& p);
// The block's cubes become exactly `cells`.
void setBlockMask(Puzzle& p, int b, uint64_t cells);
// The box cells that hold block b.
uint64_t boxCellsOfBlock(const Puzzle& p, int b);

}  // namespace tessaro
