// Making blocks from a completed body ("完成体を元にブロック作成"): the mode,
// Set and Cancel, and the cell-limit check both makers share.

#include "editor/BodyMaker.h"
#include "editor/MakerReview.h"
#include "editor/PieceMaker.h"
#include "editor/frmInput.h"
#include "model/Figure.h"
#include "ui/frmMain.h"
#include "ui/frmMain_MakeShared.h"
#include "viewqt/CubePicture.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>

namespace tessaro {

namespace {
constexpr const char* kMakeTitle = "【 ﾂｰﾙ 】完成体を元にブロック作成";
}  // namespace

bool showCellCountDialog(frmMain& w) {
    if (w.frmInput_Show) return w.frmInput_Show(w.m_puzzle);
    return frmInput::showModal(w.m_puzzle, &w);
}

QString boxSizeText(const Puzzle& p) {
    return QStringLiteral("%1×%2×%3").arg(p.G_iCells_X).arg(p.G_iCells_Y).arg(p.G_iCells_Z);
}

void selectMakerBlock(frmMain& w, int b) {
    w.m_iPiece = static_cast<int16_t>(b);
    {
        const QSignalBlocker block(w.lstPiece);
        w.lstPiece->setCurrentRow(b);
    }
    w.subPiece_Show(b);
}

bool confirmMakerEnd(frmMain& w, const char* title, int unusedCells) {
    // Loose blocks and unused cells are allowed, but rarely meant: say so
    // while the user can still go back and change them.
    const std::string notice = makerReviewText(w.m_puzzle, unusedCells);
    if (!notice.empty()) w.msgBox(title, notice, MsgIcon::Exclamation);
    return w.msgBox(title, "ブロック作成を終了しますか？\r\n作成終了後、保存を行ってください。\r\n",
                    MsgIcon::Question, MsgButtons::YesNo) == MsgResult::Yes;
}

void startOwnPuzzle(frmMain& w) {
    subPiece_ClearAll(w.m_puzzle);
    w.m_puzzle.G_sPassword.clear();
    w.m_puzzle.G_sComment.clear();
    w.m_bBlocksFromFile = false;
}

void disableSaveAsWhileMaking(frmMain& w) {
    // Half-made blocks and a box of marked cells are no puzzle to write.
    w.m_bSaveAsBeforeMaker = w.mnuFileSaveAs->isEnabled();
    w.mnuFileSaveAs->setEnabled(false);
}

void endMaker(frmMain& w, QAction* maker, QAction* otherMaker) {
    w.lblPiece_count->clear();
    w.m_puzzle.G_iCell_Total = fncPiece_CountAll(w.m_puzzle);
    w.mnuFileSaveAs->setEnabled(true);
    w.m_bMadeUnsaved = true;
    w.cmdReset->setEnabled(false);
    w.cmdShuffle->setEnabled(false);
    w.cmdSet->hide();
    w.cmdSetCancel->hide();
    w.mnu2D_Panel->setEnabled(true);
    w.mnuAautoMove->setEnabled(true);
    w.setMakerChecked(maker, false);
    otherMaker->setEnabled(true);
    w.mnuHelpHelp->setEnabled(true);
    w.mnu2D_Panel_Click();
    w.subBoxCtl_Enable(true);
    w.cmdClear_Click();
    w.stsBar_SetText(2, QStringLiteral("プレイ・モード"));
    w.stsBar_SetText(4, QString());
    w.vscDY->setEnabled(true);
    w.hscDX->setEnabled(true);
    w.pictMain->setEnabled(true);
    w.clearHistory();
    w.checkMadePuzzle();
}

int16_t frmMain::fncCell_Check(const PieceCubes& cubes, int16_t limit) {
    return ::tessaro::fncCell_Check(
        cubes, limit,
        [this](const std::string& title, const std::string& text) { msgBox(title, text, MsgIcon::Exclamation); },
        [this](const std::string& s) { lblPiece_count->setText(QString::fromStdString(s)); });
}

void frmMain::mnuMake_Click() {
    Puzzle& P = m_puzzle;
    if (isChecked(mnuMake)) {
        // ---- ending ----
        if (!confirmMakerEnd(*this, kMakeTitle, bodyMakerCellsLeft(P))) return;
        endMaker(*this, mnuMake, mnuMakePiece);
        return;
    }

    // ---- entering ----
    if (!askToSaveMadePuzzle(kMakeTitle)) return;
    if (msgBox(kMakeTitle, "ブロックを作成しますか？\r\n＜注意＞プレイ中のブロック情報は、初期化されます。\r\n",
               MsgIcon::Question, MsgButtons::YesNo) != MsgResult::Yes)
        return;
    if (!showCellCountDialog(*this)) return;
    mnuHelpHelp->setEnabled(false);
    mnu2D_Panel->setEnabled(false);
    mnuAautoMove->setEnabled(false);
    mnuMakePiece->setEnabled(false);
    mnuFileSave->setEnabled(false);
    disableSaveAsWhileMaking(*this);
    lblSum->clear();
    if (isChecked(mnuAautoMove)) mnuAautoMove_Click();
    setChecked(mnu2D_Panel, true);
    subShowPanels(true, true);
    setMakerChecked(mnuMake, true);
    stsBar_SetText(2, QStringLiteral("ブロック作成"));
    stsBar_SetText(3, boxSizeText(P));
    stsBar_SetText(4, QStringLiteral("２Ｄパネルのマス目をクリックし、[Set]ボタンをクリックします。"));
    for (QPushButton* b : {cmdOrg, cmdLoad, cmdCancel, cmdOrgPZ, cmdClear, cmdRemove}) b->setEnabled(false);
    for (QPushButton* b : cmdTurn) b->setEnabled(false);
    cmdReset->setEnabled(true);
    cmdShuffle->setEnabled(true);
    // The blocks are emptied and the box becomes a body of free cells.
    startOwnPuzzle(*this);
    bodyMakerStart(P);
    subOptPiece_Hide();
    pictPiece->clear();
    subPieceCtl_Enable(false);
    selectMakerBlock(*this, 0);
    subDrawMain();
    cmdSet->show();
    cmdSetCancel->show();
    clearHistory();
}

void frmMain::cmdSet_Click() {
    if (!isChecked(mnuMake)) return;
    bodyMakerSet(m_puzzle, m_iPiece);
    subPiece_Show(m_iPiece);
    subDrawMain();
}

void frmMain::cmdSetCancel_Click() {
    if (!isChecked(mnuMake)) return;
    bodyMakerCancel(m_puzzle, m_iPiece);
    subPiece_Show(m_iPiece);
    subDrawMain();
}

}  // namespace tessaro
