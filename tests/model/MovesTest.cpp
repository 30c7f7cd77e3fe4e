#include "model/Figure.h"
#include "ModelTestUtil.h"

#include <gtest/gtest.h>

using namespace tessaro;
using namespace tessaro::testutil;

TEST(Moves, RefusalSumsAndShifts) {
    Puzzle p{};
    // Two cells on the plane x = 3, one on y = 0, z = 0.
    setCells(p, 2, {{3, 0, 0}, {3, 1, 2}, {2, 1, 1}});
    const Puzzle before = p;
    EXPECT_EQ(fncPiece_XInc(p, 2), 2);
    EXPECT_EQ(fncPiece_YDec(p, 2), 1);
    EXPECT_EQ(fncPiece_ZDec(p, 2), 1);
    EXPECT_EQ(p.G_iPiece, before.G_iPiece);

    EXPECT_EQ(fncPiece_XDec(p, 2), 0);
    EXPECT_EQ(cellsOf(p, 2), (std::set<Cell>{{2, 0, 0}, {2, 1, 2}, {1, 1, 1}}));
    EXPECT_EQ(fncPiece_YInc(p, 2), 0);
    EXPECT_EQ(fncPiece_ZInc(p, 2), 0);
    EXPECT_EQ(cellsOf(p, 2), (std::set<Cell>{{2, 1, 1}, {2, 2, 3}, {1, 2, 2}}));
    EXPECT_EQ(fncPiece_ZInc(p, 2), 1);
    EXPECT_EQ(fncPiece_YInc(p, 2), 0);
    EXPECT_EQ(fncPiece_YInc(p, 2), 2);  // (2, 3, 3) and (1, 3, 2) now lie on y = 3
    EXPECT_EQ(fncPiece_Count(p, 2), 3);
    EXPECT_EQ(fncPiece_CountAll(p), 3);  // other blocks untouched
}

TEST(Moves, OriginCornerAndEdges) {
    Puzzle p{};
    setCells(p, 0, {{3, 3, 3}});
    subPiece_MoveOrigin(p, 0);
    EXPECT_EQ(cellsOf(p, 0), (std::set<Cell>{{0, 0, 0}}));

    setCells(p, 1, {{2, 3, 1}, {3, 3, 1}, {3, 2, 2}});
    subPiece_MoveOrigin(p, 1);
    EXPECT_EQ(cellsOf(p, 1), (std::set<Cell>{{0, 1, 0}, {1, 1, 0}, {1, 0, 1}}));

    setCells(p, 1, {{2, 3, 1}, {3, 3, 1}});
    subPiece_ToLeft(p, 1);
    EXPECT_EQ(cellsOf(p, 1), (std::set<Cell>{{0, 3, 1}, {1, 3, 1}}));
    subPiece_ToTop(p, 1);
    EXPECT_EQ(cellsOf(p, 1), (std::set<Cell>{{0, 0, 1}, {1, 0, 1}}));

    // Empty and out-of-range blocks: nothing happens, nothing hangs.
    const Puzzle before = p;
    subPiece_MoveOrigin(p, 5);
    subPiece_ToLeft(p, 5);
    subPiece_ToTop(p, 5);
    for (int b : {-1, 8}) {
        EXPECT_NE(fncPiece_XInc(p, b), 0);
        EXPECT_NE(fncPiece_ZDec(p, b), 0);
        subPiece_MoveOrigin(p, b);
        subPiece_ToLeft(p, b);
        subPiece_ToTop(p, b);
    }
    EXPECT_EQ(p, before);
}

TEST(Moves, BlockInSmallBoxCanStillLeaveTheBox) {
    Puzzle p = buildSamplePuzzle();
    // Block 1 spans x = 0..1; it may move to x = 2..3 although the box ends at x = 2.
    EXPECT_EQ(fncPiece_XInc(p, 0), 0);
    EXPECT_EQ(fncPiece_XInc(p, 0), 0);
    EXPECT_EQ(fncPiece_XInc(p, 0), 1);
    EXPECT_EQ(loadPiece(p, 0, false).outcome, LoadOutcome::CannotPlace);
}

namespace {

// The box contents one cell further along an axis, built by hand (the inverse of a box move).
Puzzle shiftedBox(const Puzzle& p, int axis) {
    Puzzle next = p;
    for (int z = 0; z < 4; ++z)
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) {
                int s[3] = {x, y, z};
                s[axis] -= 1;
                const bool in = s[axis] >= 0;
                const int to = cellIndex(x, y, z), from = in ? cellIndex(s[0], s[1], s[2]) : 0;
                next.G_iBox[to] = in ? p.G_iBox[from] : 0;
                next.G_iBox_No[to] = in ? p.G_iBox_No[from] : 0;
                for (int sh = 0; sh < 3; ++sh)
                    next.G_lBox_Color[to + 64 * sh] = in ? p.G_lBox_Color[from + 64 * sh] : 0;
            }
    return next;
}

}  // namespace

TEST(Moves, BoxOriginKeepsNumbersAndShades) {
    Puzzle atOrigin = buildSamplePuzzle();
    ASSERT_EQ(loadPiece(atOrigin, 0, false).outcome, LoadOutcome::Loaded);
    ASSERT_EQ(fncPiece_XInc(atOrigin, 4), 0);
    ASSERT_EQ(loadPiece(atOrigin, 4, false).outcome, LoadOutcome::Loaded);
    ASSERT_EQ(fncBox_Count(atOrigin.G_iBox), 7);

    // One step: the z = 0 plane holds 4 cells, so Z- is refused with 4; X- undoes a shift along x.
    Puzzle p = atOrigin;
    EXPECT_EQ(fncBox_ZDec(p), 4);
    EXPECT_EQ(withoutScratch(p), withoutScratch(atOrigin));
    p = shiftedBox(atOrigin, 0);
    EXPECT_EQ(fncBox_XDec(p), 0);
    EXPECT_EQ(withoutScratch(p), withoutScratch(atOrigin));

    // Contents at x, y, z = 1..3 come back to the corner with their numbers and shades.
    Puzzle far = shiftedBox(shiftedBox(shiftedBox(atOrigin, 0), 1), 2);
    ASSERT_EQ(fncBox_Count(far.G_iBox), 7);
    ASSERT_NE(far.G_iBox, atOrigin.G_iBox);
    subBox_MoveOrigin(far);
    EXPECT_EQ(withoutScratch(far), withoutScratch(atOrigin));

    // An empty box does not move, even with stale numbers in it.
    Puzzle empty = emptyBox(3);
    empty.G_iBox_No[cellIndex(1, 1, 1)] = 4;
    const Puzzle emptyBefore = empty;
    subBox_MoveOrigin(empty);
    EXPECT_EQ(empty, emptyBefore);
}

TEST(Moves, BoxRefusalSumCountsCellValues) {
    Puzzle p = emptyBox(4);
    p.G_iBox[cellIndex(0, 1, 1)] = 2;  // editor value 2 counts 2
    p.G_iBox[cellIndex(0, 2, 0)] = 1;
    EXPECT_EQ(fncBox_XDec(p), 3);
    EXPECT_EQ(fncBox_ZDec(p), 1);
    EXPECT_EQ(fncBox_YDec(p), 0);
    EXPECT_EQ(p.G_iBox[cellIndex(0, 0, 1)], 2);
    EXPECT_EQ(p.G_iBox[cellIndex(0, 1, 0)], 1);
    EXPECT_EQ(fncBox_Count(p.G_iBox), 3);
}
