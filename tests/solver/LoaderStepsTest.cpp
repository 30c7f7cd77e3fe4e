// Single behaviours of LOAD and INIT on puzzles small enough to follow by hand.
#include "LoaderTestUtil.h"
#include "solver/LoaderCommon.h"
#include "solver/RandomCut.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tessaro {
namespace {

using testutil::BlockCells;
using testutil::makePuzzle;
using testutil::RecordingHost;

const std::vector<std::array<int, 3>> kSlab = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};  // 2x2x1

size_t indexOf(const std::vector<std::string>& events, const std::string& e, size_t from = 0) {
    const auto it = std::find(events.begin() + long(from), events.end(), e);
    return it == events.end() ? std::string::npos : size_t(it - events.begin());
}

TEST(LoaderSteps, InitAndThePanelData) {
    Puzzle p = makePuzzle(2, 2, 2, {{0, kSlab}});
    p.GE_iRotation = {2, 0, 1, 3, 4, 5, 6, 7};
    p.G_Info_Piece[1] = {4, 2, 3};
    const RotationView v = rotationView(p);
    // Colour and number follow the order list; the counters are block i's own.
    EXPECT_EQ(v.shpPiece[0], pieceColor(3, 0));
    EXPECT_EQ(v.lblIP[0], 3);
    EXPECT_EQ(v.lblNo[1], 4);
    EXPECT_EQ(v.lblFaceV[1], 2);
    EXPECT_EQ(v.lblTurn_CtZ[1], 3);

    RecordingHost host;
    cmdInit_Click(p, host);
    ASSERT_EQ(host.rotations.size(), 1u);
    EXPECT_EQ(p.GE_lRotate, 12345678);
    for (int i = 0; i < kBlocks; ++i) {
        EXPECT_EQ(p.GE_iRotation[i], i);
        EXPECT_EQ(p.G_Info_Piece[i], InfoPiece{});
        EXPECT_EQ(host.rotations[0].lblIP[i], i + 1);
        EXPECT_EQ(host.rotations[0].shpPiece[i], pieceColor(i + 1, 0));
    }
}

TEST(LoaderSteps, TwoSlabsFillTheBoxWithOneResultLine) {
    Puzzle p = makePuzzle(2, 2, 2, {{0, kSlab}, {1, kSlab}});
    RecordingHost host;
    host.snapshots = false;
    AutoLoader loader;
    ASSERT_EQ(loader.cmdMove_Click(p, host), LoaderOutcome::Solved);
    // Block 1 tries the nine places of its first layer, then fits in the second.
    EXPECT_EQ(loader.stats().fitTests, 1u + 10u);
    EXPECT_EQ(loader.stats().attempts, 1u);
    EXPECT_EQ(host.resultLines, std::vector<std::string>{" 0, 0, 0  1, 0, 0 "});
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], testutil::cat({"♪おめでとう♪|☆グレイト☆　お疲れさまでした|",
                                               testutil::num(int(LoaderIcon::Information))}));
    const std::vector<std::string> tail = {"draw", "lblNo(1)=2", "sum 8 : 8", "line[ 0, 0, 0  1, 0, 0 ]"};
    ASSERT_GE(host.events.size(), tail.size() + 1);
    EXPECT_TRUE(std::equal(tail.begin(), tail.end(), host.events.end() - long(tail.size()) - 1));
    for (int c = 0; c < kCells; ++c) {
        const int z = c / 16;
        const bool inBox = (c & 3) < 2 && ((c >> 2) & 3) < 2 && z < 2;
        EXPECT_EQ(p.G_iBox[c], inBox ? 1 : 0);
        if (inBox) {
            EXPECT_EQ(p.G_lBox_Color[c], pieceColor(z + 1, 0));
        }
    }
    EXPECT_EQ(p.G_Info_Piece[0].iNo, 1);
    EXPECT_EQ(p.G_Info_Piece[1].iNo, 2);
}

TEST(LoaderSteps, NothingToPlaceChangesNothing) {
    Puzzle p = makePuzzle(3, 3, 3, {});
    const Puzzle before = p;
    RecordingHost host;
    AutoLoader loader;
    EXPECT_EQ(loader.cmdMove_Click(p, host), LoaderOutcome::Nothing);
    EXPECT_TRUE(host.events.empty());
    EXPECT_EQ(host.yields, 0u);
    EXPECT_TRUE(p == before);
}

TEST(LoaderSteps, ABlockOutOfOrientationsShowsZerosAndTheOneBeforeTurns) {
    // A 2x2x2 block cannot share a 2x2x2 box with the single cell placed first.
    std::vector<std::array<int, 3>> cube;
    for (int z = 0; z < 2; ++z)
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 2; ++x) cube.push_back({x, y, z});
    Puzzle p = makePuzzle(2, 2, 2, {{0, {{0, 0, 0}}}, {1, cube}});
    RecordingHost host;
    host.stopAt = 1 + 24 * 27 + 1;  // cell placed, 24 orientations x 27 places, then the cell again
    AutoLoader loader;
    LoaderOptions o;
    o.currentPiece = 0;
    ASSERT_EQ(loader.cmdMove_Click(p, host, o), LoaderOutcome::Stopped);
    const auto& ev = host.events;
    const size_t zeros = indexOf(ev, "lblTurn_CtZ(1)=0", indexOf(ev, "lblFaceV(1)=5"));
    ASSERT_NE(zeros, std::string::npos);
    ASSERT_LT(zeros + 5, ev.size());
    EXPECT_EQ(ev[zeros + 1], "lblFaceV(1)=0");
    EXPECT_EQ(ev[zeros + 2], "lblNo(1)=0");
    EXPECT_EQ(ev[zeros + 3].rfind("draw ", 0), 0u);
    EXPECT_EQ(ev[zeros + 4].rfind("piece 0 ", 0), 0u);  // the window's current block came out
    EXPECT_EQ(ev[zeros + 5], "lblTurn_CtZ(0)=1");
    EXPECT_EQ(p.G_Info_Piece[1], InfoPiece{});
    EXPECT_EQ(p.G_Info_Piece[0].iTurn_CtZ, 1);
    EXPECT_EQ(fncBox_Count(p.G_iBox), 0);  // stopped before the turned cell was tried
    EXPECT_EQ(loader.stats().fitTests, host.stopAt - 1);
}

TEST(LoaderSteps, EightRotationsOfAnOrderBeforeTheCodeAdvances) {
    // Block 1 (a bar of three) never fits: every order runs out or leaves the box unfilled.
    Puzzle p = makePuzzle(2, 2, 2, {{0, {{0, 0, 0}, {1, 0, 0}}}, {1, {{0, 0, 0}, {0, 1, 0}, {0, 2, 0}}}});
    p.GE_lRotate = 12876543;
    RecordingHost host;
    host.snapshots = false;
    host.stopIf = [&host] { return host.rotations.size() == 9; };
    AutoLoader loader;
    ASSERT_EQ(loader.cmdMove_Click(p, host), LoaderOutcome::Stopped);
    ASSERT_EQ(host.rotations.size(), 9u);
    for (int k = 0; k < 8; ++k)
        for (int i = 0; i < kBlocks; ++i) EXPECT_EQ(host.rotations[k].lblIP[i], (i + k + 1) % 8 + 1);
    // Back at the code's own order, the code advances and names the first two positions.
    EXPECT_EQ(p.GE_lRotate, 13245678);
    const std::array<int, kBlocks> advanced = {1, 3, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(host.rotations[8].lblIP, advanced);
    EXPECT_EQ(p.GE_iRotation, (std::array<int16_t, kBlocks>{0, 2, 2, 3, 4, 5, 6, 7}));

    // Orders 2..7 put empty blocks first: they are filled at once, so an attempt places
    // every position, leaves the box short and turns the empty first block on.
    const size_t order2 = indexOf(host.events, "sum 0 : 5");
    ASSERT_NE(order2, std::string::npos);
    EXPECT_EQ(host.events[order2 - 3], "lblNo(0)=1");
    EXPECT_EQ(host.events[order2 - 1], "lblNo(1)=2");
    EXPECT_EQ(host.events[order2 + 1], "line[ 2, 0, 0  3, 0, 0 ]");
    EXPECT_EQ(host.events[order2 + 2], "lblTurn_CtZ(2)=1");  // slot of the block itself
    // Each such order gives 24 attempts (all orientations of its first block).
    EXPECT_EQ(std::count(host.resultLines.begin(), host.resultLines.end(), " 2, 0, 0  3, 0, 0 "), 24);
}

TEST(LoaderSteps, ThePassedLastCodeEndsTheSearchWithItsMessage) {
    Puzzle p = makePuzzle(2, 2, 2, {{0, {{0, 0, 0}, {1, 0, 0}}}, {1, {{0, 0, 0}, {0, 1, 0}, {0, 2, 0}}}});
    p.GE_lRotate = kLastOrderCode;
    p.GE_iRotation = {7, 6, 5, 4, 3, 2, 1, 0};
    RecordingHost host;
    host.snapshots = false;
    AutoLoader loader;
    ASSERT_EQ(loader.cmdMove_Click(p, host), LoaderOutcome::Exhausted);
    EXPECT_EQ(p.GE_lRotate, 102345678);
    // The order list keeps block indexes: back where the eight rotations left it.
    EXPECT_EQ(p.GE_iRotation, (std::array<int16_t, kBlocks>{7, 6, 5, 4, 3, 2, 1, 0}));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], testutil::cat({"残念|ローテーション一周しました。アルゴリズムを見直そう|",
                                               testutil::num(int(LoaderIcon::Exclamation))}));
    EXPECT_EQ(host.rotations.size(), 9u);

    // A code already past the end stops at the first order change.
    RecordingHost again;
    p.GE_lRotate = 200000000;
    ASSERT_EQ(loader.cmdMove_Click(p, again), LoaderOutcome::Exhausted);
    EXPECT_EQ(p.GE_lRotate, 200000000);
    EXPECT_EQ(again.rotations.size(), 1u);
}

TEST(LoaderSteps, AFourHighBoxIsAnnouncedFull) {
    CutSpec s;
    s.cellsX = 2, s.cellsY = 2, s.cellsZ = 4, s.blocks = 4, s.seed = 7;
    Puzzle p = cutBox(s);
    RecordingHost host;
    host.snapshots = false;
    AutoLoader loader;
    ASSERT_EQ(loader.cmdMove_Click(p, host), LoaderOutcome::Solved);
    EXPECT_EQ(fncBox_Count(p.G_iBox), 16);
    EXPECT_EQ(std::count(host.events.begin(), host.events.end(), "sum 16 : 16"), 1);
    EXPECT_EQ(host.messages.size(), 1u);
}

TEST(LoaderSteps, BlocksAfterAGapInTheNumberingTakePart) {
    // Blocks 1 and 3 only: block 3 (index 2) is restored from its counters and placed.
    Puzzle p = makePuzzle(2, 2, 2, {{0, kSlab}, {2, kSlab}});
    p.G_Info_Piece[2] = {0, 0, 2};
    subPiece_TurnX(p, 2);  // its cube stands elsewhere until LOAD sets it from the counters
    RecordingHost host;
    AutoLoader loader;
    ASSERT_EQ(loader.cmdMove_Click(p, host), LoaderOutcome::Solved);
    EXPECT_NE(indexOf(host.events, testutil::cat({"shpPiece(2)=", testutil::num(pieceColor(3, 0))})),
              std::string::npos);
    EXPECT_EQ(host.resultLines, std::vector<std::string>{" 0, 0, 0  1, 0, 0  2, 0, 2 "});
    EXPECT_EQ(p.G_Info_Piece[2].iNo, 3);
    EXPECT_EQ(fncBox_Count(p.G_iBox), 8);
}

TEST(LoaderSteps, ABlockTwiceInTheOrderIsPlacedOnce) {
    Puzzle p = makePuzzle(2, 2, 2, {{0, kSlab}, {1, kSlab}});
    p.GE_iRotation = {0, 0, 1, 2, 3, 4, 5, 6};
    RecordingHost host;
    host.snapshots = false;
    AutoLoader loader;
    ASSERT_EQ(loader.cmdMove_Click(p, host), LoaderOutcome::Solved);
    // Every attempt with block 1 twice ends with half a box; never two copies announced.
    ASSERT_GE(host.resultLines.size(), 2u);
    EXPECT_EQ(host.resultLines[0], " 0, 0, 0  0, 0, 0 ");
    EXPECT_EQ(host.events[indexOf(host.events, "line[ 0, 0, 0  0, 0, 0 ]") - 1], "sum 4 : 8");
    EXPECT_EQ(std::count(host.events.begin(), host.events.end(), "sum 8 : 8"), 1);
    EXPECT_EQ(p.GE_iRotation[0], 0);
    EXPECT_EQ(p.GE_iRotation[1], 1);
    EXPECT_EQ(fncBox_Count(p.G_iBox), 8);
}

TEST(LoaderSteps, LoadInsideARunningSearchIsRefused) {
    Puzzle p = makePuzzle(2, 2, 2, {{0, kSlab}, {1, kSlab}});
    RecordingHost host;
    AutoLoader loader;
    LoaderOutcome nested = LoaderOutcome::Solved;
    host.onYield = [&] {
        if (host.yields == 3) nested = loader.cmdMove_Click(p, host);
    };
    EXPECT_EQ(loader.cmdMove_Click(p, host), LoaderOutcome::Solved);
    EXPECT_EQ(nested, LoaderOutcome::Busy);
    EXPECT_EQ(loader.stats().fitTests, 11u);
    EXPECT_FALSE(loader.running());
}

TEST(LoaderSteps, AStoppedSearchContinuesFromItsCounters) {
    CutSpec s;
    s.cellsX = 3, s.cellsY = 3, s.cellsZ = 2, s.blocks = 4, s.seed = 3;
    const Puzzle start = cutBox(s);
    Puzzle whole = start;
    RecordingHost wholeHost;
    wholeHost.snapshots = false;
    AutoLoader loader;
    ASSERT_EQ(loader.cmdMove_Click(whole, wholeHost), LoaderOutcome::Solved);
    const uint64_t total = loader.stats().fitTests;
    ASSERT_GT(total, 200u);

    Puzzle p = start;
    RecordingHost first;
    first.snapshots = false;
    first.stopAt = total / 2;
    ASSERT_EQ(loader.cmdMove_Click(p, first), LoaderOutcome::Stopped);
    EXPECT_EQ(loader.stats().fitTests, total / 2 - 1);
    EXPECT_GT(fncBox_Count(p.G_iBox), 0);
    EXPECT_FALSE(p.G_Info_Piece == start.G_Info_Piece);

    RecordingHost second;
    second.snapshots = false;
    ASSERT_EQ(loader.cmdMove_Click(p, second), LoaderOutcome::Solved);
    // The second LOAD sets the blocks from the counters, fills again from position 0 and
    // finds the same packing.
    EXPECT_EQ(second.events[0], "piece 0");
    EXPECT_EQ(second.resultLines, wholeHost.resultLines);
    EXPECT_TRUE(testutil::withoutScratch(p) == testutil::withoutScratch(whole));
}

}  // namespace
}  // namespace tessaro
