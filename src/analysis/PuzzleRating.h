#pragma once
// How hard a counted puzzle is: the size of the difficulty search
// (DifficultySearch.h) per distinct packing, and a rating of 1 to 10 on a
// logarithmic scale anchored on classic dissections of the 3×3×3 cube. Exact
// when the search is small, else estimated by a fixed number of seeded probes,
// so one puzzle gets one rating on any machine under any load.

#include "analysis/PackingAnalysis.h"

#include <cstdint>
#include <optional>

namespace tessaro::analysis {

// Nodes the search may take to be counted exactly; past them it is estimated.
constexpr uint64_t kExactRatingNodes = 20'000;

struct RatingOptions {
    uint64_t exactNodes = kExactRatingNodes;  // 0: always counted, however long it takes
    uint64_t probes = 4'000;
    uint64_t seed = 1;
};

struct PuzzleRating {
    double searchNodes = 0;
    double nodesPerPacking = 0;
    int rating = 0;
    bool estimated = false;
    double low = 0, high = 0;  // a range holding the true search nodes (both equal when exact)
};

// 1..10 for the search nodes per distinct packing.
int ratingOfNodes(double nodesPerPacking);

// The rating of a puzzle counted by `analysis` (with its fromBox); nothing
// unless the count is complete and found a packing.
std::optional<PuzzleRating> rateCounted(const PackingAnalysis& analysis, const CountResult& count,
                                        const RatingOptions& options = {});

// The same for a puzzle known to have `distinctPackings` distinct packings, without
// counting them: a designer can rate a candidate before it proves it unique.
PuzzleRating rateWithPackings(const PackingAnalysis& analysis, uint64_t distinctPackings,
                              const RatingOptions& options = {});

// Count and rating together for a place that must not wait long (the printable
// sheet): nothing when the count's search is foreseen to be large, the same
// answer whatever the machine's load.
std::optional<PuzzleRating> rateIfQuick(const Puzzle& puzzle);

}  // namespace tessaro::analysis
