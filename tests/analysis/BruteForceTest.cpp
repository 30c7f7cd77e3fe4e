// Every count, the first packing, one completion and the walk over distinct
// packings, checked against the brute force on small boxes.
#include "BruteForce.h"
#include "AnalysisTestUtil.h"
#include "analysis/PackingAnalysis.h"

#include <gtest/gtest.h>

#include <string>

using namespace tessaro;
using namespace tessaro::analysis;
using namespace tessaro::test;

namespace {

void expectAgrees(const Puzzle& p, bool fromBox, const std::string& name) {
    SCOPED_TRACE(name);
    const BruteCounts want = bruteForce(p, fromBox);
    const PackingAnalysis a(p, fromBox);
    ASSERT_TRUE(a.problems().empty()) << a.problems().front().message;
    CountOptions one;
    one.threads = 1;
    const CountResult got = a.count(one);
    EXPECT_TRUE(got.complete);
    EXPECT_EQ(got.solutions, want.solutions);
    EXPECT_EQ(got.distinct, want.distinct);
    EXPECT_EQ(got.distinctUnlabelled, want.distinctUnlabelled);
    EXPECT_EQ(got.distinctMirror, want.distinctMirror);
    EXPECT_EQ(got.symmetry, want.symmetry);
    EXPECT_EQ(got.unique, want.distinctUnlabelled == 1);
    EXPECT_EQ(got.first.has_value(), want.solutions > 0);
    if (got.first) {
        EXPECT_TRUE(want.packings.count(*got.first)) << "the first packing is not a packing";
    }
    const auto one_ = a.findOne();
    EXPECT_EQ(one_.has_value(), want.solutions > 0);
    if (one_) {
        EXPECT_TRUE(want.packings.count(*one_));
    }

    // The walk shows each class once, and only packings.
    DistinctPackings walk(a);
    std::set<Pack> classes;
    for (size_t i = 0; const auto pk = walk.at(i); ++i) {
        ASSERT_TRUE(want.packings.count(*pk));
        Pack best;
        best.fill(~uint64_t(0));
        for (const auto& map : want.syms) {
            Pack t;
            for (int b = 0; b < kBlocks; ++b) t[b] = mapCells(map, (*pk)[b]);
            best = std::min(best, sortedByClass(t, want.shapeClass));
        }
        classes.insert(best);
        EXPECT_EQ(walk.at(i), pk);  // a packing already seen comes back unchanged
    }
    EXPECT_TRUE(walk.finished());
    EXPECT_EQ(walk.found(), want.distinctUnlabelled);
    EXPECT_EQ(classes.size(), want.distinctUnlabelled) << "a class was shown twice";
}

}  // namespace

TEST(AnalysisBruteForce, HandMadeBoxes) {
    const CellList domino = {{0, 0, 0}, {1, 0, 0}};
    const CellList slab = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
    const CellList ell = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    const CellList apart = {{0, 0, 0}, {1, 1, 1}};  // two cells meeting only at a corner
    const CellList bar3 = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}};
    const CellList one = {{0, 0, 0}};
    // Identical blocks throughout; two slabs in a 2x2x2 box pack symmetric to themselves.
    expectAgrees(makePuzzle(2, 2, 2, {domino, domino, domino, domino}), false, "four dominoes");
    expectAgrees(makePuzzle(2, 2, 2, {slab, slab}), false, "two slabs");
    expectAgrees(makePuzzle(2, 2, 2, {ell, ell, domino}), false, "two Ls and a domino");
    expectAgrees(makePuzzle(2, 2, 2, {ell, apart, one}), false, "empty cells and a split block");
    expectAgrees(makePuzzle(3, 2, 2, {bar3, bar3, ell, domino, one}), false, "3x2x2, identical blocks, empty cells");
    expectAgrees(makePuzzle(3, 2, 2, {bar3, slab, apart}), false, "3x2x2, three empty cells");
    expectAgrees(makePuzzle(3, 3, 1, {bar3, ell, ell}), false, "a flat box, one empty cell");
    // Blocks each of its own shape, whose packings the rotations fix (or nearly):
    // the rotations are sorted out by where the fewest-placed block can lie.
    const CellList plus = {{1, 0, 0}, {0, 1, 0}, {1, 1, 0}, {2, 1, 0}, {1, 2, 0}};
    expectAgrees(makePuzzle(3, 3, 1, {plus, one, one, one, one}), false, "a plus fixed by every rotation of a flat box");
    expectAgrees(makePuzzle(2, 2, 2, {slab, ell, one}), false, "a slab, an L and a cell");
    expectAgrees(makePuzzle(3, 2, 2, {slab, slab, bar3, one}), false, "3x2x2, a bar along the axis");
    // A block and its mirror image, alone and with its partner missing.
    const CellList screw = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {1, 1, 1}};
    const CellList screwMirror = {{1, 0, 0}, {0, 0, 0}, {0, 1, 0}, {0, 1, 1}};
    expectAgrees(makePuzzle(2, 2, 2, {screw, screwMirror}), false, "two mirror-image screws");
    expectAgrees(makePuzzle(3, 2, 2, {screw, screwMirror, ell, one}), false, "mirror-image screws, empty cells");
    expectAgrees(makePuzzle(3, 2, 2, {screw, screw, screwMirror}), false, "one mirror image short");
}

TEST(AnalysisBruteForce, CutBoxesFullAndWithABlockMissing) {
    for (int blocks = 3; blocks <= 6; ++blocks)
        for (uint64_t seed = 1; seed <= 2; ++seed) {
            Puzzle p = cutPuzzle(blocks % 2 == 0 ? 3 : 2, 2, seed % 2 == 0 ? 3 : 2, blocks, seed);
            const std::string name = std::to_string(blocks) + " blocks, seed " + std::to_string(seed);
            expectAgrees(p, false, name);
            removeBlock(p, int(seed % uint64_t(blocks)));
            expectAgrees(p, false, name + ", one removed");
        }
}

TEST(AnalysisBruteForce, FromTheBox) {
    const CellList ell = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    const CellList domino = {{0, 0, 0}, {1, 0, 0}};
    const CellList bar3 = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}};
    // A block in a corner leaves fewer box rotations; one in the middle of a face keeps two.
    Puzzle corner = makePuzzle(2, 2, 2, {ell, ell, domino});
    keepInBox(corner, 0, 0x13);  // (0,0,0) (1,0,0) (0,1,0)
    expectAgrees(corner, true, "an L kept in a corner");
    Puzzle middle = makePuzzle(3, 2, 2, {bar3, bar3, ell, ell});
    keepInBox(middle, 0, 0x7);  // the bar along x at y = 0, z = 0
    expectAgrees(middle, true, "a bar kept along an edge");
    Puzzle two = makePuzzle(3, 2, 2, {bar3, bar3, ell, ell});
    keepInBox(two, 0, 0x7);
    keepInBox(two, 2, 0x30 | 0x100000);  // (0,1,0) (1,1,0) (0,1,1)
    expectAgrees(two, true, "two kept blocks");
}

TEST(AnalysisBruteForce, Sample) {
    expectAgrees(buildSamplePuzzle(), false, "the sample");
}
