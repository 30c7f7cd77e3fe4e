// The File menu and giving up, through the window with scripted dialogs, in a
// data folder of its own.

#include "WindowFixture.h"
#include "editor/BodyMaker.h"
#include "editor/CellCount.h"
#include "app/AppEnv.h"
#include "app/Ini.h"
#include "ui/ExportDialog.h"
#include "files/PuzzleFile.h"
#include "model/Figure.h"

#include <QGroupBox>
#include <QStatusBar>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <tuple>

namespace tessaro::test {
namespace {

namespace fs = std::filesystem;

const char* const kSaveAsTitle = "名前を付けて保存";
const char* const kDone = "正常に終了しました。";

std::string readBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}
void writeBytes(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

// The data folder and the program folder (for Error_Log.TXT) in a fresh temporary
// folder; the core's error messages arrive in the scripted dialogs, as in the program.
class Folders {
public:
    explicit Folders(ScriptedDialogs& dlg) {
        std::string pattern = (fs::temp_directory_path() / "tessaro-filecmd-XXXXXX").string();
        root_ = mkdtemp(pattern.data());
        data_ = root_ / "Data";
        fs::create_directory(data_);
        oldData_ = G_sData_Path;
        oldApp_ = G_sApp_Path;
        G_sData_Path = data_.string();
        G_sApp_Path = root_.string() + "/";
        setMessageHandler([&dlg](const std::string& title, const std::string& text) {
            dlg.message(title, text, MsgIcon::Critical);
        });
    }
    ~Folders() {
        setMessageHandler(nullptr);
        G_sData_Path = oldData_;
        G_sApp_Path = oldApp_;
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    const fs::path& data() const { return data_; }
    std::string log() const { return readBytes(root_ / "Error_Log.TXT"); }

private:
    fs::path root_, data_;
    std::string oldData_, oldApp_;
};

class FileTest : public WindowTest {
protected:
    Folders folders{dlg};

    void SetUp() override { activate(); }

    // Blocks 1..3 of the sample placed as in its solution: 15 of 27 cells.
    void loadThreeBlocks() {
        choose(1);
        click("cmdX_Inc");
        click("cmdLoad");
        choose(2);
        click("cmdTurn1");
        click("cmdOrg");
        click("cmdLoad");
        choose(3);
        click("cmdTurn0", 2);
        click("cmdOrg");
        click("cmdY_Inc");
        click("cmdLoad");
        ASSERT_EQ(text("lblSum"), "15 : 27");
    }
    // What a maker leaves behind when it ends: Save As available.
    void makerEnded() { w.mnuFileSaveAs->setEnabled(true); }

    void saveAs(const std::string& comment, const std::string& password, const fs::path& path) {
        dlg.answerInput(comment);
        dlg.answerInput(password);
        dlg.answerSave(path.string());
        w.mnuFileSaveAs->trigger();
    }
    void open(const fs::path& path) {
        dlg.answerOpen(path.string());
        w.mnuFileOpen->trigger();
    }
    QString status(int n) { return w.stsBar_Panel(n)->text(); }
    static Puzzle readFile(const fs::path& path) {
        Puzzle p;
        EXPECT_EQ(fncFile_get(p, path.string()), "Ver 1.0.0");
        return p;
    }
};

TEST_F(FileTest, MadePuzzleSavedWithCommentAndPasswordThenOpenedInANewRun) {
    loadThreeBlocks();
    makerEnded();
    const fs::path file = folders.data() / "three.bin";
    saveAs("三つ入れた", " Pass7 ", file);

    ASSERT_EQ(dlg.unscripted(), 0);
    const auto& r = dlg.records();
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[2].kind, DialogRecord::Kind::Save);
    EXPECT_EQ(r[2].text, folders.data().string() + "/Test.bin");
    EXPECT_EQ(r[2].defaultText, "(*.bin)|*.bin");
    EXPECT_EQ(r[2].defaultExt, "bin");
    expectMessage(r[3], kSaveAsTitle, kDone, MsgIcon::Information);
    EXPECT_TRUE(w.mnuFileSave->isEnabled());
    EXPECT_EQ(w.m_sFile_Path, file.string());
    EXPECT_EQ(status(4), QStringLiteral("三つ入れた"));
    EXPECT_EQ(w.m_puzzle.G_sPassword, "Pass7");

    const Puzzle onDisk = readFile(file);
    EXPECT_EQ(onDisk.G_iPiece, w.m_puzzle.G_iPiece);  // as shuffled before the write
    EXPECT_EQ(onDisk.G_iCell_Filled, 15);
    EXPECT_EQ(onDisk.G_sComment, "三つ入れた");
    EXPECT_EQ(onDisk.G_sPassword, "Pass7");

    // The program starts again and opens it.
    ScriptedDialogs dlg2;
    frmMain w2{dlg2};
    w2.Form_Activate();
    w2.mnuAautoMove->trigger();  // the loader's panel is shown
    ASSERT_TRUE(w2.mnuAautoMove->isChecked());
    dlg2.answerOpen(file.string());
    w2.mnuFileOpen->trigger();
    ASSERT_EQ(dlg2.count(), 1u);
    EXPECT_EQ(dlg2.records()[0].kind, DialogRecord::Kind::Open);
    EXPECT_EQ(dlg2.records()[0].text, folders.data().string() + "/*.bin");
    EXPECT_EQ(dlg2.records()[0].defaultText, "(*.bin)|*.bin");

    const Puzzle& P = w2.m_puzzle;
    EXPECT_EQ(P.G_iPiece, onDisk.G_iPiece);
    EXPECT_EQ(P.G_iBox, onDisk.G_iBox);
    EXPECT_EQ(P.G_iLoaded, onDisk.G_iLoaded);
    EXPECT_EQ(P.G_sFile_Version, "Ver 1.0.0");
    EXPECT_EQ(P.G_sFile_Title, "three.bin");
    EXPECT_EQ(w2.m_sFile_Path, file.string());
    EXPECT_EQ(w2.stsBar_Panel(1)->text(), QStringLiteral("Ver 1.0.0"));
    EXPECT_EQ(w2.stsBar_Panel(2)->text(), QStringLiteral("プレイ・モード"));
    EXPECT_EQ(w2.stsBar_Panel(3)->text(), QStringLiteral("3×3×3"));
    EXPECT_EQ(w2.stsBar_Panel(4)->text(), QStringLiteral("三つ入れた"));
    EXPECT_EQ(w2.lblSum->text(), QStringLiteral("15 : 27"));
    for (int n = 0; n < 8; ++n) EXPECT_EQ(w2.optPiece[n]->isHidden(), n > 2) << n;
    EXPECT_TRUE(w2.optPiece[2]->isChecked());
    EXPECT_EQ(w2.lstPiece->currentRow(), 0);
    EXPECT_EQ(w2.m_iPiece, 0);
    EXPECT_FALSE(w2.mnuAautoMove->isChecked());
    EXPECT_TRUE(w2.mnuAautoMove->isEnabled());
    EXPECT_TRUE(w2.frameAuto->isHidden());
    EXPECT_TRUE(w2.lstPiece->isEnabled());
    // Block 1 is loaded: neither Load nor the block buttons act on it.
    EXPECT_FALSE(w2.cmdLoad->isEnabled());
    EXPECT_FALSE(w2.cmdOrg->isEnabled());
    EXPECT_TRUE(w2.cmdRemove->isEnabled());
    EXPECT_TRUE(w2.mnuFileSave->isEnabled());
    EXPECT_FALSE(w2.mnuFileSaveAs->isEnabled());
    EXPECT_FALSE(w2.cmdReset->isEnabled());

    // Play on: UNLOAD works on what was read.
    w2.cmdRemove->click();
    EXPECT_EQ(fncBox_Count(w2.m_puzzle.G_iBox), 15 - fncPiece_Count(P, 2));
    EXPECT_TRUE(w2.optPiece[2]->isHidden());

    // Give up with the password (blanks around it) and see the answer through Reset.
    dlg2.clear();
    dlg2.answerMessage(MsgResult::Yes);
    dlg2.answerInput("  Pass7");
    w2.mnuHelpHelp->trigger();
    ASSERT_EQ(dlg2.count(), 3u);
    EXPECT_EQ(dlg2.records()[2].title, "神の恩恵、仏の御慈悲・・・");
    EXPECT_TRUE(w2.cmdReset->isEnabled());
    w2.cmdReset->click();
    EXPECT_EQ(w2.m_puzzle.G_iPiece, w2.m_puzzle.G_iPiece_Made);
    EXPECT_FALSE(w2.cmdReset->isEnabled());  // one use
}

TEST_F(FileTest, GiveUpPathsInTheWindow) {
    // The sample: only the sample message.
    w.mnuHelpHelp->trigger();
    ASSERT_EQ(dlg.count(), 1u);
    EXPECT_EQ(dlg.last()->text, "このパズルは、サンプルです。自力で解いてください。");
    EXPECT_FALSE(w.cmdReset->isEnabled());

    // A file saved without a password.
    makerEnded();
    const fs::path file = folders.data() / "nopass.bin";
    saveAs("パスなし", "", file);
    open(file);
    dlg.clear();
    w.mnuHelpHelp->trigger();
    ASSERT_EQ(dlg.count(), 1u);
    EXPECT_EQ(dlg.last()->text, "パスワードが、設定されていません。自力で解いてください。");

    // With a password: No, cancelled input, wrong case; then right.
    saveAs("パスあり", "Abc", file);
    open(file);
    dlg.clear();
    dlg.answerMessage(MsgResult::No);
    w.mnuHelpHelp->trigger();
    dlg.answerMessage(MsgResult::Yes);
    dlg.answerInput("");
    w.mnuHelpHelp->trigger();
    dlg.answerMessage(MsgResult::Yes);
    dlg.answerInput("abc");
    w.mnuHelpHelp->trigger();
    EXPECT_EQ(dlg.count(), 6u);
    EXPECT_EQ(dlg.last()->text, "残念ながら、ご期待には応えられません。自力で解いてください。");
    EXPECT_FALSE(w.cmdReset->isEnabled());
    EXPECT_EQ(dlg.unscripted(), 0);

    dlg.answerMessage(MsgResult::Yes);
    dlg.answerInput("Abc ");
    w.mnuHelpHelp->trigger();
    EXPECT_TRUE(w.cmdReset->isEnabled());
    // The reward belongs to that puzzle: opening a file takes it back.
    open(file);
    EXPECT_FALSE(w.cmdReset->isEnabled());
}

TEST_F(FileTest, SaveAsWithoutCommentWritesNothingAndSaveKeepsOrientations) {
    makerEnded();
    const Puzzle before = w.m_puzzle;
    dlg.answerInput("");
    w.mnuFileSaveAs->trigger();
    EXPECT_EQ(dlg.count(), 1u);  // no password prompt, no dialog, no message
    EXPECT_EQ(w.m_puzzle, before);
    EXPECT_TRUE(fs::is_empty(folders.data()));
    EXPECT_FALSE(w.mnuFileSave->isEnabled());

    // Cancelling the save dialog: nothing shuffled or written.
    dlg.answerInput("c");
    dlg.answerInput("P");
    w.mnuFileSaveAs->trigger();
    EXPECT_EQ(w.m_puzzle.G_iPiece, before.G_iPiece);
    EXPECT_TRUE(fs::is_empty(folders.data()));

    // Save As shuffles: some of the seven blocks turn (all keeping their places
    // by chance is less likely than one in ten million).
    const fs::path file = folders.data() / "keep.bin";
    saveAs("c", "P", file);
    EXPECT_NE(w.m_puzzle.G_iPiece, before.G_iPiece);
    EXPECT_EQ(fncPiece_CountAll(w.m_puzzle), 27);

    // Save writes the orientation in hand, turned or not.
    choose(4);
    click("cmdTurn1");
    const PieceCubes turned = w.m_puzzle.G_iPiece;
    dlg.clear();
    dlg.answerMessage(MsgResult::Ok);
    w.mnuFileSave->trigger();
    ASSERT_EQ(dlg.count(), 2u);
    expectMessage(dlg.records()[0], "[ keep.bin ] の上書き保存", "上書き保存しますか？", MsgIcon::Question,
                  MsgButtons::OkCancel);
    expectMessage(dlg.records()[1], "パズル上書き保存", kDone, MsgIcon::Information);
    EXPECT_EQ(w.m_puzzle.G_iPiece, turned);
    EXPECT_EQ(readFile(file).G_iPiece, turned);

    // Cancel writes nothing.
    const std::string bytes = readBytes(file);
    click("cmdTurn1");
    dlg.answerMessage(MsgResult::Cancel);
    w.mnuFileSave->trigger();
    EXPECT_EQ(readBytes(file), bytes);
}

TEST_F(FileTest, OpenDuringAMakerAsksOnlyOnceAPuzzleWasReadWhole) {
    makerEnded();
    const fs::path good = folders.data() / "good.bin";
    saveAs("良い", "", good);
    const Puzzle onDisk = readFile(good);
    const fs::path damaged = folders.data() / "damaged.bin";
    writeBytes(damaged, readBytes(good).substr(0, 1000));

    // The body maker on a 2x2x2 box; blocks 1 and 2 get two cells each.
    w.frmInput_Show = [](Puzzle& p) {
        p.setBoxCells(2, 2, 2);
        return G_bInput_OK = true;
    };
    dlg.answerMessage(MsgResult::Yes);
    w.mnuMake->trigger();
    ASSERT_TRUE(w.mnuMake->isChecked());
    for (int b = 0; b < 2; ++b) {
        choose(b + 1);
        bodyMakerToggle(w.m_puzzle, {0, b, 0}, b);
        bodyMakerToggle(w.m_puzzle, {1, b, 0}, b);
        click("cmdSet");
    }
    const Puzzle making = w.m_puzzle;

    // Cancel, or a file that cannot be read: nothing is asked and the maker goes on.
    dlg.clear();
    dlg.answerOpen(std::nullopt);
    w.mnuFileOpen->trigger();
    open(damaged);
    for (const auto& r : dlg.messages()) EXPECT_NE(r.title, "パズルを開く") << r;
    EXPECT_TRUE(w.mnuMake->isChecked());
    EXPECT_TRUE(shown("cmdSet"));
    EXPECT_EQ(w.m_puzzle, making);

    // A puzzle read whole: asked; No keeps the maker and its blocks.
    dlg.clear();
    dlg.answerMessage(MsgResult::No);
    open(good);
    ASSERT_EQ(dlg.count(), 2u);
    expectMessage(dlg.records()[1], "パズルを開く", "作成中のブロックが、破棄されます。よろしいですか？",
                  MsgIcon::Question, MsgButtons::YesNo);
    EXPECT_TRUE(w.mnuMake->isChecked());
    EXPECT_EQ(w.m_puzzle, making);

    // Yes: the maker ends and the file is played, its total agreeing with its blocks.
    dlg.answerMessage(MsgResult::Yes);
    open(good);
    EXPECT_FALSE(w.mnuMake->isChecked());
    EXPECT_FALSE(shown("cmdSet"));
    EXPECT_FALSE(shown("cmdSetCancel"));
    for (QAction* a : {w.mnu2D_Panel, w.mnuAautoMove, w.mnuHelpHelp, w.mnuMake, w.mnuMakePiece, w.mnuFileSaveAs})
        EXPECT_TRUE(a->isEnabled()) << a->objectName().toStdString();
    for (const char* name : kBoxControls) EXPECT_TRUE(enabled(name)) << name;
    EXPECT_FALSE(enabled("cmdReset"));
    EXPECT_EQ(w.m_sFile_Path, good.string());
    EXPECT_EQ(w.m_puzzle.G_iPiece, onDisk.G_iPiece);
    EXPECT_EQ(w.m_puzzle.G_iCell_Total, fncPiece_CountAll(w.m_puzzle));
    EXPECT_EQ(dlg.unscripted(), 0);
}

TEST_F(FileTest, RefusedFilesLeaveThePuzzleInHand) {
    // A puzzle in hand, opened from a file, with a block loaded.
    makerEnded();
    const fs::path good = folders.data() / "good.bin";
    saveAs("手元", "Key", good);
    open(good);
    choose(2);
    click("cmdLoad");
    const Puzzle before = w.m_puzzle;
    const QString sum = text("lblSum");
    const bool option2 = !w.optPiece[1]->isHidden();

    // Not a puzzle file.
    const fs::path text = folders.data() / "readme.bin";
    writeBytes(text, "hello, this is not a puzzle");
    dlg.clear();
    open(text);
    ASSERT_EQ(dlg.count(), 2u);
    expectMessage(dlg.records()[1], "読み出し不可能なパズル", "バージョンが特定できませんでした。",
                  MsgIcon::Critical);

    // A puzzle cut short.
    const fs::path cut = folders.data() / "cut.bin";
    writeBytes(cut, readBytes(good).substr(0, 1000));
    dlg.clear();
    open(cut);
    ASSERT_EQ(dlg.count(), 3u);
    EXPECT_EQ(dlg.records()[1].icon, MsgIcon::Critical);  // the reader's reason
    EXPECT_NE(dlg.records()[1].text.find("Line 130:"), std::string::npos) << dlg.records()[1].text;
    EXPECT_EQ(dlg.records()[2].title, "読み出し不可能なパズル");
    EXPECT_NE(folders.log().find("frmMain.fncFile_get() "), std::string::npos);

    // Both times nothing changed: model, texts, box, buttons and the Save target.
    EXPECT_EQ(w.m_puzzle, before);
    EXPECT_EQ(w.m_puzzle.G_sFile_Version, "Ver 1.0.0");
    EXPECT_EQ(w.m_sFile_Path, good.string());
    EXPECT_EQ(this->text("lblSum"), sum);
    EXPECT_EQ(!w.optPiece[1]->isHidden(), option2);

    // A cancelled dialog forgets the file: Save then does nothing.
    dlg.clear();
    dlg.answerOpen(std::nullopt);
    w.mnuFileOpen->trigger();
    EXPECT_EQ(w.m_sFile_Path, "");
    EXPECT_EQ(w.m_puzzle, before);
    w.mnuFileSave->trigger();
    EXPECT_EQ(dlg.count(), 1u);
}

TEST_F(FileTest, FailedWritesAreToldAndKeepTheOldFile) {
    makerEnded();
    const fs::path good = folders.data() / "good.bin";
    saveAs("一回目", "", good);
    // A file made read-only, which refuses root too; the file itself opens.
    const fs::path locked = folders.data() / "locked.bin";
    const std::string first = readBytes(good);
    writeBytes(locked, first);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    open(locked);
    ASSERT_EQ(w.m_sFile_Path, locked.string());

    // Save over it fails: the reason, then what it means; the old record stays.
    choose(1);
    click("cmdTurn0");
    dlg.clear();
    dlg.answerMessage(MsgResult::Ok);
    w.mnuFileSave->trigger();
    ASSERT_EQ(dlg.count(), 3u);
    EXPECT_EQ(dlg.records()[1].icon, MsgIcon::Critical);
    EXPECT_EQ(dlg.records()[2].title, "パズル上書き保存");
    EXPECT_EQ(dlg.records()[2].icon, MsgIcon::Critical);
    EXPECT_NE(dlg.records()[2].text.find("保存できませんでした"), std::string::npos);
    EXPECT_EQ(readBytes(locked), first);
    EXPECT_NE(folders.log().find("frmMain.subFile_put() "), std::string::npos);

    // Save As into a folder that does not exist: told, and Save keeps its target.
    // Nothing of the failed command stays: not the comment, the password nor the shuffle.
    const Puzzle before = w.m_puzzle;
    const QString comment = status(4);
    dlg.clear();
    saveAs("二回目", "Neu2", folders.data() / "missing" / "x.bin");
    ASSERT_EQ(dlg.count(), 5u);
    EXPECT_EQ(dlg.records()[4].title, kSaveAsTitle);
    EXPECT_EQ(dlg.records()[4].icon, MsgIcon::Critical);
    EXPECT_EQ(w.m_sFile_Path, locked.string());
    EXPECT_EQ(w.m_puzzle, before);
    EXPECT_EQ(status(4), comment);
    EXPECT_FALSE(fs::exists(folders.data() / "missing"));
}

TEST_F(FileTest, UnstorablePasswordIsRefusedBeforeAnythingHappens) {
    makerEnded();
    const Puzzle before = w.m_puzzle;
    dlg.answerInput("コメント");
    dlg.answerInput("abcdefghz");
    dlg.answerInput("");  // no second answer: the command ends
    w.mnuFileSaveAs->trigger();
    ASSERT_EQ(dlg.count(), 4u);
    EXPECT_EQ(dlg.records()[2].icon, MsgIcon::Exclamation);
    EXPECT_EQ(dlg.records()[3].kind, DialogRecord::Kind::Input);
    EXPECT_EQ(w.m_puzzle, before);
    EXPECT_TRUE(fs::is_empty(folders.data()));
}

TEST_F(FileTest, ACommentTheFileCannotHoldIsAskedAgain) {
    makerEnded();
    const fs::path file = folders.data() / "comment.bin";
    dlg.answerInput("箱😀です");
    dlg.answerInput("箱です");
    dlg.answerInput("");
    dlg.answerSave(file.string());
    w.mnuFileSaveAs->trigger();
    ASSERT_EQ(dlg.count(), 6u);
    expectMessage(dlg.records()[1], kSaveAsTitle,
                  "「😀」は、パズルファイルに保存できない文字です。\r\n別のコメントを入力してください。",
                  MsgIcon::Exclamation);
    EXPECT_EQ(dlg.records()[2].defaultText, "箱😀です");  // to be mended, not typed again
    EXPECT_EQ(readFile(file).G_sComment, "箱です");
    EXPECT_EQ(dlg.unscripted(), 0);
}

TEST_F(FileTest, ACommentLongerThanTheFileHoldsIsAskedAgain) {
    makerEnded();
    const fs::path file = folders.data() / "long.bin";
    const std::string tooLong = "あいうえおかきくけこさしすせそたちつてとな";  // 21 full-width: 42 bytes
    dlg.answerInput(tooLong);
    dlg.answerInput("あいうえおかきくけこさしすせそたちつてと");  // 20: fits
    dlg.answerInput("");
    dlg.answerSave(file.string());
    w.mnuFileSaveAs->trigger();
    ASSERT_EQ(dlg.count(), 6u);
    expectMessage(dlg.records()[1], kSaveAsTitle,
                  "コメントが長すぎます。パズルファイルに保存できるのは、全角２０文字（半角４０文字）までです。\r\n"
                  "今のコメントは、半角 42 文字分あります。短くしてください。",
                  MsgIcon::Exclamation);
    EXPECT_EQ(dlg.records()[2].defaultText, tooLong);
    EXPECT_EQ(readFile(file).G_sComment, "あいうえおかきくけこさしすせそたちつてと");
    EXPECT_EQ(status(4), QStringLiteral("あいうえおかきくけこさしすせそたちつてと"));
}

TEST_F(FileTest, UndoAfterSaveAsCannotBringTheAnswerBackForSave) {
    makerEnded();
    const fs::path file = folders.data() / "shuffled.bin";
    saveAs("c", "P", file);
    const PieceCubes shuffled = w.m_puzzle.G_iPiece;
    ASSERT_NE(shuffled, w.m_puzzle.G_iPiece_Made);
    EXPECT_FALSE(w.mnuEditUndo->isEnabled());
    w.mnuEditUndo->trigger();
    dlg.answerMessage(MsgResult::Ok);
    w.mnuFileSave->trigger();
    EXPECT_EQ(readFile(file).G_iPiece, shuffled);
}

TEST_F(FileTest, AMadePuzzleIsTheMakersOwn) {
    makerEnded();
    loadThreeBlocks();
    const fs::path file = folders.data() / "guarded.bin";
    saveAs("守られた", "Abc", file);
    open(file);
    QAction* exportEntry = action("mnuFileExport");
    ASSERT_TRUE(exportEntry->isEnabled());

    // The body maker on a 2x2x2 box: block 1 takes the whole body.
    w.frmInput_Show = [](Puzzle& p) {
        p.setBoxCells(2, 2, 2);
        return G_bInput_OK = true;
    };
    dlg.answerMessage(MsgResult::Yes);
    w.mnuMake->trigger();
    ASSERT_TRUE(w.mnuMake->isChecked());
    EXPECT_FALSE(exportEntry->isEnabled()) << "a half-made puzzle is exported";
    for (QRadioButton* o : w.optPiece) EXPECT_TRUE(o->isHidden()) << "play's loaded blocks shown in the maker";
    for (int c = 0; c < 8; ++c) bodyMakerToggle(w.m_puzzle, {c & 1, (c >> 1) & 1, c >> 2}, 0);
    click("cmdSet");
    dlg.answerMessage(MsgResult::Yes);
    w.mnuMake->trigger();
    ASSERT_TRUE(w.m_bMadeUnsaved);
    EXPECT_TRUE(exportEntry->isEnabled());

    // No other puzzle's password guards it, names it or comments on it.
    dlg.clear();
    action("mnuAnalysisHint")->trigger();
    for (const auto& r : dlg.messages()) EXPECT_NE(r.title, "悔しいけども．．．") << r;
    const Puzzle exported = puzzleToExport(w);
    EXPECT_EQ(exported.G_sFile_Title, "新しいパズル");
    EXPECT_EQ(exported.G_sComment, "");
    dlg.clear();
    saveAs("mine", "", folders.data() / "mine.bin");
    ASSERT_GE(dlg.count(), 2u);
    EXPECT_EQ(dlg.records()[0].defaultText, "");  // the comment prompt offers no other file's comment
    EXPECT_EQ(dlg.records()[1].defaultText, "");  // nor its password
    // Editing its own blocks asks for no password.
    dlg.clear();
    dlg.answerMessage(MsgResult::No);
    w.mnuMakePiece->trigger();
    EXPECT_TRUE(w.mnuMakePiece->isChecked());
    for (const auto& r : dlg.records()) EXPECT_NE(r.title, "パスワード入力") << r;
    EXPECT_FALSE(exportEntry->isEnabled());
}

TEST_F(FileTest, TheExportChoicesAreKeptInInitIni) {
    const std::string ini = G_sApp_Path + kIniFileName;
    WindowExportChoice c;
    c.folder = folders.data().string();
    c.stl = false, c.png = true, c.withAnswer = true;
    c.sizes = {12.5, 0.3, 2};
    c.pngWidth = 800;
    c.asMade = true;
    c.marginMm = 8;
    ASSERT_TRUE(saveExportSettings(c, ini));
    WindowExportChoice back;
    loadExportSettings(back, ini);
    EXPECT_EQ(back.folder, c.folder);
    EXPECT_EQ(std::tie(back.stl, back.threeMf, back.png, back.pdf, back.withAnswer, back.transparentPng),
              std::tie(c.stl, c.threeMf, c.png, c.pdf, c.withAnswer, c.transparentPng));
    EXPECT_EQ(back.sizes.cubeMm, 12.5);
    EXPECT_EQ(back.sizes.clearanceMm, 0.3);
    EXPECT_EQ(back.sizes.trayWallMm, 2);
    EXPECT_EQ(back.pngWidth, 800);
    EXPECT_TRUE(back.asMade);
    EXPECT_EQ(back.marginMm, 8);
    // Values out of range, and a folder that has gone, leave the defaults.
    fncIni_put("書き出し", "PNG_WIDTH", "99999", ini);
    fncIni_put("書き出し", "CUBE_MM", "abc", ini);
    fncIni_put("書き出し", "FOLDER", (folders.data() / "gone").string(), ini);
    WindowExportChoice defaults;
    defaults.folder = "start";
    loadExportSettings(defaults, ini);
    EXPECT_EQ(defaults.pngWidth, WindowExportChoice{}.pngWidth);
    EXPECT_EQ(defaults.sizes.cubeMm, WindowExportChoice{}.sizes.cubeMm);
    EXPECT_EQ(defaults.folder, "start");
}

TEST_F(FileTest, MadeWorkIsOfferedForSavingBeforeItIsLost) {
    const fs::path other = folders.data() / "other.bin";
    makerEnded();
    saveAs("別", "", other);
    const char* const kQuestion = "作成したパズルを保存しますか？";
    auto makeOne = [this] {
        w.frmInput_Show = [](Puzzle&) { return G_bInput_OK = true; };
        dlg.answerMessage(MsgResult::Yes);  // start
        dlg.answerMessage(MsgResult::Yes);  // end
        w.mnuMakePiece->trigger();
        w.mnuMakePiece->trigger();
        ASSERT_FALSE(w.mnuMakePiece->isChecked());
        ASSERT_TRUE(w.m_bMadeUnsaved);
    };

    // Opening another puzzle: Cancel stops it; No lets it go on.
    makeOne();
    const Puzzle made = w.m_puzzle;
    dlg.clear();
    dlg.answerMessage(MsgResult::Cancel);
    w.mnuFileOpen->trigger();
    ASSERT_EQ(dlg.count(), 1u);
    expectMessage(dlg.records()[0], "パズルを開く", kQuestion, MsgIcon::Question, MsgButtons::YesNoCancel);
    EXPECT_EQ(w.m_puzzle, made);
    dlg.answerMessage(MsgResult::No);
    open(other);
    EXPECT_EQ(w.m_puzzle.G_sComment, "別");
    // Play in an opened file asks nothing.
    choose(1);
    click("cmdLoad");
    dlg.clear();
    w.mnuFileOpen->trigger();
    EXPECT_EQ(dlg.records()[0].kind, DialogRecord::Kind::Open);

    // A new maker: Yes runs Save As; when that does not complete, the maker does not start.
    makeOne();
    dlg.clear();
    dlg.answerMessage(MsgResult::Yes);
    dlg.answerInput("");  // Save As's comment prompt cancelled
    w.mnuMake->trigger();
    EXPECT_FALSE(w.mnuMake->isChecked());
    EXPECT_EQ(dlg.count(), 2u);
    // Yes with Save As completed: saved, then the maker's own question.
    const fs::path kept = folders.data() / "kept.bin";
    dlg.clear();
    dlg.answerMessage(MsgResult::Yes);
    dlg.answerInput("作った");
    dlg.answerInput("");
    dlg.answerSave(kept.string());
    dlg.answerMessage(MsgResult::No);
    w.mnuMake->trigger();
    EXPECT_EQ(readFile(kept).G_sComment, "作った");
    EXPECT_EQ(dlg.last()->title, "【 ﾂｰﾙ 】完成体を元にブロック作成");
    EXPECT_FALSE(w.m_bMadeUnsaved);

    // Closing: Cancel keeps the window; Yes saves, then it closes.
    makeOne();
    bool unloaded = false;
    QObject::connect(&w, &frmMain::unloaded, [&] { unloaded = true; });
    dlg.clear();
    dlg.answerMessage(MsgResult::Cancel);
    EXPECT_FALSE(w.close());
    EXPECT_FALSE(unloaded);
    expectMessage(dlg.records()[0], "終了", kQuestion, MsgIcon::Question, MsgButtons::YesNoCancel);
    const fs::path last = folders.data() / "last.bin";
    dlg.answerMessage(MsgResult::Yes);
    dlg.answerInput("閉じる前");
    dlg.answerInput("");
    dlg.answerSave(last.string());
    EXPECT_TRUE(w.close());
    EXPECT_TRUE(unloaded);
    EXPECT_EQ(readFile(last).G_sComment, "閉じる前");
    EXPECT_EQ(dlg.unscripted(), 0);
}

TEST_F(FileTest, ClosingWhileAMakerRunsAsksBeforeItsBlocksGo) {
    w.frmInput_Show = [](Puzzle&) { return G_bInput_OK = true; };
    dlg.answerMessage(MsgResult::Yes);
    w.mnuMakePiece->trigger();
    ASSERT_TRUE(w.mnuMakePiece->isChecked());
    bool unloaded = false;
    QObject::connect(&w, &frmMain::unloaded, [&] { unloaded = true; });
    dlg.clear();
    dlg.answerMessage(MsgResult::No);
    EXPECT_FALSE(w.close());
    EXPECT_FALSE(unloaded);
    ASSERT_EQ(dlg.count(), 1u);
    expectMessage(dlg.records()[0], "終了", "作成中のブロックが、破棄されます。よろしいですか？", MsgIcon::Question,
                  MsgButtons::YesNo);
    EXPECT_TRUE(w.mnuMakePiece->isChecked());
    dlg.answerMessage(MsgResult::Yes);
    EXPECT_TRUE(w.close());
    EXPECT_TRUE(unloaded);
    EXPECT_EQ(dlg.unscripted(), 0);
}

}  // namespace
}  // namespace tessaro::test
