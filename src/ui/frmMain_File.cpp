// The File menu (open, save under a new name, save again) and giving up.

#include "ui/frmMain.h"

#include "app/AppEnv.h"
#include "app/ErrLog.h"
#include "files/PuzzleFile.h"
#include "model/Figure.h"
#include "ui/FilePrompts.h"
#include "ui/GiveUp.h"
#include "ui/frmMain_MakeShared.h"
#include "viewqt/CubePicture.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include <filesystem>
#include <string>

namespace tessaro {

namespace {

constexpr const char* kFilter = "(*.bin)|*.bin";
constexpr const char* kExt = "bin";
constexpr const char* kDone = "正常に終了しました。";
// The writer and reader have already shown their error with its reason (and
// logged it); these say what it means for the user's puzzle.
constexpr const char* kSaveFailed =
    "パズルを保存できませんでした。\r\n"
    "（原因は、直前に表示したエラーのとおりです）\r\n"
    "保存先にあったファイルは、変更されていません。";
constexpr const char* kOpenFailed =
    "このファイルは、パズルとして読み込めませんでした。\r\n"
    "（原因は、直前に表示したエラーのとおりです）\r\n"
    "手元のパズルは、そのままです。";

QString qs(const std::string& s) { return QString::fromStdString(s); }

std::string fileTitle(const std::string& path) { return std::filesystem::path(path).filename().string(); }

// Whatever fails in a handler itself (the reader and writer report their own
// errors) ends the command with a log entry naming the step it was in.
void logHandlerError(const char* place, int step, const std::exception& e) {
    const FileError err = unexpectedFileError(step, e);
    logStepError(place, err.number, err.label, err.description);
}

}  // namespace

void frmMain::mnuFileOpen_Click() {
    if (m_bSearching) return;
    int step = 1;
    try {
        const bool making = isChecked(mnuMake) || isChecked(mnuMakePiece);
        if (!making && !askToSaveMadePuzzle("パズルを開く")) return;

        step = 2;
        const auto chosen = m_dialogs.openFile(G_sData_Path + "/*.bin", kFilter, kExt);
        if (!chosen) {
            m_sFile_Path.clear();
            return;
        }
        const std::string path = *chosen;

        // Read beside the puzzle in hand, so a file that is refused changes
        // nothing: not the blocks, not the box, not the password that guards them.
        step = 3;
        Puzzle read = m_puzzle;
        const std::string result = fncFile_get(read, path);
        step = 4;
        if (result == kNgVersion) {
            msgBox("読み出し不可能なパズル", "バージョンが特定できませんでした。", MsgIcon::Critical);
            return;
        }
        if (result.empty()) {
            msgBox("読み出し不可能なパズル", kOpenFailed, MsgIcon::Critical);
            return;
        }

        // A maker's blocks are given up only for a puzzle that was read whole:
        // asked before the dialog, a Yes followed by Cancel would leave the
        // half-made blocks in play under the old total.
        if (making) {
            if (msgBox("パズルを開く", "作成中のブロックが、破棄されます。よろしいですか？", MsgIcon::Question,
                       MsgButtons::YesNo) != MsgResult::Yes)
                return;
            cmdSet->hide();
            cmdSetCancel->hide();
            setMakerChecked(mnuMake, false);
            setMakerChecked(mnuMakePiece, false);
            for (QAction* a : {mnu2D_Panel, mnuAautoMove, mnuHelpHelp, mnuMake, mnuMakePiece}) a->setEnabled(true);
            mnuFileSaveAs->setEnabled(m_bSaveAsBeforeMaker);
            // Only ever off: the makers check the panels, but a toggle must not turn them on.
            if (isChecked(mnu2D_Panel)) mnu2D_Panel_Click();
            subBoxCtl_Enable(true);
            hscDX->setEnabled(true);
            vscDY->setEnabled(true);
            pictMain->setEnabled(true);
            // What the makers' own endings also undo: Reset here would hand out
            // the made state of the next puzzle without its password.
            cmdReset->setEnabled(false);
            cmdShuffle->setEnabled(false);
            lblPiece_count->clear();
            stsBar_SetText(2, QStringLiteral("プレイ・モード"));
            stsBar_SetText(4, QString());
            cmdClear_Click();
        }

        step = 5;
        cmdClear_Click();
        read.G_iWork = m_puzzle.G_iWork;  // Clear's, as the file does not hold it
        m_puzzle = std::move(read);
        m_sFile_Path = path;
        m_bMadeUnsaved = false;
        m_bBlocksFromFile = true;
        Puzzle& P = m_puzzle;
        P.G_sFile_Title = fileTitle(path);
        P.G_sFile_Version = result;

        // Off before the play state is set up: the panel's switch enables the
        // block buttons wholesale, also for a block that is loaded.
        if (isChecked(mnuAautoMove)) {
            mnuAautoMove_Click();
            mnuAautoMove->setEnabled(true);
        }
        // A give-up earned on the previous puzzle does not carry over.
        cmdReset->setEnabled(false);

        stsBar_SetText(1, qs(result));
        stsBar_SetText(2, QStringLiteral("プレイ・モード"));
        stsBar_SetText(3, boxSizeText(P));
        stsBar_SetText(4, qs(P.G_sComment));
        selectListEntry(0);
        showBoxCount();  // the reader has checked the stored count against the box
        cmdSet->hide();
        cmdSetCancel->hide();
        for (int n = 0; n < kBlocks; ++n) {
            if (P.G_iLoaded[static_cast<size_t>(n)] != 1) continue;
            optPiece[static_cast<size_t>(n)]->show();
            optPiece[static_cast<size_t>(n)]->setChecked(true);
        }
        mnuFileSave->setEnabled(true);
        m_iPiece = 0;
        subPiece_Show(m_iPiece);
        subDrawMain();
        subShowRotation();
        clearHistory();
    } catch (const std::exception& e) {
        logHandlerError("frmMain.mnuFileOpen_Click() ", step, e);
    }
}

void frmMain::mnuFileSaveAs_Click() {
    if (m_bSearching) return;
    saveAsFile();
}

bool frmMain::saveAsFile() {
    Puzzle& P = m_puzzle;
    // A Save As that does not end with the file written leaves the puzzle in
    // hand as it was: password, comment, orientations.
    const Puzzle before = P;
    const QString shownComment = stsBar_Panel(4)->text();
    auto undo = [&] {
        P = before;
        stsBar_SetText(4, shownComment);
        subPiece_Show(m_iPiece);
    };
    int step = 1;
    try {
        const auto comment = askCommentAndPassword(m_dialogs, P);
        if (!comment) return false;

        step = 3;
        const auto picked = m_dialogs.saveFile(G_sData_Path + "/Test.bin", kFilter, kExt);
        const auto chosen = picked ? nameForWriter(m_dialogs, "名前を付けて保存", *picked, {".bin"}) : std::nullopt;
        if (!chosen) {
            undo();
            return false;
        }
        const std::string path = *chosen;

        step = 4;
        cmdShuffle_Click();
        step = 5;
        P.G_iCell_Filled = fncBox_Count(P.G_iBox);
        P.G_sComment = *comment;
        stsBar_SetText(4, qs(P.G_sComment));
        step = 6;
        if (!subFile_put(P, path)) {
            // Save keeps aiming at the last file that was really written.
            undo();
            msgBox("名前を付けて保存", kSaveFailed, MsgIcon::Critical);
            return false;
        }
        step = 7;
        P.G_sFile_Title = fileTitle(path);
        m_sFile_Path = path;
        m_bMadeUnsaved = false;
        // The file holds the shuffled blocks: no step may lead back to the
        // orientations they were made in, for Save to write.
        clearHistory();
        step = 8;
        msgBox("名前を付けて保存", kDone, MsgIcon::Information);
        mnuFileSave->setEnabled(true);
        return true;
    } catch (const std::exception& e) {
        logHandlerError("frmMain.mnuFileSaveAs_Click() ", step, e);
        undo();
        return false;
    }
}

bool frmMain::askToSaveMadePuzzle(const std::string& title) {
    if (!m_bMadeUnsaved) return true;
    switch (msgBox(title, "作成したパズルを保存しますか？", MsgIcon::Question, MsgButtons::YesNoCancel)) {
        case MsgResult::Yes: return saveAsFile();
        case MsgResult::No: return true;
        default: return false;
    }
}

void frmMain::mnuFileSave_Click() {
    if (m_bSearching) return;
    if (m_sFile_Path.empty()) return;
    int step = 2;
    try {
        Puzzle& P = m_puzzle;
        if (msgBox("[ " + P.G_sFile_Title + " ] の上書き保存", "上書き保存しますか？", MsgIcon::Question,
                   MsgButtons::OkCancel) != MsgResult::Ok)
            return;
        step = 3;
        P.G_iCell_Filled = fncBox_Count(P.G_iBox);
        if (!subFile_put(P, m_sFile_Path)) {
            msgBox("パズル上書き保存", kSaveFailed, MsgIcon::Critical);
            return;
        }
        step = 4;
        m_bMadeUnsaved = false;
        msgBox("パズル上書き保存", kDone, MsgIcon::Information);
    } catch (const std::exception& e) {
        logHandlerError("frmMain.mnuFileSave_Click() ", step, e);
    }
}

void frmMain::mnuHelpHelp_Click() {
    if (m_bSearching) return;
    if (!giveUpAndAnnounce(m_dialogs, m_puzzle)) return;
    cmdReset->setEnabled(true);
    rememberGiveUp();
}

}  // namespace tessaro
