#include "model/Figure.h"
#include "ModelTestUtil.h"

#include <gtest/gtest.h>

using namespace tessaro;
using namespace tessaro::testutil;

TEST(Counting, BlockAndBoxCounts) {
    Puzzle p{};
    setCells(p, 0, {{0, 0, 0}, {1, 0, 0}, {3, 3, 3}});
    setCells(p, 7, {{2, 2, 2}});
    EXPECT_EQ(fncPiece_Count(p, 0), 3);
    EXPECT_EQ(fncPiece_Count(p, 1), 0);
    EXPECT_EQ(fncPiece_Count(p, 7), 1);
    EXPECT_EQ(fncPiece_CountAll(p), 4);
    EXPECT_EQ(fncPiece_CountUsed(p), 2);
    // Out-of-range blocks count nothing.
    EXPECT_EQ(fncPiece_Count(p, -1), 0);
    EXPECT_EQ(fncPiece_Count(p, 8), 0);

    Grid g{};
    g[cellIndex(0, 0, 0)] = 1;
    g[cellIndex(3, 3, 3)] = 2;
    EXPECT_EQ(fncBox_Count(g), 3);
}

TEST(Counting, ClearAllAndSaveMade) {
    Puzzle p{};
    setCells(p, 2, {{1, 2, 3}});
    subPiece_SaveMade(p);
    EXPECT_EQ(p.G_iPiece_Made, p.G_iPiece);
    subPiece_ClearAll(p);
    EXPECT_EQ(fncPiece_CountAll(p), 0);
    EXPECT_EQ(p.G_iPiece_Made, PieceCubes{});
}

TEST(LoaderGlobals, RotateShiftAndInit) {
    Puzzle p{};
    p.G_Info_Piece[3] = {4, 5, 3};
    subLoader_Init(p);
    EXPECT_EQ(p.GE_lRotate, 12345678);
    for (int b = 0; b < kBlocks; ++b) {
        EXPECT_EQ(p.GE_iRotation[b], b);
        EXPECT_EQ(p.G_Info_Piece[b], InfoPiece{});
    }
    subRotate_Shift(p);
    EXPECT_EQ(p.GE_iRotation, (std::array<int16_t, 8>{1, 2, 3, 4, 5, 6, 7, 0}));
    for (int i = 0; i < 7; ++i) subRotate_Shift(p);
    EXPECT_EQ(p.GE_iRotation, (std::array<int16_t, 8>{0, 1, 2, 3, 4, 5, 6, 7}));
}

TEST(LoaderGlobals, HasDigits1to8) {
    EXPECT_EQ(fncHasDigits1to8(12345678), -1);
    EXPECT_EQ(fncHasDigits1to8(87654321), -1);
    EXPECT_EQ(fncHasDigits1to8(123456789), -1);  // a 9 does not matter
    EXPECT_EQ(fncHasDigits1to8(102345678), -1);  // nor does a 0
    EXPECT_EQ(fncHasDigits1to8(12345677), 0);    // 8 missing
    EXPECT_EQ(fncHasDigits1to8(23456789), 0);    // 1 missing
    EXPECT_EQ(fncHasDigits1to8(0), 0);
    EXPECT_EQ(fncHasDigits1to8(-12345678), -1);
}
