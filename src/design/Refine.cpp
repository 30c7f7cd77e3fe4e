#include "design/Refine.h"

#include "analysis/PackingAnalysis.h"
#include "design/CellMasks.h"
#include "design/CandidateJudge.h"
#include "design/PieceRules.h"

#include <algorithm>
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
    o.split = false;
    o.limit = limit;
    o.cancel = stop;
    const analysis::CountResult r = a.count(o);
    if (!r.complete) return std::nullopt;
    return r;
}

// Every legal move, shuffled: a cell of one block to a face-neighbouring block,
// the giver staying connected and both within the sizes, no two blocks alike unless allowed.
std::vector<Blocks> movesFrom(const DesignRequest& request, SplitMix& rng, const Blocks& in) {
    const int n = request.blocks;
    const int maxCells = request.maxCells > 0 ? request.maxCells : request.box.cells();
    std::array<uint64_t, kBlocks> shape{};
    for (int k = 0; k < n; ++k) shape[k] = analysis::canonicalShape(in[k]);
    std::vector<Blocks> out;
    for (int from = 0; from < n; ++from) {
        if (std::popcount(in[from]) <= request.minCells) continue;
        for (int to = 0; to < n; ++to) {
            if (to == from || std::popcount(in[to]) >= maxCells) continue;
            for (uint64_t m = in[from] & faceNeighbours(in[to]); m != 0; m &= m - 1) {
                const uint64_t bit = m & (~m + 1);
                Blocks v = in;
                v[from] &= ~bit;
                v[to] |= bit;
                if (!analysis::faceConnected(v[from])) continue;
                if (!pieceAllowed(request, v[from]) || !pieceAllowed(request, v[to])) continue;
                if (!request.allowIdentical) {
                    const uint64_t a = analysis::canonicalShape(v[from]), b = analysis::canonicalShape(v[to]);
                    bool clash = a == b;
                    for (int k = 0; k < n && !clash; ++k)
                        if (k != from && k != to) clash = shape[k] == a || shape[k] == b;
                    if (clash) continue;
                }
                out.push_back(v);
            }
        }
    }
    for (size_t i = out.size(); i > 1; --i) std::swap(out[i - 1], out[size_t(rng.below(int(i)))]);
    return out;
}

}  // namespace

void shakeCut(const DesignRequest& request, SplitMix& rng, Blocks& blocks, int moves) {
    for (int k = 0; k < moves; ++k) {
        const std::vector<Blocks> all = movesFrom(request, rng, blocks);
        if (all.empty()) return;
        blocks = all.front();
    }
}

bool refineTowardsUnique(const DesignRequest& request, SplitMix& rng, Blocks& blocks, int steps,
                         const std::atomic<bool>* stop, RefineStats& stats) {
    // A cut that packs more ways than this is dropped rather than refined.
    constexpr uint64_t kFirstLimit = 200000;
    // Random moves out of a local minimum before descending again.
    constexpr int kKick = 4;
    const auto first = countUpTo(request.box, blocks, kFirstLimit, stop);
    ++stats.judged;
    if (!first) return false;
    if (first->distinctUnlabelled == 1) return true;
    uint64_t current = first->solutions;
    int left = steps;
    std::vector<Blocks> visited{blocks};  // equal counts are walked on, never back
    while (left > 0) {
        // The first move that does not add packings is taken.
        bool moved = false;
        for (const Blocks& next : movesFrom(request, rng, blocks)) {
            if (left-- <= 0 || (stop != nullptr && stop->load(std::memory_order_relaxed))) return false;
            if (std::find(visited.begin(), visited.end(), next) != visited.end()) continue;
            const auto r = countUpTo(request.box, next, current + 1, stop);
            ++stats.judged;
            if (!r || r->solutions == 0 || r->solutions > current) continue;
            blocks = next;
            visited.push_back(next);
            current = r->solutions;
            if (r->distinctUnlabelled == 1) return true;
            moved = true;
            break;
        }
        if (moved) continue;
        // A local minimum: a few random moves, then down again from wherever they lead.
        for (int k = 0; k < kKick; ++k) {
            const std::vector<Blocks> all = movesFrom(request, rng, blocks);
            if (!all.empty()) blocks = all.front();
        }
        const auto r = countUpTo(request.box, blocks, kFirstLimit, stop);
        ++stats.judged;
        --left;
        if (!r) return false;
        if (r->distinctUnlabelled == 1) return true;
        current = r->solutions;
        visited.assign(1, blocks);
    }
    return false;
}

}  // namespace tessaro::design
