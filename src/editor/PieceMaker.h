#pragma once
// The model side of making single blocks: the cell limit and drawing a cell
// on a block panel. The window's handlers (mnuMakePiece_Click,
// subPanelClickE..H) call these.

#include "editor/PanelGeometry.h"
#include "model/Puzzle.h"

#include <cstdint>
#include <functional>
#include <string>

namespace tessaro {

// Writes the text of the counter label lblPiece_count.
using CountLabel = std::function<void(const std::string&)>;
// Shows a warning (title, text) and returns once the user has read it; the
// window makes it an exclamation box.
using MakerWarning = std::function<void(const std::string& title, const std::string& text)>;

// Counts the cells of all blocks in `blocks`, shows "n : limit" and, when n
// exceeds the limit, warns and shows "limit : limit". Returns limit - n.
int16_t fncCell_Check(const PieceCubes& blocks, int16_t limit, const MakerWarning& warn, const CountLabel& setCount);

// The limit of the single-block maker: the box's cells.
int16_t pieceMakerLimit(const Puzzle& p);
// The counter's text when the maker starts.
std::string pieceMakerStartCount(int16_t limit);

// A click with `button` (1 = left) on a block-panel cell of block `piece`.
// Outside the box size nothing happens and the result is false. Otherwise a
// left click flips the cell, any click recounts, a cell the click added is
// taken back when the limit is exceeded, and after a left click the block's
// made cube equals its cube; true (the caller refreshes the preview).
bool pieceMakerClick(Puzzle& p, const PanelCell& c, int button, int piece, int16_t limit, const MakerWarning& warn,
                     const CountLabel& setCount);

}  // namespace tessaro
