#include "cli/PuzzleJson.h"
#include "model/Figure.h"

#include <gtest/gtest.h>

using namespace tessaro;
using tessaro::cli::puzzleToJson;

TEST(PuzzleJson, ArraysAreFlatInFileElementOrder) {
    Puzzle p{};
    p.piece(2, 1, 0, 3) = 1;                          // block fastest, then x, y, z
    p.G_iPiece_Made[pieceIndex(7, 3, 3, 3)] = 1;
    p.G_iBox[cellIndex(1, 2, 3)] = 1;
    p.G_iBox_No[cellIndex(3, 0, 1)] = 6;
    p.G_lBox_Color[colorIndex(0, 1, 0, 2)] = 0x800080;  // dark shade plane last
    p.G_iLoaded[5] = 1;
    p.G_Info_Piece[4] = {7, 5, 3};
    p.GE_iRotation = {7, 6, 5, 4, 3, 2, 1, 0};
    p.GE_lRotate = 87654321;
    p.G_iCells_X = 4;
    p.G_iCells_Y = 3;
    p.G_iCells_Z = 2;
    p.G_iCell_Total = 24;
    p.G_iCell_Filled = 11;
    p.G_sComment = "箱の中";
    p.G_sPassword = "abc123";

    const nlohmann::json j = puzzleToJson(p, "1.2.3");
    EXPECT_EQ(j.size(), 17u);
    EXPECT_EQ(j["version"], "1.2.3");
    EXPECT_EQ(j["G_sComment"], "箱の中");
    EXPECT_EQ(j["G_sPassword"], "abc123");
    EXPECT_EQ(j["G_iCells_X"], 4);
    EXPECT_EQ(j["G_iCells_Y"], 3);
    EXPECT_EQ(j["G_iCells_Z"], 2);
    EXPECT_EQ(j["G_iCell_Total"], 24);
    EXPECT_EQ(j["G_iCell_Filled"], 11);
    EXPECT_EQ(j["GE_lRotate"], 87654321);

    ASSERT_EQ(j["G_iPiece"].size(), 512u);
    EXPECT_EQ(j["G_iPiece"][2 + 8 * (1 + 4 * (0 + 4 * 3))], 1);
    EXPECT_EQ(j["G_iPiece"].dump().find('1'), j["G_iPiece"].dump().rfind('1'));  // the only set cell
    ASSERT_EQ(j["G_iPiece_Made"].size(), 512u);
    EXPECT_EQ(j["G_iPiece_Made"][511], 1);
    ASSERT_EQ(j["G_iBox"].size(), 64u);
    EXPECT_EQ(j["G_iBox"][1 + 4 * (2 + 4 * 3)], 1);
    ASSERT_EQ(j["G_iBox_No"].size(), 64u);
    EXPECT_EQ(j["G_iBox_No"][3 + 4 * (0 + 4 * 1)], 6);
    ASSERT_EQ(j["G_lBox_Color"].size(), 192u);
    EXPECT_EQ(j["G_lBox_Color"][0 + 4 * (1 + 4 * (0 + 4 * 2))], 0x800080);
    EXPECT_EQ(j["G_iLoaded"], nlohmann::json({0, 0, 0, 0, 0, 1, 0, 0}));
    EXPECT_EQ(j["GE_iRotation"], nlohmann::json({7, 6, 5, 4, 3, 2, 1, 0}));
    ASSERT_EQ(j["G_Info_Piece"].size(), 8u);
    EXPECT_EQ(j["G_Info_Piece"][4], nlohmann::json({7, 5, 3}));  // iNo, iFace_ct, iTurn_CtZ
    EXPECT_EQ(j["G_Info_Piece"][0], nlohmann::json({0, 0, 0}));
}
