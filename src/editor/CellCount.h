#pragma once
// The model side of the cell-count dialog (frmInput): reading a typed count
// and writing the accepted counts into the puzzle.

#include "model/Puzzle.h"

#include <cstdint>
#include <functional>
#include <string>

namespace tessaro {

constexpr int16_t kMinCells = 2;
constexpr int16_t kMaxCells = 4;

// True after the dialog was closed with OK; false while it runs and after Cancel.
extern bool G_bInput_OK;

// The leave check of a count box: a number is rounded (halves to even) and
// clamped into 2..4; anything that does not read as a number gives 2.
// Full-width digits, signs and points read like their ASCII forms.
int16_t cellCountFromText(const std::string& text);

// OK: the three counts and the maxima (count - 1).
void applyCellCounts(Puzzle& p, int16_t x, int16_t y, int16_t z);

// How a maker asks for the box size: shows the dialog for the puzzle and
// returns G_bInput_OK. The window holds one, so tests can answer it.
using CellCountPrompt = std::function<bool(Puzzle&)>;

}  // namespace tessaro
