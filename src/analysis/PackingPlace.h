#pragma once
// A packing's cells put back into the model: a block's cube set to the cells it
// covers, or a copy of the puzzle whose box shows the packing in block colours.

#include "analysis/PackingAnalysis.h"
#include "model/Puzzle.h"

#include <cstdint>

namespace tessaro::analysis {

// Block b's cube becomes exactly `cells` (bit x + 4y + 16z), as if turned and
// moved there, so that loading it puts it where the packing has it.
void setBlockCells(Puzzle& p, int b, uint64_t cells);

// The puzzle with its box emptied and filled with `packing`, each cell in its
// block's colours and number; blocks and everything else as they were.
Puzzle withPackingInBox(const Puzzle& p, const Packing& packing);

}  // namespace tessaro::analysis
