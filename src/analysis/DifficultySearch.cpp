#include "analysis/DifficultySearch.h"

#include "model/SplitMix.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

namespace tessaro::analysis {

namespace {

using Draws = SplitMix;

struct Sample {
    double nodes = 0, leaves = 0;
};

struct Sums {
    double n = 0, nodes = 0, nodes2 = 0, leaves = 0;
    void add(const Sample& s) { n += 1, nodes += s.nodes, nodes2 += s.nodes * s.nodes, leaves += s.leaves; }
    // Variance of the mean of the nodes.
    double meanVariance() const {
        if (n < 2) return 0;
        return std::max(0.0, (nodes2 - nodes * nodes / n) / (n - 1)) / n;
    }
};

// One choice on the way down: the place taken, and whether it was taken for its kind of block.
struct Step {
    uint32_t place = 0;
    bool byKind = false;
};


}  // namespace

struct DifficultySearch::Impl {
    // The item a node branches on: a kind of block, a cell, or none (a packing, or a dead end).
    enum class Kind { Leaf, Dead, Block, Cell };
    struct Choice {
        Kind kind = Kind::Dead;
        int item = 0;
        int options = 0;
    };

    std::vector<SearchState> starts;
    int types = 0;
    size_t words = 0;
    std::vector<uint64_t> mask;
    std::vector<uint8_t> type;
    std::vector<uint32_t> typeStart;  // type t's places are [typeStart[t], typeStart[t + 1])
    std::vector<int> typeSize;
    std::vector<uint64_t> cover;   // per cell: the places that cover it
    std::vector<uint64_t> ofType;  // per type: its places

    // The node in hand: the places still possible at each depth (the deepest
    // is the node's), and what is left to place. A copy of it is where the
    // estimate samples a subtree.
    struct Node {
        std::vector<uint64_t> alive;
        std::array<int, kMaxTypes> left{};
        uint64_t open = 0;   // box cells not yet covered
        int pieceCells = 0;  // cells of the pieces still to place
    };
    std::vector<uint64_t> stack;  // per depth: the places still possible
    std::array<int, kMaxTypes> left{};
    uint64_t open = 0;
    int pieceCells = 0;
    int depth = 0;
    std::vector<std::vector<uint32_t>> options;  // per depth: a node's options while its children are walked
    std::vector<uint32_t> scratch;

    const uint64_t* coverOf(int cell) const { return cover.data() + size_t(cell) * words; }
    const uint64_t* typeBits(int t) const { return ofType.data() + size_t(t) * words; }
    uint64_t* aliveAt(int d) { return stack.data() + size_t(d) * words; }
    const uint64_t* aliveNow() const { return stack.data() + size_t(depth) * words; }

    void reset(const SearchState& s) {
        depth = 0;
        uint64_t* alive = aliveAt(0);
        std::fill(alive, alive + words, 0);
        pieceCells = 0;
        open = ~s.filled;
        for (int t = 0; t < types; ++t) {
            left[t] = s.left[t];
            pieceCells += left[t] * typeSize[t];
            if (left[t] == 0) continue;
            for (uint32_t i = typeStart[t]; i < typeStart[t + 1]; ++i)
                if ((mask[i] & s.filled) == 0) alive[i / 64] |= uint64_t(1) << (i % 64);
        }
    }

    Node save() const {
        const uint64_t* alive = aliveNow();
        return {std::vector<uint64_t>(alive, alive + words), left, open, pieceCells};
    }
    void enter(const Node& n) {
        depth = 0;
        std::copy(n.alive.begin(), n.alive.end(), aliveAt(0));
        left = n.left;
        open = n.open;
        pieceCells = n.pieceCells;
    }

    int typeCount(int t) const {
        const uint64_t* alive = aliveNow();
        const uint64_t* own = typeBits(t);
        int n = 0;
        for (size_t k = typeStart[t] / 64; k * 64 < typeStart[t + 1]; ++k) n += std::popcount(alive[k] & own[k]);
        return n;
    }
    // The places covering a cell, counted no further than `enough`.
    int cellCount(int c, int enough) const {
        const uint64_t* alive = aliveNow();
        const uint64_t* cov = coverOf(c);
        int n = 0;
        for (size_t k = 0; k < words && n < enough; ++k) n += std::popcount(alive[k] & cov[k]);
        return n;
    }

    Choice choose() const {
        Choice best;
        best.options = std::numeric_limits<int>::max();
        bool anyLeft = false;
        for (int t = 0; t < types; ++t) {
            if (left[t] == 0) continue;
            anyLeft = true;
            const int n = typeCount(t);
            if (n < left[t]) return {Kind::Dead, t, 0};
            if (n < best.options) best = {Kind::Block, t, n};
        }
        if (!anyLeft) return {Kind::Leaf, 0, 0};
        const int spare = std::popcount(open) - pieceCells;
        int bare = 0;
        if (spare > 0)
            for (uint64_t m = open; m != 0; m &= m - 1) bare += cellCount(std::countr_zero(m), 1) == 0 ? 1 : 0;
        if (bare > spare) return {Kind::Dead, 0, 0};
        // With no more cells to spare, every cell left must be filled.
        if (bare == spare)
            for (uint64_t m = open; m != 0 && best.options > 0; m &= m - 1) {
                const int c = std::countr_zero(m);
                const int n = cellCount(c, best.options);
                if (n == 0 && spare > 0) continue;  // one of the cells that stay empty
                if (n < best.options) best = {n == 0 ? Kind::Dead : Kind::Cell, c, n};
            }
        return best;
    }

    void optionsOf(const Choice& ch, std::vector<uint32_t>& out) const {
        out.clear();
        const uint64_t* alive = aliveNow();
        const uint64_t* bits = ch.kind == Kind::Block ? typeBits(ch.item) : coverOf(ch.item);
        for (size_t k = 0; k < words; ++k)
            for (uint64_t b = alive[k] & bits[k]; b != 0; b &= b - 1)
                out.push_back(uint32_t(k * 64 + size_t(std::countr_zero(b))));
    }

    void take(Step s) {
        const uint64_t* alive = aliveNow();
        uint64_t* below = aliveAt(depth + 1);
        std::copy(alive, alive + words, below);
        const uint64_t cells = mask[s.place];
        for (uint64_t c = cells; c != 0; c &= c - 1) {
            const uint64_t* cov = coverOf(std::countr_zero(c));
            for (size_t k = 0; k < words; ++k) below[k] &= ~cov[k];
        }
        const int t = type[s.place];
        --left[t];
        pieceCells -= typeSize[t];
        if (left[t] == 0) {
            const uint64_t* own = typeBits(t);
            for (size_t k = typeStart[t] / 64; k * 64 < typeStart[t + 1]; ++k) below[k] &= ~own[k];
        } else if (s.byKind) {
            // The kind's places below this one were its siblings: taking them now would count a packing twice.
            for (uint32_t i = typeStart[t]; i < s.place; ++i) below[i / 64] &= ~(uint64_t(1) << (i % 64));
        }
        open &= ~cells;
        ++depth;
    }

    void untake(Step s) {
        --depth;
        const int t = type[s.place];
        ++left[t];
        pieceCells += typeSize[t];
        open |= mask[s.place];
    }

    // The subtree below the node in hand, nodes counted into `out` up to `budget`.
    bool walk(Sample& out, uint64_t& budget) {
        if (budget == 0) return false;
        --budget;
        out.nodes += 1;
        const Choice ch = choose();
        if (ch.kind == Kind::Leaf) out.leaves += 1;
        if (ch.kind == Kind::Leaf || ch.kind == Kind::Dead) return true;
        std::vector<uint32_t>& here = options[size_t(depth)];
        optionsOf(ch, here);
        for (size_t i = 0; i < here.size(); ++i) {
            const Step s{here[i], ch.kind == Kind::Block};
            take(s);
            const bool ok = walk(out, budget);
            untake(s);
            if (!ok) return false;
        }
        return true;
    }

    // One probe from the node in hand, which it leaves as it found it.
    Sample probe(Draws& draws) {
        Sample out;
        out.nodes = 1;
        double w = 1;
        std::array<Step, 2 * kMaxTypes + 2> path{};
        int steps = 0;
        std::vector<uint32_t>& here = scratch;
        for (;;) {
            const Choice ch = choose();
            if (ch.kind == Kind::Leaf) out.leaves = w;
            if (ch.kind == Kind::Leaf || ch.kind == Kind::Dead) break;
            optionsOf(ch, here);
            w *= double(here.size());
            out.nodes += w;
            path[size_t(steps)] = {here[draws.scaledBelow(here.size())], ch.kind == Kind::Block};
            take(path[size_t(steps++)]);
        }
        while (steps > 0) untake(path[size_t(--steps)]);
        return out;
    }

};

DifficultySearch::DifficultySearch(const std::vector<std::vector<uint64_t>>& placements, std::vector<SearchState> starts)
    : impl_(std::make_unique<Impl>()) {
    Impl& d = *impl_;
    d.starts = std::move(starts);
    d.types = int(placements.size());
    d.typeStart.push_back(0);
    for (size_t t = 0; t < placements.size(); ++t) {
        for (uint64_t m : placements[t]) d.mask.push_back(m), d.type.push_back(uint8_t(t));
        d.typeStart.push_back(uint32_t(d.mask.size()));
        d.typeSize.push_back(placements[t].empty() ? 0 : std::popcount(placements[t].front()));
    }
    d.words = std::max<size_t>(1, (d.mask.size() + 63) / 64);
    d.cover.assign(64 * d.words, 0);
    d.ofType.assign(size_t(std::max(1, d.types)) * d.words, 0);
    for (size_t i = 0; i < d.mask.size(); ++i) {
        const uint64_t bit = uint64_t(1) << (i % 64);
        d.ofType[size_t(d.type[i]) * d.words + i / 64] |= bit;
        for (uint64_t c = d.mask[i]; c != 0; c &= c - 1) d.cover[size_t(std::countr_zero(c)) * d.words + i / 64] |= bit;
    }
    constexpr size_t kDepths = 2 * kMaxTypes + 2;
    d.stack.assign(kDepths * d.words, 0);
    d.options.resize(kDepths);
}

DifficultySearch::~DifficultySearch() = default;

std::optional<TreeSize> DifficultySearch::count(uint64_t budget) {
    Impl& d = *impl_;
    Sample all;
    for (const SearchState& s : d.starts) {
        d.reset(s);
        if (!d.walk(all, budget)) return std::nullopt;
    }
    TreeSize out;
    out.nodes = out.low = out.high = all.nodes;
    out.packings = all.leaves;
    return out;
}

TreeSize DifficultySearch::estimate(uint64_t probes, uint64_t seed) {
    Impl& d = *impl_;
    // Subtrees a few levels down, so that a huge one cannot hide among many
    // small ones; the levels above them are counted.
    constexpr size_t kEnoughStrata = 128;
    constexpr uint64_t kCountBelow = 64;
    constexpr int kPilot = 4;
    using Stratum = Impl::Node;
    Sample above;
    std::vector<Stratum> strata;
    for (const SearchState& s : d.starts) {
        d.reset(s);
        strata.push_back(d.save());
    }
    std::vector<uint32_t> here;
    for (int level = 0; level < 4 && strata.size() < kEnoughStrata; ++level) {
        std::vector<Stratum> next;
        for (size_t k = 0; k < strata.size(); ++k) {
            // No more than enough: the rest stay whole.
            if (next.size() + strata.size() - k >= kEnoughStrata) {
                next.insert(next.end(), strata.begin() + std::ptrdiff_t(k), strata.end());
                break;
            }
            d.enter(strata[k]);
            const Impl::Choice ch = d.choose();
            above.nodes += 1;
            if (ch.kind == Impl::Kind::Leaf) above.leaves += 1;
            if (ch.kind == Impl::Kind::Leaf || ch.kind == Impl::Kind::Dead) continue;
            d.optionsOf(ch, here);
            for (uint32_t p : here) {
                const Step step{p, ch.kind == Impl::Kind::Block};
                d.take(step);
                next.push_back(d.save());
                d.untake(step);
            }
        }
        strata = std::move(next);
    }

    Draws draws(seed);
    TreeSize out;
    Sample exact = above;
    std::vector<Sums> pilot(strata.size()), sums(strata.size());
    std::vector<size_t> probed;
    for (size_t i = 0; i < strata.size(); ++i) {
        d.enter(strata[i]);
        Sample small;
        uint64_t budget = kCountBelow;
        if (d.walk(small, budget)) {
            exact.nodes += small.nodes, exact.leaves += small.leaves;
            continue;
        }
        probed.push_back(i);
        for (int k = 0; k < kPilot; ++k) pilot[i].add(d.probe(draws));
        out.probes += kPilot;
    }
    // Neyman's allocation: by each subtree's size and spread in the pilot probes.
    const auto weight = [&](size_t i) { return pilot[i].nodes / pilot[i].n + std::sqrt(pilot[i].meanVariance() * pilot[i].n); };
    double total = 0;
    for (size_t i : probed) total += weight(i);
    const double budget = std::max(0.0, double(probes) - double(out.probes));
    double nodes = exact.nodes, leaves = exact.leaves, variance = 0, lowBound = exact.nodes;
    for (size_t i : probed) {
        const auto n = std::max<uint64_t>(2, uint64_t(std::llround(budget * weight(i) / total)));
        d.enter(strata[i]);
        for (uint64_t k = 0; k < n; ++k) sums[i].add(d.probe(draws));
        out.probes += n;
        // The mean from the probes after the pilot (the pilot chose their number); the spread from all.
        nodes += sums[i].nodes / sums[i].n;
        leaves += sums[i].leaves / sums[i].n;
        Sums both = sums[i];
        both.n += pilot[i].n, both.nodes += pilot[i].nodes, both.nodes2 += pilot[i].nodes2;
        variance += both.meanVariance() * both.n / sums[i].n;
        lowBound += double(kCountBelow);  // it did not fit the count
    }
    out.estimated = !probed.empty();
    out.nodes = nodes = std::max(nodes, lowBound);
    out.packings = leaves;
    // A probe's figure is skewed, mostly small and now and then very large: the range reaches further up.
    const double sd = std::sqrt(variance);
    out.low = std::max(lowBound, nodes - 3 * sd);
    out.high = std::max(out.low, nodes + 5 * sd);
    return out;
}

}  // namespace tessaro::analysis
