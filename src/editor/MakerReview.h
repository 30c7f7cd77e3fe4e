#pragma once
// What a maker points out before it ends: blocks whose cells are not joined
// face to face, no block at all, and box cells no block uses. Nothing is
// refused (such puzzles can still be played); the user may go back and fix.

#include "model/Puzzle.h"

#include <string>
#include <vector>

namespace tessaro {

// True when the block's cells form one piece through shared faces (an empty
// or one-cell block counts as joined).
bool pieceIsJoined(const PieceCubes& cubes, int b);

// Indexes of the non-empty blocks that fall apart.
std::vector<int> disconnectedBlocks(const PieceCubes& cubes);

// The text of the notice shown before a maker's end question, or "" when
// there is nothing to say. `unusedCells`: box cells that no block will fill
// (negative: cells the blocks have beyond the box's).
std::string makerReviewText(const Puzzle& p, int unusedCells);

}  // namespace tessaro
