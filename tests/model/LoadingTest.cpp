#include "model/Figure.h"
#include "ModelTestUtil.h"

#include <gtest/gtest.h>

using namespace tessaro;
using namespace tessaro::testutil;

TEST(Loading, WritesBoxNumbersAndShades) {
    Puzzle p = buildSamplePuzzle();
    const LoadResult r = loadPiece(p, 1, false);
    EXPECT_EQ(r.outcome, LoadOutcome::Loaded);
    EXPECT_EQ(r.filled, 5);
    EXPECT_FALSE(r.complete);
    EXPECT_EQ(p.G_iLoaded[1], 1);
    EXPECT_EQ(filledBoxCells(p), cellsOf(p, 1));
    for (auto [x, y, z] : cellsOf(p, 1)) {
        const int c = cellIndex(x, y, z);
        EXPECT_EQ(p.G_iBox_No[c], 2);
        EXPECT_EQ(p.G_lBox_Color[c], 0x0000FF);
        EXPECT_EQ(p.G_lBox_Color[c + 64], 0xC0C0FF);
        EXPECT_EQ(p.G_lBox_Color[c + 128], 0x0000C0);
    }
    // Loading it again is refused before anything is summed.
    const Puzzle before = p;
    EXPECT_EQ(loadPiece(p, 1, false).outcome, LoadOutcome::AlreadyLoaded);
    EXPECT_EQ(p, before);
}

TEST(Loading, RefusalsChangeNothing) {
    Puzzle p = buildSamplePuzzle();
    ASSERT_EQ(loadPiece(p, 0, false).outcome, LoadOutcome::Loaded);

    // Overlap only: block 2 at the origin shares (0, 0, 0) with block 1.
    Puzzle before = withoutScratch(p);
    EXPECT_EQ(loadPiece(p, 1, false).outcome, LoadOutcome::CannotPlace);
    EXPECT_EQ(withoutScratch(p), before);

    // Both overlapping and sticking out (z = 3 in a 3x3x3 box): one refusal, still nothing changed.
    ASSERT_EQ(fncPiece_ZInc(p, 1), 0);
    ASSERT_EQ(fncPiece_ZInc(p, 1), 0);  // z = 2..3, overlaps block 1 at (0, 1, 2)
    before = withoutScratch(p);
    const LoadResult r = loadPiece(p, 1, true);
    EXPECT_EQ(r.outcome, LoadOutcome::CannotPlace);
    EXPECT_FALSE(r.deadCell);
    EXPECT_EQ(withoutScratch(p), before);

    // Outside only, one axis at a time.
    for (int axis = 0; axis < 3; ++axis) {
        Puzzle q = buildSamplePuzzle();
        auto inc = axis == 0 ? fncPiece_XInc : axis == 1 ? fncPiece_YInc : fncPiece_ZInc;
        while (inc(q, 6) == 0) {
        }
        const Puzzle qBefore = withoutScratch(q);
        EXPECT_EQ(loadPiece(q, 6, false).outcome, LoadOutcome::CannotPlace) << "axis " << axis;
        EXPECT_EQ(withoutScratch(q), qBefore);
        // The same position fits a 4x4x4 box.
        q.G_iCells_X = q.G_iCells_Y = q.G_iCells_Z = 4;
        EXPECT_EQ(loadPiece(q, 6, false).outcome, LoadOutcome::Loaded) << "axis " << axis;
    }

    // Out-of-range blocks are refused and touch nothing, scratch grid included.
    const Puzzle all = p;
    EXPECT_EQ(loadPiece(p, 8, false).outcome, LoadOutcome::CannotPlace);
    EXPECT_EQ(loadPiece(p, -1, true).outcome, LoadOutcome::CannotPlace);
    EXPECT_EQ(p, all);
}

TEST(Loading, EmptyBlockIsMarkedLoadedWithoutCells) {
    Puzzle p = buildSamplePuzzle();
    const LoadResult r = loadPiece(p, 7, true);
    EXPECT_EQ(r.outcome, LoadOutcome::Loaded);
    EXPECT_EQ(r.filled, 0);
    EXPECT_FALSE(r.deadCell);
    EXPECT_EQ(p.G_iLoaded[7], 1);
    EXPECT_EQ(fncBox_Count(p.G_iBox), 0);
}

TEST(Loading, DeadCellCornerIn4x4x4Box) {
    Puzzle p = emptyBox(4);
    setCells(p, 0, {{1, 0, 0}, {0, 1, 0}});
    setCells(p, 1, {{0, 0, 1}});
    ASSERT_EQ(loadPiece(p, 0, true).outcome, LoadOutcome::Loaded);
    EXPECT_EQ(fncChkDedSpace(p), 0);
    const LoadResult r = loadPiece(p, 1, true);
    EXPECT_EQ(r.outcome, LoadOutcome::Loaded);
    EXPECT_TRUE(r.deadCell);
    EXPECT_EQ(p.G_iLoaded[1], 1);  // the warning does not undo the load
    EXPECT_EQ(fncChkDedSpace(p), -1);

    // Without the check the same load reports no dead cell.
    Puzzle q = emptyBox(4);
    setCells(q, 0, {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}});
    EXPECT_FALSE(loadPiece(q, 0, false).deadCell);
}

TEST(Loading, DeadCellTestUsesWholeGrid) {
    // An empty cell on the far face of a 3x3x3 box always has an open neighbour beyond the box.
    Puzzle p = emptyBox(3);
    for (int z = 0; z < 3; ++z)
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 3; ++x) p.G_iBox[cellIndex(x, y, z)] = 1;
    p.G_iBox[cellIndex(2, 1, 1)] = 0;
    EXPECT_EQ(fncChkDedSpace(p), 0);
    // Inside the box, closed on all six sides.
    p.G_iBox[cellIndex(2, 1, 1)] = 1;
    p.G_iBox[cellIndex(1, 1, 1)] = 0;
    EXPECT_EQ(fncChkDedSpace(p), -1);
    // A full grid has no empty cell at all.
    p.G_iBox.fill(1);
    EXPECT_EQ(fncChkDedSpace(p), 0);
    // The far corner of the whole grid, closed by the grid faces and three neighbours.
    p.G_iBox[cellIndex(3, 3, 3)] = 0;
    EXPECT_EQ(fncChkDedSpace(p), -1);
}

TEST(Loading, UnloadEraseAndClear) {
    Puzzle p = buildSamplePuzzle();
    ASSERT_EQ(loadPiece(p, 0, false).outcome, LoadOutcome::Loaded);
    ASSERT_EQ(fncPiece_XInc(p, 4), 0);
    ASSERT_EQ(loadPiece(p, 4, false).outcome, LoadOutcome::Loaded);
    const auto block5Cells = cellsOf(p, 4);

    // Unload finds block 1 by its number even after its cube was turned.
    subPiece_TurnY(p, 0);
    subBox_UnloadPiece(p, 0);
    EXPECT_EQ(filledBoxCells(p), block5Cells);
    for (int c = 0; c < 64; ++c) {
        if (p.G_iBox[c] != 0) continue;
        EXPECT_EQ(p.G_lBox_Color[c], 0);
        EXPECT_EQ(p.G_lBox_Color[c + 128], 0);
    }
    EXPECT_EQ(p.G_iBox_No[cellIndex(0, 0, 0)], 1);  // the stale number stays
    // The emptied cells are newly filled again when another block comes.
    ASSERT_EQ(loadPiece(p, 1, false).outcome, LoadOutcome::Loaded);
    EXPECT_EQ(p.G_iBox_No[cellIndex(0, 0, 0)], 2);
    EXPECT_EQ(p.G_lBox_Color[cellIndex(0, 0, 0)], 0x0000FF);

    // Unloading a block that is not in the box, or an invalid one, empties nothing.
    const Puzzle before = p;
    subBox_UnloadPiece(p, 6);
    subBox_UnloadPiece(p, 8);
    subBox_UnloadPiece(p, -1);
    subBox_ErasePattern(p, 8);
    EXPECT_EQ(p, before);

    // Erase by pattern: where the cube is now, whatever the numbers say.
    subBox_ErasePattern(p, 4);
    EXPECT_EQ(filledBoxCells(p), cellsOf(p, 1));

    clearBox(p);
    EXPECT_EQ(fncBox_Count(p.G_iBox), 0);
    EXPECT_EQ(p.G_iBox_No, Grid{});
    EXPECT_EQ(p.G_lBox_Color, ColorGrid{});
    EXPECT_EQ(p.G_iLoaded, (std::array<int16_t, 8>{}));
    EXPECT_EQ(p.G_iPiece_Made, buildSamplePuzzle().G_iPiece_Made);
    EXPECT_EQ(fncPiece_CountAll(p), 27);
}

TEST(Loading, ToGridAndColorGrid) {
    Puzzle p = buildSamplePuzzle();
    Grid g;
    g.fill(9);
    subPiece_ToGrid(p, 3, g);
    EXPECT_EQ(fncBox_Count(g), 4);
    EXPECT_EQ(g[cellIndex(1, 1, 1)], 1);
    EXPECT_EQ(g[cellIndex(0, 0, 0)], 0);

    ColorGrid colors{};
    colors[cellIndex(3, 3, 3)] = 42;  // left alone
    subPiece_ColorGrid(p, 3, colors);
    EXPECT_EQ(colors[cellIndex(1, 1, 1)], 0x00FFFF);
    EXPECT_EQ(colors[cellIndex(1, 1, 1) + 64], 0xC0FFFF);
    EXPECT_EQ(colors[cellIndex(1, 1, 1) + 128], 0x00C0C0);
    EXPECT_EQ(colors[cellIndex(0, 0, 0)], 0);
    EXPECT_EQ(colors[cellIndex(3, 3, 3)], 42);

    const Grid gBefore = g;
    const ColorGrid cBefore = colors;
    subPiece_ToGrid(p, 8, g);
    subPiece_ColorGrid(p, -1, colors);
    EXPECT_EQ(g, gBefore);
    EXPECT_EQ(colors, cBefore);
}
