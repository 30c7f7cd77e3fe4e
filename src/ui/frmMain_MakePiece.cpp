// Making single blocks ("ブロック単体の作成"): the blocks are drawn cell by
// cell on the block panels; the clicks are in frmMain_Panels.cpp.

#include "editor/PieceMaker.h"
#include "model/Figure.h"
#include "ui/GiveUp.h"
#include "ui/frmMain.h"
#include "ui/frmMain_MakeShared.h"
#include "viewqt/CubePicture.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

namespace tessaro {

namespace {
constexpr const char* kMakePieceTitle = "【 ﾂｰﾙ 】ブロック単体の作成";
}  // namespace

void frmMain::mnuMakePiece_Click() {
    Puzzle& P = m_puzzle;
    if (isChecked(mnuMakePiece)) {
        // ---- ending ----
        if (!confirmMakerEnd(*this, kMakePieceTitle, m_iCell_Limit - fncPiece_CountAll(P))) return;
        endMaker(*this, mnuMakePiece, mnuMake);
        return;
    }

    // ---- entering ----
    if (!askToSaveMadePuzzle(kMakePieceTitle)) return;
    const MsgResult answer = msgBox(kMakePieceTitle, "ブロック単体を作成します。\r\nプレイ中のブロック情報を、初期化しますか？",
                                    MsgIcon::Question, MsgButtons::YesNoCancel);
    if (answer == MsgResult::Cancel) return;
    // The blocks are emptied only once the box size is given: a cancelled
    // command leaves the puzzle in hand as it was.
    bool emptyBlocks = answer == MsgResult::Yes;
    if (answer == MsgResult::No && m_bBlocksFromFile) {
        // The blocks of an opened puzzle are its maker's: editing them takes its password.
        if (!P.G_sPassword.empty()) {
            if (!fncPassword_Check(m_dialogs, P)) return;
        } else {
            msgBox(kMakePieceTitle, "パスワードが設定されていませんので、編集はできません！", MsgIcon::Exclamation);
            emptyBlocks = true;
        }
    }
    if (!showCellCountDialog(*this)) return;
    if (emptyBlocks) startOwnPuzzle(*this);
    subOptPiece_Hide();
    m_iCell_Limit = pieceMakerLimit(P);
    lblPiece_count->setText(QString::fromStdString(pieceMakerStartCount(m_iCell_Limit)));
    if (isChecked(mnuAautoMove)) mnuAautoMove_Click();
    mnuHelpHelp->setEnabled(false);
    mnu2D_Panel->setEnabled(false);
    mnuAautoMove->setEnabled(false);
    mnuMake->setEnabled(false);
    mnuFileSave->setEnabled(false);
    disableSaveAsWhileMaking(*this);
    lblSum->clear();
    setChecked(mnu2D_Panel, true);
    subShowPanels(false, true);
    setMakerChecked(mnuMakePiece, true);
    stsBar_SetText(2, QStringLiteral("ブロック作成"));
    stsBar_SetText(3, boxSizeText(P));
    stsBar_SetText(4, QStringLiteral("ブロックを選択して、２Ｄパネルのマス目をクリックします。"));
    vscDY->setEnabled(false);
    hscDX->setEnabled(false);
    pictMain->setEnabled(false);
    cmdOrg->setEnabled(false);
    cmdLoad->setEnabled(false);
    cmdCancel->setEnabled(false);
    cmdReset->setEnabled(true);
    cmdShuffle->setEnabled(true);
    subPieceCtl_Enable(true);
    subBoxCtl_Enable(false);
    pictPiece->clear();
    selectMakerBlock(*this, 0);
    subDrawMain();
    clearHistory();
}

}  // namespace tessaro
