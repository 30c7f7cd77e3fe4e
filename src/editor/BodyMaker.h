#pragma once
// The model side of making blocks from a completed body: the body of free
// cells, marking on the box panels, Set and Cancel. The window's handlers
// (mnuMake_Click, cmdSet_Click, cmdSetCancel_Click, subPanelClickA..D) call
// these and do the drawing and the controls themselves.

#include "editor/PanelGeometry.h"
#include "model/Puzzle.h"

#include <array>
#include <cstdint>

namespace tessaro {

// G_iBox while the maker runs.
constexpr int16_t kBodyOut = 0;     // outside the box size, or given to a block
constexpr int16_t kBodyFree = 1;
constexpr int16_t kBodyMarked = 2;  // chosen for the block being made

// Shades of a free body cell.
constexpr std::array<int32_t, 3> kBodyFreeShades = {0xE7E7E7, 0xF3F3F3, 0xE0E0E0};

// Entering, after the dialog: every block emptied and the box laid out as a
// body of free cells x <= G_iMax_X, y <= G_iMax_Y, z <= G_iMax_Z.
void bodyMakerStart(Puzzle& p);

// A left click on a box-panel cell: free becomes marked with block `piece`'s
// shades, marked becomes free; other cells do not react. True when it changed.
bool bodyMakerToggle(Puzzle& p, const PanelCell& c, int piece);

// Set: the marked cells join block `piece` (in both cubes, at their body
// positions) and leave the body; they keep their colours. A block turned by
// Shuffle meanwhile is first put back to its made place, so its cube stays
// one shape. Returns the number of cells given.
int bodyMakerSet(Puzzle& p, int piece);

// Cancel: every cell of block `piece` goes back to the body, marked, and the
// block is emptied. Works from the made cube: that is where the cells came
// from, whatever Shuffle did to the block since. Returns the cells re-marked.
int bodyMakerCancel(Puzzle& p, int piece);

// Body cells not given to any block (free or still marked).
int bodyMakerCellsLeft(const Puzzle& p);

}  // namespace tessaro
