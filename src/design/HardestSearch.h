#pragma once
// Aiming for the hardest puzzle of a box and block count: a local search over
// cuts with exactly one packing. A step moves a cell to a neighbouring block,
// swaps two cells between neighbouring blocks, cuts two neighbouring blocks
// anew, or moves a few cells; when that packs more than one way, a short descent
// looks for one packing nearby. A step to a unique cut is taken when it rates
// higher, or by the Metropolis rule of simulated annealing at a temperature
// falling over the time given. Each thread runs its own chain; a chain that
// stops finding better starts again near one of the hardest found by any, or
// afresh. Every cut is judged once among all threads; the best distinct are kept.

#include "design/DesignControl.h"
#include "design/DesignRequest.h"

#include <functional>

namespace tessaro::design {

struct HardestStep {
    double seconds = 0;
    int rating = 0;
    double nodesPerPacking = 0;
};

struct HardestResult : DesignResult {
    std::vector<HardestStep> history;  // each new best, in time order
    uint64_t accepted = 0;             // steps taken (each to a unique cut)
    uint64_t unique = 0;               // distinct cuts of one packing judged
};

// Runs for request.seconds (or until cancelled); request.count best kept.
// `improved` hears each new best as it comes, on a worker thread, one call at a time.
HardestResult hardestPuzzles(const DesignRequest& request, const DesignControl& control = {},
                             const std::function<void(const HardestStep&)>& improved = {});

}  // namespace tessaro::design
