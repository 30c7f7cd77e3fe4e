#include "design/BoxCut.h"

#include "design/CellMasks.h"

#include <algorithm>
#include <bit>

namespace tessaro::design {

namespace {

int size(uint64_t m) { return std::popcount(m); }

// A cell of `m` drawn uniformly.
int pickCell(uint64_t m, SplitMix& rng) {
    for (int k = rng.below(size(m)); k > 0; --k) m &= m - 1;
    return std::countr_zero(m);
}

// Seeds as far apart as the body allows: each new one from the outermost layer
// (or, half the time, the two outermost) of a breadth-first growth from the others.
uint64_t spreadSeeds(uint64_t body, int n, SplitMix& rng) {
    uint64_t seeds = cellBit(pickCell(body, rng));
    for (int k = 1; k < n; ++k) {
        uint64_t reached = seeds, last = 0, before = 0;
        for (;;) {
            const uint64_t layer = faceNeighbours(reached) & body & ~reached;
            if (layer == 0) break;
            before = last;
            last = layer;
            reached |= layer;
        }
        // Parts of the body the seeds cannot reach come first: they need a seed of their own.
        uint64_t pool = body & ~reached;
        if (pool == 0) pool = rng.below(2) == 0 ? last : (last | before);
        if (pool == 0) pool = body & ~seeds;
        seeds |= cellBit(pickCell(pool, rng));
    }
    return seeds;
}

// Target sizes: one of the allowed size lists drawn evenly, dealt to the blocks in
// random order, so that every mix of small and large blocks comes out; as even as
// the total allows when no list is known.
std::array<int, kBlocks> targetSizes(const DesignRequest& request, const std::vector<SizeList>& lists, int total,
                                     SplitMix& rng) {
    const int n = request.blocks;
    std::array<int, kBlocks> t{};
    if (lists.empty()) {
        for (int i = 0; i < n; ++i) t[i] = total / n + (i < total % n ? 1 : 0);
        return t;
    }
    const SizeList& pick = lists[size_t(rng.below(int(lists.size())))];
    std::copy(pick.begin(), pick.begin() + n, t.begin());
    for (int i = n; i > 1; --i) std::swap(t[size_t(i - 1)], t[size_t(rng.below(i))]);
    return t;
}

// The first two blocks breaking the rules: a forbidden shape (b == a), or two alike.
bool breaksRules(const DesignRequest& request, const Blocks& blocks, int& a, int& b) {
    const int n = request.blocks;
    for (a = 0; a < n; ++a)
        if (!pieceAllowed(request, blocks[a])) return b = a, true;
    if (request.allowIdentical) return false;
    std::array<uint64_t, kBlocks> canon{};
    for (int i = 0; i < n; ++i) canon[i] = analysis::canonicalShape(blocks[i]);
    for (a = 0; a < n; ++a)
        for (b = a + 1; b < n; ++b)
            if (canon[a] == canon[b]) return true;
    return false;
}

// Gives one cell of `from` bordering `to` to `to`, when `from` stays connected and in size.
bool trade(Blocks& blocks, int from, int to, int minCells, int maxCells, SplitMix& rng) {
    if (size(blocks[from]) - 1 < minCells || size(blocks[to]) + 1 > maxCells) return false;
    uint64_t options = blocks[from] & faceNeighbours(blocks[to]);
    while (options != 0) {
        const int c = pickCell(options, rng);
        options &= ~cellBit(c);
        if (!analysis::faceConnected(blocks[from] & ~cellBit(c))) continue;
        blocks[from] &= ~cellBit(c);
        blocks[to] |= cellBit(c);
        return true;
    }
    return false;
}

}  // namespace

CutOutcome randomCut(const DesignRequest& request, const std::vector<SizeList>& sizeLists, SplitMix& rng, Cut& out) {
    const uint64_t box = analysis::boxCells(request.box);
    const int n = request.blocks;
    const int maxCells = request.maxCells > 0 ? request.maxCells : request.box.cells();
    out = Cut{};
    for (int k = 0; k < request.empty; ++k) out.empty |= cellBit(pickCell(box & ~out.empty, rng));
    const uint64_t body = box & ~out.empty;
    const std::array<int, kBlocks> target = targetSizes(request, sizeLists, size(body), rng);

    Blocks& piece = out.blocks;
    const uint64_t seeds = spreadSeeds(body, n, rng);
    {
        uint64_t s = seeds;
        for (int i = 0; i < n; ++i, s &= s - 1) piece[i] = s & (~s + 1);
    }
    uint64_t free = body & ~seeds;
    while (free != 0) {
        // The block furthest below its target grows; one of the two furthest, for variety.
        int best = -1, second = -1;
        const auto behind = [&](int i) { return double(size(piece[i])) / double(target[i]); };
        for (int pass = 0; pass < 2 && best < 0; ++pass)
            for (int i = 0; i < n; ++i) {
                const int limit = pass == 0 ? target[i] : maxCells;
                if (size(piece[i]) >= limit || (faceNeighbours(piece[i]) & free) == 0) continue;
                if (best < 0 || behind(i) < behind(best)) {
                    second = best;
                    best = i;
                } else if (second < 0 || behind(i) < behind(second)) {
                    second = i;
                }
            }
        if (best < 0) return CutOutcome::Stuck;
        const int b = (second >= 0 && rng.below(3) == 0) ? second : best;
        const uint64_t options = faceNeighbours(piece[b]) & free;
        int cell;
        if (rng.below(2) == 0) {
            cell = pickCell(options, rng);
        } else {
            // Cells with the fewest free neighbours first, so that no free pocket is shut in.
            uint64_t fewest = 0;
            int least = 7;
            for (uint64_t m = options; m != 0; m &= m - 1) {
                const int c = std::countr_zero(m);
                const int k = size(faceNeighbours(cellBit(c)) & free);
                if (k < least) least = k, fewest = 0;
                if (k == least) fewest |= cellBit(c);
            }
            cell = pickCell(fewest, rng);
        }
        piece[b] |= cellBit(cell);
        free &= ~cellBit(cell);
    }

    // Blocks left too small take cells from their neighbours.
    for (int i = 0; i < n; ++i)
        for (int tries = 0; size(piece[i]) < request.minCells && tries < 4 * n; ++tries) {
            const int j = rng.below(n);
            if (j != i && (faceNeighbours(piece[i]) & piece[j]) != 0) trade(piece, j, i, request.minCells, maxCells, rng);
        }
    for (int i = 0; i < n; ++i)
        if (size(piece[i]) < request.minCells) return CutOutcome::Stuck;

    // Cells traded away from a block breaking the rules, or into it.
    int a = 0, b = 0;
    for (int tries = 0; breaksRules(request, piece, a, b); ++tries) {
        if (tries == 12) return a == b ? CutOutcome::Stuck : CutOutcome::Identical;
        const int which = rng.below(2) == 0 ? a : b;
        const int other = rng.below(n);
        if (other == which || (faceNeighbours(piece[which]) & piece[other]) == 0) continue;
        if (rng.below(2) == 0)
            trade(piece, which, other, request.minCells, maxCells, rng);
        else
            trade(piece, other, which, request.minCells, maxCells, rng);
    }
    return CutOutcome::Made;
}

}  // namespace tessaro::design
