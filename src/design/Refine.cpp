#include "design/Refine.h"

#include "analysis/PackingAnalysis.h"
#include "design/CellMasks.h"
#include "design/Verdict.h"

#include <bit>

namespace tessaro::design {

namespace {

// Packings with blocks told apart, counted up to `limit`; nothing when more, or stopped.
std::optional<analysis::CountResult> countUpTo(analysis::BoxSize box, const Blocks& blocks, uint64_t limit,
                                               const std::atomic<bool>* stop) {
    const analysis::PackingAnalysis a(puzzleFromBlocks(box, blocks));
    if (!a.problems().empty()) return std::nullopt;
    analysis::CountOptions o;
    o.threads = 1;
    o.limit = limit;
    o.cancel = stop;
    const analysis::CountResult r = a.count(o);
    if (!r.complete) return std::nullopt;
    return r;
}

// One random legal move: a cell of one block to a face-neighbouring block, the
// giver staying connected and both within the sizes, no two blocks alike unless allowed.
bool randomMove(const DesignSpec& spec, SplitMix& rng, const Blocks& in, Blocks& out) {
    const int n = spec.blocks;
    const int maxCells = spec.maxCells > 0 ? spec.maxCells : spec.box.cells();
    for (int tries = 0; tries < 32; ++tries) {
        const int from = rng.below(n), to = rng.below(n);
        if (from == to || std::popcount(in[from]) <= spec.minCells || std::popcount(in[to]) >= maxCells) continue;
        const uint64_t options = in[from] & faceNeighbours(in[to]);
        if (options == 0) continue;
        uint64_t m = options;
        for (int k = rng.below(std::popcount(options)); k > 0; --k) m &= m - 1;
        const uint64_t bit = m & (~m + 1);
        out = in;
        out[from] &= ~bit;
        out[to] |= bit;
        if (!analysis::faceConnected(out[from])) continue;
        if (!spec.allowIdentical) {
            const uint64_t a = analysis::canonicalShape(out[from]), b = analysis::canonicalShape(out[to]);
            bool clash = a == b;
            for (int k = 0; k < n && !clash; ++k)
                if (k != from && k != to) {
                    const uint64_t c = analysis::canonicalShape(out[k]);
                    clash = c == a || c == b;
                }
            if (clash) continue;
        }
        return true;
    }
    return false;
}

}  // namespace

bool refineTowardsUnique(const DesignSpec& spec, SplitMix& rng, Blocks& blocks, int steps,
                         const std::atomic<bool>* stop, RefineStats& stats) {
    // A generous first limit: a cut that packs this many ways is not worth the descent.
    constexpr uint64_t kFirstLimit = 200000;
    const auto first = countUpTo(spec.box, blocks, kFirstLimit, stop);
    ++stats.judged;
    if (!first) return false;
    uint64_t current = first->solutions;
    if (first->distinctUnlabelled == 1) return true;
    Blocks next;
    for (int s = 0; s < steps; ++s) {
        if (stop != nullptr && stop->load(std::memory_order_relaxed)) return false;
        if (!randomMove(spec, rng, blocks, next)) return false;
        const auto r = countUpTo(spec.box, next, current + 1, stop);
        ++stats.judged;
        if (!r || r->solutions == 0 || r->solutions > current) continue;
        blocks = next;
        current = r->solutions;
        if (r->distinctUnlabelled == 1) return true;
    }
    return false;
}

}  // namespace tessaro::design
