#pragma once
// Small steps the two makers share (frmMain_Make.cpp, frmMain_MakePiece.cpp), and Open the box size.

#include "ui/frmMain.h"

#include <QString>

namespace tessaro {

// The cell-count dialog, or the test's answer to it; true when closed with OK.
bool showCellCountDialog(frmMain& w);
// "X×Y×Z" for the status bar.
QString boxSizeText(const Puzzle& p);
// Block b becomes the block being made: list, current block and preview.
void selectMakerBlock(frmMain& w, int b);
// The notice about loose blocks or unused cells, if any, then the end question.
bool confirmMakerEnd(frmMain& w, const char* title, int unusedCells);
// The blocks are emptied for a new puzzle: it is the maker's own, with no
// other puzzle's password or comment.
void startOwnPuzzle(frmMain& w);
// Save As off while a maker runs, its state kept for Open's ending of the maker.
void disableSaveAsWhileMaking(frmMain& w);
// Back to play from either maker: Save As on, panels off, box cleared, view
// controls on; then the count, when it is asked for after making.
void endMaker(frmMain& w, QAction* maker, QAction* otherMaker);

}  // namespace tessaro
