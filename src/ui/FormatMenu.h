#pragma once
// The File menu's "他の形式から読み込む…" and "他の形式で書き出す…": puzzles of
// the shared voxel format (.xmpuzzle, .xml) in and out of the window.

namespace tessaro {

class WindowPort;

// Puts both entries at the end of the File menu and wires them.
void addFormatMenuEntries(WindowPort& w);
void mnuFileImport_Click(WindowPort& w);
void mnuFileExportOther_Click(WindowPort& w);

}  // namespace tessaro
