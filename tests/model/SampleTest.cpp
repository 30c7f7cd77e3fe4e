#include "model/Figure.h"
#include "ModelTestUtil.h"

#include <gtest/gtest.h>


using namespace tessaro;
using namespace tessaro::testutil;

TEST(Sample, BuiltState) {
    const Puzzle p = buildSamplePuzzle();
    EXPECT_EQ(fncPiece_CountAll(p), 27);
    EXPECT_EQ(fncPiece_CountUsed(p), 7);
    EXPECT_EQ(fncPiece_Count(p, 7), 0);
    const int counts[8] = {5, 5, 5, 4, 2, 2, 4, 0};
    for (int b = 0; b < kBlocks; ++b) EXPECT_EQ(fncPiece_Count(p, b), counts[b]) << "block " << b;
    EXPECT_EQ(cellsOf(p, 0), (std::set<Cell>{{0, 0, 0}, {0, 1, 0}, {0, 1, 1}, {0, 1, 2}, {1, 1, 0}}));
    EXPECT_EQ(cellsOf(p, 4), (std::set<Cell>{{0, 0, 2}, {1, 1, 0}}));
    EXPECT_EQ(cellsOf(p, 6), (std::set<Cell>{{0, 1, 0}, {1, 0, 0}, {1, 1, 0}, {1, 2, 0}}));

    EXPECT_EQ(p.G_iCells_X, 3);
    EXPECT_EQ(p.G_iCells_Y, 3);
    EXPECT_EQ(p.G_iCells_Z, 3);
    EXPECT_EQ(p.G_iMax_X, 2);
    EXPECT_EQ(p.G_iMax_Y, 2);
    EXPECT_EQ(p.G_iMax_Z, 2);
    EXPECT_EQ(p.G_iCell_Total, 27);
    EXPECT_EQ(p.G_iCell_Filled, 0);
    EXPECT_EQ(p.G_iPiece_Made, p.G_iPiece);
    EXPECT_EQ(p.GE_lRotate, 12345678);
    EXPECT_EQ(p.GE_iRotation, (std::array<int16_t, 8>{0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(fncBox_Count(p.G_iBox), 0);
    EXPECT_EQ(p.G_iLoaded, (std::array<int16_t, 8>{}));
    EXPECT_TRUE(p.G_sComment.empty() && p.G_sPassword.empty() && p.G_sFile_Version.empty());

    // Every sample block stands in the origin corner of its cube.
    Puzzle q = p;
    for (int b = 0; b < 7; ++b) {
        EXPECT_NE(fncPiece_XDec(q, b), 0);
        EXPECT_NE(fncPiece_YDec(q, b), 0);
        EXPECT_NE(fncPiece_ZDec(q, b), 0);
    }
}

TEST(Sample, TurnedBlocksComeBackWithFaceZeroAndReset) {
    Puzzle p = buildSamplePuzzle();
    subPiece_TurnX(p, 4);
    subPiece_TurnZ(p, 5);
    subPiece_SetFace(p, 4, 0);
    EXPECT_EQ(cellsOf(p, 4), cellsOf(buildSamplePuzzle(), 4));
    EXPECT_NE(cellsOf(p, 5), cellsOf(buildSamplePuzzle(), 5));
    subPiece_TurnY(p, 2);
    subPiece_ResetAll(p);
    EXPECT_EQ(p.G_iPiece, buildSamplePuzzle().G_iPiece);
}

namespace {

// Packs the box by filling the first empty cell (in grid order) each time, with any unused block in any
// orientation, using nothing but the model's turns, moves and load operation.
class Packer {
public:
    explicit Packer(Puzzle& p) : p_(p) {}
    int loads = 0;

    bool solve() {
        const int target = firstEmptyCell();
        if (target < 0) return true;
        // The loose two-cell blocks first: they fill awkward holes late otherwise, and the search grows twentyfold.
        for (int b : {4, 5, 0, 1, 2, 3, 6, 7}) {
            if (p_.G_iLoaded[b] != 0 || fncPiece_Count(p_, b) == 0) continue;
            for (int face = 0; face < 6; ++face)
                for (int turns = 0; turns < 4; ++turns) {
                    if (!placeCovering(b, face, turns, target)) continue;
                    ++loads;
                    const LoadResult r = loadPiece(p_, b, true);
                    if (r.outcome != LoadOutcome::Loaded) continue;
                    // A closed empty cell is a dead end for every block but the loose ones; skipping it is
                    // only a heuristic, the packing found is checked on its own below.
                    if (r.complete || (!r.deadCell && solve())) return true;
                    // The model part of Cancel.
                    p_.G_iLoaded[b] = 0;
                    subBox_UnloadPiece(p_, b);
                }
        }
        return false;
    }

private:
    Puzzle& p_;

    int firstEmptyCell() const {
        for (int z = 0; z < p_.G_iCells_Z; ++z)
            for (int y = 0; y < p_.G_iCells_Y; ++y)
                for (int x = 0; x < p_.G_iCells_X; ++x)
                    if (p_.G_iBox[cellIndex(x, y, z)] == 0) return cellIndex(x, y, z);
        return -1;
    }

    // Orients block b and moves it so that its first cell in grid order lands on the target cell.
    bool placeCovering(int b, int face, int turns, int target) {
        subPiece_SetFace(p_, b, face);
        for (int i = 0; i < turns; ++i) subPiece_TurnZ(p_, b);
        subPiece_MoveOrigin(p_, b);
        int first = 0;
        while (p_.G_iPiece[b + kBlocks * first] == 0) ++first;
        const int dx = target % 4 - first % 4, dy = target / 4 % 4 - first / 4 % 4, dz = target / 16 - first / 16;
        if (dx < 0 || dy < 0 || dz < 0) return false;
        for (int i = 0; i < dx; ++i)
            if (fncPiece_XInc(p_, b) != 0) return false;
        for (int i = 0; i < dy; ++i)
            if (fncPiece_YInc(p_, b) != 0) return false;
        for (int i = 0; i < dz; ++i)
            if (fncPiece_ZInc(p_, b) != 0) return false;
        return true;
    }
};

}  // namespace

TEST(Sample, CanBePackedWithTheModelsOwnOperations) {
    Puzzle p = buildSamplePuzzle();
    Packer packer(p);
    ASSERT_TRUE(packer.solve());
    RecordProperty("loads", packer.loads);
    EXPECT_EQ(fncBox_Count(p.G_iBox), 27);
    EXPECT_EQ(filledBoxCells(p).size(), 27u);
    for (int b = 0; b < 7; ++b) EXPECT_EQ(p.G_iLoaded[b], 1) << "block " << b;
    // Each box cell carries the number and base colour of a block whose cube covers it.
    for (int z = 0; z < 3; ++z)
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 3; ++x) {
                const int c = cellIndex(x, y, z);
                const int n = p.G_iBox_No[c];
                ASSERT_TRUE(n >= 1 && n <= 7);
                EXPECT_EQ(p.piece(n - 1, x, y, z), 1);
                EXPECT_EQ(p.G_lBox_Color[c], pieceColor(n, 0));
            }
    EXPECT_EQ(fncChkDedSpace(p), 0);
}
