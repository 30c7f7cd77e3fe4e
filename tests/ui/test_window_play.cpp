// Play by hand through the window: choosing, loading, refusals, unloading,
// turning and moving.

#include "WindowFixture.h"
#include "model/Figure.h"
#include "viewqt/CubePicture.h"

namespace tessaro::test {
namespace {

class PlayTest : public WindowTest {
protected:
    void SetUp() override { activate(); }

    // Turns ("Z", "X", "Y" for cmdTurn0..2), Orgin, then X+, Y+, Z+ presses, then Load.
    void place(int number, const char* turns, int dx, int dy, int dz) {
        choose(number);
        for (const char* t = turns; *t; ++t) click(*t == 'Z' ? "cmdTurn0" : *t == 'X' ? "cmdTurn1" : "cmdTurn2");
        click("cmdOrg");
        click("cmdX_Inc", dx);
        click("cmdY_Inc", dy);
        click("cmdZ_Inc", dz);
        click("cmdLoad");
    }
    int filled() const { return fncBox_Count(w.m_puzzle.G_iBox); }
};

const char* const kNoTitle = "×そこは駄目×";
const char* const kNoText = "そこには、置けません！";

TEST_F(PlayTest, TheSamplePlayedToTheEnd) {
    struct Step {
        int number;
        const char* turns;
        int dx, dy, dz;
        const char* sum;
    };
    const Step steps[] = {{1, "", 1, 0, 0, "5 : 27"},   {2, "X", 0, 0, 0, "10 : 27"}, {3, "ZZ", 0, 1, 0, "15 : 27"},
                          {4, "", 1, 0, 0, "19 : 27"},  {5, "Y", 0, 0, 1, "21 : 27"}, {6, "ZX", 1, 1, 2, "23 : 27"},
                          {7, "X", 1, 2, 0, "27 : 27"}};
    for (const Step& s : steps) {
        SCOPED_TRACE(s.number);
        place(s.number, s.turns, s.dx, s.dy, s.dz);
        EXPECT_EQ(text("lblSum"), QString::fromLatin1(s.sum));
        EXPECT_EQ(w.m_puzzle.G_iLoaded[s.number - 1], 1);
        EXPECT_FALSE(enabled("cmdLoad"));
        EXPECT_TRUE(enabled("cmdCancel"));
        for (const char* name : kPieceControls) EXPECT_FALSE(enabled(name)) << name;
        EXPECT_TRUE(w.optPiece[s.number - 1]->isChecked());
        if (s.number < 7) {
            EXPECT_EQ(dlg.count(), 0u);
        }
    }
    ASSERT_EQ(dlg.count(), 1u);
    expectMessage(*dlg.last(), "♪おめでとう♪", "☆グレイト☆　お疲れさまでした", MsgIcon::Information);

    // Every cell carries its block's number and colours.
    const Puzzle& P = w.m_puzzle;
    for (int z = 0; z < 3; ++z)
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 3; ++x) {
                const int c = cellIndex(x, y, z);
                ASSERT_EQ(P.G_iBox[c], 1);
                const int n = P.G_iBox_No[c];
                ASSERT_GE(n, 1);
                EXPECT_EQ(P.G_lBox_Color[colorIndex(x, y, z, 0)], pieceColor(n, 0));
                EXPECT_EQ(P.G_lBox_Color[colorIndex(x, y, z, 2)], pieceColor(n, 2));
            }
    for (int i = 0; i < 7; ++i) EXPECT_FALSE(w.optPiece[i]->isHidden()) << i;
    EXPECT_TRUE(w.optPiece[7]->isHidden());
    EXPECT_TRUE(w.pictMain->hasScene());
}

TEST_F(PlayTest, RefusalsShowTheirMessageAndChangeNothing) {
    // Overlap: block 1 at the origin, then block 2 at the origin too.
    click("cmdLoad");
    choose(2);
    Puzzle before = w.m_puzzle;
    click("cmdLoad");
    ASSERT_EQ(dlg.count(), 1u);
    expectMessage(*dlg.last(), kNoTitle, kNoText, MsgIcon::Critical);
    EXPECT_EQ(w.m_puzzle.G_iBox, before.G_iBox);
    EXPECT_EQ(w.m_puzzle.G_iLoaded, before.G_iLoaded);
    EXPECT_EQ(w.m_puzzle.G_lBox_Color, before.G_lBox_Color);
    EXPECT_TRUE(enabled("cmdLoad"));  // a refused load leaves the buttons alone
    EXPECT_TRUE(w.optPiece[1]->isHidden());
    EXPECT_EQ(text("lblSum"), "5 : 27");

    // Outside the 3x3x3 box: block 3 pushed to x = 2..3.
    choose(3);
    click("cmdX_Inc", 2);
    before = w.m_puzzle;
    click("cmdLoad");
    ASSERT_EQ(dlg.count(), 2u);
    expectMessage(*dlg.last(), kNoTitle, kNoText, MsgIcon::Critical);
    EXPECT_EQ(w.m_puzzle.G_iBox, before.G_iBox);
    EXPECT_EQ(w.m_puzzle.G_iLoaded, before.G_iLoaded);

    // Both at once (block 2 at z = 2..3 meets block 1 at (0, 1, 2)): one message.
    choose(2);
    click("cmdZ_Inc", 2);
    click("cmdLoad");
    ASSERT_EQ(dlg.count(), 3u);
    expectMessage(*dlg.last(), kNoTitle, kNoText, MsgIcon::Critical);
    EXPECT_EQ(w.m_puzzle.G_iBox, before.G_iBox);

    // Already loaded: the handler run for the loaded block 1.
    w.m_iPiece = 0;
    before = w.m_puzzle;
    w.cmdLoad_Click();
    ASSERT_EQ(dlg.count(), 4u);
    expectMessage(*dlg.last(), "×それは駄目×", "1 既に使用しています！", MsgIcon::Critical);
    EXPECT_EQ(w.m_puzzle.G_iBox, before.G_iBox);
}

TEST_F(PlayTest, DeadCellWarningKeepsTheBlockLoaded) {
    find<QCheckBox>("chkDedSpace")->setChecked(true);
    // Block 4 fills (0,0,1) and (1,0,0); block 6 one step down fills (0,1,0): (0,0,0) is shut in.
    place(4, "", 0, 0, 0);
    EXPECT_EQ(dlg.count(), 0u);
    place(6, "", 0, 1, 0);
    ASSERT_EQ(dlg.count(), 1u);
    expectMessage(*dlg.last(), "×そこは、結局は駄目×",
                  "う～ん、死んだ目ができてしまった。違う所を選んだ方がいいと思う！", MsgIcon::Exclamation);
    EXPECT_EQ(w.m_puzzle.G_iLoaded[5], 1);
    EXPECT_EQ(text("lblSum"), "6 : 27");
    EXPECT_TRUE(enabled("cmdCancel"));

    // Cancel takes it out again; the count follows the box.
    click("cmdCancel");
    EXPECT_EQ(w.m_puzzle.G_iLoaded[5], 0);
    EXPECT_EQ(filled(), 4);
    EXPECT_EQ(text("lblSum"), "4 : 27");
    EXPECT_TRUE(w.optPiece[5]->isHidden());
    EXPECT_TRUE(w.optPiece[3]->isChecked());
    EXPECT_TRUE(enabled("cmdLoad"));
    EXPECT_FALSE(enabled("cmdCancel"));
    for (const char* name : kPieceControls) EXPECT_TRUE(enabled(name)) << name;

    // Without the check box no test is made.
    find<QCheckBox>("chkDedSpace")->setChecked(false);
    click("cmdLoad");
    EXPECT_EQ(dlg.count(), 1u);
}

TEST_F(PlayTest, UnloadChosenBlocksAndTheLast) {
    place(1, "", 0, 0, 0);
    place(3, "", 1, 0, 0);
    place(5, "", 1, 1, 0);
    EXPECT_EQ(filled(), 12);
    EXPECT_TRUE(w.optPiece[4]->isChecked());

    // UNLOAD block 3 chosen by its option: the first remaining option is chosen then.
    w.optPiece[2]->setChecked(true);
    click("cmdRemove");
    EXPECT_TRUE(w.optPiece[2]->isHidden());
    EXPECT_TRUE(w.optPiece[0]->isChecked());
    EXPECT_EQ(w.m_puzzle.G_iLoaded[2], 0);
    EXPECT_EQ(filled(), 7);
    EXPECT_EQ(text("lblSum"), "7 : 27");  // counted again: never a stale count
    EXPECT_EQ(w.m_iPiece, 4);

    click("cmdRemove");  // block 1
    EXPECT_EQ(filled(), 2);
    EXPECT_EQ(text("lblSum"), "2 : 27");
    EXPECT_TRUE(w.optPiece[4]->isChecked());

    // The last one: the box is cleared, the count emptied and block 1 chosen again.
    choose(2);
    click("cmdRemove");
    EXPECT_EQ(filled(), 0);
    EXPECT_EQ(text("lblSum"), "");
    for (QRadioButton* o : w.optPiece) EXPECT_TRUE(o->isHidden());
    EXPECT_EQ(find<QListWidget>("lstPiece")->currentRow(), 0);
    EXPECT_EQ(w.m_iPiece, 0);
    EXPECT_EQ(text("lblPiece"), "1");
    EXPECT_TRUE(enabled("cmdLoad"));
    EXPECT_FALSE(enabled("cmdCancel"));
    for (const char* name : kPieceControls) EXPECT_TRUE(enabled(name)) << name;
    EXPECT_EQ(w.m_puzzle.G_iLoaded, (std::array<int16_t, 8>{}));
    EXPECT_EQ(dlg.count(), 0u);
}

TEST_F(PlayTest, ChoosingALoadedBlockOnlyShowsIt) {
    click("cmdLoad");  // block 1
    choose(2);
    EXPECT_EQ(w.m_iPiece, 1);
    choose(1);
    EXPECT_EQ(w.m_iPiece, 1);  // stays the current block
    EXPECT_EQ(text("lblPiece"), "1");
    EXPECT_FALSE(enabled("cmdLoad"));
    EXPECT_FALSE(enabled("cmdCancel"));
    for (const char* name : kPieceControls) EXPECT_FALSE(enabled(name)) << name;

    // Clicking the chosen entry again runs the choice again: block 8 loaded,
    // unloaded by its option (Load stays off), then clicked once more.
    choose(8);
    click("cmdLoad");
    EXPECT_FALSE(enabled("cmdLoad"));
    click("cmdRemove");
    EXPECT_EQ(w.m_puzzle.G_iLoaded[7], 0);
    EXPECT_FALSE(enabled("cmdLoad"));
    choose(8);
    EXPECT_TRUE(enabled("cmdLoad"));
}

TEST_F(PlayTest, AnEmptyBlockIsLoadedWithoutCells) {
    choose(8);
    EXPECT_EQ(w.m_iPiece, 7);
    EXPECT_EQ(text("lblPiece"), "8");
    EXPECT_TRUE(enabled("cmdLoad"));
    const Grid box = w.m_puzzle.G_iBox;
    click("cmdLoad");
    EXPECT_EQ(dlg.count(), 0u);
    EXPECT_EQ(w.m_puzzle.G_iBox, box);
    EXPECT_EQ(w.m_puzzle.G_iLoaded[7], 1);
    EXPECT_FALSE(w.optPiece[7]->isHidden());
    EXPECT_TRUE(w.optPiece[7]->isChecked());
    EXPECT_EQ(text("lblSum"), "0 : 27");
}

TEST_F(PlayTest, ClearEmptiesTheBoxAndKeepsTheBlocks) {
    place(1, "", 1, 0, 0);
    place(2, "X", 0, 0, 0);
    ASSERT_EQ(filled(), 10);
    const PieceCubes cubes = w.m_puzzle.G_iPiece;
    choose(2);  // loaded: Load and the block buttons are off
    click("cmdClear");
    EXPECT_EQ(filled(), 0);
    EXPECT_EQ(w.m_puzzle.G_iBox_No, Grid{});
    EXPECT_EQ(w.m_puzzle.G_iLoaded, (std::array<int16_t, 8>{}));
    EXPECT_EQ(w.m_puzzle.G_iPiece, cubes);
    for (QRadioButton* o : w.optPiece) EXPECT_TRUE(o->isHidden());
    EXPECT_EQ(text("lblSum"), "");
    // Block 1 is the current block again, and the list, the preview and the
    // buttons say so, as after a click on it.
    EXPECT_EQ(w.m_iPiece, 0);
    EXPECT_EQ(find<QListWidget>("lstPiece")->currentRow(), 0);
    EXPECT_EQ(text("lblPiece"), "1");
    EXPECT_TRUE(enabled("cmdLoad"));
    EXPECT_FALSE(enabled("cmdCancel"));
    for (const char* name : kPieceControls) EXPECT_TRUE(enabled(name)) << name;
}

TEST_F(PlayTest, TurnAndMoveButtonsActOnTheCurrentBlock) {
    choose(3);
    Puzzle expect = w.m_puzzle;
    click("cmdTurn0");
    subPiece_TurnZ(expect, 2);
    click("cmdTurn1");
    subPiece_TurnX(expect, 2);
    click("cmdTurn2");
    subPiece_TurnY(expect, 2);
    click("cmdOrg");
    subPiece_MoveOrigin(expect, 2);
    click("cmdX_Inc");
    fncPiece_XInc(expect, 2);
    click("cmdY_Inc");
    fncPiece_YInc(expect, 2);
    click("cmdZ_Inc", 3);  // the third is refused and shows nothing
    fncPiece_ZInc(expect, 2);
    fncPiece_ZInc(expect, 2);
    click("cmdZ_Dec");
    fncPiece_ZDec(expect, 2);
    click("cmdY_dec");
    fncPiece_YDec(expect, 2);
    click("cmdX_Dec");
    fncPiece_XDec(expect, 2);
    EXPECT_EQ(w.m_puzzle.G_iPiece, expect.G_iPiece);
    EXPECT_EQ(text("lblPiece"), "3");
    EXPECT_EQ(dlg.count(), 0u);

    // The box turns act on the box contents; Orgin brings them back.
    click("cmdOrg");
    click("cmdLoad");
    expect = w.m_puzzle;
    click("cmdTurn3");
    subBox_TurnZ(expect);
    click("cmdTurn4");
    subBox_TurnX(expect);
    click("cmdTurn5");
    subBox_TurnY(expect);
    EXPECT_EQ(w.m_puzzle.G_iBox, expect.G_iBox);
    EXPECT_EQ(w.m_puzzle.G_lBox_Color, expect.G_lBox_Color);
    click("cmdOrgPZ");
    subBox_MoveOrigin(expect);
    EXPECT_EQ(w.m_puzzle.G_iBox, expect.G_iBox);
    EXPECT_EQ(w.m_puzzle.G_iBox_No, expect.G_iBox_No);
}

TEST_F(PlayTest, ResetShuffleAndTheFaceSelection) {
    // Disabled in play; giving up enables Reset for one use.
    EXPECT_FALSE(enabled("cmdReset"));
    EXPECT_FALSE(enabled("cmdShuffle"));
    click("cmdTurn1");
    choose(2);
    click("cmdX_Inc");
    button("cmdReset")->setEnabled(true);
    click("cmdReset");
    EXPECT_EQ(w.m_puzzle.G_iPiece, w.m_puzzle.G_iPiece_Made);
    EXPECT_FALSE(enabled("cmdReset"));

    // Shuffle keeps every block's cells, each at the origin, empty block 8 empty.
    button("cmdShuffle")->setEnabled(true);
    click("cmdShuffle");
    for (int b = 0; b < 8; ++b) {
        EXPECT_EQ(fncPiece_Count(w.m_puzzle, b), fncPiece_Count(buildSamplePuzzle(), b)) << b;
        Puzzle copy = w.m_puzzle;
        subPiece_MoveOrigin(copy, b);
        EXPECT_EQ(copy.G_iPiece, w.m_puzzle.G_iPiece) << b;
    }

    // The hidden face bar turns the current block to that face at once.
    Puzzle expect = w.m_puzzle;
    subPiece_SetFace(expect, 1, 3);
    find<QScrollBar>("hscFace")->setValue(3);
    EXPECT_EQ(text("lblFace"), "3");
    EXPECT_EQ(w.m_puzzle.G_iPiece, expect.G_iPiece);
}

}  // namespace
}  // namespace tessaro::test
