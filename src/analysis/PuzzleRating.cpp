#include "analysis/PuzzleRating.h"

#include "analysis/DifficultySearch.h"

#include <algorithm>
#include <cmath>

namespace tessaro::analysis {

namespace {

// The scale: rating 1 up to kFirstStep nodes per packing (the Soma cube takes
// 24), one more per factor kStep, 10 from about 100,000.
constexpr double kFirstStep = 25;
constexpr double kStep = 2.5;

// A count foreseen to visit more nodes than this is too long to wait for on the sheet.
constexpr double kQuickCountNodes = 2e7;

}  // namespace

int ratingOfNodes(double nodesPerPacking) {
    if (nodesPerPacking <= kFirstStep) return 1;
    const int step = int(std::ceil(std::log(nodesPerPacking / kFirstStep) / std::log(kStep) - 1e-9));
    return std::clamp(1 + step, 1, 10);
}

PuzzleRating rateWithPackings(const PackingAnalysis& analysis, uint64_t distinctPackings,
                              const RatingOptions& options) {
    DifficultySearch search(analysis.placementsByType(), analysis.symmetryParts());
    TreeSize size;
    if (options.exactNodes == 0) {
        size = *search.count(UINT64_MAX);
    } else {
        // The estimate first: it is cheap, and says whether a count would fit the budget.
        size = search.estimate(options.probes, options.seed);
        if (size.estimated && size.nodes <= double(options.exactNodes))
            if (const auto exact = search.count(options.exactNodes)) size = *exact;
    }
    PuzzleRating r;
    r.searchNodes = size.nodes;
    r.low = size.low;
    r.high = size.high;
    r.estimated = size.estimated;
    r.nodesPerPacking = size.nodes / double(distinctPackings);
    r.rating = ratingOfNodes(r.nodesPerPacking);
    return r;
}

std::optional<PuzzleRating> rateCounted(const PackingAnalysis& analysis, const CountResult& count,
                                        const RatingOptions& options) {
    if (!count.complete || count.distinctUnlabelled == 0 || !analysis.problems().empty()) return std::nullopt;
    return rateWithPackings(analysis, count.distinctUnlabelled, options);
}

std::optional<PuzzleRating> rateIfQuick(const Puzzle& puzzle) {
    const PackingAnalysis analysis(puzzle);
    if (!analysis.problems().empty()) return std::nullopt;
    EstimateOptions foresee;
    foresee.probes = 400;
    if (analysis.estimate(foresee).nodes.value > kQuickCountNodes) return std::nullopt;
    CountOptions options;
    options.threads = 1;
    return rateCounted(analysis, analysis.count(options));
}

}  // namespace tessaro::analysis
