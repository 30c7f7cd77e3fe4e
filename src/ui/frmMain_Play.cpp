// Play by hand: choosing the current block, loading and unloading it, turning
// and moving blocks and the box contents.

#include "model/Figure.h"
#include "ui/frmMain.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

namespace tessaro {

void frmMain::lstPiece_Click() {
    const QListWidgetItem* item = lstPiece->currentItem();
    if (!item) return;
    bool ok = false;
    const int n = item->text().toInt(&ok) - 1;
    if (!ok || !validBlock(n)) return;

    if (isChecked(mnuMake) || isChecked(mnuMakePiece)) {
        m_iPiece = static_cast<int16_t>(n);
        subPiece_Show(n);
        return;
    }
    const bool isFree = m_puzzle.G_iLoaded[static_cast<size_t>(n)] == 0;
    // Automatic mode keeps the hand controls off whatever block is chosen.
    const bool byHand = !isChecked(mnuAautoMove);
    cmdLoad->setEnabled(isFree && byHand);
    cmdCancel->setEnabled(false);
    if (isFree) m_iPiece = static_cast<int16_t>(n);
    subPieceCtl_Enable(isFree && byHand);
    subPiece_Show(n);
}

void frmMain::cmdLoad_Click() {
    const int b = m_iPiece;
    const LoadResult r = loadPiece(m_puzzle, b, chkDedSpace->isChecked());
    switch (r.outcome) {
        case LoadOutcome::AlreadyLoaded:
            msgBox("×それは駄目×", std::to_string(b + 1) + " 既に使用しています！", MsgIcon::Critical);
            return;
        case LoadOutcome::CannotPlace:
            msgBox("×そこは駄目×", "そこには、置けません！", MsgIcon::Critical);
            return;
        case LoadOutcome::Loaded:
            break;
    }
    subDrawMain();
    subPieceCtl_Enable(false);
    cmdLoad->setEnabled(false);
    cmdCancel->setEnabled(true);
    QRadioButton* opt = optPiece[static_cast<size_t>(b)];
    opt->show();
    opt->setChecked(true);

    if (r.deadCell)
        msgBox("×そこは、結局は駄目×", "う～ん、死んだ目ができてしまった。違う所を選んだ方がいいと思う！",
               MsgIcon::Exclamation);
    showBoxCount();
    if (r.complete) msgBox("♪おめでとう♪", "☆グレイト☆　お疲れさまでした", MsgIcon::Information);
}

void frmMain::cmdCancel_Click() {
    const int b = m_iPiece;
    m_puzzle.G_iLoaded[static_cast<size_t>(b)] = 0;
    subBox_UnloadPiece(m_puzzle, b);
    subDrawMain();
    cmdLoad->setEnabled(true);
    cmdCancel->setEnabled(false);
    subPieceCtl_Enable(true);
    optPiece[static_cast<size_t>(b)]->hide();
    selectFirstVisibleOption();
    showBoxCount();
}

void frmMain::cmdRemove_Click() {
    int r = 0;
    for (int i = 0; i < kBlocks; ++i) {
        if (optPiece[static_cast<size_t>(i)]->isChecked()) {
            optPiece[static_cast<size_t>(i)]->hide();
            r = i;
            break;
        }
    }
    selectFirstVisibleOption();
    m_puzzle.G_iLoaded[static_cast<size_t>(r)] = 0;
    subBox_UnloadPiece(m_puzzle, r);
    subDrawMain();
    showBoxCount();

    for (const QRadioButton* o : optPiece)
        if (isShown(o)) return;
    cmdClear_Click();
    cmdLoad->setEnabled(true);
    cmdCancel->setEnabled(false);
    subPieceCtl_Enable(true);
    selectListEntry(0);
}

void frmMain::cmdClear_Click() {
    clearBox(m_puzzle);
    subOptPiece_Hide();
    subDrawMain();
    m_iPiece = 0;
    lblSum->clear();
    // Block 1 is the current block now: the list, the preview and the buttons
    // are those of a click on it, or Load would stay off for a free block.
    selectListEntry(0);
}

void frmMain::showBoxCount() {
    lblSum->setText(QStringLiteral("%1 : %2").arg(fncBox_Count(m_puzzle.G_iBox)).arg(m_puzzle.G_iCell_Total));
}

// ---- orientation ----

void frmMain::cmdTurn_Click(int Index) {
    switch (Index) {
        case 0: subPiece_TurnZ(m_puzzle, m_iPiece); break;
        case 1: subPiece_TurnX(m_puzzle, m_iPiece); break;
        case 2: subPiece_TurnY(m_puzzle, m_iPiece); break;
        case 3: subBox_TurnZ(m_puzzle); break;
        case 4: subBox_TurnX(m_puzzle); break;
        case 5: subBox_TurnY(m_puzzle); break;
        default: return;
    }
    if (Index < 3)
        subPiece_Show(m_iPiece);
    else
        subDrawMain();
}

void frmMain::cmdBotom_Click() {
    subPiece_SetFace(m_puzzle, m_iPiece, hscFace->value());
    subPiece_Show(m_iPiece);
}

void frmMain::hscFace_Change() {
    lblFace->setText(QString::number(hscFace->value()));
    cmdBotom_Click();
}

void frmMain::cmdReset_Click() {
    subPiece_ResetAll(m_puzzle);
    subPiece_Show(m_iPiece);
    if (!isChecked(mnuMakePiece)) cmdReset->setEnabled(false);
}

void frmMain::cmdShuffle_Click() {
    ClockRandom rnd;
    subPiece_ShuffleAll(m_puzzle, rnd);
    subPiece_Show(m_iPiece);
}

// ---- moves; a refused move shows nothing ----

void frmMain::cmdX_Inc_Click() {
    fncPiece_XInc(m_puzzle, m_iPiece);
    subPiece_Show(m_iPiece);
}

void frmMain::cmdX_Dec_Click() {
    fncPiece_XDec(m_puzzle, m_iPiece);
    subPiece_Show(m_iPiece);
}

void frmMain::cmdY_Inc_Click() {
    fncPiece_YInc(m_puzzle, m_iPiece);
    subPiece_Show(m_iPiece);
}

void frmMain::cmdY_dec_Click() {
    fncPiece_YDec(m_puzzle, m_iPiece);
    subPiece_Show(m_iPiece);
}

void frmMain::cmdZ_Inc_Click() {
    fncPiece_ZInc(m_puzzle, m_iPiece);
    subPiece_Show(m_iPiece);
}

void frmMain::cmdZ_Dec_Click() {
    fncPiece_ZDec(m_puzzle, m_iPiece);
    subPiece_Show(m_iPiece);
}

void frmMain::cmdOrg_Click() {
    subPiece_MoveOrigin(m_puzzle, m_iPiece);
    subPiece_Show(m_iPiece);
}

void frmMain::cmdOrgPZ_Click() {
    subBox_MoveOrigin(m_puzzle);
    subDrawMain();
}

}  // namespace tessaro
