// The count's share done and time to go against where the count really ends,
// with the nodes searched as the clock (a report every so many nodes on one
// thread: the same trace on any machine), on 4x4x4 boxes with cells to spare.
#include "analysis/PackingAnalysis.h"
#include "model/BlockMasks.h"
#include "solver/RandomCut.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <string>
#include <vector>

using namespace tessaro;
using namespace tessaro::analysis;

namespace {

// A cut box with `trim` cells taken off its largest blocks, each keeping in one piece.
BlockCells trimmedCut(uint64_t seed, int trim) {
    CutSpec cut;
    cut.seed = seed;
    const Puzzle p = cutBox(cut);
    BlockCells out;
    out.box = {4, 4, 4};
    out.shapes = blockMasks(p);
    for (int k = 0; k < trim; ++k) {
        uint64_t& shape = *std::max_element(out.shapes.begin(), out.shapes.end(),
                                            [](uint64_t a, uint64_t b) { return std::popcount(a) < std::popcount(b); });
        for (int c = 63; c >= 0; --c)
            if ((shape >> c & 1) != 0 && faceConnected(shape & ~(uint64_t(1) << c))) {
                shape &= ~(uint64_t(1) << c);
                break;
            }
    }
    return out;
}

}  // namespace

TEST(Progress, ShareAndEndFollowTheWorkAndCountsStayTheSame) {
    for (const auto& [seed, trim] : {std::pair<uint64_t, int>{1, 7}, {3, 7}}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const PackingAnalysis a(trimmedCut(seed, trim));
        ASSERT_TRUE(a.problems().empty());
        CountOptions plain;
        plain.threads = 1;
        const CountResult exact = a.count(plain);
        ASSERT_TRUE(exact.complete);
        ASSERT_GT(exact.nodes, 20000u);

        struct Report {
            double nodes, done, remaining, seconds;
        };
        std::vector<Report> reports;
        CountOptions reported = plain;
        reported.progressNodes = exact.nodes / 400;
        // Split finer as a count of a minute would be.
        reported.finerFrom = 0;
        reported.progress = [&](const Progress& p) {
            reports.push_back({double(p.nodes), p.done, p.remaining, p.seconds});
        };
        const CountResult r = a.count(reported);
        EXPECT_EQ(r.solutions, exact.solutions);
        EXPECT_EQ(r.distinct, exact.distinct);
        EXPECT_EQ(r.distinctUnlabelled, exact.distinctUnlabelled);
        ASSERT_GT(reports.size(), 100u);

        // The predicted end (work done over the share done) within a fifth of the
        // real one from a quarter of the way on; the bar never rises more than
        // five points over a fortieth of the work, nor goes back.
        const double end = double(r.nodes);
        double worst = 0, jump = 0, last = 0, before = 0;
        size_t back = 0;
        for (const Report& p : reports) {
            EXPECT_GE(p.done, last);
            last = p.done;
            while (reports[back].nodes <= p.nodes - end / 40) before = reports[back++].done;
            jump = std::max(jump, p.done - before);
            if (p.nodes >= end / 4) {
                ASSERT_GT(p.done, 0);
                worst = std::max(worst, std::abs(p.nodes / p.done - end) / end);
                // The time to go tells the same end as the share.
                EXPECT_NEAR(p.remaining, p.seconds * (1 - p.done) / p.done, 0.05 * p.seconds / p.done + 1e-6);
            }
        }
        EXPECT_LE(worst, 0.20);
        EXPECT_LE(jump, 0.05);

        // Shared out to threads, the finer parts count the same.
        CountOptions threads = reported;
        threads.threads = 2;
        threads.progressInterval = 0.01;
        const CountResult both = a.count(threads);
        EXPECT_EQ(both.solutions, exact.solutions);
        EXPECT_EQ(both.distinctUnlabelled, exact.distinctUnlabelled);
        EXPECT_EQ(both.first, exact.first);
    }
}
