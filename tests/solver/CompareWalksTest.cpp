// The mask engine against the plain walk of the steps: every notification in
// order, the puzzle at each of them, the figures and the final model.
#include "LoaderTestUtil.h"
#include "solver/RandomCut.h"
#include "solver/ReferenceLoader.h"

#include <gtest/gtest.h>

namespace tessaro {
namespace {

using testutil::RecordingHost;

struct Run {
    LoaderOutcome outcome;
    LoaderStats stats;
    RecordingHost host;
    Puzzle puzzle;
};

template <class Loader>
Run runOnce(Loader& loader, Puzzle p, const LoaderOptions& options, uint64_t stopAt, bool batch = false) {
    Run r{};
    r.host.stopAt = stopAt;
    r.host.batch = batch;
    r.outcome = loader.cmdMove_Click(p, r.host, options);
    r.stats = loader.stats();
    r.puzzle = p;
    return r;
}

void expectSame(const Run& ref, const Run& fast, const std::string& what) {
    SCOPED_TRACE(what);
    EXPECT_EQ(outcomeName(ref.outcome), std::string(outcomeName(fast.outcome)));
    EXPECT_EQ(ref.stats.fitTests, fast.stats.fitTests);
    EXPECT_EQ(ref.stats.attempts, fast.stats.attempts);
    if (!fast.host.batch) {
        EXPECT_EQ(ref.host.yields, fast.host.yields);
    }
    ASSERT_EQ(ref.host.events.size(), fast.host.events.size());
    for (size_t i = 0; i < ref.host.events.size(); ++i)
        ASSERT_EQ(ref.host.events[i], fast.host.events[i]) << "event " << i;
    EXPECT_TRUE(testutil::withoutScratch(ref.puzzle) == testutil::withoutScratch(fast.puzzle));
}

// Runs both walks from the same puzzle, stopping at `stopAt`, then once more from
// where each stopped, and compares everything.
void compareWalks(const Puzzle& start, const LoaderOptions& options, uint64_t stopAt, uint64_t secondStop,
                  const std::string& what) {
    ReferenceLoader ref;
    AutoLoader fast;
    Run a = runOnce(ref, start, options, stopAt);
    Run b = runOnce(fast, start, options, stopAt);
    expectSame(a, b, testutil::cat({what, " first LOAD"}));
    Run batched = runOnce(fast, start, options, stopAt, true);
    expectSame(a, batched, testutil::cat({what, " first LOAD, yields batched"}));
    if (a.outcome != LoaderOutcome::Stopped || ::testing::Test::HasFailure()) return;
    Run c = runOnce(ref, a.puzzle, options, secondStop);
    Run d = runOnce(fast, b.puzzle, options, secondStop);
    expectSame(c, d, testutil::cat({what, " second LOAD"}));
}

CutSpec spec(int x, int y, int z, int blocks, uint64_t seed) {
    CutSpec s;
    s.cellsX = x, s.cellsY = y, s.cellsZ = z, s.blocks = blocks, s.seed = seed;
    return s;
}

TEST(CompareWalks, CutBoxesDeadSpaceOffAndOn) {
    const CutSpec specs[] = {spec(2, 2, 2, 3, 1), spec(2, 2, 3, 4, 2), spec(2, 3, 3, 4, 3), spec(3, 3, 2, 5, 4),
                             spec(2, 2, 2, 8, 5), spec(3, 3, 3, 6, 6), spec(2, 2, 4, 4, 7), spec(4, 4, 4, 8, 8)};
    for (const CutSpec& s : specs)
        for (bool dead : {false, true}) {
            LoaderOptions o;
            o.checkDeadSpace = dead;
            o.currentPiece = int(s.seed % 3);
            compareWalks(cutBox(s), o, 20000, 8000,
                         testutil::cat({"seed ", testutil::num(int64_t(s.seed)), dead ? " dead space" : ""}));
        }
}

TEST(CompareWalks, StopAtManyYieldsAndContinue) {
    const Puzzle p = cutBox(spec(2, 2, 3, 4, 11));
    LoaderOptions o;
    o.checkDeadSpace = true;
    for (uint64_t k : {1, 2, 3, 4, 7, 12, 19, 33, 58, 101, 177, 310, 543, 950, 1663, 2911, 5095})
        compareWalks(p, o, k, 3000, testutil::cat({"stop at ", testutil::num(int64_t(k))}));
}

TEST(CompareWalks, GapsInTheNumberingAndFewBlocks) {
    Puzzle p = cutBox(spec(2, 2, 3, 3, 21));
    // Move the blocks 1 and 2 to indexes 3 and 6: blocks 2, 3, 5, 6, 8 stay empty.
    for (int c = 0; c < kCells; ++c) {
        std::swap(p.G_iPiece[3 + kBlocks * c], p.G_iPiece[1 + kBlocks * c]);
        std::swap(p.G_iPiece[6 + kBlocks * c], p.G_iPiece[2 + kBlocks * c]);
    }
    subPiece_SaveMade(p);
    for (bool dead : {false, true}) {
        LoaderOptions o;
        o.checkDeadSpace = dead;
        o.currentPiece = 6;
        compareWalks(p, o, 40000, 5000, dead ? "gaps, dead space" : "gaps");
    }
}

TEST(CompareWalks, DuplicateAndInvalidOrderEntries) {
    Puzzle p = cutBox(spec(2, 2, 2, 4, 31));
    p.GE_iRotation = {0, 2, 0, 1, 3, 2, 5, 6};  // 0 and 2 twice among the four taking part
    compareWalks(p, {}, 40000, 5000, "duplicates");
    p.GE_iRotation = {1, 9, 0, 2, 3, -1, 4, 5};  // entries naming no block
    compareWalks(p, {}, 40000, 5000, "invalid entries");
}

TEST(CompareWalks, CountersAndOrderFromAnOldSearch) {
    Puzzle p = cutBox(spec(2, 3, 3, 5, 41));
    p.G_Info_Piece[0] = {3, 5, 2};
    p.G_Info_Piece[1] = {0, 2, 3};
    p.G_Info_Piece[2] = {1, 7, 1};   // a face the setting refuses: the block keeps its cube
    p.G_Info_Piece[3] = {0, -1, 9};  // nine turns
    p.GE_iRotation = {3, 1, 4, 0, 2, 5, 6, 7};
    p.GE_lRotate = 41352678;
    for (int b = 0; b < 5; ++b) subPiece_TurnX(p, b);  // current cubes away from the made ones
    compareWalks(p, {}, 40000, 5000, "old state");
    LoaderOptions o;
    o.checkDeadSpace = true;
    compareWalks(p, o, 40000, 5000, "old state, dead space");
}

TEST(CompareWalks, BoxesThatNeverFillRunThroughOrderChanges) {
    // A block taken away: every attempt that places all blocks leaves a hole.
    Puzzle p = cutBox(spec(2, 2, 3, 4, 61));
    for (int c = 0; c < kCells; ++c) p.G_iPiece[3 + kBlocks * c] = p.G_iPiece_Made[3 + kBlocks * c] = 0;
    p.G_iCell_Total = fncPiece_CountAll(p);
    p.G_iCell_Total = int16_t(p.G_iCell_Total + 1);
    for (bool dead : {false, true}) {
        LoaderOptions o;
        o.checkDeadSpace = dead;
        compareWalks(p, o, 30000, 8000, dead ? "never full, dead space" : "never full");
    }
    // A bar of three in a 2x2x2 box fits nowhere: attempts run out at once.
    Puzzle q = testutil::makePuzzle(2, 2, 2, {{0, {{0, 0, 0}, {1, 0, 0}}}, {1, {{0, 0, 0}, {0, 1, 0}, {0, 2, 0}}}});
    compareWalks(q, {}, 60000, 20000, "unplaceable");
    q.GE_lRotate = 87654312;  // near the last code
    q.GE_iRotation = {7, 6, 5, 4, 3, 2, 0, 1};
    compareWalks(q, {}, 60000, 20000, "last codes");
}

TEST(CompareWalks, CubesTheMasksCannotHoldTakeThePlainWalk) {
    Puzzle p = cutBox(spec(2, 2, 2, 3, 51));
    p.G_iPiece[0 + kBlocks * cellIndex(3, 3, 3)] = 2;  // a damaged cube
    compareWalks(p, {}, 5000, 1000, "value 2");
    Puzzle q = cutBox(spec(2, 2, 2, 3, 52));
    for (int c = 0; c < kCells; ++c) q.G_iPiece_Made[2 + kBlocks * c] = 0;  // made empty, current not
    compareWalks(q, {}, 5000, 1000, "made empty");
}

}  // namespace
}  // namespace tessaro
