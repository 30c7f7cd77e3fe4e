#include "analysis/AssemblyCount.h"

#include "analysis/CoverSearch.h"
#include "analysis/PieceSearch.h"
#include "analysis/WorkerThreads.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <mutex>
#include <optional>

namespace tessaro::analysis {

namespace {

struct Kind {
    uint64_t shape = 0;
    std::vector<int> blocks;
    std::vector<uint64_t> places;
};

// One branch of the walk: a block alone of its shape fixed at one place of each
// orbit under the box's rotations; a packing found there stands for `orbit`
// packings, and those of its class number orbit * |its own rotations| / |rotations|.
struct Part {
    SearchState state;
    uint64_t orbit = 1;
    std::vector<int> fixing;  // the rotations that keep the fixed place, identity left out
};

}  // namespace

AssemblyCounts countAssemblies(const Puzzle& p, bool fromBox, int threads, const std::atomic<bool>* cancel) {
    const auto started = std::chrono::steady_clock::now();
    AssemblyCounts out;
    const BoxSize box{p.G_iCells_X, p.G_iCells_Y, p.G_iCells_Z};
    if (box.x < 1 || box.x > kGrid || box.y < 1 || box.y > kGrid || box.z < 1 || box.z > kGrid) return out;
    const uint64_t inside = boxCells(box);

    std::vector<Kind> kinds;
    std::array<uint64_t, kBlocks> kept{};
    uint64_t keptCells = 0;
    int cells = 0;
    for (int b = 0; b < kBlocks; ++b) {
        uint64_t shape = 0;
        for (int c = 0; c < kCells; ++c)
            if (p.G_iPiece[b + kBlocks * c] != 0) shape |= uint64_t(1) << c;
        if (shape == 0) continue;
        cells += std::popcount(shape);
        if (fromBox && p.G_iLoaded[b] != 0) {
            for (int c = 0; c < kCells; ++c)
                if (p.G_iBox[c] != 0 && p.G_iBox_No[c] == b + 1) kept[size_t(b)] |= uint64_t(1) << c;
            if (kept[size_t(b)] != 0) {
                keptCells |= kept[size_t(b)];
                continue;
            }
        }
        const uint64_t canon = canonicalShape(shape);
        auto k = std::find_if(kinds.begin(), kinds.end(), [&](const Kind& x) { return x.shape == canon; });
        if (k == kinds.end()) {
            kinds.push_back({canon, {}, placementsOf(shape, box, keptCells)});
            k = kinds.end() - 1;
        }
        k->blocks.push_back(b);
    }
    if (kinds.size() > size_t(kMaxTypes) || cells > box.cells()) {
        out.complete = true;
        out.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        return out;
    }
    for (Kind& k : kinds) std::erase_if(k.places, [&](uint64_t m) { return (m & keptCells) != 0; });

    std::vector<BoxSymmetry> group = boxSymmetries(box);
    std::erase_if(group, [&](const BoxSymmetry& g) {
        return std::any_of(kept.begin(), kept.end(), [&](uint64_t m) { return g.apply(m) != m; });
    });

    std::array<int, kMaxTypes> size{};
    std::array<bool, kMaxTypes> connected{};
    std::vector<Item> items;
    SearchState root;
    root.filled = ~inside | keptCells;
    int blockCells = 0;
    for (size_t t = 0; t < kinds.size(); ++t) {
        size[t] = std::popcount(kinds[t].shape);
        connected[t] = faceConnected(kinds[t].shape);
        root.left[t] = uint8_t(kinds[t].blocks.size());
        blockCells += size[t] * int(kinds[t].blocks.size());
        for (uint64_t m : kinds[t].places) items.push_back({m, uint8_t(t), 1});
    }
    root.empties = std::popcount(inside & ~keptCells) - blockCells;
    const ItemSet itemSet(int(kinds.size()), size, connected, std::move(items));

    // Fix the block alone of its shape whose places fall into the fewest orbits.
    std::vector<Part> parts;
    int fixedKind = -1;
    size_t fewest = 0;
    for (size_t t = 0; t < kinds.size(); ++t) {
        if (kinds[t].blocks.size() != 1) continue;
        size_t orbits = 0;
        for (uint64_t m : kinds[t].places)
            orbits += std::all_of(group.begin(), group.end(), [&](const BoxSymmetry& g) { return g.apply(m) >= m; });
        if (fixedKind < 0 || orbits < fewest) fixedKind = int(t), fewest = orbits;
    }
    if (fixedKind < 0) {
        Part whole{root, 1, {}};
        for (size_t g = 1; g < group.size(); ++g) whole.fixing.push_back(int(g));
        parts.push_back(whole);
    } else {
        for (uint64_t m : kinds[size_t(fixedKind)].places) {
            Part part{root, 0, {}};
            bool lowest = true;
            for (size_t g = 0; g < group.size() && lowest; ++g) {
                const uint64_t image = group[g].apply(m);
                lowest = image >= m;
                if (image == m && g > 0) part.fixing.push_back(int(g));
            }
            if (!lowest) continue;
            part.orbit = group.size() / (part.fixing.size() + 1);
            part.state.filled |= m;
            part.state.left[size_t(fixedKind)] = 0;
            part.state.placed[part.state.placedCount++] = {m, uint8_t(fixedKind), 1};
            parts.push_back(part);
        }
    }

    const AssemblyCheck check(box);
    std::atomic<size_t> next{0};
    std::atomic<bool> stopped{false};
    std::mutex mutex;
    uint64_t classes = 0, built = 0, dropped = 0, walked = 0;  // in shares of 1 / |group|
    std::vector<std::vector<uint64_t>> placesByKind;
    for (const Kind& k : kinds) placesByKind.push_back(k.places);
    const auto work = [&] {
        CoverSearch search(itemSet);
        std::optional<PieceSearch> pieces;  // for boxes with cells to spare, as the count does
        uint64_t myClasses = 0, myBuilt = 0, myDropped = 0, myWalked = 0;
        const Part* part = nullptr;
        const auto tally = [&](const std::vector<Item>& found) {
            Packing packing = kept;
            std::array<size_t, kMaxTypes> used{};
            for (const Item& it : found) packing[size_t(kinds[it.type].blocks[used[it.type]++])] = it.mask;
            uint64_t own = 1;  // rotations that map the packing onto itself (as pieces of kinds)
            for (int g : part->fixing) {
                bool same = true;
                for (const Item& it : found) {
                    const uint64_t image = group[size_t(g)].apply(it.mask);
                    same = same && std::any_of(found.begin(), found.end(),
                                               [&](const Item& o) { return o.mask == image && o.type == it.type; });
                }
                own += same;
            }
            const uint64_t share = part->orbit * own;
            const AssemblyVerdict v = check.verdict(packing);
            myClasses += share;
            myBuilt += v.assemblable ? share : 0;
            myDropped += v.dropOnly ? share : 0;
            ++myWalked;
        };
        const auto goOn = [&] {
            if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) stopped.store(true);
            return !stopped.load(std::memory_order_relaxed);
        };
        for (size_t i; (i = next.fetch_add(1)) < parts.size() && goOn();) {
            part = &parts[i];
            if (part->state.empties > 0 && part->state.filled != ~uint64_t(0)) {
                if (!pieces) {
                    pieces.emplace(placesByKind);
                    pieces->onEachPacking(tally);
                }
                pieces->count(part->state, [&](uint64_t) { return goOn(); });
                continue;
            }
            search.start(part->state);
            for (;;) {
                const CoverSearch::Step step = search.run(1 << 14, false);
                if (step == CoverSearch::Step::Done || !goOn()) break;
                if (step == CoverSearch::Step::Found) tally(search.packing());
            }
        }
        std::lock_guard lock(mutex);
        classes += myClasses, built += myBuilt, dropped += myDropped, walked += myWalked;
    };
    runWorkers(std::max(1, std::min(workerThreads(threads), int(parts.size()))), [&](int) { work(); });

    const uint64_t order = group.size();
    out.distinct = classes / order;
    out.assemblable = built / order;
    out.dropOnly = dropped / order;
    out.packings = walked;
    out.complete = !stopped.load();
    out.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return out;
}

}  // namespace tessaro::analysis
