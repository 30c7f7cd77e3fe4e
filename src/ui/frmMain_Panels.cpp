// The view controls around the two cube views: the main view's direction bars
// and drag, the two-dimensional layer panels, and clicks on their squares.

#include "editor/BodyMaker.h"
#include "editor/PanelGeometry.h"
#include "editor/PieceMaker.h"
#include "model/Figure.h"
#include "ui/ShapeSquare.h"
#include "ui/frmMain.h"

#include <QAction>
#include <QLabel>
#include <QScrollBar>

namespace tessaro {

namespace {

std::array<ShapeSquare*, 16>& squaresOf(frmMain& w, Panel p) {
    switch (p) {
        case Panel::A: return w.shpA;
        case Panel::B: return w.shpB;
        case Panel::C: return w.shpC;
        case Panel::D: return w.shpD;
        case Panel::E: return w.shpE;
        case Panel::F: return w.shpF;
        case Panel::G: return w.shpG;
        case Panel::H: return w.shpH;
    }
    return w.shpA;
}

// The scroll bar that chooses the panel's layer.
QScrollBar* layerBarOf(frmMain& w, Panel p) {
    switch (p) {
        case Panel::A: return w.hscL;
        case Panel::B: return w.vscU;
        case Panel::C: return w.hscR;
        case Panel::D: return w.vscD;
        case Panel::E: return w.hscLP;
        case Panel::F: return w.vscUP;
        case Panel::G: return w.hscRP;
        case Panel::H: return w.vscDP;
    }
    return w.hscL;
}

// Box panels while a body is cut into blocks: a left click marks or frees a cell.
void boxPanelClick(frmMain& w, Panel p, int Button, float X, float Y) {
    const int i = panelHitTest(p, X, Y);
    if (i < 0) return;
    const PanelCell c = panelCell(p, i, layerBarOf(w, p)->value());
    if (Button == 1) bodyMakerToggle(w.m_puzzle, c, w.m_iPiece);
    w.subDrawMain();
}

// Block panels while single blocks are drawn.
void piecePanelClick(frmMain& w, Panel p, int Button, float X, float Y) {
    const int i = panelHitTest(p, X, Y);
    if (i < 0) return;
    const PanelCell c = panelCell(p, i, layerBarOf(w, p)->value());
    auto setCount = [&w](const std::string& s) { w.lblPiece_count->setText(QString::fromStdString(s)); };
    auto warn = [&w](const std::string& title, const std::string& text) {
        w.msgBox(title, text, MsgIcon::Exclamation);
    };
    if (!pieceMakerClick(w.m_puzzle, c, Button, w.m_iPiece, w.m_iCell_Limit, warn, setCount)) return;
    w.subPiece_Show(w.m_iPiece);
}

}  // namespace

// ---- the main view's direction ----

void frmMain::hscDX_Change() { subDrawMain(); }

void frmMain::vscDY_Change() { subDrawMain(); }

void frmMain::pictMain_MouseDown(int, int, float X, float Y) {
    sngDragX = X;
    sngDragY = Y;
}

void frmMain::pictMain_MouseMove(int Button, int, float X, float Y) {
    if (Button == 0 || isChecked(mnuMake)) return;
    // Half the distance from the press point; an axis out of range keeps its bar.
    if (const auto a = dragBarValue(X - sngDragX, -2.0f, hscDX->minimum(), hscDX->maximum())) hscDX->setValue(*a);
    if (const auto b = dragBarValue(Y - sngDragY, 2.0f, vscDY->minimum(), vscDY->maximum())) vscDY->setValue(*b);
}

// ---- layer bars ----

void frmMain::hscL_Change() { subShowBoxPanels(hscL->value(), hscR->value(), vscU->value(), vscD->value()); }
void frmMain::hscR_Change() { subShowBoxPanels(hscL->value(), hscR->value(), vscU->value(), vscD->value()); }
void frmMain::vscU_Change() { subShowBoxPanels(hscL->value(), hscR->value(), vscU->value(), vscD->value()); }
void frmMain::vscD_Change() { subShowBoxPanels(hscL->value(), hscR->value(), vscU->value(), vscD->value()); }

void frmMain::hscLP_Change() {
    subShowPiecePanels(hscLP->value(), hscRP->value(), vscUP->value(), vscDP->value(), m_iPiece);
}
void frmMain::hscRP_Change() {
    subShowPiecePanels(hscLP->value(), hscRP->value(), vscUP->value(), vscDP->value(), m_iPiece);
}
void frmMain::vscUP_Change() {
    subShowPiecePanels(hscLP->value(), hscRP->value(), vscUP->value(), vscDP->value(), m_iPiece);
}
void frmMain::vscDP_Change() {
    subShowPiecePanels(hscLP->value(), hscRP->value(), vscUP->value(), vscDP->value(), m_iPiece);
}

// ---- showing the panels ----

void frmMain::mnu2D_Panel_Click() {
    const bool on = !isChecked(mnu2D_Panel);
    setChecked(mnu2D_Panel, on);
    subShowPanels(on, on);
}

void frmMain::subShowPanels(bool boxOn, bool pieceOn) {
    for (QScrollBar* b : {hscL, hscR, vscU, vscD}) b->setVisible(boxOn);
    for (QScrollBar* b : {hscLP, hscRP, vscUP, vscDP}) b->setVisible(pieceOn);
    for (Panel p : kAllPanels)
        for (ShapeSquare* s : squaresOf(*this, p)) s->setVisible(isBoxPanel(p) ? boxOn : pieceOn);
}

void frmMain::subShowBoxPanels(int L, int R, int U, int D) {
    const Puzzle& P = boxOnView();
    const int layers[4] = {L, U, R, D};  // A, B, C, D
    for (int k = 0; k < 4; ++k) {
        const Panel p = kAllPanels[static_cast<size_t>(k)];
        for (int i = 0; i < kPanelSquares; ++i) {
            const PanelCell c = panelCell(p, i, layers[k]);
            const bool filled = P.G_iBox[cellIndex(c.x, c.y, c.z)] != 0;
            squaresOf(*this, p)[static_cast<size_t>(i)]->setFill(
                filled, filled ? P.G_lBox_Color[colorIndex(c.x, c.y, c.z, 0)] : 0);
        }
    }
}

void frmMain::subShowPiecePanels(int LP, int RP, int UP, int DP, int b) {
    const Puzzle& P = m_puzzle;
    const int layers[4] = {LP, UP, RP, DP};  // E, F, G, H
    for (int k = 0; k < 4; ++k) {
        const Panel p = kAllPanels[static_cast<size_t>(k + 4)];
        for (int i = 0; i < kPanelSquares; ++i) {
            const PanelCell c = panelCell(p, i, layers[k]);
            const bool filled = validBlock(b) && P.piece(b, c.x, c.y, c.z) == 1;
            squaresOf(*this, p)[static_cast<size_t>(i)]->setFill(filled, filled ? pieceColor(b + 1, 0) : 0);
        }
    }
}

// ---- clicks on the window's surface, where the squares lie ----

void frmMain::Form_MouseDown(int Button, int, float X, float Y) {
    if (Button == 0) return;
    if (isChecked(mnuMake)) {
        subPanelClickA(Button, X, Y);
        subPanelClickB(Button, X, Y);
        subPanelClickC(Button, X, Y);
        subPanelClickD(Button, X, Y);
    }
    if (isChecked(mnuMakePiece)) {
        subPanelClickE(Button, X, Y);
        subPanelClickF(Button, X, Y);
        subPanelClickG(Button, X, Y);
        subPanelClickH(Button, X, Y);
    }
}

void frmMain::subPanelClickA(int Button, float X, float Y) { boxPanelClick(*this, Panel::A, Button, X, Y); }
void frmMain::subPanelClickB(int Button, float X, float Y) { boxPanelClick(*this, Panel::B, Button, X, Y); }
void frmMain::subPanelClickC(int Button, float X, float Y) { boxPanelClick(*this, Panel::C, Button, X, Y); }
void frmMain::subPanelClickD(int Button, float X, float Y) { boxPanelClick(*this, Panel::D, Button, X, Y); }
void frmMain::subPanelClickE(int Button, float X, float Y) { piecePanelClick(*this, Panel::E, Button, X, Y); }
void frmMain::subPanelClickF(int Button, float X, float Y) { piecePanelClick(*this, Panel::F, Button, X, Y); }
void frmMain::subPanelClickG(int Button, float X, float Y) { piecePanelClick(*this, Panel::G, Button, X, Y); }
void frmMain::subPanelClickH(int Button, float X, float Y) { piecePanelClick(*this, Panel::H, Button, X, Y); }

}  // namespace tessaro
