// The probes' estimate of a count against the count itself, over many seeds:
// the true numbers inside the reported ranges in nearly every run, for the
// cell-by-cell search (full boxes) and the piece-by-piece one (cells to spare).
#include "AnalysisTestUtil.h"
#include "analysis/PackingAnalysis.h"

#include <gtest/gtest.h>

#include <string>

using namespace tessaro;
using namespace tessaro::analysis;
using namespace tessaro::test;

TEST(Estimate, RangesHoldTheCountOverManySeeds) {
    struct Case {
        std::string name;
        Puzzle puzzle;
        uint64_t countBelow;  // 0: every part probed
    };
    std::vector<Case> cases;
    Puzzle missing = buildSamplePuzzle();
    removeBlock(missing, 2);
    cases.push_back({"sample, block 3 removed", missing, 256});
    for (uint64_t seed = 1; seed <= 2; ++seed) {
        Puzzle p = cutPuzzle(4, 3, 3, 7, seed);
        cases.push_back({"4x3x3 cut " + std::to_string(seed), p, 0});
        removeBlock(p, int(seed));
        cases.push_back({"4x3x3 cut " + std::to_string(seed) + ", one removed", p, 256});
    }
    constexpr uint64_t kSeeds = 20;
    int runs = 0, missed = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PackingAnalysis a(c.puzzle);
        const CountResult exact = a.count();
        ASSERT_TRUE(exact.complete);
        ASSERT_GT(exact.solutions, 0u);
        double sum = 0;
        for (uint64_t seed = 1; seed <= kSeeds; ++seed) {
            EstimateOptions o;
            o.seed = seed;
            o.probes = 1000;
            o.countBelow = c.countBelow;
            const SearchEstimate e = a.estimate(o);
            const double s = double(exact.solutions), n = double(exact.nodes);
            // The count of packings inside its range; the search's size, which the
            // count's shortcuts make smaller than the probed tree, within a factor of two.
            // A bound need only hold from below.
            const bool in = e.solutions.low <= s && (e.bound || s <= e.solutions.high) && e.nodes.value <= 2 * n &&
                            n <= 2 * e.nodes.value;
            EXPECT_LE(e.solutions.low, e.solutions.value);
            EXPECT_LE(e.solutions.value, e.solutions.high);
            missed += in ? 0 : 1;
            ++runs;
            sum += e.solutions.value;
        }
        // Unbiased: the mean of the runs lies near the count (a probe is skewed, so
        // twenty runs stray some way).
        EXPECT_NEAR(sum / kSeeds / double(exact.solutions), 1.0, 0.25);
    }
    EXPECT_LE(missed, runs / 10) << missed << " of " << runs << " ranges missed the count";
}

TEST(Estimate, SmallPartsAreCountedExactly) {
    const PackingAnalysis a(buildSamplePuzzle());
    const CountResult exact = a.count();
    const SearchEstimate e = a.estimate();
    EXPECT_EQ(e.solutions.value, double(exact.solutions));
    EXPECT_EQ(e.solutions.low, e.solutions.high);
    // The estimate's parts are finer than the count's: the nodes differ by the split's few.
    EXPECT_NEAR(e.nodes.value, double(exact.nodes), 0.05 * double(exact.nodes));
}
