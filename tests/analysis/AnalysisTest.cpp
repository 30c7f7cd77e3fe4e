// Box symmetries, the checks before searching, stopping early and the thread split.
#include "AnalysisTestUtil.h"
#include "analysis/CoverSearch.h"
#include "analysis/PackingAnalysis.h"
#include "analysis/WorkerThreads.h"
#include "model/BlockMasks.h"
#include "solver/RandomCut.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <string>
#include <thread>
#include <vector>

using namespace tessaro;
using namespace tessaro::analysis;
using namespace tessaro::test;

namespace {

const CellList kOne = {{0, 0, 0}};

bool hasProblem(const PackingAnalysis& a, ProblemKind kind, int block) {
    for (const Problem& p : a.problems())
        if (p.kind == kind && p.block == block && !p.message.empty()) return true;
    return false;
}

Puzzle sampleWithout(int b) {
    Puzzle p = buildSamplePuzzle();
    removeBlock(p, b);
    return p;
}

// Cells to spare as in the heavy puzzles, in boxes small enough for a test: a
// cut box with one block dropped, and one with the last cell trimmed off some blocks.
std::vector<Puzzle> heavyLike() {
    CutSpec cut;
    cut.cellsZ = 3;
    cut.blocks = 7;
    cut.seed = 3;
    Puzzle dropped = cutBox(cut);
    removeBlock(dropped, 2);
    cut.cellsZ = 2;
    cut.blocks = 6;
    Puzzle trimmed = cutBox(cut);
    for (int b = 0; b < 3; ++b)
        for (int c = kCells - 1; c >= 0; --c)
            if (trimmed.G_iPiece[b + kBlocks * c] != 0) {
                trimmed.G_iPiece[b + kBlocks * c] = trimmed.G_iPiece_Made[b + kBlocks * c] = 0;
                break;
            }
    trimmed.G_iCell_Total = fncPiece_CountAll(trimmed);
    return {dropped, trimmed};
}

}  // namespace

TEST(Analysis, BoxRotationsForEveryKindOfBox) {
    const struct {
        int x, y, z, rotations;
    } boxes[] = {{4, 4, 4, 24}, {3, 3, 3, 24}, {2, 2, 2, 24}, {4, 4, 2, 8}, {2, 4, 4, 8}, {3, 2, 3, 8},
                 {2, 3, 4, 4},  {4, 3, 2, 4},  {1, 2, 3, 4},  {2, 2, 1, 8}};
    for (const auto& b : boxes) {
        const PackingAnalysis a(makePuzzle(b.x, b.y, b.z, {kOne}));
        EXPECT_EQ(a.symmetry(), b.rotations) << b.x << "x" << b.y << "x" << b.z;
    }
    // A kept cell in a corner leaves the turns about the diagonal through it; one in the centre leaves all.
    Puzzle corner = makePuzzle(3, 3, 3, {kOne, kOne});
    keepInBox(corner, 0, uint64_t(1) << 0);
    EXPECT_EQ(PackingAnalysis(corner, true).symmetry(), 3);
    EXPECT_EQ(PackingAnalysis(corner, false).symmetry(), 24);
    Puzzle centre = makePuzzle(3, 3, 3, {kOne, kOne});
    keepInBox(centre, 0, uint64_t(1) << 21);  // (1, 1, 1)
    EXPECT_EQ(PackingAnalysis(centre, true).symmetry(), 24);
}

TEST(Analysis, ProblemsBeforeSearching) {
    const CellList bar4 = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}};
    const CellList domino = {{0, 0, 0}, {1, 0, 0}};
    const PackingAnalysis tooLong(makePuzzle(3, 3, 3, {domino, bar4}));
    EXPECT_TRUE(hasProblem(tooLong, ProblemKind::FitsNowhere, 2));
    ASSERT_EQ(tooLong.blocks().size(), 2u);
    EXPECT_EQ(tooLong.blocks()[0].orientations, 3);
    EXPECT_EQ(tooLong.blocks()[0].placements, 54);
    EXPECT_EQ(tooLong.blocks()[1].placements, 0);
    const CountResult none = tooLong.count();
    EXPECT_EQ(none.solutions, 0u);
    EXPECT_TRUE(none.complete);
    EXPECT_FALSE(none.first);

    EXPECT_TRUE(hasProblem(PackingAnalysis(makePuzzle(2, 2, 1, {bar4, kOne})), ProblemKind::TooManyCells, 0));
    EXPECT_TRUE(hasProblem(PackingAnalysis(makePuzzle(2, 2, 2, {})), ProblemKind::NoBlocks, 0));
    EXPECT_TRUE(hasProblem(PackingAnalysis(makePuzzle(5, 2, 2, {kOne})), ProblemKind::BadBox, 0));

    // A loaded block whose box cells are not its shape; without --from-box the box does not matter.
    Puzzle bent = makePuzzle(2, 2, 2, {domino, domino});
    keepInBox(bent, 1, 0x1 | 0x10);  // (0,0,0) and (0,1,0) are a domino: fine
    EXPECT_TRUE(PackingAnalysis(bent, true).problems().empty());
    keepInBox(bent, 0, 0x2 | 0x80);  // (1,0,0) and (3,1,0): apart, and outside the box
    EXPECT_TRUE(hasProblem(PackingAnalysis(bent, true), ProblemKind::KeptMismatch, 1));
    EXPECT_TRUE(PackingAnalysis(bent, false).problems().empty());
    // Kept blocks that leave no place for another block.
    const CellList bar3 = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}};
    Puzzle blocked = makePuzzle(3, 2, 1, {kOne, kOne, bar3});
    keepInBox(blocked, 0, 0x2);   // (1, 0, 0)
    keepInBox(blocked, 1, 0x20);  // (1, 1, 0)
    const PackingAnalysis crowded(blocked, true);
    EXPECT_TRUE(hasProblem(crowded, ProblemKind::FitsNowhere, 3));
    EXPECT_TRUE(PackingAnalysis(blocked, false).problems().empty());
    EXPECT_FALSE(crowded.findOne());
}

TEST(Analysis, StopsAtTheLimitOrWhenCancelled) {
    const PackingAnalysis a(buildSamplePuzzle());
    CountOptions opts;
    opts.limit = 5;
    const CountResult r = a.count(opts);
    EXPECT_FALSE(r.complete);
    EXPECT_EQ(r.solutions, 5u);
    EXPECT_GE(r.distinct, 1u);
    EXPECT_LE(r.distinctUnlabelled, r.distinct);
    EXPECT_FALSE(r.unique);
    EXPECT_TRUE(r.first);

    opts.limit = 0;
    EXPECT_EQ(a.count(opts).solutions, 0u);
    EXPECT_FALSE(a.count(opts).complete);

    std::atomic<bool> cancel{true};
    CountOptions cancelled;
    cancelled.cancel = &cancel;
    EXPECT_FALSE(a.count(cancelled).complete);
    EXPECT_FALSE(a.findOne(&cancel));
    DistinctPackings walk(a);
    EXPECT_FALSE(walk.at(0, &cancel));
    cancel = false;
    EXPECT_TRUE(walk.at(3, &cancel));
    EXPECT_EQ(walk.found(), 4u);  // only as far as asked
    EXPECT_FALSE(walk.finished());
}

TEST(Analysis, SameCountsForAnyThreadCountWithAndWithoutShortcuts) {
    CutSpec cut;
    cut.seed = 2;
    std::vector<Puzzle> puzzles = heavyLike();
    puzzles.push_back(sampleWithout(6));
    puzzles.push_back(cutBox(cut));
    puzzles.push_back(buildSamplePuzzle());
    for (size_t k = 0; k < puzzles.size(); ++k) {
        const PackingAnalysis a(puzzles[k]);
        int cells = 0;
        for (const BlockInfo& b : a.blocks()) cells += b.cells;
        // A full box is searched cell by cell however it is split into parts: the same nodes too.
        const bool full = cells == a.box().cells();
        CountResult base;
        for (int threads : {1, 2, 4})
            for (bool shortcuts : {true, false}) {
                CountOptions opts;
                opts.threads = threads;
                opts.shortcuts = shortcuts;
                const CountResult r = a.count(opts);
                if (threads == 1 && shortcuts) {
                    base = r;
                    EXPECT_TRUE(r.complete);
                    EXPECT_GT(r.solutions, 0u) << "puzzle " << k;
                    continue;
                }
                SCOPED_TRACE("puzzle " + std::to_string(k) + ", " + std::to_string(threads) + " threads" +
                             (shortcuts ? "" : ", no shortcuts"));
                EXPECT_EQ(r.solutions, base.solutions);
                EXPECT_EQ(r.distinct, base.distinct);
                EXPECT_EQ(r.distinctUnlabelled, base.distinctUnlabelled);
                EXPECT_EQ(r.distinctMirror, base.distinctMirror);
                EXPECT_EQ(r.first, base.first);
                if (full) {
                    EXPECT_EQ(r.nodes, base.nodes);
                }
            }
    }
}

TEST(Analysis, CompletesAPartialPacking) {
    const PackingAnalysis whole(buildSamplePuzzle());
    const auto packing = whole.findOne();
    ASSERT_TRUE(packing);
    // Blocks 1 and 2 where a packing has them: the completions include that packing.
    Puzzle p = buildSamplePuzzle();
    keepInBox(p, 0, (*packing)[0]);
    keepInBox(p, 1, (*packing)[1]);
    const PackingAnalysis part(p, true);
    const auto hint = part.findOne();
    ASSERT_TRUE(hint);
    EXPECT_EQ((*hint)[0], (*packing)[0]);
    EXPECT_EQ((*hint)[1], (*packing)[1]);
    uint64_t all = 0;
    for (uint64_t m : *hint) {
        EXPECT_EQ(all & m, 0u);
        all |= m;
    }
    EXPECT_EQ(std::popcount(all), 27);
    const CountResult r = part.count();
    EXPECT_TRUE(r.complete);
    EXPECT_GE(r.solutions, 1u);
    EXPECT_LT(r.solutions, whole.count().solutions);
}

// Eight kinds of block, all placed, and the last cell of the grid still open:
// only leaving it empty is left, with no item table to look at past the last kind.
TEST(Analysis, EveryKindPlacedLeavesTheLastCellEmpty) {
    std::array<int, analysis::kMaxTypes> sizes{};
    std::array<bool, analysis::kMaxTypes> connected{};
    std::vector<analysis::Item> items;
    for (int t = 0; t < analysis::kMaxTypes; ++t) {
        sizes[size_t(t)] = 1;
        connected[size_t(t)] = true;
        items.push_back({uint64_t(1) << t, uint8_t(t), 1});
    }
    const analysis::ItemSet set(analysis::kMaxTypes, sizes, connected, items);
    analysis::SearchState state;
    state.filled = ~(uint64_t(1) << 63);
    state.empties = 1;
    analysis::CoverSearch search(set);
    search.start(state);
    EXPECT_EQ(search.run(1000, true), analysis::CoverSearch::Step::Done);
    EXPECT_EQ(search.leaves(), 1u);
}

// The blocks' numbers say nothing of the puzzle: renumbered, it is searched
// alike, to the same packings in the same order at the same cost, whatever
// the options. A fixed block or order of kinds chosen by number fails here.
TEST(Analysis, RenumberedBlocksAreSearchedAlike) {
    CutSpec cut;
    cut.seed = 2;
    std::vector<Puzzle> puzzles = heavyLike();
    puzzles.push_back(sampleWithout(6));
    puzzles.push_back(cutBox(cut));
    // A full box whose fixed block is raced for by probes, and won by one the rule puts last but one.
    cut.seed = 4;
    puzzles.push_back(cutBox(cut));
    const std::array<std::array<int, kBlocks>, 3> orders = {
        {{7, 6, 5, 4, 3, 2, 1, 0}, {1, 0, 3, 2, 5, 4, 7, 6}, {2, 4, 6, 0, 1, 3, 5, 7}}};
    for (size_t k = 0; k < puzzles.size(); ++k)
        for (int threads : {1, 2})
            for (bool shortcuts : {true, false})
                for (bool split : {true, false}) {
                    CountOptions opts;
                    opts.threads = threads;
                    opts.shortcuts = shortcuts;
                    opts.split = split;
                    const CountResult base = PackingAnalysis(puzzles[k]).count(opts);
                    ASSERT_TRUE(base.first);
                    for (const auto& order : orders) {
                        Puzzle q = puzzles[k];
                        const BlockMasks masks = blockMasks(puzzles[k]);
                        for (int b = 0; b < kBlocks; ++b) setBlockMask(q, b, masks[size_t(order[size_t(b)])]);
                        const CountResult r = PackingAnalysis(q).count(opts);
                        SCOPED_TRACE("puzzle " + std::to_string(k) + ", " + std::to_string(threads) + " threads" +
                                     (shortcuts ? "" : ", no shortcuts") + (split ? "" : ", no split") +
                                     ", order from " + std::to_string(order[0] + 1));
                        EXPECT_EQ(r.solutions, base.solutions);
                        EXPECT_EQ(r.distinct, base.distinct);
                        EXPECT_EQ(r.distinctUnlabelled, base.distinctUnlabelled);
                        EXPECT_EQ(r.distinctMirror, base.distinctMirror);
                        EXPECT_EQ(r.nodes, base.nodes);
                        ASSERT_TRUE(r.first);
                        // Blocks of one shape may trade places; each block's shape lies where it did.
                        for (int b = 0; b < kBlocks; ++b)
                            EXPECT_EQ(canonicalShape((*r.first)[size_t(b)]), canonicalShape(masks[size_t(order[size_t(b)])]));
                        std::vector<uint64_t> got(r.first->begin(), r.first->end()), want(base.first->begin(), base.first->end());
                        std::sort(got.begin(), got.end());
                        std::sort(want.begin(), want.end());
                        EXPECT_EQ(got, want);
                    }
                }
}

// Every worker index runs once; with a watch, it runs while the workers do, so a
// stop it raises reaches them (the count's progress, the designer's cancel and deadline).
TEST(WorkerThreads, EachIndexRunsOnceAndTheWatchReachesRunningWorkers) {
    std::vector<std::atomic<int>> ran(3);
    runWorkers(3, [&](int t) { ++ran[size_t(t)]; });
    for (const std::atomic<int>& r : ran) EXPECT_EQ(r.load(), 1);

    std::atomic<bool> stop{false};
    std::vector<std::atomic<int>> waited(3);
    int watched = 0;
    runWorkers(
        3,
        [&](int t) {
            ++waited[size_t(t)];
            while (!stop.load()) std::this_thread::yield();
        },
        0.001, [&] { ++watched, stop = true; });
    for (const std::atomic<int>& r : waited) EXPECT_EQ(r.load(), 1);
    EXPECT_GE(watched, 1);
}
