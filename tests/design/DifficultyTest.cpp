// The difficulty's node count against a separate plain search written from its
// definition alone, on boxes small enough to check by hand.
#include "AnalysisTestUtil.h"
#include "BruteForce.h"
#include "analysis/PackingAnalysis.h"
#include "design/Difficulty.h"

#include <gtest/gtest.h>

#include <map>

using namespace tessaro;
using namespace tessaro::test;

namespace {

struct Plain {
    uint64_t nodes = 0, leaves = 0;
};

// Blocks of one shape (same turned cubes) share a count; every state is a node.
void plainSearch(uint64_t open, int empties, std::map<std::set<uint64_t>, int>& left,
                 const std::map<std::set<uint64_t>, std::vector<uint64_t>>& places, Plain& out) {
    ++out.nodes;
    if (open == 0) {
        ++out.leaves;
        return;
    }
    int bestCell = -1, best = 1 << 30;
    for (int c = 0; c < 64; ++c) {
        if (!(open >> c & 1)) continue;
        int n = empties > 0 ? 1 : 0;
        for (const auto& [shape, list] : places)
            if (left[shape] > 0)
                for (uint64_t m : list) n += (m >> c & 1) && (m & ~open) == 0 ? 1 : 0;
        if (n < best) best = n, bestCell = c;
    }
    for (const auto& [shape, list] : places) {
        if (left[shape] == 0) continue;
        for (uint64_t m : list) {
            if (!(m >> bestCell & 1) || (m & ~open) != 0) continue;
            --left[shape];
            plainSearch(open & ~m, empties, left, places, out);
            ++left[shape];
        }
    }
    if (empties > 0) plainSearch(open & ~(uint64_t(1) << bestCell), empties - 1, left, places, out);
}

Plain plainCount(const Puzzle& p) {
    std::map<std::set<uint64_t>, int> left;
    std::map<std::set<uint64_t>, std::vector<uint64_t>> places;
    int cells = 0;
    for (int b = 0; b < kBlocks; ++b) {
        if (cubeOf(p, b) == 0) continue;
        cells += std::popcount(cubeOf(p, b));
        const std::set<uint64_t> shape = turnedCubes(p, b);
        if (left[shape]++ > 0) continue;
        for (uint64_t o : shape)
            for (int z = 0; z < p.G_iCells_Z; ++z)
                for (int y = 0; y < p.G_iCells_Y; ++y)
                    for (int x = 0; x < p.G_iCells_X; ++x) {
                        bool fits = true;
                        for (uint64_t m = o; m != 0; m &= m - 1) {
                            const int c = std::countr_zero(m);
                            fits = fits && (c & 3) + x < p.G_iCells_X && ((c >> 2) & 3) + y < p.G_iCells_Y &&
                                   (c >> 4) + z < p.G_iCells_Z;
                        }
                        if (fits) places[shape].push_back(o << (x + 4 * y + 16 * z));
                    }
    }
    const uint64_t box = analysis::boxCells({p.G_iCells_X, p.G_iCells_Y, p.G_iCells_Z});
    Plain out;
    plainSearch(box, std::popcount(box) - cells, left, places, out);
    return out;
}

}  // namespace

TEST(Difficulty, NodesMatchAPlainSearchWrittenFromTheDefinition) {
    const CellList domino = {{0, 0, 0}, {1, 0, 0}};
    const CellList ell = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    const CellList bar3 = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}};
    const CellList one = {{0, 0, 0}};
    const CellList tee = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {1, 1, 0}};
    const std::vector<Puzzle> puzzles = {
        makePuzzle(2, 2, 2, {domino, domino, domino, domino}),     // identical blocks only
        makePuzzle(2, 2, 2, {ell, ell, domino}),                   // tight
        makePuzzle(3, 2, 2, {bar3, ell, domino, one}),             // two cells left empty
        makePuzzle(3, 2, 2, {tee, ell, bar3, domino}),             // full, all different
        makePuzzle(3, 3, 1, {bar3, ell, ell}),                     // one empty cell
        makePuzzle(2, 2, 2, {tee}),                                // does not fit: one node
    };
    for (size_t i = 0; i < puzzles.size(); ++i) {
        SCOPED_TRACE(i);
        const Plain want = plainCount(puzzles[i]);
        for (int threads : {1, 3}) {
            const design::Difficulty got = design::measureDifficulty(puzzles[i], false, threads);
            EXPECT_TRUE(got.complete);
            EXPECT_EQ(got.searchNodes, want.nodes) << threads << " threads";
            EXPECT_EQ(got.packings, want.leaves);
        }
        // Leaves are the packings with blocks of one shape alike: times their orders, solve's count.
        const BruteCounts brute = bruteForce(puzzles[i], false);
        uint64_t orders = 1;
        std::map<std::set<uint64_t>, int> seen;
        for (int b = 0; b < kBlocks; ++b)
            if (cubeOf(puzzles[i], b) != 0) orders *= uint64_t(++seen[turnedCubes(puzzles[i], b)]);
        EXPECT_EQ(want.leaves * orders, brute.solutions);
    }
}

TEST(Difficulty, RatingSteps) {
    EXPECT_EQ(design::difficultyRating(1), 1);
    EXPECT_EQ(design::difficultyRating(64), 1);
    EXPECT_EQ(design::difficultyRating(65), 2);
    EXPECT_EQ(design::difficultyRating(256), 2);
    EXPECT_EQ(design::difficultyRating(257), 3);
    EXPECT_EQ(design::difficultyRating(1e12), 10);
    EXPECT_DOUBLE_EQ(design::nodesPerPacking(100, 0), 100.0);
    EXPECT_DOUBLE_EQ(design::nodesPerPacking(100, 4), 25.0);
}
