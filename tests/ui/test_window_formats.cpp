// Other programs' puzzle files in the window: read in as a made, unsaved puzzle, written out, refused plainly.

#include "WindowFixture.h"
#include "app/AppEnv.h"
#include "formats/XmPuzzle.h"
#include "model/Figure.h"
#include "ui/FormatMenu.h"
#include "ui/UndoHistory.h"

#include <QMenu>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace tessaro::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kTwoProblems = R"(<?xml version="1.0"?>
<puzzle version="2"><gridType type="0"/><shapes>
  <voxel x="2" y="2" z="2" name="Box" type="0">########</voxel>
  <voxel x="2" y="1" z="1" name="Domino" type="0">##</voxel>
  <voxel x="3" y="1" z="1" name="Bar" type="0">###</voxel>
</shapes><problems>
  <problem name="dominoes"><shapes><shape id="1" count="4"/></shapes><result id="0"/></problem>
  <problem name="bars"><shapes><shape id="2" count="2"/></shapes><result id="0"/></problem>
</problems></puzzle>)";

class FormatTest : public WindowTest {
protected:
    fs::path dir;
    std::string oldData = G_sData_Path;

    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tessaro-formats-XXXXXX").string();
        dir = mkdtemp(pattern.data());
        G_sData_Path = dir.string();
        activate();
    }
    void TearDown() override {
        G_sData_Path = oldData;
        fs::remove_all(dir);
    }
    void write(const std::string& name, const std::string& bytes) { std::ofstream(dir / name, std::ios::binary) << bytes; }
};

TEST_F(FormatTest, ReadPuzzleArrivesMadeUnsavedWithHistoryAfresh) {
    choose(1);
    click("cmdLoad");  // a step to undo, which the new puzzle must not lead back into
    ASSERT_GT(w.history().count(), 0);
    w.m_puzzle.G_sPassword = "other";
    write("two.xml", kTwoProblems);
    dlg.answerOpen((dir / "two.xml").string());
    dlg.answerInput("1");
    mnuFileImport_Click(w);

    const Puzzle& p = w.m_puzzle;
    EXPECT_EQ(fncPiece_CountUsed(p), 4);
    EXPECT_EQ(p.G_iCells_X, 2);
    EXPECT_EQ(p.G_iPiece, p.G_iPiece_Made);
    EXPECT_EQ(fncBox_Count(p.G_iBox), 0);
    EXPECT_TRUE(p.G_sPassword.empty());
    EXPECT_EQ(p.G_sComment, "dominoes");
    EXPECT_TRUE(w.m_bMadeUnsaved);
    EXPECT_EQ(w.history().count(), 0);
    EXPECT_TRUE(w.mnuFileSaveAs->isEnabled());
    EXPECT_FALSE(w.mnuFileSave->isEnabled());
    EXPECT_EQ(text("lblSum").toStdString(), "0 : 8");

    // The next read asks to save this one first; No goes on, and a file that
    // does not fit leaves the puzzle in hand as it was.
    write("big.xml", std::string(kTwoProblems).replace(std::string(kTwoProblems).find("count=\"2\""), 9, "count=\"9\""));
    dlg.clear();
    dlg.answerMessage(MsgResult::No);
    dlg.answerOpen((dir / "big.xml").string());
    dlg.answerInput("2");
    const Puzzle before = w.m_puzzle;
    mnuFileImport_Click(w);
    EXPECT_EQ(w.m_puzzle, before);
    const auto shown = messages();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.front().text, "作成したパズルを保存しますか？");
    EXPECT_EQ(shown.back().icon, MsgIcon::Critical);
    EXPECT_NE(shown.back().text.find("ブロックが多すぎます"), std::string::npos) << shown.back().text;
}

TEST_F(FormatTest, WrittenFileReadsBackAndEntriesAreOffInAMaker) {
    dlg.answerSave((dir / "sample.xmpuzzle").string());
    mnuFileExportOther_Click(w);
    ASSERT_FALSE(messages().empty());
    EXPECT_EQ(messages().back().text, "正常に終了しました。");
    const formats::XmReadResult back = formats::readXmPuzzleFile((dir / "sample.xmpuzzle").string(), 0);
    ASSERT_TRUE(back.puzzle) << back.error;
    EXPECT_EQ(back.puzzle->G_iCell_Total, 27);

    w.setMakerChecked(w.mnuMake, true);
    emit w.mnuFile->aboutToShow();
    EXPECT_FALSE(action("mnuFileImport")->isEnabled());
    EXPECT_FALSE(action("mnuFileExportOther")->isEnabled());
    w.setMakerChecked(w.mnuMake, false);
    emit w.mnuFile->aboutToShow();
    EXPECT_TRUE(action("mnuFileImport")->isEnabled());
}

TEST_F(FormatTest, EachWriterAddsItsEndingAndRefusesAnotherFormatsName) {
    // The other format's writer, given an existing puzzle's name: refused, the puzzle untouched.
    write("victim.bin", "keep");
    dlg.answerSave((dir / "victim.bin").string());
    mnuFileExportOther_Click(w);
    ASSERT_EQ(messages().size(), 1u);
    expectMessage(messages()[0], "他の形式で書き出す",
                  "「victim.bin」は、ほかの形式（.bin）のファイルの名前です。\r\n名前の末尾を .xmpuzzle か .xml "
                  "にしてください。\r\nファイルには何も書き込んでいません。",
                  MsgIcon::Exclamation);
    std::ifstream kept(dir / "victim.bin");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "keep");

    // A name without an ending gets the writer's own, and asks before replacing a file under it.
    dlg.clear();
    dlg.answerSave((dir / "plain").string());
    mnuFileExportOther_Click(w);
    EXPECT_FALSE(fs::exists(dir / "plain"));
    ASSERT_TRUE(formats::readXmPuzzleFile((dir / "plain.xmpuzzle").string(), 0).puzzle);
    dlg.clear();
    dlg.answerSave((dir / "plain").string());
    dlg.answerMessage(MsgResult::No);
    const auto before = fs::last_write_time(dir / "plain.xmpuzzle");
    mnuFileExportOther_Click(w);
    EXPECT_EQ(messages().back().text, "plain.xmpuzzle は既に存在します。\r\n置き換えますか?");
    EXPECT_EQ(fs::last_write_time(dir / "plain.xmpuzzle"), before);

    // Save As: a .bin record never under the other format's name; the puzzle in hand as it was.
    w.mnuFileSaveAs->setEnabled(true);
    const Puzzle inHand = w.m_puzzle;
    dlg.clear();
    dlg.answerInput("見本");
    dlg.answerInput("Key1");
    dlg.answerSave((dir / "sample.xmpuzzle").string());
    w.mnuFileSaveAs->trigger();
    EXPECT_EQ(messages().back().icon, MsgIcon::Exclamation);
    EXPECT_NE(messages().back().text.find("名前の末尾を .bin にしてください"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "sample.xmpuzzle"));
    EXPECT_EQ(w.m_puzzle, inHand);
    dlg.clear();
    dlg.answerInput("見本");
    dlg.answerInput("Key1");
    dlg.answerSave((dir / "named").string());
    w.mnuFileSaveAs->trigger();
    EXPECT_EQ(messages().back().text, "正常に終了しました。");
    EXPECT_EQ(w.m_sFile_Path, (dir / "named.bin").string());
    EXPECT_TRUE(fs::exists(dir / "named.bin"));
    EXPECT_EQ(dlg.unscripted(), 0);
}

}  // namespace
}  // namespace tessaro::test
