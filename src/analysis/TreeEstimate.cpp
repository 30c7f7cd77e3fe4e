#include "analysis/TreeEstimate.h"

#include "model/SplitMix.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <limits>
#include <optional>

namespace tessaro::analysis {

namespace {

constexpr uint64_t kFull = ~uint64_t(0);

using ProbeRandom = SplitMix;

struct Sample {
    double nodes = 0;
    double leaves = 0;
    uint64_t steps = 0;  // levels the probe went down
};

// The count's part searches use CoverSearch exactly when this is false.
bool searchedByPiece(const SearchState& s) { return s.empties > 0 && s.filled != kFull; }

// One probe of the cell-by-cell tree: the root and every inner node count, as
// CoverSearch pushes them; a full box is a leaf.
Sample probeCells(const CoverSearch& search, SearchState s, ProbeRandom& rnd) {
    Sample out;
    if (s.filled == kFull) {
        out.leaves = 1;
        return out;
    }
    out.nodes = 1;
    double w = 1;
    for (;; ++out.steps) {
        const std::vector<SearchState> children = search.expand(s);
        if (children.empty()) return out;
        const SearchState& c = children[rnd.scaledBelow(children.size())];
        w *= double(children.size());
        if (c.filled == kFull) {
            out.leaves = w;
            return out;
        }
        out.nodes += w;
        s = c;
    }
}

// The piece-by-piece tree, step for step as PieceSearch descends: a probe of
// it, or a count of a small one.
class PieceTree {
public:
    explicit PieceTree(const std::vector<std::vector<uint64_t>>& placements)
        : placements_(placements), types_(placements.size()), levels_(2 * kMaxTypes + 2) {}

    // A child is drawn among all places of the chosen kind before the checks
    // that may end it, so its degree needs no trial of every sibling.
    Sample probe(const SearchState& s, ProbeRandom& rnd) {
        Sample out;
        if (!root(s)) return out;
        out.nodes = 1;
        double w = 1;
        for (size_t level = 0;; ++level, ++out.steps) {
            size_t fewest = 0;
            const int best = choose(level, fewest);
            if (best < 0 || pieces_ == 1) {
                out.leaves = w * double(best < 0 ? 1 : fewest);
                return out;
            }
            if (fewest == 0) return out;
            const size_t i = rnd.scaledBelow(fewest);
            w *= double(fewest);
            // With two pieces left the search counts the pairs of places without
            // entering the last piece's level.
            const bool node = pieces_ > 2;
            if (!child(level, size_t(best), i)) return out;
            if (node) out.nodes += w;
        }
    }

    // The root's children when the kind placed first has one piece left; nothing else.
    std::vector<SearchState> split(const SearchState& s) {
        std::vector<SearchState> out;
        if (!root(s)) return out;
        size_t fewest = 0;
        const int best = choose(0, fewest);
        if (best < 0 || pieces_ <= 2 || left_[size_t(best)] != 1) return {s};
        const size_t b = size_t(best);
        for (size_t i = 0; i < fewest; ++i) {
            const uint64_t place = levels_[0][b][i];
            if (child(0, b, i)) {
                SearchState c = s;
                c.filled |= place;
                c.left[b] = 0;
                c.placed[size_t(c.placedCount++)] = {place, uint8_t(b), 1};
                out.push_back(c);
            }
            ++left_[b];
        }
        return out;
    }

    // The tree's nodes and packings when it has at most `cap` nodes.
    std::optional<Sample> count(const SearchState& s, uint64_t cap) {
        Sample out;
        if (!root(s)) return out;
        budget_ = cap;
        if (!descend(0, out)) return std::nullopt;
        return out;
    }

private:
    using Lists = std::array<std::vector<uint64_t>, kMaxTypes>;

    bool root(const SearchState& s) {
        left_ = s.left;
        empties_ = s.empties;
        Lists& top = levels_[0];
        uint64_t reach = 0;
        filled_[0] = s.filled;
        for (size_t t = 0; t < types_; ++t) {
            top[t].clear();
            if (left_[t] == 0) continue;
            for (uint64_t m : placements_[t])
                if ((m & s.filled) == 0) top[t].push_back(m), reach |= m;
            if (top[t].size() < left_[t]) return false;
        }
        return std::popcount(~s.filled & ~reach) <= empties_;
    }

    // The kind with the fewest places left (-1: no piece left); pieces_ = pieces left.
    int choose(size_t level, size_t& fewest) {
        int best = -1;
        pieces_ = 0;
        fewest = std::numeric_limits<size_t>::max();
        for (size_t t = 0; t < types_; ++t) {
            if (left_[t] == 0) continue;
            pieces_ += left_[t];
            if (levels_[level][t].size() < fewest) fewest = levels_[level][t].size(), best = int(t);
        }
        return best;
    }

    // Place i of kind b taken (left_ counts it off): whether the child lives.
    bool child(size_t level, size_t b, size_t i) {
        const Lists& here = levels_[level];
        Lists& next = levels_[level + 1];
        const uint64_t nf = filled_[level] | here[b][i];
        filled_[level + 1] = nf;
        --left_[b];
        uint64_t reach = 0;
        bool dead = false;
        for (size_t t = 0; t < types_; ++t) {
            next[t].clear();
            if (left_[t] == 0) continue;
            for (size_t j = t == b ? i + 1 : 0; j < here[t].size(); ++j)
                if ((here[t][j] & nf) == 0) next[t].push_back(here[t][j]), reach |= here[t][j];
            dead = dead || next[t].size() < left_[t];
        }
        return !dead && std::popcount(~nf & ~reach) <= empties_;
    }

    bool descend(size_t level, Sample& out, bool node = true) {
        if (budget_ == 0) return false;
        --budget_;
        if (node) out.nodes += 1;
        size_t fewest = 0;
        const int best = choose(level, fewest);
        if (best < 0 || pieces_ == 1) {
            out.leaves += double(best < 0 ? 1 : fewest);
            return true;
        }
        const size_t b = size_t(best);
        const bool childNodes = pieces_ > 2;  // as in probe()
        bool ok = true;
        for (size_t i = 0; i < fewest && ok; ++i) {
            if (child(level, b, i)) ok = descend(level + 1, out, childNodes);
            ++left_[b];
        }
        return ok;
    }

    const std::vector<std::vector<uint64_t>>& placements_;
    size_t types_;
    std::vector<Lists> levels_;
    std::array<uint64_t, 2 * kMaxTypes + 2> filled_{};
    std::array<uint8_t, kMaxTypes> left_{};
    int empties_ = 0;
    int pieces_ = 0;
    uint64_t budget_ = 0;
};

// A part whose probes reached a packing fewer times than this has its
// packings told too poorly for a range: the estimate is then only a bound.
constexpr int kFewHits = 1;

// Running sums of one stratum's probes.
struct Stratum {
    double n = 0, nodes = 0, nodes2 = 0, leaves = 0, leaves2 = 0;
    int hits = 0;  // samples that reached a packing
    void add(const Sample& s) {
        n += 1;
        hits += s.leaves > 0 ? 1 : 0;
        nodes += s.nodes, nodes2 += s.nodes * s.nodes;
        leaves += s.leaves, leaves2 += s.leaves * s.leaves;
    }
    // Variance of the mean, from the sample's spread.
    static double meanVariance(double n, double sum, double sum2) {
        if (n < 2) return 0;
        return std::max(0.0, (sum2 - sum * sum / n) / (n - 1)) / n;
    }
    double nodesVar() const { return meanVariance(n, nodes, nodes2); }
    double leavesVar() const { return meanVariance(n, leaves, leaves2); }
};

// A probe's result is skewed: mostly small, now and then very large. A run
// that met few large ones lies low and its spread looks small, so the range
// reaches further up than down.
Estimate withRange(double value, double variance, double spread) {
    const double sd = std::sqrt(variance);
    return {value, std::max(0.0, value - spread * sd), value + (spread + 2) * sd};
}

}  // namespace

PartsEstimate estimateParts(const ItemSet& items, const std::vector<std::vector<uint64_t>>& placementsByType,
                            const std::vector<SearchState>& parts, const EstimateOptions& options) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(std::max(0.0, options.seconds)));
    PartsEstimate out;
    std::vector<Stratum> strata(parts.size());
    CoverSearch cells(items);
    PieceTree pieces(placementsByType);
    ProbeRandom rnd(options.seed);

    const auto cancelled = [&] { return options.cancel != nullptr && options.cancel->load(std::memory_order_relaxed); };
    const auto probe = [&](size_t p, Stratum& into) {
        const SearchState& part = parts[p];
        Sample s = searchedByPiece(part) ? pieces.probe(part, rnd) : probeCells(cells, part, rnd);
        s.leaves *= double(part.weight);
        into.add(s);
        ++out.probes;
    };

    // A small part is counted. The others get a few pilot probes, which only
    // share out the probes that follow: a part's estimate taken from the same
    // probes that decided how many it gets would lean low.
    constexpr int kPilot = 4;
    const auto pilotStart = Clock::now();
    std::vector<Stratum> pilot(parts.size());
    std::vector<bool> exactPart(parts.size(), false);
    std::vector<size_t> probed;
    Clock::duration probing{};  // time the pilot's probes took
    const auto pilotEnd = pilotStart + (deadline - pilotStart) / 2;
    for (size_t p = 0; p < parts.size() && !cancelled(); ++p) {
        const SearchState& part = parts[p];
        std::optional<Sample> exact;
        // Short of time (many parts), the rest are only probed.
        const bool mayCount = options.countBelow > 0 && (options.probes > 0 || Clock::now() < pilotEnd);
        if (!mayCount) {
        } else if (searchedByPiece(part)) {
            exact = pieces.count(part, options.countBelow);
        } else {
            cells.start(part);
            if (cells.run(options.countBelow, true) == CoverSearch::Step::Done)
                exact = Sample{double(cells.nodes()), double(cells.leaves())};
        }
        if (exact) {
            exact->leaves *= double(part.weight);
            strata[p].add(*exact);
            exactPart[p] = true;
            continue;
        }
        probed.push_back(p);
        const auto before = Clock::now();
        for (int k = 0; k < kPilot; ++k) probe(p, pilot[p]);
        probing += Clock::now() - before;
    }

    // Each part's share: half by the packings, half by the nodes, each by its
    // spread and its size (Neyman's allocation, kept from trusting a spread
    // of zero seen in a few probes).
    double budget = 0;
    if (options.probes > 0) {
        budget = double(options.probes) - double(out.probes);
    } else if (out.probes > 0) {
        const double pilotSeconds = std::chrono::duration<double>(probing).count();
        const double left = std::chrono::duration<double>(deadline - Clock::now()).count();
        budget = left * double(out.probes) / std::max(pilotSeconds, 1e-6);
    }
    const auto weightOf = [&](size_t p, bool ofLeaves) {
        const Stratum& s = pilot[p];
        const double mean = (ofLeaves ? s.leaves : s.nodes) / s.n;
        const double sd = std::sqrt((ofLeaves ? s.leavesVar() : s.nodesVar()) * s.n);
        return mean + sd;
    };
    double sumL = 0, sumN = 0;
    for (size_t p : probed) sumL += weightOf(p, true), sumN += weightOf(p, false);
    for (size_t p : probed) {
        if (cancelled()) break;
        double share = 0;
        if (sumL > 0) share += 0.5 * weightOf(p, true) / sumL;
        if (sumN > 0) share += 0.5 * weightOf(p, false) / sumN;
        const auto n = std::max<uint64_t>(2, uint64_t(std::llround(std::max(0.0, budget) * share)));
        // Past the time the options give, each part still gets the two probes its range needs.
        for (uint64_t k = 0; k < n && (k < 2 || options.probes > 0 || Clock::now() < deadline); ++k) probe(p, strata[p]);
    }

    // The means from the probes after the pilot; the spreads from all of a
    // part's probes, as few probes tell a spread poorly.
    double leaves = 0, leavesVar = 0, nodes = 0, nodesVar = 0;
    out.partNodes.resize(parts.size());
    out.exact = !cancelled();
    for (size_t p = 0; p < parts.size(); ++p) {
        const Stratum& s = strata[p];
        const double n = std::max(1.0, s.n);
        out.partNodes[p] = s.nodes / n;
        nodes += s.nodes / n;
        leaves += s.leaves / n;
        Stratum all = s;
        all.n += pilot[p].n;
        all.nodes += pilot[p].nodes, all.nodes2 += pilot[p].nodes2;
        all.leaves += pilot[p].leaves, all.leaves2 += pilot[p].leaves2;
        all.hits += pilot[p].hits;
        if (!exactPart[p]) out.exact = false;
        // Probes that never reached a packing tell nothing of the packings below.
        if (!exactPart[p] && all.hits < kFewHits) out.bound = true;
        nodesVar += all.nodesVar() * all.n / n;
        leavesVar += all.leavesVar() * all.n / n;
    }
    out.leaves = withRange(leaves, leavesVar, options.spread);
    out.nodes = withRange(nodes, nodesVar, options.spread);
    return out;
}

std::vector<SearchState> splitByPiece(const std::vector<std::vector<uint64_t>>& placementsByType, const SearchState& part) {
    if (!searchedByPiece(part)) return {part};
    PieceTree tree(placementsByType);
    return tree.split(part);
}

struct PartsProber::Impl {
    Impl(const ItemSet& items, const std::vector<std::vector<uint64_t>>& placementsByType,
         const std::vector<SearchState>& all, uint64_t seed)
        : parts(all), cells(items), pieces(placementsByType), rnd(seed), strata(all.size()), exact(all.size(), false) {}
    const std::vector<SearchState>& parts;
    CoverSearch cells;
    PieceTree pieces;
    ProbeRandom rnd;
    std::vector<Stratum> strata;
    std::vector<bool> exact;
    size_t next = 0;
    uint64_t steps = 0;
};

PartsProber::PartsProber(const ItemSet& items, const std::vector<std::vector<uint64_t>>& placementsByType,
                         const std::vector<SearchState>& parts, uint64_t seed)
    : d_(std::make_unique<Impl>(items, placementsByType, parts, seed)) {}

PartsProber::~PartsProber() = default;

void PartsProber::run(size_t first, uint64_t steps) {
    Impl& d = *d_;
    const uint64_t until = d.steps + steps;
    size_t idle = 0;  // parts passed over in a row with nothing to learn
    while (d.steps < until && first < d.parts.size() && idle < d.parts.size()) {
        if (d.next < first || d.next >= d.parts.size()) d.next = first;
        const size_t p = d.next++;
        if (d.exact[p]) {
            ++idle;
            continue;
        }
        idle = 0;
        const SearchState& part = d.parts[p];
        Stratum& s = d.strata[p];
        const Sample sample = searchedByPiece(part) ? d.pieces.probe(part, d.rnd) : probeCells(d.cells, part, d.rnd);
        d.steps += sample.steps + 1;
        // A part whose first probe finds it small is counted, once: cheaper
        // than more probes, and exact. Tried on every part, the counts cost
        // several times what they were billed, as most parts are not small.
        constexpr uint64_t kCountBelow = 256;
        if (s.n == 0 && sample.nodes < double(kCountBelow)) {
            std::optional<Sample> counted;
            if (searchedByPiece(part)) {
                counted = d.pieces.count(part, kCountBelow);
            } else {
                d.cells.start(part);
                if (d.cells.run(kCountBelow, true) == CoverSearch::Step::Done)
                    counted = Sample{double(d.cells.nodes()), double(d.cells.leaves()), 0};
            }
            d.steps += kCountBelow / 8;
            if (counted) {
                s.add(*counted);
                d.exact[p] = true;
                continue;
            }
        }
        s.add(sample);
    }
}

double PartsProber::nodes(size_t p) const {
    const Stratum& s = d_->strata[p];
    return s.n > 0 ? s.nodes / s.n : -1;
}

uint64_t PartsProber::steps() const { return d_->steps; }

}  // namespace tessaro::analysis

namespace tessaro::analysis {

std::string durationText(double seconds) {
    struct Unit {
        double seconds;
        const char* name;
    };
    static constexpr Unit kUnits[] = {{1, "秒"}, {60, "分"}, {3600, "時間"}, {86400, "日"}, {86400 * 365.25, "年"}};
    seconds = std::round(seconds);
    size_t u = 0;
    // A unit is used from twice its size: "90 秒", then "2 分".
    while (u + 1 < std::size(kUnits) && seconds >= 2 * kUnits[u + 1].seconds) ++u;
    const double n = seconds / kUnits[u].seconds;
    char buf[48];
    if (n < 1e6) {
        std::snprintf(buf, sizeof buf, "%.0f %s", std::max(n, 1.0), kUnits[u].name);
    } else {
        const int exp = int(std::floor(std::log10(n)));
        std::snprintf(buf, sizeof buf, "%.1f×10^%d %s", n / std::pow(10.0, exp), exp, kUnits[u].name);
    }
    return buf;
}

}  // namespace tessaro::analysis
