#include "editor/BodyMaker.h"
#include "editor/CellCount.h"
#include "editor/MakerReview.h"
#include "editor/PieceMaker.h"
#include "model/Figure.h"

#include "RecordedWarnings.h"

#include <gtest/gtest.h>

namespace tessaro {
namespace {

using test::RecordedWarnings;

int32_t shade(const Puzzle& p, int x, int y, int z, int s) { return p.G_lBox_Color[colorIndex(x, y, z, s)]; }
int16_t box(const Puzzle& p, int x, int y, int z) { return p.G_iBox[cellIndex(x, y, z)]; }
int16_t made(const Puzzle& p, int b, int x, int y, int z) { return p.G_iPiece_Made[pieceIndex(b, x, y, z)]; }

Puzzle bodyOf(int16_t x, int16_t y, int16_t z) {
    Puzzle p;
    p.G_iPiece.fill(1);  // whatever was in play before
    p.G_iPiece_Made.fill(1);
    p.G_iBox.fill(1);
    p.G_lBox_Color.fill(0x123456);
    applyCellCounts(p, x, y, z);
    bodyMakerStart(p);
    return p;
}

TEST(CellCount, TypedTextIsRoundedToEvenAndClamped) {
    EXPECT_EQ(cellCountFromText("5"), 4);
    EXPECT_EQ(cellCountFromText("1"), 2);
    EXPECT_EQ(cellCountFromText("abc"), 2);
    EXPECT_EQ(cellCountFromText("3.5"), 4);
    EXPECT_EQ(cellCountFromText("2.5"), 2);
    EXPECT_EQ(cellCountFromText("3.49"), 3);
    EXPECT_EQ(cellCountFromText(""), 2);
    EXPECT_EQ(cellCountFromText("   "), 2);
    EXPECT_EQ(cellCountFromText("99999"), 4);
    EXPECT_EQ(cellCountFromText("99999999999999999999999999999"), 4);
    EXPECT_EQ(cellCountFromText("1e400"), 4);
    EXPECT_EQ(cellCountFromText("-1e400"), 2);
    EXPECT_EQ(cellCountFromText("-3"), 2);
    EXPECT_EQ(cellCountFromText(" +3 "), 3);
    EXPECT_EQ(cellCountFromText(".35e1"), 4);
    EXPECT_EQ(cellCountFromText("4."), 4);
    // Not numbers: half a number, two numbers, trailing letters.
    EXPECT_EQ(cellCountFromText("3e"), 2);
    EXPECT_EQ(cellCountFromText("-"), 2);
    EXPECT_EQ(cellCountFromText("."), 2);
    EXPECT_EQ(cellCountFromText("3 3"), 2);
    EXPECT_EQ(cellCountFromText("4x"), 2);
    EXPECT_EQ(cellCountFromText("3,5"), 2);
    // What a Japanese input method types.
    EXPECT_EQ(cellCountFromText("３"), 3);
    EXPECT_EQ(cellCountFromText("　４　"), 4);
    EXPECT_EQ(cellCountFromText("２．５"), 2);
    EXPECT_EQ(cellCountFromText("三"), 2);
    EXPECT_EQ(cellCountFromText("\xff\xfe"), 2);  // not UTF-8 at all

    Puzzle p;
    applyCellCounts(p, 2, 3, 4);
    EXPECT_EQ(p.G_iCells_X, 2);
    EXPECT_EQ(p.G_iCells_Z, 4);
    EXPECT_EQ(p.G_iMax_X, 1);
    EXPECT_EQ(p.G_iMax_Y, 2);
    EXPECT_EQ(p.G_iMax_Z, 3);
}

TEST(BodyMaker, StartLaysOutFreeCellsOfTheBoxSizeOnly) {
    const Puzzle p = bodyOf(2, 2, 2);
    EXPECT_EQ(fncPiece_CountAll(p), 0);
    for (int16_t v : p.G_iPiece_Made) ASSERT_EQ(v, 0);
    int free = 0;
    for (int z = 0; z < 4; ++z)
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) {
                const bool inside = x <= 1 && y <= 1 && z <= 1;
                EXPECT_EQ(box(p, x, y, z), inside ? 1 : 0);
                EXPECT_EQ(shade(p, x, y, z, 0), inside ? 0xE7E7E7 : 0);
                EXPECT_EQ(shade(p, x, y, z, 1), inside ? 0xF3F3F3 : 0);
                EXPECT_EQ(shade(p, x, y, z, 2), inside ? 0xE0E0E0 : 0);
                free += inside;
            }
    EXPECT_EQ(free, 8);
    EXPECT_EQ(bodyMakerCellsLeft(p), 8);
    EXPECT_EQ(bodyMakerCellsLeft(bodyOf(4, 3, 2)), 24);
}

TEST(BodyMaker, MarkingTogglesFreeCellsOnlyWithTheBlockColours) {
    Puzzle p = bodyOf(2, 2, 2);
    EXPECT_TRUE(bodyMakerToggle(p, {1, 0, 1}, 2));
    EXPECT_EQ(box(p, 1, 0, 1), 2);
    for (int s = 0; s < 3; ++s) EXPECT_EQ(shade(p, 1, 0, 1, s), pieceColor(3, s));
    EXPECT_TRUE(bodyMakerToggle(p, {1, 0, 1}, 2));
    EXPECT_EQ(box(p, 1, 0, 1), 1);
    EXPECT_EQ(shade(p, 1, 0, 1, 0), 0xE7E7E7);
    EXPECT_EQ(shade(p, 1, 0, 1, 2), 0xE0E0E0);
    const Puzzle before = p;
    EXPECT_FALSE(bodyMakerToggle(p, {2, 0, 0}, 0));   // outside the 2x2x2 body
    EXPECT_FALSE(bodyMakerToggle(p, {0, 0, 0}, 8));   // no such block
    EXPECT_FALSE(bodyMakerToggle(p, {0, 0, 4}, 0));   // no such cell
    EXPECT_EQ(p, before);
}

TEST(BodyMaker, SetTwiceGivesTheUnionAndCancelMarksEveryCellAgain) {
    Puzzle p = bodyOf(2, 2, 2);
    bodyMakerToggle(p, {0, 0, 0}, 0);
    bodyMakerToggle(p, {1, 0, 0}, 0);
    EXPECT_EQ(bodyMakerSet(p, 0), 2);
    EXPECT_EQ(box(p, 0, 0, 0), 0);
    EXPECT_EQ(shade(p, 0, 0, 0, 0), pieceColor(1, 0));  // given cells keep their colours
    bodyMakerToggle(p, {0, 1, 0}, 0);
    bodyMakerToggle(p, {0, 0, 0}, 0);  // already given: no reaction
    EXPECT_EQ(bodyMakerSet(p, 0), 1);
    EXPECT_EQ(fncPiece_Count(p, 0), 3);
    EXPECT_EQ(made(p, 0, 0, 0, 0) + made(p, 0, 1, 0, 0) + made(p, 0, 0, 1, 0), 3);
    EXPECT_EQ(p.G_iPiece, p.G_iPiece_Made);

    const Puzzle beforeEmptySet = p;
    EXPECT_EQ(bodyMakerSet(p, 0), 0);
    EXPECT_EQ(p, beforeEmptySet);

    // Another block takes a cell; Cancel of block 1 must leave it alone.
    bodyMakerToggle(p, {1, 1, 1}, 4);
    EXPECT_EQ(bodyMakerSet(p, 4), 1);

    EXPECT_EQ(bodyMakerCancel(p, 0), 3);
    EXPECT_EQ(fncPiece_Count(p, 0), 0);
    EXPECT_EQ(made(p, 0, 0, 0, 0), 0);
    EXPECT_EQ(box(p, 0, 0, 0), 2);
    EXPECT_EQ(box(p, 1, 0, 0), 2);
    EXPECT_EQ(box(p, 0, 1, 0), 2);
    EXPECT_EQ(box(p, 1, 1, 1), 0);
    EXPECT_EQ(fncPiece_Count(p, 4), 1);
    EXPECT_EQ(shade(p, 0, 1, 0, 1), pieceColor(1, 1));
    EXPECT_EQ(bodyMakerCellsLeft(p), 7);

    // The re-marked cells can be changed and set anew.
    bodyMakerToggle(p, {1, 0, 0}, 0);
    EXPECT_EQ(bodyMakerSet(p, 0), 2);
    EXPECT_EQ(fncPiece_Count(p, 0), 2);
    EXPECT_EQ(box(p, 1, 0, 0), 1);
}

TEST(BodyMaker, ShuffledBlocksStillSetAndCancelAtTheirBodyPlaces) {
    Puzzle p = bodyOf(3, 3, 3);
    bodyMakerToggle(p, {0, 0, 0}, 0);
    bodyMakerToggle(p, {1, 0, 0}, 0);
    bodyMakerSet(p, 0);
    bodyMakerToggle(p, {2, 2, 2}, 1);
    bodyMakerSet(p, 1);
    // Shuffle may turn the blocks while the maker runs.
    subPiece_TurnZ(p, 0);
    subPiece_TurnX(p, 0);
    ASSERT_NE(p.G_iPiece, p.G_iPiece_Made);

    bodyMakerToggle(p, {0, 1, 0}, 0);
    EXPECT_EQ(bodyMakerSet(p, 0), 1);
    EXPECT_EQ(fncPiece_Count(p, 0), 3);
    EXPECT_EQ(p.G_iPiece, p.G_iPiece_Made);  // one shape, at its body place

    subPiece_TurnY(p, 0);
    EXPECT_EQ(bodyMakerCancel(p, 0), 3);
    EXPECT_EQ(box(p, 0, 0, 0), 2);
    EXPECT_EQ(box(p, 1, 0, 0), 2);
    EXPECT_EQ(box(p, 0, 1, 0), 2);
    EXPECT_EQ(box(p, 2, 2, 2), 0);  // block 2's cell stays given
    EXPECT_EQ(fncPiece_Count(p, 0), 0);
    EXPECT_EQ(fncPiece_Count(p, 1), 1);
    int marked = 0;
    for (int16_t v : p.G_iBox) marked += v == 2;
    EXPECT_EQ(marked, 3);
}

TEST(CellCheck, ShowsTheCountAndWarnsOnlyAboveTheLimit) {
    RecordedWarnings dlg;
    const MakerWarning warn = dlg.callback();
    std::vector<std::string> labels;
    auto label = [&](const std::string& s) { labels.push_back(s); };
    PieceCubes cubes{};
    for (int i = 0; i < 27; ++i) cubes[i * 3 % 512] = 1;
    EXPECT_EQ(fncCell_Check(cubes, 27, warn, label), 0);
    EXPECT_EQ(labels, std::vector<std::string>{"27 : 27"});
    EXPECT_TRUE(dlg.messages.empty());

    labels.clear();
    cubes[511] = 1;
    EXPECT_EQ(fncCell_Check(cubes, 27, warn, label), -1);
    EXPECT_EQ(labels, (std::vector<std::string>{"28 : 27", "27 : 27"}));
    ASSERT_EQ(dlg.messages.size(), 1u);
    EXPECT_EQ(dlg.messages[0].title, "作りすぎっ・・・");
    EXPECT_EQ(dlg.messages[0].text, "セル数を超過しました。");
}

TEST(PieceMaker, DrawsInsideTheBoxUpToTheLimit) {
    RecordedWarnings dlg;
    const MakerWarning warn = dlg.callback();
    std::string label;
    auto setLabel = [&](const std::string& s) { label = s; };
    Puzzle p;
    applyCellCounts(p, 2, 2, 2);
    const int16_t limit = pieceMakerLimit(p);
    EXPECT_EQ(limit, 8);
    EXPECT_EQ(pieceMakerStartCount(limit), " 0 : 8");

    // Eight cells over two blocks.
    for (int i = 0; i < 8; ++i)
        EXPECT_TRUE(pieceMakerClick(p, {i & 1, (i >> 1) & 1, (i >> 2) & 1}, 1, i < 5 ? 0 : 3, limit, warn, setLabel));
    EXPECT_EQ(label, "8 : 8");
    EXPECT_TRUE(dlg.messages.empty());
    // The ninth is refused and taken back.
    EXPECT_TRUE(pieceMakerClick(p, {0, 0, 0}, 1, 5, limit, warn, setLabel));
    EXPECT_EQ(label, "8 : 8");
    ASSERT_EQ(dlg.messages.size(), 1u);
    EXPECT_EQ(dlg.messages[0].text, "セル数を超過しました。");
    EXPECT_EQ(fncPiece_Count(p, 5), 0);
    EXPECT_EQ(made(p, 5, 0, 0, 0), 0);
    EXPECT_EQ(fncPiece_CountAll(p), 8);

    // A left click on a drawn cell removes it from both cubes; a right click only recounts.
    EXPECT_TRUE(pieceMakerClick(p, {1, 0, 0}, 1, 0, limit, warn, setLabel));
    EXPECT_EQ(label, "7 : 8");
    EXPECT_EQ(made(p, 0, 1, 0, 0), 0);
    const Puzzle before = p;
    label.clear();
    EXPECT_TRUE(pieceMakerClick(p, {0, 0, 0}, 2, 0, limit, warn, setLabel));
    EXPECT_EQ(label, "7 : 8");
    EXPECT_EQ(p, before);
    // Outside the box size nothing happens at all.
    label.clear();
    EXPECT_FALSE(pieceMakerClick(p, {2, 0, 0}, 1, 0, limit, warn, setLabel));
    EXPECT_FALSE(pieceMakerClick(p, {0, 0, 3}, 2, 0, limit, warn, setLabel));
    EXPECT_EQ(label, "");
    EXPECT_EQ(p, before);
    EXPECT_EQ(dlg.messages.size(), 1u);
}

TEST(PieceMaker, ABlockMovedWhileDrawnKeepsOneShapeAsMade) {
    RecordedWarnings dlg;
    const MakerWarning warn = dlg.callback();
    auto setLabel = [](const std::string&) {};
    Puzzle p;
    applyCellCounts(p, 4, 4, 4);
    pieceMakerClick(p, {0, 0, 0}, 1, 2, 64, warn, setLabel);
    pieceMakerClick(p, {1, 0, 0}, 1, 2, 64, warn, setLabel);
    fncPiece_XInc(p, 2);  // now at x = 1, 2
    fncPiece_YInc(p, 2);  // and y = 1
    pieceMakerClick(p, {3, 1, 0}, 1, 2, 64, warn, setLabel);  // a bar of three
    EXPECT_EQ(p.G_iPiece, p.G_iPiece_Made);
    EXPECT_EQ(fncPiece_Count(p, 2), 3);
    EXPECT_TRUE(pieceIsJoined(p.G_iPiece_Made, 2));
    // Reset then brings back the bar, not a mix of old and new places.
    subPiece_ResetAll(p);
    EXPECT_EQ(p.G_iPiece[pieceIndex(2, 3, 1, 0)], 1);
    EXPECT_EQ(p.G_iPiece[pieceIndex(2, 0, 0, 0)], 0);
    // A turned block is made as it now stands; other blocks keep their made cubes.
    pieceMakerClick(p, {0, 0, 0}, 1, 5, 64, warn, setLabel);
    subPiece_TurnZ(p, 5);
    const PieceCubes before = p.G_iPiece_Made;
    pieceMakerClick(p, {0, 0, 0}, 2, 2, 64, warn, setLabel);  // a right click copies nothing
    EXPECT_EQ(p.G_iPiece_Made, before);
    pieceMakerClick(p, {3, 1, 0}, 1, 5, 64, warn, setLabel);
    EXPECT_EQ(p.G_iPiece_Made[pieceIndex(5, 3, 0, 0)], 1);
    EXPECT_EQ(p.G_iPiece_Made[pieceIndex(5, 3, 1, 0)], 1);
    EXPECT_EQ(p.G_iPiece_Made[pieceIndex(5, 0, 0, 0)], 0);
    EXPECT_EQ(fncPiece_Count(p, 2), 3);
}

TEST(PieceMaker, AClickOverTheLimitNeverErasesADrawnCell) {
    // Blocks kept from a 3x3x3 puzzle, then a 2x2x2 box: already over the limit.
    RecordedWarnings dlg;
    const MakerWarning warn = dlg.callback();
    std::string label;
    auto setLabel = [&](const std::string& s) { label = s; };
    Puzzle p;
    for (int z = 0; z < 3; ++z)
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 3; ++x) p.G_iPiece[pieceIndex(0, x, y, z)] = p.G_iPiece_Made[pieceIndex(0, x, y, z)] = 1;
    applyCellCounts(p, 2, 2, 2);
    EXPECT_TRUE(pieceMakerClick(p, {0, 0, 0}, 2, 0, 8, warn, setLabel));
    EXPECT_EQ(fncPiece_Count(p, 0), 27);
    EXPECT_EQ(label, "8 : 8");
    // Removing cells is still possible.
    EXPECT_TRUE(pieceMakerClick(p, {1, 1, 1}, 1, 0, 8, warn, setLabel));
    EXPECT_EQ(fncPiece_Count(p, 0), 26);
    EXPECT_EQ(made(p, 0, 1, 1, 1), 0);
    EXPECT_EQ(dlg.messages.size(), 2u);
}

TEST(MakerReview, PointsOutLooseBlocksAndUnusedCells) {
    Puzzle p;
    EXPECT_EQ(makerReviewText(p, 8), "＜注意＞ブロックが、一つも作成されていません。");

    subSample_Set(p);
    // Block 5's cells are two apart, block 6's touch along an edge only.
    EXPECT_EQ(disconnectedBlocks(p.G_iPiece), (std::vector<int>{4, 5}));
    EXPECT_FALSE(pieceIsJoined(p.G_iPiece, 5));
    EXPECT_TRUE(pieceIsJoined(p.G_iPiece, 0));
    EXPECT_TRUE(pieceIsJoined(p.G_iPiece, 7));  // empty
    EXPECT_EQ(makerReviewText(p, 0),
              "＜注意＞セルが面でつながっていないブロックがあります。（ブロック 5, 6）");
    EXPECT_EQ(makerReviewText(p, 3),
              "＜注意＞セルが面でつながっていないブロックがあります。（ブロック 5, 6）\r\n"
              "＜注意＞どのブロックにも使われていないセルが、3 個あります。");

    // Joining them leaves nothing to say. A turned block is judged by its shape.
    p.G_iPiece[pieceIndex(4, 0, 0, 1)] = 1;
    p.G_iPiece[pieceIndex(4, 0, 0, 0)] = 1;
    p.G_iPiece[pieceIndex(4, 1, 0, 0)] = 1;
    p.G_iPiece[pieceIndex(5, 0, 1, 0)] = 1;
    subPiece_TurnX(p, 5);
    EXPECT_EQ(makerReviewText(p, 0), "");
}

}  // namespace
}  // namespace tessaro
