// A puzzle made outside the two makers, taken into the window as their end leaves one.
#include "ui/frmMain.h"

#include "ui/frmMain_MakeShared.h"

#include <QAction>
#include <QPushButton>

namespace tessaro {

void frmMain::adoptMadePuzzle(Puzzle made) {
    cmdClear_Click();
    made.G_iWork = m_puzzle.G_iWork;
    // The maker's own puzzle: no other file's password, name or version.
    made.G_sPassword.clear();
    made.G_sFile_Title.clear();
    made.G_sFile_Version.clear();
    m_puzzle = std::move(made);
    m_sFile_Path.clear();
    m_bMadeUnsaved = true;
    m_bBlocksFromFile = false;
    if (isChecked(mnuAautoMove)) {
        mnuAautoMove_Click();
        mnuAautoMove->setEnabled(true);
    }
    cmdReset->setEnabled(false);
    cmdShuffle->setEnabled(false);
    mnuFileSave->setEnabled(false);
    mnuFileSaveAs->setEnabled(true);
    stsBar_SetText(1, QString());
    stsBar_SetText(2, QStringLiteral("プレイ・モード"));
    stsBar_SetText(3, boxSizeText(m_puzzle));
    stsBar_SetText(4, QString::fromStdString(m_puzzle.G_sComment));
    selectListEntry(0);
    showBoxCount();
    subDrawMain();
    subShowRotation();
    clearHistory();
    checkMadePuzzle();
}

}  // namespace tessaro
