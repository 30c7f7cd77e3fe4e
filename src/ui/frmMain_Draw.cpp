// The two three-dimensional views: the box (pictMain) and the current block
// (pictPiece), each with its layer panels.

#include "model/Figure.h"
#include "ui/frmMain.h"
#include "view/CubeView.h"
#include "viewqt/CubePicture.h"

#include <QLabel>
#include <QScrollBar>

namespace tessaro {

void frmMain::subDrawMain() {
    const Puzzle& P = boxOnView();
    pictMain->setScene(P.G_iBox, P.G_lBox_Color, mainViewParam(hscDX->value(), vscDY->value()));
    subShowBoxPanels(hscL->value(), hscR->value(), vscU->value(), vscD->value());
}

void frmMain::subPiece_Show(int b) {
    Puzzle& P = m_puzzle;
    lblPiece->setText(QString::number(b + 1));
    pictPiece->clear();
    subPiece_ToGrid(P, b, P.G_iWork);
    ColorGrid colors{};
    subPiece_ColorGrid(P, b, colors);
    pictPiece->setScene(P.G_iWork, colors, kPieceViewParam);
    subShowPiecePanels(hscLP->value(), hscRP->value(), vscUP->value(), vscDP->value(), b);
}

}  // namespace tessaro
