#include "analysis/PackingAnalysis.h"

#include "analysis/CoverSearch.h"
#include "analysis/PartsCount.h"
#include "analysis/PieceSearch.h"
#include "analysis/TreeEstimate.h"
#include "analysis/WorkerThreads.h"
#include "model/BlockMasks.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <mutex>
#include <tuple>

namespace tessaro::analysis {

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint64_t kFull = ~uint64_t(0);

// Blocks of one shape: one piece type of the search.
struct PieceType {
    int size = 0;
    bool connected = true;
    std::vector<int> blocks;  // block indexes, ascending
    std::vector<uint64_t> placements;
};

std::string blockText(int number) { return "ブロック " + std::to_string(number) + " "; }

uint64_t ceilDiv(uint64_t a, uint64_t b) { return a / b + (a % b != 0 ? 1 : 0); }

bool cancelled(const std::atomic<bool>* cancel) { return cancel != nullptr && cancel->load(std::memory_order_relaxed); }

// Counts a small search to its end; nothing when cancelled.
std::optional<uint64_t> countAll(const ItemSet& items, const SearchState& root, const std::atomic<bool>* cancel) {
    CoverSearch search(items);
    search.start(root);
    while (search.run(1 << 14, true) != CoverSearch::Step::Done)
        if (cancelled(cancel)) return std::nullopt;
    return search.leaves();
}


}  // namespace

const char* problemKindName(ProblemKind kind) {
    switch (kind) {
    case ProblemKind::BadBox: return "bad_box";
    case ProblemKind::NoBlocks: return "no_blocks";
    case ProblemKind::TooManyCells: return "too_many_cells";
    case ProblemKind::FitsNowhere: return "fits_nowhere";
    case ProblemKind::KeptMismatch: return "kept_mismatch";
    }
    return "";
}

struct PackingAnalysis::Data {
    BoxSize box;
    std::vector<BlockInfo> blocks;
    std::vector<Problem> problems;
    std::array<uint64_t, kBlocks> kept{};  // cells of each kept block
    std::vector<PieceType> types;
    std::vector<BoxSymmetry> group;  // identity first
    std::vector<BoxSymmetry> mirrors;  // the reflections that keep every kept block in place
    std::vector<int> mirrorType;       // per type, its mirror image's
    bool mirrorClosed = true;          // every type's mirror image among the types, as many times
    std::vector<int> chain;          // single-block types fixed, in turn, to break the symmetry
    // Of each chain type, orbitHeads() under every rotation: what each candidate's first level fixes.
    std::vector<std::vector<std::pair<uint64_t, uint32_t>>> rootHeads;
    uint64_t labellings = 1;         // orders of equal blocks: product of their counts' factorials
    SearchState root;
    std::unique_ptr<ItemSet> items;
    std::vector<std::vector<uint64_t>> placementsByType;

    ItemSet makeItems(std::vector<Item> list) const {
        std::array<int, kMaxTypes> size{};
        std::array<bool, kMaxTypes> connected{};
        for (size_t t = 0; t < types.size(); ++t) size[t] = types[t].size, connected[t] = types[t].connected;
        return ItemSet(int(types.size()), size, connected, std::move(list));
    }

    // Every piece of one type in a fixed place of the box.
    std::vector<Item> placementItems() const {
        std::vector<Item> out;
        for (size_t t = 0; t < types.size(); ++t)
            for (uint64_t p : types[t].placements) out.push_back({p, uint8_t(t), 1});
        return out;
    }

    // The pieces that g moves piece p through, as one set of cells with their
    // number: when they close into a cycle of at most `have` pieces that do not
    // overlap and p is the lowest of them (so each cycle is taken once); else {0, 0}.
    static std::pair<uint64_t, int> pieceCycle(uint64_t p, const BoxSymmetry& g, int have) {
        uint64_t cells = 0, q = p;
        int k = 0;
        do {
            if ((q & cells) != 0 || q < p) return {0, 0};
            cells |= q;
            ++k;
            q = g.apply(q);
        } while (q != p && k < have);
        return q == p ? std::pair{cells, k} : std::pair<uint64_t, int>{0, 0};
    }

    // For the packings that rotation g maps onto themselves: `fixed` gets the
    // pieces g fixes, `cycles` each group of pieces that g permutes in a cycle as one item.
    void invariantItems(const BoxSymmetry& g, std::vector<Item>& fixed, std::vector<Item>& cycles) const {
        for (size_t t = 0; t < types.size(); ++t) {
            const int have = int(types[t].blocks.size());
            for (uint64_t p : types[t].placements) {
                const auto [cells, k] = pieceCycle(p, g, have);
                if (cells == 0) continue;
                cycles.push_back({cells, uint8_t(t), uint8_t(k)});
                if (k == 1) fixed.push_back({cells, uint8_t(t), 1});
            }
        }
    }

    // Whether a rotation can map any packing onto itself: each block alone of its
    // shape must then lie where the rotation maps it onto itself. Most rotations
    // fail on the block with the fewest places, and then need no search. A place
    // mapped onto itself keeps the centre of its cells: tested first on the sums
    // of the cells' coordinates, made once, that spares most maps of whole places.
    class FixTest {
    public:
        explicit FixTest(const std::vector<PieceType>& types) {
            for (const PieceType& t : types)
                if (t.blocks.size() == 1 && (fewest_ == nullptr || t.placements.size() < fewest_->placements.size()))
                    fewest_ = &t;
            if (fewest_ == nullptr) return;
            for (uint64_t p : fewest_->placements) {
                std::array<int, 3> sum{};
                for (uint64_t m = p; m != 0; m &= m - 1) {
                    const auto c = coords(m & (~m + 1));
                    for (size_t a = 0; a < 3; ++a) sum[a] += c[a];
                }
                sums_.push_back(sum);
            }
        }
        bool mayFix(const BoxSymmetry& g) const {
            if (fewest_ == nullptr) return true;
            // The rotation as x -> R x + t, from the images of the corner cell and its
            // neighbours; an axis the box is one cell thick along adds nothing to any sum.
            const std::array<int, 3> t = coords(g.apply(bitOf(0, 0, 0)));
            std::array<std::array<int, 3>, 3> column{};
            for (size_t a = 0; a < 3; ++a) {
                const uint64_t unit = a == 0 ? bitOf(1, 0, 0) : a == 1 ? bitOf(0, 1, 0) : bitOf(0, 0, 1);
                const uint64_t image = g.apply(unit);
                if (image == 0) continue;
                const auto c = coords(image);
                for (size_t i = 0; i < 3; ++i) column[a][i] = c[i] - t[i];
            }
            const int n = fewest_->size;
            for (size_t k = 0; k < sums_.size(); ++k) {
                const std::array<int, 3>& s = sums_[k];
                bool centre = true;
                for (size_t i = 0; i < 3 && centre; ++i)
                    centre = column[0][i] * s[0] + column[1][i] * s[1] + column[2][i] * s[2] + n * t[i] == s[i];
                if (centre && g.apply(fewest_->placements[k]) == fewest_->placements[k]) return true;
            }
            return false;
        }

    private:
        static std::array<int, 3> coords(uint64_t cell) {
            const int c = std::countr_zero(cell);
            return {c & 3, (c >> 2) & 3, c >> 4};
        }
        const PieceType* fewest_ = nullptr;
        std::vector<std::array<int, 3>> sums_;
    };

    // For the unlabelled packings that reflection g maps onto themselves: a block
    // and its mirror image are one type there, and each item a cycle of pieces.
    std::pair<std::vector<Item>, SearchState> mirrorItems(const BoxSymmetry& g) const {
        SearchState start = root;
        const auto merged = [&](size_t t) { return size_t(std::min(int(t), mirrorType[t])); };
        for (size_t t = 0; t < types.size(); ++t)
            if (merged(t) != t) start.left[merged(t)] = uint8_t(start.left[merged(t)] + start.left[t]), start.left[t] = 0;
        std::vector<Item> cycles;
        for (size_t t = 0; t < types.size(); ++t) {
            const int have = start.left[merged(t)];
            for (uint64_t p : types[t].placements) {
                const auto [cells, k] = pieceCycle(p, g, have);
                if (cells != 0) cycles.push_back({cells, uint8_t(merged(t)), uint8_t(k)});
            }
        }
        return {std::move(cycles), start};
    }

    bool classes(uint64_t typePackings, const std::atomic<bool>* cancel, CountResult& r) const;

    // The rotations among `group` (bit per index) that map the packing onto itself, the identity included.
    uint64_t ownSymmetries(const std::vector<Item>& pieces, uint32_t within) const {
        uint64_t own = 1;
        for (uint32_t m = within & ~uint32_t(1); m != 0; m &= m - 1) {
            const BoxSymmetry& g = group[size_t(std::countr_zero(m))];
            bool same = true;
            for (size_t i = 0; i < pieces.size() && same; ++i) {
                const uint64_t image = g.apply(pieces[i].mask);
                same = std::any_of(pieces.begin(), pieces.end(),
                                   [&](const Item& o) { return o.mask == image && o.type == pieces[i].type; });
            }
            own += same ? 1 : 0;
        }
        return own;
    }

    Packing toPacking(const std::vector<Item>& pieces) const {
        Packing out = kept;
        for (size_t t = 0; t < types.size(); ++t) {
            std::vector<uint64_t> masks;
            for (const Item& it : pieces)
                if (it.type == t) masks.push_back(it.mask);
            std::sort(masks.begin(), masks.end());
            for (size_t i = 0; i < masks.size() && i < types[t].blocks.size(); ++i)
                out[types[t].blocks[i]] = masks[i];
        }
        return out;
    }

    // The parts of the search that break the box's symmetry exactly: a block of
    // its own shape is fixed at one place of each orbit of its places under the
    // rotations left, and the part stands for the orbit's size.
    std::vector<SearchState> symmetryParts() const { return symmetryParts(chain); }
    // The lowest place of each orbit of kind t's places under the rotations `g`
    // (bits of `group`), with the rotations that fix it; places that meet
    // `filled` left out. The places ascend, so the first met of an orbit is its
    // lowest, and its images are marked off: a place's rotations are computed once per orbit.
    std::vector<std::pair<uint64_t, uint32_t>> orbitHeads(size_t t, uint32_t g, uint64_t filled) const {
        const std::vector<uint64_t>& places = types[t].placements;
        std::vector<bool> seen(places.size());
        std::vector<std::pair<uint64_t, uint32_t>> out;
        for (size_t i = 0; i < places.size(); ++i) {
            if (seen[i] || (places[i] & filled) != 0) continue;
            uint32_t stabilizer = 0;
            for (uint32_t m = g; m != 0; m &= m - 1) {
                const int k = std::countr_zero(m);
                // A place that a rotation fixes needs no search for its image.
                const uint64_t image = group[size_t(k)].isIdentity() ? places[i] : group[size_t(k)].apply(places[i]);
                if (image == places[i]) {
                    stabilizer |= uint32_t(1) << k;
                    continue;
                }
                const auto j = std::lower_bound(places.begin() + std::ptrdiff_t(i), places.end(), image);
                if (j != places.end() && *j == image) seen[size_t(j - places.begin())] = true;
            }
            out.push_back({places[i], stabilizer});
        }
        return out;
    }

    std::vector<SearchState> symmetryParts(const std::vector<int>& order) const {
        std::vector<SearchState> states{root};
        for (int t : order) {
            // Once no state has a rotation left, the rest of the chain changes nothing.
            if (std::none_of(states.begin(), states.end(), [](const SearchState& s) { return std::popcount(s.group) > 1; }))
                break;
            std::vector<SearchState> next;
            next.reserve(states.size());
            for (const SearchState& s : states) {
                if (std::popcount(s.group) <= 1) {
                    next.push_back(s);
                    continue;
                }
                const bool atRoot = s.group == root.group && s.filled == root.filled && size_t(t) < rootHeads.size() &&
                                    !rootHeads[size_t(t)].empty();
                std::vector<std::pair<uint64_t, uint32_t>> computed;
                const auto& heads = atRoot ? rootHeads[size_t(t)] : (computed = orbitHeads(size_t(t), s.group, s.filled));
                for (const auto& [p, stabilizer] : heads) {
                    SearchState c = s;
                    c.filled |= p;
                    c.left[t] = 0;
                    c.weight *= uint64_t(std::popcount(s.group) / std::popcount(stabilizer));
                    c.group = stabilizer;
                    c.placed[c.placedCount++] = {p, uint8_t(t), 1};
                    next.push_back(c);
                }
            }
            states = std::move(next);
        }
        return states;
    }

    // Parts of the search: symmetryParts() split further until there are
    // `enough`, but not many more, as each part's start costs (no split at all
    // unless `split`). `wholeRounds` splits every part of a round, for the
    // estimate, which counts small parts exactly. The split is the same for any
    // thread count and keeps the search order, so the first packing is the same too.
    std::vector<SearchState> countParts(bool split = true, size_t enough = 160, bool wholeRounds = false) const {
        return countParts(chain, split, enough, wholeRounds);
    }
    // `splitNodes` gets the nodes the split took apart, which the search of
    // the parts no longer visits: the count's nodes stay the same however fine its parts.
    std::vector<SearchState> countParts(const std::vector<int>& order, bool split = true, size_t enough = 160,
                                        bool wholeRounds = false, uint64_t* splitNodes = nullptr) const {
        std::vector<SearchState> parts = symmetryParts(order);
        CoverSearch splitter(*items);
        for (int round = 0; split && round < 4 && parts.size() < enough; ++round) {
            std::vector<SearchState> next;
            for (size_t k = 0; k < parts.size(); ++k) {
                if (!wholeRounds && next.size() + parts.size() - k >= enough) {
                    next.insert(next.end(), parts.begin() + std::ptrdiff_t(k), parts.end());
                    break;
                }
                if (splitNodes != nullptr && parts[k].filled != kFull) ++*splitNodes;
                for (const SearchState& c : splitter.expand(parts[k])) next.push_back(c);
            }
            parts = std::move(next);
        }
        return parts;
    }

    // The block fixed first shapes the whole cell-by-cell search of a full box:
    // its cost differs up to thirtyfold from one block to another, so each
    // single block is tried first by probes of its parts. Boxes with cells to
    // spare differ less, and their probes foretell the count's shortcuts
    // poorly: there the rule's order stands.
    std::vector<int> fastestChain() const {
        if (chain.size() < 2 || root.empties > 0) return chain;
        struct Candidate {
            std::vector<int> order;
            std::vector<SearchState> parts;
            // Of the probes, the parts taken in turn: drawn at random, a few
            // unlucky draws among parts of very different sizes chose a block
            // costing up to nine times the best.
            double sum = 0;
            int probes = 0;
            double nodes() const { return double(parts.size()) * sum / std::max(probes, 1); }
        };
        std::vector<Candidate> race;
        for (size_t h = 0; h < chain.size(); ++h) {
            Candidate c;
            c.order = chain;
            std::rotate(c.order.begin(), c.order.begin() + std::ptrdiff_t(h), c.order.begin() + std::ptrdiff_t(h + 1));
            c.parts = symmetryParts(c.order);
            race.push_back(std::move(c));
        }
        const CoverSearch search(*items);
        uint64_t random = 1, levels = 0;
        const auto probe = [&](Candidate& c, int times) {
            for (int k = 0; k < times && !c.parts.empty(); ++k, ++c.probes) {
                random += 0x9E3779B97F4A7C15ull;
                const size_t p = size_t(c.probes) % c.parts.size();
                c.sum += search.probeNodes(c.parts[p], random, levels);
            }
        };
        // A probe level costs about a node of the search. Each candidate gets a
        // few probes; while the probes stay within a sixteenth of what the best
        // estimate so far would cost, the better half gets more, shared between
        // the rounds left (with the parts taken in turn an eighth chose the same
        // blocks, at a seventh more of a small count's work). The rule's choice
        // goes first: when its estimate cannot pay for the first round, the rule stands. The draws, like the
        // candidates' order, owe nothing to the blocks' numbers.
        constexpr int kFirst = 8;
        probe(race[0], kFirst);
        const double perProbe = double(levels + 1) / kFirst;
        if (double(race.size()) * kFirst * perProbe > race[0].nodes() / 8) return chain;
        for (size_t k = 1; k < race.size(); ++k) probe(race[k], kFirst);
        for (;;) {
            std::stable_sort(race.begin(), race.end(), [](const Candidate& a, const Candidate& b) { return a.nodes() < b.nodes(); });
            const double allowed = std::min(race[0].nodes() / 16, 32768.0);
            race.resize((race.size() + 1) / 2);
            const int rounds = std::bit_width(race.size() - 1);
            const double more = (allowed - double(levels)) / perProbe / double(race.size()) / std::max(rounds, 1);
            if (race.size() == 1 || more < kFirst) break;
            for (Candidate& c : race) probe(c, int(more));
        }
        return race.front().order;
    }

    // Whether the search over symmetryParts() reaches this packing (pieces by type).
    bool reachable(const std::vector<std::vector<uint64_t>>& byType) const {
        uint32_t g = (uint32_t(1) << group.size()) - 1;
        for (int t : chain) {
            if (std::popcount(g) <= 1) break;
            const uint64_t p = byType[t].front();
            uint32_t stabilizer = 0;
            for (uint32_t m = g; m != 0; m &= m - 1) {
                const uint64_t image = group[std::countr_zero(m)].apply(p);
                if (image < p) return false;
                if (image == p) stabilizer |= uint32_t(1) << std::countr_zero(m);
            }
            g = stabilizer;
        }
        return true;
    }
};

namespace {

BlockCells cellsOf(const Puzzle& p, bool fromBox) {
    BlockCells out;
    out.box = {p.G_iCells_X, p.G_iCells_Y, p.G_iCells_Z};
    out.shapes = blockMasks(p);
    for (int b = 0; b < kBlocks && fromBox; ++b) {
        if (out.shapes[size_t(b)] == 0 || p.G_iLoaded[b] == 0) continue;
        out.kept[size_t(b)] = true;
        out.keptCells[size_t(b)] = boxCellsOfBlock(p, b);
    }
    return out;
}

}  // namespace

PackingAnalysis::PackingAnalysis(const Puzzle& p, bool fromBox) : PackingAnalysis(cellsOf(p, fromBox)) {}

PackingAnalysis::PackingAnalysis(const BlockCells& in) {
    auto d = std::make_shared<Data>();
    d->box = in.box;
    const BoxSize box = d->box;
    const bool boxOk = box.x >= 1 && box.x <= kGrid && box.y >= 1 && box.y <= kGrid && box.z >= 1 && box.z <= kGrid;
    if (!boxOk)
        d->problems.push_back({ProblemKind::BadBox, 0,
                               "箱の大きさ（" + std::to_string(box.x) + "×" + std::to_string(box.y) + "×" +
                                   std::to_string(box.z) + "）が正しくありません。各辺は 1 から 4 です。"});
    const uint64_t boxMask = boxOk ? boxCells(box) : 0;

    const BlockMasks& shape = in.shapes;
    int total = 0;
    for (uint64_t m : shape) total += std::popcount(m);

    uint64_t keptCells = 0;
    for (int b = 0; b < kBlocks; ++b) {
        if (shape[b] == 0 || !in.kept[b]) continue;
        const uint64_t cells = in.keptCells[b];
        if (cells == 0 || (cells & ~boxMask) != 0 || canonicalShape(cells) != canonicalShape(shape[b])) {
            d->problems.push_back({ProblemKind::KeptMismatch, b + 1,
                                   "箱の中の" + blockText(b + 1) + "のセルが、ブロックの形と合いません。"});
            continue;
        }
        d->kept[b] = cells;
        keptCells |= cells;
    }

    if (total == 0) d->problems.push_back({ProblemKind::NoBlocks, 0, "セルを持つブロックがありません。"});
    if (boxOk && total > box.cells())
        d->problems.push_back({ProblemKind::TooManyCells, 0,
                               "ブロックのセルの合計（" + std::to_string(total) + "）が、箱のセルの数（" +
                                   std::to_string(box.cells()) + "）より多くなっています。"});

    std::vector<uint64_t> typeShape;
    for (int b = 0; b < kBlocks; ++b) {
        if (shape[b] == 0) continue;
        BlockInfo info;
        info.number = b + 1;
        info.cells = std::popcount(shape[b]);
        // Made once: the orientations give the count, the places and the shape's kind.
        const std::vector<uint64_t> orientations = orientationsOf(shape[b]);
        info.orientations = int(orientations.size());
        info.kept = d->kept[b] != 0;
        if (info.kept) {
            info.placements = 1;
            d->blocks.push_back(info);
            continue;
        }
        std::vector<uint64_t> places = boxOk ? placementsOf(orientations, box, keptCells) : std::vector<uint64_t>{};
        info.placements = int(places.size());
        d->blocks.push_back(info);
        if (boxOk && places.empty()) {
            const bool alone = keptCells == 0 || placementsOf(shape[b], box, 0).empty();
            d->problems.push_back({ProblemKind::FitsNowhere, b + 1,
                                   blockText(b + 1) + (alone ? "は、どの向きでも箱に入りません。"
                                                             : "は、箱の中のブロックを避けて置ける場所がありません。")});
        }
        const uint64_t canon = orientations.front();
        const auto found = std::find(typeShape.begin(), typeShape.end(), canon);
        if (found == typeShape.end()) {
            typeShape.push_back(canon);
            PieceType t;
            t.size = info.cells;
            t.connected = faceConnected(shape[b]);
            t.blocks = {b};
            t.placements = std::move(places);
            d->types.push_back(std::move(t));
        } else {
            d->types[size_t(found - typeShape.begin())].blocks.push_back(b);
        }
    }
    // The search's order of kinds comes from the shapes alone, never from the
    // blocks' numbers: renumbered blocks are searched alike, at the same cost.
    {
        std::vector<size_t> order(d->types.size());
        for (size_t t = 0; t < order.size(); ++t) order[t] = t;
        const auto key = [&](size_t t) {
            return std::tuple(d->types[t].placements.size(), -d->types[t].size, typeShape[t]);
        };
        std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return key(a) < key(b); });
        std::vector<PieceType> types;
        std::vector<uint64_t> shapes;
        for (size_t t : order) types.push_back(std::move(d->types[t])), shapes.push_back(typeShape[t]);
        d->types = std::move(types);
        typeShape = std::move(shapes);
    }

    // The box's symmetries are tables of 16 KB: filtered in place, never copied.
    const auto keepsKept = [&](const BoxSymmetry& g) {
        for (uint64_t cells : d->kept)
            if (g.apply(cells) != cells) return false;
        return true;
    };
    if (boxOk) {
        d->group = boxSymmetries(box);
        std::erase_if(d->group, [&](const BoxSymmetry& g) { return !keepsKept(g); });
    }
    if (d->group.empty()) d->group.push_back(BoxSymmetry(Rotation{}, box));
    for (size_t t = 0; t < typeShape.size(); ++t) {
        const auto m = std::find(typeShape.begin(), typeShape.end(), canonicalShape(mirrorShape(typeShape[t])));
        if (m == typeShape.end() || d->types[size_t(m - typeShape.begin())].blocks.size() != d->types[t].blocks.size()) {
            d->mirrorClosed = false;
            break;
        }
        d->mirrorType.push_back(int(m - typeShape.begin()));
    }
    if (boxOk && d->mirrorClosed) {
        d->mirrors = boxMirrorSymmetries(box);
        std::erase_if(d->mirrors, [&](const BoxSymmetry& g) { return !keepsKept(g); });
    }

    int freeCells = 0;
    SearchState& root = d->root;
    root.filled = ~boxMask | keptCells;
    for (size_t t = 0; t < d->types.size(); ++t) {
        const int n = int(d->types[t].blocks.size());
        root.left[t] = uint8_t(n);
        freeCells += n * d->types[t].size;
        for (int k = 2; k <= n; ++k) d->labellings *= uint64_t(k);
    }
    root.empties = std::max(0, std::popcount(boxMask & ~keptCells) - freeCells);
    root.group = (uint32_t(1) << d->group.size()) - 1;

    // Fix first the single blocks whose places fall into the most nearly full orbits.
    if (d->problems.empty() && d->group.size() > 1) {
        struct Candidate {
            int type;
            double ratio;
        };
        std::vector<Candidate> candidates;
        for (size_t t = 0; t < d->types.size(); ++t) {
            if (d->types[t].blocks.size() != 1) continue;
            d->rootHeads.resize(d->types.size());
            d->rootHeads[t] = d->orbitHeads(t, d->root.group, d->root.filled);
            const size_t orbits = d->rootHeads[t].size();
            candidates.push_back({int(t), double(d->types[t].placements.size()) / double(std::max<size_t>(orbits, 1))});
        }
        std::stable_sort(candidates.begin(), candidates.end(),
                         [](const Candidate& a, const Candidate& b) { return a.ratio > b.ratio; });
        for (const Candidate& c : candidates) d->chain.push_back(c.type);
    }
    d->items = std::make_unique<ItemSet>(d->makeItems(d->placementItems()));
    for (const PieceType& t : d->types) d->placementsByType.push_back(t.placements);
    d_ = std::move(d);
}

const std::vector<BlockInfo>& PackingAnalysis::blocks() const { return d_->blocks; }
const std::vector<Problem>& PackingAnalysis::problems() const { return d_->problems; }
BoxSize PackingAnalysis::box() const { return d_->box; }
int PackingAnalysis::symmetry() const { return int(d_->group.size()); }
std::vector<SearchState> PackingAnalysis::symmetryParts() const {
    return d_->problems.empty() ? d_->symmetryParts() : std::vector<SearchState>{};
}
const std::vector<std::vector<uint64_t>>& PackingAnalysis::placementsByType() const { return d_->placementsByType; }

// Classes by Burnside's lemma: the average over the box rotations of the
// packings each maps onto itself, so a packing that is its own rotation counts
// right. Takes the packings of the piece kinds; false when cancelled.
bool PackingAnalysis::Data::classes(uint64_t typePackings, const std::atomic<bool>* cancel, CountResult& r) const {
    uint64_t fixedLabelled = typePackings, fixedUnlabelled = typePackings;
    // With every block of its own shape no rotation can permute blocks: the
    // packings it fixes are the same told apart or not, and are counted once.
    const bool allSingle = std::all_of(types.begin(), types.end(), [](const PieceType& t) { return t.blocks.size() == 1; });
    const FixTest fixTest(types);
    for (size_t g = 1; g < group.size(); ++g) {
        if (!fixTest.mayFix(group[g])) continue;
        std::vector<Item> fixed, cycles;
        invariantItems(group[g], fixed, cycles);
        const auto a = countAll(makeItems(std::move(fixed)), root, cancel);
        const auto b = !a || allSingle ? a : countAll(makeItems(std::move(cycles)), root, cancel);
        if (!b) return false;
        fixedLabelled += *a;
        fixedUnlabelled += *b;
    }
    uint64_t fixedMirror = fixedUnlabelled;
    for (const BoxSymmetry& g : mirrors) {
        auto [items, start] = mirrorItems(g);
        const auto a = countAll(makeItems(std::move(items)), start, cancel);
        if (!a) return false;
        fixedMirror += *a;
    }
    const uint64_t order = group.size();
    r.solutions = typePackings * labellings;
    r.distinct = fixedLabelled * labellings / order;
    r.distinctUnlabelled = fixedUnlabelled / order;
    if (mirrorClosed) r.distinctMirror = fixedMirror / (order + mirrors.size());
    return true;
}

CountResult PackingAnalysis::count(const CountOptions& options) const {
    const Data& d = *d_;
    const auto started = Clock::now();
    CountResult r;
    r.symmetry = int(d.group.size());
    if (d.mirrorClosed) r.distinctMirror = 0;
    r.complete = !d.problems.empty();
    if (d.problems.empty() && !(options.limit && *options.limit == 0)) {
        // Judged, a packing weighs as many as it stands for times its own rotations
        // within its part's: summed over every part, the rotations' count per class.
        std::mutex mutex;
        std::vector<std::shared_ptr<std::array<uint64_t, 2>>> shares;
        std::function<PackingVisitor()> visitors;
        if (options.judge)
            visitors = [&]() -> PackingVisitor {
                auto mine = std::make_shared<std::array<uint64_t, 2>>();
                {
                    std::lock_guard lock(mutex);
                    shares.push_back(mine);
                }
                std::array<uint64_t, kBlocks> cells{};
                int keptCount = 0;
                for (uint64_t k : d.kept)
                    if (k != 0) cells[size_t(keptCount++)] = k;
                return [&d, judge = options.judge(), mine, cells, keptCount, bits = std::vector<uint8_t>(1),
                        pieces = std::vector<Item>()](std::span<const Item> first, int lastType,
                                                      std::span<const uint64_t> lasts, const SearchState& part) mutable {
                    const size_t n = std::min(cells.size(), size_t(keptCount) + first.size());
                    for (size_t k = size_t(keptCount); k < n; ++k) cells[k] = first[k - size_t(keptCount)].mask;
                    const size_t count = std::max<size_t>(lasts.size(), 1);
                    if (bits.size() < count) bits.resize(count);
                    judge(std::span<const uint64_t>(cells.data(), n), lasts, bits.data());
                    if ((part.group & ~uint32_t(1)) == 0) {
                        // No rotation left to fix a packing: each weighs the part's weight.
                        uint64_t built = 0, dropped = 0;
                        for (size_t i = 0; i < count; ++i) built += bits[i] & 1, dropped += (bits[i] >> 1) & 1;
                        (*mine)[0] += built * part.weight;
                        (*mine)[1] += dropped * part.weight;
                        return;
                    }
                    for (size_t i = 0; i < count; ++i) {
                        const unsigned b = bits[i] & 3;
                        if (b == 0) continue;
                        pieces.assign(first.begin(), first.end());
                        if (!lasts.empty()) pieces.push_back({lasts[i], uint8_t(lastType), 1});
                        const uint64_t share = part.weight * d.ownSymmetries(pieces, part.group);
                        (*mine)[0] += (b & 1) * share;
                        (*mine)[1] += (b >> 1) * share;
                    }
                };
            };
        // Parts are for threads to share and for the share done; one thread
        // without reports searches a full box's whole tree at once, in the same
        // order, and spares each part's start (much of a small count's cost). With
        // cells to spare the parts are searched piece by piece, another order:
        // they stay split, so that the first packing is the same on any thread count.
        const bool split =
            options.split && (options.progress || workerThreads(options.threads) > 1 || d.root.empties > 0);
        uint64_t splitNodes = 0;
        const PartsTotal found = searchParts(
            *d.items, d.placementsByType,
            d.countParts(options.split ? d.fastestChain() : d.chain, split, 160, false, &splitNodes), d.labellings,
            options, visitors);
        r.nodes = found.nodes + splitNodes;
        if (found.first) r.first = d.toPacking(*found.first);
        r.complete = found.complete && d.classes(found.packings, options.cancel, r);
        if (r.complete && options.judge) {
            std::array<uint64_t, 2> sum{};
            for (const auto& mine : shares)
                for (size_t k = 0; k < 2; ++k) sum[k] += (*mine)[k];
            r.judged = std::array<uint64_t, 2>{sum[0] / d.group.size(), sum[1] / d.group.size()};
        }
        if (!r.complete) {
            // Lower bounds: a class holds at most as many packings as there are rotations.
            const uint64_t order = d.group.size();
            r.solutions = found.packings * d.labellings;
            if (options.limit) r.solutions = std::min(r.solutions, *options.limit);
            r.distinct = ceilDiv(r.solutions, order);
            r.distinctUnlabelled = std::min(r.distinct, ceilDiv(found.packings, order));
            if (d.mirrorClosed) r.distinctMirror = ceilDiv(r.distinctUnlabelled, 2);
        }
    }
    r.unique = r.complete && r.distinctUnlabelled == 1;
    r.seconds = std::chrono::duration<double>(Clock::now() - started).count();
    return r;
}

SearchEstimate PackingAnalysis::estimate(const EstimateOptions& options) const {
    const Data& d = *d_;
    const auto started = Clock::now();
    SearchEstimate out;
    if (d.problems.empty()) {
        uint64_t splitNodes = 0;
        const PartsEstimate e = estimateParts(*d.items, d.placementsByType,
                                              d.countParts(d.fastestChain(), true, 512, true, &splitNodes), options);
        const double labellings = double(d.labellings);
        out.solutions = {e.leaves.value * labellings, e.leaves.low * labellings, e.leaves.high * labellings};
        const double split = double(splitNodes);
        out.nodes = {e.nodes.value + split, e.nodes.low + split, e.nodes.high + split};
        out.probes = e.probes;
        out.exact = e.exact;
        out.bound = e.bound && !e.exact;
    }
    out.seconds = std::chrono::duration<double>(Clock::now() - started).count();
    return out;
}

std::optional<Packing> PackingAnalysis::findOne(const std::atomic<bool>* cancel) const {
    const Data& d = *d_;
    if (!d.problems.empty()) return std::nullopt;
    CoverSearch search(*d.items);
    search.start(d.root);
    while (!cancelled(cancel)) {
        const CoverSearch::Step step = search.run(1 << 14, false);
        if (step == CoverSearch::Step::Found) return d.toPacking(search.packing());
        if (step == CoverSearch::Step::Done) return std::nullopt;
    }
    return std::nullopt;
}

struct DistinctPackings::Walk {
    explicit Walk(const PackingAnalysis::Data& d) : parts(d.symmetryParts()), search(*d.items) {}
    std::vector<SearchState> parts;
    size_t part = 0;
    bool started = false;
    CoverSearch search;
};

DistinctPackings::DistinctPackings(const PackingAnalysis& analysis) : d_(analysis.d_) {
    if (d_->problems.empty())
        walk_ = std::make_unique<Walk>(*d_);
    else
        finished_ = true;
}

DistinctPackings::~DistinctPackings() = default;

std::optional<Packing> DistinctPackings::at(size_t index, const std::atomic<bool>* cancel) {
    const PackingAnalysis::Data& d = *d_;
    using Key = std::vector<uint64_t>;
    const auto byType = [&](const std::vector<uint64_t>& masks, const std::vector<uint8_t>& types) {
        std::vector<std::vector<uint64_t>> out(d.types.size());
        for (size_t i = 0; i < masks.size(); ++i) out[types[i]].push_back(masks[i]);
        for (auto& v : out) std::sort(v.begin(), v.end());
        return out;
    };
    const auto keyOf = [](const std::vector<std::vector<uint64_t>>& groups) {
        Key k;
        for (const auto& v : groups) k.insert(k.end(), v.begin(), v.end());
        return k;
    };

    while (seen_.size() <= index && !finished_) {
        if (cancelled(cancel)) return std::nullopt;
        Walk& w = *walk_;
        if (w.part >= w.parts.size()) {
            finished_ = true;
            break;
        }
        if (!w.started) {
            w.search.start(w.parts[w.part]);
            w.started = true;
        }
        const CoverSearch::Step step = w.search.run(1 << 14, false);
        if (step == CoverSearch::Step::Done) {
            ++w.part;
            w.started = false;
            continue;
        }
        if (step == CoverSearch::Step::Paused) continue;
        // A class is shown once: by the member this search reaches whose pieces sort lowest.
        std::vector<uint64_t> masks;
        std::vector<uint8_t> types;
        for (const Item& it : w.search.packing()) masks.push_back(it.mask), types.push_back(it.type);
        const Key own = keyOf(byType(masks, types));
        bool lowest = true;
        for (size_t g = 1; g < d.group.size() && lowest; ++g) {
            std::vector<uint64_t> turned;
            for (uint64_t m : masks) turned.push_back(d.group[g].apply(m));
            const auto groups = byType(turned, types);
            if (d.reachable(groups) && keyOf(groups) < own) lowest = false;
        }
        if (lowest) seen_.push_back(d.toPacking(w.search.packing()));
    }
    if (index < seen_.size()) return seen_[index];
    return std::nullopt;
}

}  // namespace tessaro::analysis
