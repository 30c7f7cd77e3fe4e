#include "model/Figure.h"
#include "ModelTestUtil.h"

#include <gtest/gtest.h>

#include <vector>

using namespace tessaro;
using namespace tessaro::testutil;

namespace {

struct ScriptedRandom final : UniformRandom {
    std::vector<float> draws;
    size_t used = 0;
    float next() override { return used < draws.size() ? draws[used++] : 0.0f; }
};

}  // namespace

TEST(Orientation, TurnMappingsForEveryCell) {
    // Where the cell at (x, y, z) goes under each turn.
    for (int z = 0; z < 4; ++z)
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) {
                Puzzle p{};
                setCells(p, 3, {{x, y, z}});
                subPiece_TurnZ(p, 3);
                EXPECT_EQ(cellsOf(p, 3), (std::set<Cell>{{3 - y, x, z}}));
                setCells(p, 3, {{x, y, z}});
                subPiece_TurnX(p, 3);
                EXPECT_EQ(cellsOf(p, 3), (std::set<Cell>{{x, z, 3 - y}}));
                setCells(p, 3, {{x, y, z}});
                subPiece_TurnY(p, 3);
                EXPECT_EQ(cellsOf(p, 3), (std::set<Cell>{{z, y, 3 - x}}));
            }
}

TEST(Orientation, TurnDirectionsFromOrigin) {
    Puzzle p{};
    setCells(p, 0, {{0, 0, 0}});
    subPiece_TurnZ(p, 0);
    EXPECT_EQ(cellsOf(p, 0), (std::set<Cell>{{3, 0, 0}}));
    subPiece_TurnZ(p, 0);  // clockwise seen from the front: top-right goes to bottom-right
    EXPECT_EQ(cellsOf(p, 0), (std::set<Cell>{{3, 3, 0}}));
    setCells(p, 0, {{0, 0, 0}});
    subPiece_TurnX(p, 0);
    EXPECT_EQ(cellsOf(p, 0), (std::set<Cell>{{0, 0, 3}}));
    setCells(p, 0, {{0, 0, 0}});
    subPiece_TurnY(p, 0);
    EXPECT_EQ(cellsOf(p, 0), (std::set<Cell>{{0, 0, 3}}));
    // Other blocks are untouched.
    EXPECT_EQ(fncPiece_CountAll(p), 1);
}

TEST(Orientation, FourTurnsGiveBackTheCube) {
    Puzzle p = buildSamplePuzzle();
    const PieceCubes before = p.G_iPiece;
    for (int b = 0; b < kBlocks; ++b) {
        for (int i = 0; i < 4; ++i) subPiece_TurnX(p, b);
        EXPECT_EQ(p.G_iPiece, before) << "X, block " << b;
        for (int i = 0; i < 4; ++i) subPiece_TurnY(p, b);
        EXPECT_EQ(p.G_iPiece, before) << "Y, block " << b;
        for (int i = 0; i < 4; ++i) subPiece_TurnZ(p, b);
        EXPECT_EQ(p.G_iPiece, before) << "Z, block " << b;
    }
    // One turn really changes a block (so the identity above is not vacuous), an empty one stays empty.
    subPiece_TurnX(p, 0);
    EXPECT_NE(p.G_iPiece, before);
    subPiece_TurnZ(p, 7);
    EXPECT_EQ(fncPiece_Count(p, 7), 0);
}

TEST(Orientation, SetFaceRestoresTurnsAndMovesToOrigin) {
    Puzzle p{};
    // An L of three cells, made off the origin.
    setCells(p, 1, {{1, 1, 1}, {2, 1, 1}, {1, 2, 1}});
    subPiece_SaveMade(p);

    subPiece_TurnY(p, 1);
    subPiece_SetFace(p, 1, 0);
    EXPECT_EQ(cellsOf(p, 1), (std::set<Cell>{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}));

    subPiece_SetFace(p, 1, 3);  // Turn-X once: y goes to z
    EXPECT_EQ(cellsOf(p, 1), (std::set<Cell>{{0, 0, 1}, {1, 0, 1}, {0, 0, 0}}));
    subPiece_SetFace(p, 1, 1);  // Turn-X three times: the bottom to the front
    EXPECT_EQ(cellsOf(p, 1), (std::set<Cell>{{0, 0, 0}, {1, 0, 0}, {0, 0, 1}}));
    subPiece_SetFace(p, 1, 2);  // Turn-Y once
    EXPECT_EQ(cellsOf(p, 1), (std::set<Cell>{{0, 0, 1}, {0, 0, 0}, {0, 1, 1}}));
    subPiece_SetFace(p, 1, 4);  // Turn-Y three times
    EXPECT_EQ(cellsOf(p, 1), (std::set<Cell>{{0, 0, 0}, {0, 0, 1}, {0, 1, 0}}));
    subPiece_SetFace(p, 1, 5);  // Turn-Y twice: mirrored in x and z
    EXPECT_EQ(cellsOf(p, 1), (std::set<Cell>{{1, 0, 0}, {0, 0, 0}, {1, 1, 0}}));
}

TEST(Orientation, OutOfRangeArgumentsDoNothing) {
    Puzzle p = buildSamplePuzzle();
    subPiece_TurnX(p, 0);  // so a restore would show
    const Puzzle before = p;
    subPiece_SetFace(p, 0, 6);
    subPiece_SetFace(p, 0, -1);
    EXPECT_EQ(p, before);
    for (int b : {-1, 8, 100}) {
        subPiece_TurnZ(p, b);
        subPiece_TurnX(p, b);
        subPiece_TurnY(p, b);
        subPiece_Restore(p, b);
        subPiece_SetFace(p, b, 0);
    }
    EXPECT_EQ(p, before);
}

TEST(Orientation, ResetAllRestoresMadeCubes) {
    Puzzle p = buildSamplePuzzle();
    for (int b = 0; b < kBlocks; ++b) {
        subPiece_TurnX(p, b);
        (void)fncPiece_ZInc(p, b);
    }
    ASSERT_NE(p.G_iPiece, p.G_iPiece_Made);
    subPiece_ResetAll(p);
    EXPECT_EQ(p.G_iPiece, p.G_iPiece_Made);
}

TEST(Orientation, ShuffleDrawsFourNumbersPerBlockInOrder) {
    Puzzle p{};
    // L of three cells in the origin corner, made in block 0 only.
    setCells(p, 0, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
    subPiece_SaveMade(p);
    subPiece_TurnY(p, 0);

    ScriptedRandom rnd;
    // Block 0: face 0, Turn-Z once, Turn-X and Turn-Y four times each (no change).
    rnd.draws = {0.0f, 0.0f, 0.75f, 0.999f};
    // Blocks 1..7 (empty): face 5, then 1, 2, 3 turns.
    for (int b = 1; b < kBlocks; ++b) rnd.draws.insert(rnd.draws.end(), {0.9999f, 0.0f, 0.25f, 0.5f});
    subPiece_ShuffleAll(p, rnd);
    EXPECT_EQ(rnd.used, 32u);
    // Turn-Z once takes (x, y) to (3 - y, x); the origin move then brings it back to the corner.
    EXPECT_EQ(cellsOf(p, 0), (std::set<Cell>{{1, 0, 0}, {1, 1, 0}, {0, 0, 0}}));
    EXPECT_EQ(fncPiece_CountAll(p), 3);

    // Face 2 with four turns on each axis is the plain face setting.
    Puzzle q = p;
    rnd.draws = {0.34f, 0.99f, 0.99f, 0.99f};
    rnd.used = 0;
    subPiece_ShuffleAll(p, rnd);
    subPiece_SetFace(q, 0, 2);
    EXPECT_EQ(p.G_iPiece, q.G_iPiece);
}

TEST(Orientation, ClockRandomStaysInUnitInterval) {
    ClockRandom rnd;
    float lo = 1.0f, hi = 0.0f;
    double sum = 0;
    const int n = 200000;
    for (int i = 0; i < n; ++i) {
        const float r = rnd.next();
        ASSERT_GE(r, 0.0f);
        ASSERT_LT(r, 1.0f);
        lo = std::min(lo, r);
        hi = std::max(hi, r);
        sum += r;
    }
    EXPECT_LT(lo, 0.01f);
    EXPECT_GT(hi, 0.99f);
    EXPECT_NEAR(sum / n, 0.5, 0.01);

    // Shuffle keeps every block's shape size and leaves it in the origin corner.
    Puzzle p = buildSamplePuzzle();
    subPiece_ShuffleAll(p, rnd);
    for (int b = 0; b < kBlocks; ++b) {
        EXPECT_EQ(fncPiece_Count(p, b), fncPiece_Count(buildSamplePuzzle(), b));
        if (fncPiece_Count(p, b) == 0) continue;
        EXPECT_NE(fncPiece_XDec(p, b), 0);
        EXPECT_NE(fncPiece_YDec(p, b), 0);
        EXPECT_NE(fncPiece_ZDec(p, b), 0);
    }
}

TEST(Orientation, BoxTurnsCarryNumbersAndShades) {
    Puzzle p = buildSamplePuzzle();
    ASSERT_EQ(loadPiece(p, 0, false).outcome, LoadOutcome::Loaded);
    const Puzzle before = p;
    subBox_TurnZ(p);
    // Contents at x = 0..2 of a 3x3x3 box: after Turn-Z at (3 - y, x, z), i.e. x = 1..3.
    for (int z = 0; z < 4; ++z)
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) {
                const int from = cellIndex(x, y, z), to = cellIndex(3 - y, x, z);
                EXPECT_EQ(p.G_iBox[to], before.G_iBox[from]);
                EXPECT_EQ(p.G_iBox_No[to], before.G_iBox_No[from]);
                for (int s = 0; s < 3; ++s)
                    EXPECT_EQ(p.G_lBox_Color[to + 64 * s], before.G_lBox_Color[from + 64 * s]);
            }
    EXPECT_EQ(p.G_iCells_X, 3);
    for (int i = 0; i < 3; ++i) subBox_TurnZ(p);
    EXPECT_EQ(withoutScratch(p), withoutScratch(before));
    for (int i = 0; i < 4; ++i) subBox_TurnX(p);
    for (int i = 0; i < 4; ++i) subBox_TurnY(p);
    EXPECT_EQ(withoutScratch(p), withoutScratch(before));
    subBox_TurnX(p);
    EXPECT_NE(p.G_iBox, before.G_iBox);
    EXPECT_EQ(fncBox_Count(p.G_iBox), 5);
}
