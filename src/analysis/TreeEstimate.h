#pragma once
// How big a count will be before it is run: Knuth's estimate of a backtrack
// tree by random probes. A probe walks from a part's root to a leaf, choosing
// each child at random; the product of the choices it had estimates, without
// bias, the nodes of each depth and the packings at its end. The parts of a
// count are probed separately (each a stratum), more where the answers spread
// most, so one huge part cannot hide behind many small ones.

#include "analysis/CoverSearch.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tessaro::analysis {

// An estimated quantity and the range that holds the true value with the
// confidence the options name (from the spread of the probes).
struct Estimate {
    double value = 0;
    double low = 0;
    double high = 0;
};

struct EstimateOptions {
    uint64_t seed = 1;
    // Probes to spend; 0: as many as `seconds` allows.
    uint64_t probes = 0;
    double seconds = 0.3;
    // Standard deviations below the estimate that the range reaches (two more above).
    double spread = 3.0;
    // A part whose tree has at most this many nodes is counted, not probed:
    // cheaper than a few probes, and exact. 0: every part is probed.
    uint64_t countBelow = 256;
    const std::atomic<bool>* cancel = nullptr;
};

struct PartsEstimate {
    Estimate leaves;                // packings, each part's weighted by what it stands for
    Estimate nodes;                 // nodes the count visits
    std::vector<double> partNodes;  // estimated nodes of each part
    uint64_t probes = 0;
    bool exact = false;  // every part counted, none probed: the figures are the count's
    bool bound = false;  // some part's probes never reached a packing: `leaves` may be far below
};

// The trees the count searches: a part without cells to spare is searched cell
// by cell (CoverSearch), one with spare cells piece by piece (PieceSearch).
PartsEstimate estimateParts(const ItemSet& items, const std::vector<std::vector<uint64_t>>& placementsByType,
                            const std::vector<SearchState>& parts, const EstimateOptions& options);

// The part split by the first piece its piece-by-piece search places, when
// that search's tree is the same split as whole (the piece is the one of its
// kind): one state per place that lives, in search order; else the part alone.
std::vector<SearchState> splitByPiece(const std::vector<std::vector<uint64_t>>& placementsByType, const SearchState& part);

// The parts of a running count probed a few at a time, round after round, so
// that what it spends follows what the count has done (PartsCount's share done).
class PartsProber {
public:
    PartsProber(const ItemSet& items, const std::vector<std::vector<uint64_t>>& placementsByType,
                const std::vector<SearchState>& parts, uint64_t seed = 1);
    ~PartsProber();

    // Probes the parts from `first` on (those before are searched already)
    // until about `steps` more probe levels are spent.
    void run(size_t first, uint64_t steps);
    // The estimated nodes of part p; < 0 until it is probed.
    double nodes(size_t p) const;
    // Probe levels spent so far.
    uint64_t steps() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

}  // namespace tessaro::analysis

namespace tessaro::analysis {

// A time to go as people say it: "40 秒", "12 分", "3 時間", "5 日", "2.4×10^6 年".
std::string durationText(double seconds);

}  // namespace tessaro::analysis
