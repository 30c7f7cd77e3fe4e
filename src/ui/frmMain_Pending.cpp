// NOT YET WRITTEN: handlers whose owners have still to fill them in. Each is
// an empty placeholder so the window builds and runs; moving a handler into
// its own file (frmMain_Panels.cpp, frmMain_Make.cpp, frmMain_File.cpp...)
// means deleting it here.

#include "ui/frmMain.h"

namespace tessaro {

// ---- view controls and layer panels ----
void frmMain::hscDX_Change() {}
void frmMain::vscDY_Change() {}
void frmMain::pictMain_MouseDown(int, int, float, float) {}
void frmMain::pictMain_MouseMove(int, int, float, float) {}
void frmMain::hscL_Change() {}
void frmMain::hscR_Change() {}
void frmMain::vscU_Change() {}
void frmMain::vscD_Change() {}
void frmMain::hscLP_Change() {}
void frmMain::hscRP_Change() {}
void frmMain::vscUP_Change() {}
void frmMain::vscDP_Change() {}
void frmMain::mnu2D_Panel_Click() {}
void frmMain::subShowPanels(bool, bool) {}
void frmMain::subShowBoxPanels(int, int, int, int) {}
void frmMain::subShowPiecePanels(int, int, int, int, int) {}
void frmMain::Form_MouseDown(int, int, float, float) {}
void frmMain::subPanelClickA(int, float, float) {}
void frmMain::subPanelClickB(int, float, float) {}
void frmMain::subPanelClickC(int, float, float) {}
void frmMain::subPanelClickD(int, float, float) {}
void frmMain::subPanelClickE(int, float, float) {}
void frmMain::subPanelClickF(int, float, float) {}
void frmMain::subPanelClickG(int, float, float) {}
void frmMain::subPanelClickH(int, float, float) {}

// ---- the two makers ----
void frmMain::mnuMake_Click() {}
void frmMain::mnuMakePiece_Click() {}
void frmMain::cmdSet_Click() {}
void frmMain::cmdSetCancel_Click() {}
int16_t frmMain::fncCell_Check(const PieceCubes&, int16_t limit) { return limit; }

}  // namespace tessaro
