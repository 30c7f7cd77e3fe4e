// The difficulty rating: its search against a plain one written from the
// definition, its estimate against its count, and the classic dissections that
// anchor the scale, read from their files and checked against published counts.
#include "AnalysisTestUtil.h"
#include "analysis/DifficultySearch.h"
#include "analysis/PuzzleRating.h"
#include "files/PuzzleFile.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <string>

using namespace tessaro;
using namespace tessaro::analysis;
using namespace tessaro::test;

namespace {

// The search's definition, recomputed from scratch at every node: slow and plain.
struct PlainSearch {
    const std::vector<std::vector<uint64_t>>& places;
    uint64_t nodes = 0, leaves = 0;

    void visit(uint64_t filled, std::vector<int> left, std::vector<size_t> from) {
        ++nodes;
        const size_t types = places.size();
        const auto fits = [&](size_t t, size_t i) { return i >= from[t] && (places[t][i] & filled) == 0; };
        int pieceCells = 0, best = 1 << 30, bestType = -1, bestCell = -1;
        bool anyLeft = false;
        for (size_t t = 0; t < types; ++t) {
            if (left[t] == 0) continue;
            anyLeft = true;
            pieceCells += left[t] * std::popcount(places[t][0]);
            int n = 0;
            for (size_t i = 0; i < places[t].size(); ++i) n += fits(t, i) ? 1 : 0;
            if (n < left[t]) return;
            if (n < best) best = n, bestType = int(t);
        }
        if (!anyLeft) {
            ++leaves;
            return;
        }
        std::vector<int> cover(64, 0);
        for (size_t t = 0; t < types; ++t)
            for (size_t i = 0; i < places[t].size() && left[t] > 0; ++i)
                if (fits(t, i))
                    for (int c = 0; c < 64; ++c) cover[size_t(c)] += (places[t][i] >> c) & 1;
        const uint64_t open = ~filled;
        int bare = 0;
        for (int c = 0; c < 64; ++c) bare += ((open >> c) & 1) && cover[size_t(c)] == 0 ? 1 : 0;
        const int spare = std::popcount(open) - pieceCells;
        if (bare > spare) return;
        if (bare == spare)
            for (int c = 0; c < 64; ++c)
                if (((open >> c) & 1) && cover[size_t(c)] > 0 && cover[size_t(c)] < best)
                    best = cover[size_t(c)], bestType = -1, bestCell = c;
        for (size_t t = 0; t < types; ++t) {
            if (left[t] == 0 || (bestType >= 0 && size_t(bestType) != t)) continue;
            for (size_t i = 0; i < places[t].size(); ++i) {
                if (!fits(t, i) || (bestCell >= 0 && ((places[t][i] >> bestCell) & 1) == 0)) continue;
                std::vector<int> l = left;
                std::vector<size_t> f = from;
                --l[t];
                if (bestType >= 0) f[t] = i + 1;  // blocks of one kind placed for their kind come in order
                visit(filled | places[t][i], l, f);
            }
        }
    }
};

Puzzle readPuzzle(const std::string& name) {
    Puzzle p{};
    EXPECT_FALSE(fncFile_get(p, std::string(TESSARO_CLASSIC_DIR) + "/" + name).empty()) << name;
    return p;
}

}  // namespace

TEST(Rating, SearchCountsTheTreeTheDefinitionGives) {
    std::vector<std::pair<std::string, Puzzle>> cases;
    for (uint64_t seed = 1; seed <= 3; ++seed) {
        Puzzle p = cutPuzzle(3, 3, 2, 5, seed);
        cases.push_back({"3x3x2 cut " + std::to_string(seed), p});
        removeBlock(p, 1);  // cells to spare
        cases.push_back({"3x3x2 cut " + std::to_string(seed) + ", one removed", p});
    }
    const CellList domino{{0, 0, 0}, {1, 0, 0}}, tromino{{0, 0, 0}, {1, 0, 0}, {2, 0, 0}};
    cases.push_back({"2x2x3, six dominoes alike", makePuzzle(2, 2, 3, {domino, domino, domino, domino, domino, domino})});
    cases.push_back({"3x3x1, two trominoes alike and a domino", makePuzzle(3, 3, 1, {tromino, tromino, domino})});
    for (const auto& [name, p] : cases) {
        SCOPED_TRACE(name);
        const PackingAnalysis a(p);
        ASSERT_TRUE(a.problems().empty());
        PlainSearch plain{a.placementsByType()};
        for (const SearchState& s : a.symmetryParts()) {
            std::vector<int> left;
            for (size_t t = 0; t < a.placementsByType().size(); ++t) left.push_back(s.left[t]);
            plain.visit(s.filled, left, std::vector<size_t>(left.size(), 0));
        }
        DifficultySearch search(a.placementsByType(), a.symmetryParts());
        const auto exact = search.count(UINT64_MAX);
        ASSERT_TRUE(exact);
        EXPECT_EQ(exact->nodes, double(plain.nodes));
        EXPECT_EQ(exact->packings, double(plain.leaves));
        EXPECT_FALSE(exact->estimated);
        // Each packing class about once: never fewer leaves than classes, at most one per box rotation.
        const CountResult r = a.count();
        EXPECT_GE(exact->packings, double(r.distinctUnlabelled));
        EXPECT_LE(exact->packings, double(r.distinctUnlabelled * uint64_t(r.symmetry)));
        EXPECT_FALSE(search.count(uint64_t(exact->nodes) - 1));
    }
}

TEST(Rating, EstimateAgreesWithTheCountOverManySeeds) {
    std::vector<std::pair<std::string, Puzzle>> cases;
    for (uint64_t seed = 1; seed <= 2; ++seed) {
        Puzzle p = cutPuzzle(4, 3, 3, 7, seed);
        cases.push_back({"4x3x3 cut " + std::to_string(seed), p});
        removeBlock(p, int(seed));
        cases.push_back({"4x3x3 cut " + std::to_string(seed) + ", one removed", p});
    }
    int runs = 0, sameRating = 0, held = 0;
    for (const auto& [name, p] : cases) {
        SCOPED_TRACE(name);
        const PackingAnalysis a(p);
        const CountResult count = a.count();
        RatingOptions always;
        always.exactNodes = 0;
        const auto exact = rateCounted(a, count, always);
        ASSERT_TRUE(exact);
        ASSERT_FALSE(exact->estimated);
        for (uint64_t seed = 1; seed <= 8; ++seed) {
            RatingOptions o;
            o.exactNodes = 1;  // no count: the estimate alone
            o.seed = seed;
            const auto e = rateCounted(a, count, o);
            ASSERT_TRUE(e);
            ASSERT_TRUE(e->estimated);
            EXPECT_LE(std::abs(e->rating - exact->rating), 1) << "seed " << seed;
            EXPECT_LE(e->low, e->searchNodes);
            EXPECT_LE(e->searchNodes, e->high);
            ++runs;
            sameRating += e->rating == exact->rating ? 1 : 0;
            held += e->low <= exact->searchNodes && exact->searchNodes <= e->high ? 1 : 0;
        }
        // The same seed, the same figures: the rating does not depend on the machine's load.
        RatingOptions once;
        once.exactNodes = 1;
        EXPECT_EQ(rateCounted(a, count, once)->searchNodes, rateCounted(a, count, once)->searchNodes);
    }
    EXPECT_GE(sameRating * 10, runs * 9) << sameRating << " of " << runs;
    EXPECT_GE(held * 10, runs * 9) << held << " of " << runs;
}

TEST(Rating, ClassicDissectionsCountAsPublishedAndAnchorTheScale) {
    // The Soma cube: 11,520 packings, 480 up to the box's rotations, 240 with mirror images merged.
    const Puzzle soma = readPuzzle("soma.bin");
    const PackingAnalysis a(soma);
    const CountResult r = a.count();
    EXPECT_EQ(r.solutions, 11520u);
    EXPECT_EQ(r.distinct, 480u);
    EXPECT_EQ(r.distinctMirror, 240u);
    const auto rating = rateCounted(a, r);
    ASSERT_TRUE(rating);
    EXPECT_EQ(rating->rating, 1);  // people find it easy

    // No packing, or a count that did not finish: no rating.
    CountOptions stopped;
    stopped.limit = 5;
    EXPECT_FALSE(rateCounted(a, a.count(stopped)));
}
