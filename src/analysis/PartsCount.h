#pragma once
// The count's search over its parts: shared out to worker threads, or run on
// the calling thread alone for one thread, with the share done reported as the
// work goes (the parts probed a little at a time, on the reporting thread).

#include "analysis/CoverSearch.h"
#include "analysis/PackingAnalysis.h"

#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace tessaro::analysis {

struct PartsTotal {
    uint64_t packings = 0;  // of the piece kinds, each part's weighted; not yet times the labellings
    uint64_t nodes = 0;     // of the parts searched to their end
    bool complete = false;
    std::optional<std::vector<Item>> first;  // the first packing in search order
};

// The share of a count done from the nodes each part took (finished parts) or
// has taken so far (running ones) against the probes' estimate of the parts
// not finished, the estimates scaled by how the finished parts bore them out.
struct ShareModel {
    std::vector<double> estimated;  // nodes of each part; < 0 when unknown
    std::vector<double> visited;    // nodes of each part so far
    std::vector<bool> finished;
    std::vector<double> path;       // a running part's share behind it by its place in the tree; < 0 unknown
    std::vector<double> size;       // a running part's nodes foretold from those behind it
    // The share done (0..1) and the nodes still to go; < 0 when it cannot be told.
    std::pair<double, double> share() const;
};

// Sees every packing a worker finds, with the part it belongs to, in batches as
// PieceSearch::onEachPacking hands them over; each worker makes its own.
using PackingVisitor = std::function<void(std::span<const Item> first, int lastType, std::span<const uint64_t> lasts,
                                          const SearchState& part)>;

// With `visitors`, the packings are found one at a time, which costs more than counting them.
PartsTotal searchParts(const ItemSet& items, const std::vector<std::vector<uint64_t>>& placementsByType,
                       const std::vector<SearchState>& parts, uint64_t labellings, const CountOptions& options,
                       const std::function<PackingVisitor()>& visitors = {});

}  // namespace tessaro::analysis
