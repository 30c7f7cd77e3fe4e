// Designs checked from their saved files by the brute-force counter, the seed
// giving the same files, and the nearest unique variants against every
// single move tried by hand.
#include "AnalysisTestUtil.h"
#include "BruteForce.h"
#include "analysis/Assembly.h"
#include "analysis/PackingPlace.h"
#include "design/DesignFiles.h"
#include "design/Designer.h"
#include "design/HardestSearch.h"
#include "design/NearestUnique.h"
#include "design/StockSearch.h"
#include "design/CandidateJudge.h"
#include "design/BoxCut.h"
#include "design/PieceRules.h"
#include "files/PuzzleFile.h"
#include "files/TestSupport.h"

#include <gtest/gtest.h>

#include <set>

using namespace tessaro;
using namespace tessaro::design;
using namespace tessaro::test;

namespace {

DesignRequest smallRequest(analysis::BoxSize box, int blocks, int empty) {
    DesignRequest s;
    s.box = box;
    s.blocks = blocks;
    s.empty = empty;
    s.count = 3;
    s.seconds = 120;
    s.seed = 11;
    s.minCells = 2;
    return s;
}

}  // namespace

TEST(Designer, EverySavedDesignPacksOneWayAndIsTheBodyAsked) {
    for (const DesignRequest& request : {smallRequest({3, 2, 2}, 3, 0), smallRequest({3, 2, 2}, 3, 1)}) {
        SCOPED_TRACE(request.empty);
        const DesignResult r = designPuzzles(request);
        ASSERT_EQ(r.designs.size(), 3u);
        EXPECT_EQ(r.stop, DesignStop::Found);
        for (size_t i = 1; i < r.designs.size(); ++i) EXPECT_GE(r.designs[i - 1].difficulty.rating, r.designs[i].difficulty.rating);
        TempDir dir;
        const auto files = writeDesigns(r.designs, dir.path(), std::nullopt, "abc");
        ASSERT_EQ(files.size(), 3u);
        for (size_t i = 0; i < files.size(); ++i) {
            ASSERT_TRUE(files[i].ok) << files[i].path;
            Puzzle p;
            ASSERT_FALSE(fncFile_get(p, files[i].path).empty());
            EXPECT_EQ(p.G_iCells_X, request.box.x);
            EXPECT_EQ(p.G_iCells_Y, request.box.y);
            EXPECT_EQ(p.G_iCells_Z, request.box.z);
            EXPECT_EQ(p.G_iCell_Total, request.box.cells() - request.empty);
            EXPECT_EQ(p.G_sPassword, "abc");
            EXPECT_EQ(p.G_sComment, defaultComment(r.designs[i]));
            const BruteCounts brute = bruteForce(p, false);
            EXPECT_EQ(brute.distinctUnlabelled, 1u) << files[i].path;
            EXPECT_EQ(brute.solutions, r.designs[i].solutions);
            // The made cubes are the packing, in place; the blocks are those shapes, turned.
            uint64_t used = 0;
            int blocks = 0;
            for (int b = 0; b < kBlocks; ++b) {
                uint64_t made = 0;
                for (int c = 0; c < kCells; ++c)
                    if (p.G_iPiece_Made[b + kBlocks * c] != 0) made |= uint64_t(1) << c;
                if (made == 0) continue;
                ++blocks;
                EXPECT_EQ(made, r.designs[i].blocks[b]);
                EXPECT_EQ(used & made, 0u);
                used |= made;
                EXPECT_TRUE(analysis::faceConnected(made));
                EXPECT_GE(std::popcount(made), request.minCells);
                EXPECT_EQ(turnedCubes(p, b).count(cubeOf(p, b)), 1u);
                Puzzle back = p;
                subPiece_ResetAll(back);
                subPiece_MoveOrigin(back, b);
                EXPECT_EQ(turnedCubes(p, b), turnedCubes(back, b));
            }
            EXPECT_EQ(blocks, request.blocks);
            EXPECT_EQ(used & ~analysis::boxCells(request.box), 0u);
        }
        // Existing files are never replaced: writing again takes the next free names.
        const std::string first = readBytes(files[0].path);
        const auto again = writeDesigns(r.designs, dir.path(), std::nullopt, "");
        ASSERT_TRUE(again.front().ok);
        EXPECT_EQ(again.front().path, designFileName(dir.path(), 3));
        EXPECT_EQ(readBytes(files[0].path), first);
    }
}

TEST(Designer, SameSeedSameFilesOnAnyThreadCount) {
    DesignRequest request = smallRequest({3, 3, 2}, 4, 0);
    std::vector<std::string> bytes[3];
    for (int run = 0; run < 3; ++run) {
        request.threads = run == 2 ? 2 : 1;
        request.seed = run == 1 ? 12 : 11;
        TempDir dir;
        const DesignResult r = designPuzzles(request);
        ASSERT_EQ(r.designs.size(), 3u);
        for (const WrittenFile& f : writeDesigns(r.designs, dir.path(), "c", "")) bytes[run].push_back(readBytes(f.path));
    }
    EXPECT_EQ(bytes[0], bytes[2]);
    EXPECT_NE(bytes[0], bytes[1]);
}

TEST(Designer, NearestVariantsAreExactlyTheUniqueSingleMoves) {
    // Two bars and two Ls in place in a 3x2x2 box: many packings.
    const Puzzle p = makePuzzle(3, 2, 2,
                                {{{0, 0, 0}, {1, 0, 0}, {2, 0, 0}},
                                 {{0, 1, 0}, {1, 1, 0}, {2, 1, 0}},
                                 {{0, 0, 1}, {1, 0, 1}, {0, 1, 1}},
                                 {{2, 0, 1}, {1, 1, 1}, {2, 1, 1}}});
    ASSERT_GT(bruteForce(p, false).distinctUnlabelled, 1u);
    std::set<Pack> want;
    Pack start{};
    for (int b = 0; b < 4; ++b) start[b] = cubeOf(p, b);
    for (int from = 0; from < 4; ++from)
        for (int c = 0; c < kCells; ++c) {
            const uint64_t bit = uint64_t(1) << c;
            if (!(start[from] & bit) || start[from] == bit || !analysis::faceConnected(start[from] & ~bit)) continue;
            for (int to = 0; to < 4; ++to) {
                const uint64_t grown = start[to] | bit;
                if (to == from || !analysis::faceConnected(grown)) continue;
                Pack v = start;
                v[from] &= ~bit;
                v[to] = grown;
                Puzzle q = p;
                for (int b = 0; b < 4; ++b) analysis::setBlockCells(q, b, v[b]);
                if (bruteForce(q, false).distinctUnlabelled == 1) want.insert(v);
            }
        }
    ASSERT_FALSE(want.empty());

    NearestRequest request;
    request.source = p;
    request.maxMoves = 1;
    request.count = 99;
    const NearestResult r = nearestUnique(request);
    EXPECT_TRUE(r.fromMade);
    EXPECT_EQ(r.stop, DesignStop::Exhausted);
    EXPECT_EQ(r.movesSearched, 1);
    std::set<Pack> got;
    for (const Design& d : r.designs) {
        got.insert(d.blocks);
        ASSERT_EQ(d.moves.size(), 1u);
        EXPECT_TRUE(start[d.moves[0].from] >> d.moves[0].cell & 1);
        EXPECT_TRUE(d.blocks[d.moves[0].to] >> d.moves[0].cell & 1);
    }
    EXPECT_EQ(got, want);

    // Asked for the two hardest within two moves: the first two of all, the rest rated and
    // left unproved once two were kept.
    request.maxMoves = 2;
    const NearestResult all = nearestUnique(request);
    request.count = 2;
    const NearestResult two = nearestUnique(request);
    ASSERT_EQ(two.designs.size(), 2u);
    ASSERT_GT(all.designs.size(), 2u);
    for (size_t i = 0; i < 2; ++i) EXPECT_EQ(two.designs[i].blocks, all.designs[i].blocks) << i;
    EXPECT_GT(two.bounded, 0u);
    EXPECT_EQ(all.bounded, 0u);
    request.maxMoves = 1;
    // No block under the smallest size asked: every move here leaves a bar of two.
    request.minCells = 3;
    EXPECT_TRUE(nearestUnique(request).designs.empty());
    request.minCells = 2;

    // With no move allowed there is nothing to find, and the result says so.
    request.maxMoves = 0;
    const NearestResult none = nearestUnique(request);
    EXPECT_TRUE(none.designs.empty());
    EXPECT_EQ(none.stop, DesignStop::Exhausted);
}

TEST(Designer, ImpossibleRequestsRefusedAndSmallBodiesSearchedToTheEnd) {
    DesignRequest r = smallRequest({3, 3, 3}, 8, 0);
    // 1 + 2 + 5 distinct shapes of 2, 3 and 4 cells need 28 cells.
    EXPECT_NE(requestProblem(r).find("28 セル以上"), std::string::npos) << requestProblem(r);
    r.blocks = 7;
    EXPECT_EQ(requestProblem(r), "");
    r = smallRequest({2, 2, 2}, 4, 0);
    EXPECT_NE(requestProblem(r), "");
    r.allowIdentical = true;
    EXPECT_EQ(requestProblem(r), "");
    // Only three flat-free shapes fit 2x2x2 at four cells and none larger fits twice.
    DesignRequest flat = smallRequest({2, 2, 2}, 3, 0);
    flat.noFlat = true;
    EXPECT_NE(requestProblem(flat), "");

    // One block fills the box one way: found, and the search ends there.
    DesignRequest one = smallRequest({2, 2, 2}, 1, 0);
    one.seconds = 600;
    const DesignResult single = designPuzzles(one);
    EXPECT_EQ(single.designs.size(), 1u);
    EXPECT_EQ(single.stop, DesignStop::Exhausted);
    // No cut of 11 cells into three blocks of three or more packs one way; every cut is counted once.
    DesignRequest none = smallRequest({3, 2, 2}, 3, 1);
    none.minCells = 3;
    const DesignResult r2 = designPuzzles(none);
    EXPECT_TRUE(r2.designs.empty());
    EXPECT_EQ(r2.stop, DesignStop::Exhausted);
    EXPECT_GT(r2.everyCut, 0u);
    EXPECT_EQ(r2.tried, r2.everyCut);
    EXPECT_EQ(r2.notUnique + r2.tooEasy + r2.duplicates + r2.notAssemblable, r2.tried);
}

TEST(Designer, DefaultBlocksAreWorthHoldingAndVaried) {
    // 4x4x4 in eight: many size lists, and fifty cuts draw at least ten of them.
    DesignRequest r;
    r.box = {4, 4, 4};
    r.blocks = 8;
    const std::vector<SizeList> lists = sizeLists(r);
    EXPECT_GE(lists.size(), 10u);
    std::set<std::vector<int>> drawn;
    for (uint64_t attempt = 0; attempt < 50; ++attempt) {
        SplitMix rng(attemptSeed(3, attempt));
        Cut cut;
        if (randomCut(r, lists, rng, cut) != CutOutcome::Made) continue;
        std::vector<int> sizes;
        for (int b = 0; b < r.blocks; ++b) {
            EXPECT_TRUE(pieceAllowed(r, cut.blocks[b]));
            sizes.push_back(std::popcount(cut.blocks[b]));
        }
        std::sort(sizes.begin(), sizes.end());
        drawn.insert(sizes);
    }
    EXPECT_GE(drawn.size(), 10u);

    // Designs of the defaults: no block under three cells, no straight tricube; none flat when asked.
    const uint64_t straight = 0b111;
    for (bool noFlat : {false, true}) {
        DesignRequest d;
        d.box = {3, 3, 2};
        d.blocks = 4;
        d.count = 4;
        d.noFlat = noFlat;
        const DesignResult found = designPuzzles(d);
        ASSERT_FALSE(found.designs.empty()) << noFlat;
        for (const Design& design : found.designs)
            for (int b = 0; b < d.blocks; ++b) {
                const uint64_t m = design.blocks[b];
                EXPECT_GE(std::popcount(m), 3);
                EXPECT_NE(analysis::canonicalShape(m), analysis::canonicalShape(straight));
                const analysis::BoxSize e = analysis::extent(m);
                EXPECT_TRUE(!noFlat || (e.x > 1 && e.y > 1 && e.z > 1));
            }
    }
}

TEST(Designer, AssemblyAskedFor) {
    DesignRequest request = smallRequest({3, 3, 2}, 4, 1);
    request.assemblable = true;
    const DesignResult built = designPuzzles(request);
    ASSERT_EQ(built.designs.size(), 3u);
    for (const Design& d : built.designs) {
        const analysis::AssemblyResult r = analysis::checkAssembly(d.blocks, d.box);
        EXPECT_TRUE(r.assemblable);
        EXPECT_EQ(d.assemblyLevel, r.level);
    }
    // No block of so small a box needs 40 steps beyond a drop: every unique cut is turned down as such.
    request.minLevel = 40;
    request.seconds = 2;
    const DesignResult none = designPuzzles(request);
    EXPECT_TRUE(none.designs.empty());
    EXPECT_GT(none.notAssemblable, 0u);
    // The hardest search keeps to it too.
    request.seconds = 5;
    const HardestResult hard = hardestPuzzles(request);
    EXPECT_TRUE(hard.designs.empty());
    EXPECT_GT(hard.notAssemblable, 0u);
    request.minLevel = -1;
    EXPECT_FALSE(requestProblem(request).empty());
}

TEST(HardestSearch, ClimbsFromItsStartAndWritesDistinctPuzzlesOfOnePacking) {
    DesignRequest request;
    request.box = {3, 3, 3};
    request.blocks = 5;
    request.count = 4;
    request.seconds = 4;
    request.seed = 3;
    const HardestResult r = hardestPuzzles(request);
    ASSERT_GE(r.history.size(), 2u);
    // The first best reported is the chain's start; every later one is harder, and the best is written first.
    for (size_t i = 1; i < r.history.size(); ++i)
        EXPECT_GT(r.history[i].nodesPerPacking, r.history[i - 1].nodesPerPacking);
    ASSERT_EQ(r.designs.size(), 4u);
    EXPECT_EQ(r.designs.front().difficulty.nodesPerPacking, r.history.back().nodesPerPacking);
    EXPECT_GT(r.designs.front().difficulty.nodesPerPacking, r.history.front().nodesPerPacking);

    TempDir dir;
    std::set<std::vector<uint64_t>> pieceSets;
    const auto files = writeDesigns(r.designs, dir.path(), std::nullopt, "");
    for (size_t i = 0; i < files.size(); ++i) {
        ASSERT_TRUE(files[i].ok);
        if (i > 0) {
            EXPECT_GE(r.designs[i - 1].difficulty.nodesPerPacking, r.designs[i].difficulty.nodesPerPacking);
        }
        Puzzle p;
        ASSERT_FALSE(fncFile_get(p, files[i].path).empty());
        EXPECT_EQ(bruteForce(p, false).distinctUnlabelled, 1u) << files[i].path;
        // Blocks of one packing each: the same blocks would be the same puzzle.
        std::vector<uint64_t> shapes;
        for (int b = 0; b < kBlocks; ++b)
            if (cubeOf(p, b) != 0) shapes.push_back(analysis::canonicalShape(cubeOf(p, b)));
        std::sort(shapes.begin(), shapes.end());
        EXPECT_TRUE(pieceSets.insert(shapes).second) << files[i].path;
    }
}

TEST(StockSearch, KeepsExactlyTheBoxesAndChoicesOfOnePacking) {
    // The sample's blocks but the last (so no box is as large as the brute force's slow case),
    // every box and choice of two or more of them counted by brute force.
    const Puzzle sample = buildSamplePuzzle();
    StockRequest request;
    request.pieces = stockOf(sample);
    request.pieces[6] = 0;
    request.count = 99;
    request.seconds = 0;
    const StockResult r = stockPuzzles(request);
    EXPECT_EQ(r.stop, DesignStop::Exhausted);
    using Found = std::pair<int, std::vector<uint64_t>>;  // box as xyz, shapes sorted
    const auto shapesOf = [](const std::vector<uint64_t>& pieces) {
        std::vector<uint64_t> out;
        for (uint64_t m : pieces) out.push_back(analysis::canonicalShape(m));
        std::sort(out.begin(), out.end());
        return out;
    };
    std::set<Found> want, got;
    for (int x = 2; x <= 4; ++x)
        for (int y = x; y <= 4; ++y)
            for (int z = y; z <= 4; ++z)
                for (uint32_t set = 0; set < 256; ++set) {
                    std::vector<uint64_t> pieces;
                    int cells = 0;
                    for (int i = 0; i < kBlocks; ++i)
                        if ((set >> i & 1) && request.pieces[size_t(i)] != 0) {
                            pieces.push_back(request.pieces[size_t(i)]);
                            cells += std::popcount(request.pieces[size_t(i)]);
                        }
                    if (pieces.size() < 2 || std::popcount(set) != int(pieces.size()) || cells != x * y * z) continue;
                    Blocks blocks{};
                    std::copy(pieces.begin(), pieces.end(), blocks.begin());
                    if (bruteForce(puzzleFromBlocks({x, y, z}, blocks), false).distinctUnlabelled == 1)
                        want.insert({x * 100 + y * 10 + z, shapesOf(pieces)});
                }
    ASSERT_FALSE(want.empty());
    for (const Design& d : r.designs) {
        std::vector<uint64_t> pieces;
        for (size_t b = 0; b < d.pieces.size(); ++b) {
            EXPECT_EQ(analysis::canonicalShape(d.blocks[b]), analysis::canonicalShape(request.pieces[size_t(d.pieces[b])]));
            pieces.push_back(request.pieces[size_t(d.pieces[b])]);
        }
        EXPECT_TRUE(got.insert({d.box.x * 100 + d.box.y * 10 + d.box.z, shapesOf(pieces)}).second);
    }
    EXPECT_EQ(got, want);

    // A box fixed that no choice fills: nothing to judge, and the result says so.
    request.box = analysis::BoxSize{2, 3, 4};
    const StockResult none = stockPuzzles(request);
    EXPECT_EQ(none.choices, 0u);
    EXPECT_TRUE(none.designs.empty());
}
