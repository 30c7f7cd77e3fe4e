#include "design/HardestSearch.h"

#include "design/BoxCut.h"
#include "design/CellMasks.h"
#include "design/Designer.h"
#include "design/PieceRules.h"
#include "design/Refine.h"
#include "model/SplitMix.h"
#include "design/CandidateJudge.h"
#include "design/WorkerPool.h"
#include "analysis/Assembly.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <mutex>
#include <map>
#include <memory>
#include <unordered_map>

namespace tessaro::design {

namespace {

// The rating's own measure: the log of nodes per packing, one rating step about 1.3 units.
double score(const Design& d) { return std::log2(std::max(1.0, d.difficulty.nodesPerPacking)); }
int ratingOf(const Design& d) { return d.difficulty.rating; }

// Annealing temperature in score units: from a rating step's worth of leeway down to almost none.
constexpr double kHot = 1.3, kCold = 0.05;
// Steps without a better cut before a chain goes back to its best, and returns
// to it without a better one before it starts elsewhere. A step costs up to
// kRepair counts, so a chain that has met its neighbourhood moves on soon.
constexpr int kPatience = 30;
constexpr int kReturns = 1;
// A chain starts again from one of this many hardest cuts, shaken a few steps
// away, or half the time from a fresh random cut: the rating of neighbouring
// cuts is alike only loosely, so new ground pays as often as the best's surroundings.
constexpr size_t kElite = 4;
constexpr int kKickTries = 20;
// Counts a step that packs more than one way may spend getting back to one.
constexpr int kRepair = 100;

int size(uint64_t m) { return std::popcount(m); }

int pickCell(uint64_t m, SplitMix& rng) {
    for (int k = rng.below(size(m)); k > 0; --k) m &= m - 1;
    return std::countr_zero(m);
}

bool rulesHold(const DesignRequest& r, const Blocks& b) {
    std::array<uint64_t, kBlocks> shapes{};
    for (int i = 0; i < r.blocks && i < int(kBlocks); ++i) {
        if (!pieceAllowed(r, b[size_t(i)]) || !analysis::faceConnected(b[size_t(i)])) return false;
        shapes[size_t(i)] = analysis::canonicalShape(b[size_t(i)]);
    }
    if (r.allowIdentical) return true;
    // The whole array (unused blocks are 0): g++ 12 at -O2 warns falsely on a range cut at the count.
    std::sort(shapes.begin(), shapes.end());
    for (size_t i = 1; i < shapes.size(); ++i)
        if (shapes[i] != 0 && shapes[i] == shapes[i - 1]) return false;
    return true;
}

// Two blocks sharing a face, drawn at random; false when the draw found none.
bool neighbours(const DesignRequest& r, const Blocks& b, SplitMix& rng, int& a, int& c) {
    for (int tries = 0; tries < 16; ++tries) {
        a = rng.below(r.blocks), c = rng.below(r.blocks);
        if (a != c && (faceNeighbours(b[size_t(a)]) & b[size_t(c)]) != 0) return true;
    }
    return false;
}

// Two neighbouring blocks cut anew into pieces of the same total, grown from two random cells.
bool recut(const DesignRequest& r, Blocks& b, int a, int c, SplitMix& rng) {
    const uint64_t both = b[size_t(a)] | b[size_t(c)];
    const int total = size(both);
    const int lo = std::max(r.minCells, 1), hi = total - lo;
    if (hi < lo) return false;
    const int target = lo + rng.below(hi - lo + 1);
    uint64_t grown = cellBit(pickCell(both, rng));
    while (size(grown) < target) {
        const uint64_t edge = faceNeighbours(grown) & both & ~grown;
        if (edge == 0) return false;
        grown |= cellBit(pickCell(edge, rng));
    }
    b[size_t(a)] = grown;
    b[size_t(c)] = both & ~grown;
    return true;
}

// One random step; false when the drawn step breaks a rule.
bool step(const DesignRequest& r, Blocks& b, SplitMix& rng) {
    int a = 0, c = 0;
    if (!neighbours(r, b, rng, a, c)) return false;
    const int kind = rng.below(4);
    if (kind <= 1) {  // a cell of a given to c
        const int cell = pickCell(b[size_t(a)] & faceNeighbours(b[size_t(c)]), rng);
        b[size_t(a)] &= ~cellBit(cell);
        b[size_t(c)] |= cellBit(cell);
    } else if (kind == 2) {  // a cell of each traded
        const uint64_t fromA = b[size_t(a)] & faceNeighbours(b[size_t(c)]);
        const uint64_t fromC = b[size_t(c)] & faceNeighbours(b[size_t(a)]);
        const int x = pickCell(fromA, rng), y = pickCell(fromC, rng);
        b[size_t(a)] = (b[size_t(a)] & ~cellBit(x)) | cellBit(y);
        b[size_t(c)] = (b[size_t(c)] & ~cellBit(y)) | cellBit(x);
    } else if (!recut(r, b, a, c, rng)) {
        return false;
    }
    return rulesHold(r, b);
}

uint64_t keyOf(Blocks b) {
    std::sort(b.begin(), b.end());
    return blocksHash(b);
}

}  // namespace

HardestResult hardestPuzzles(const DesignRequest& request, const DesignControl& control,
                             const std::function<void(const HardestStep&)>& improved) {
    HardestResult result;
    if (!requestProblem(request).empty()) {
        result.stop = DesignStop::Exhausted;
        return result;
    }
    const Judge judge(request.box);
    const std::vector<SizeList> lists = sizeLists(request);
    std::mutex mutex;
    std::vector<Design> best;  // hardest first, distinct up to rotation
    std::atomic<uint64_t> tried{0}, accepted{0}, unique{0};
    WorkerPool pool(request.threads, request.seconds, control);
    const auto clockStart = std::chrono::steady_clock::now();
    const auto elapsed = [&] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - clockStart).count();
    };

    // Only what is asked for is kept: the rating, and the build in the open box.
    const analysis::AssemblyCheck assembly(request.box);
    const bool buildAsked = request.assemblable || request.minLevel > 0;
    // A unique cut judged for the first time: kept when it is among the count hardest of its kind.
    const auto offer = [&](Design d) {
        {
            std::lock_guard lock(mutex);
            if (best.size() >= size_t(request.count) &&
                d.difficulty.nodesPerPacking <= best.back().difficulty.nodesPerPacking)
                return;
        }
        if (d.difficulty.rating < request.minRating) {
            std::lock_guard lock(mutex);
            result.rejectTooEasy(d.difficulty.rating);
            return;
        }
        const analysis::AssemblyResult built = assembly.check(d.blocks);
        d.assemblyLevel = built.assemblable ? built.level : -1;
        if (buildAsked && d.assemblyLevel < request.minLevel) {
            std::lock_guard lock(mutex);
            ++result.notAssemblable;
            return;
        }
        const auto key = judge.canonicalKey(d.blocks);
        std::lock_guard lock(mutex);
        for (const Design& e : best)
            if (judge.canonicalKey(e.blocks) == key) {
                ++result.duplicates;
                return;
            }
        const bool better = best.empty() || d.difficulty.nodesPerPacking > best.front().difficulty.nodesPerPacking;
        best.push_back(d);
        sortHardestFirst(best);
        if (best.size() > size_t(request.count)) best.pop_back();
        if (better) {
            const HardestStep s{elapsed(), ratingOf(d), d.difficulty.nodesPerPacking};
            result.history.push_back(s);
            if (improved) improved(s);
        }
    };
    std::atomic<uint64_t> notUnique{0};

    // Every cut judged by any chain, by its blocks: its design when unique. A chain
    // walking where another has been pays nothing for it.
    std::mutex cacheMutex;
    std::unordered_map<uint64_t, std::shared_ptr<const Design>> judged;
    // The hardest unique cuts of each list of block sizes, by score alone whatever
    // the list asks: where stuck chains start again. By list, so that one good
    // region does not draw every chain to itself.
    std::map<std::vector<int>, std::vector<std::shared_ptr<const Design>>> elite;
    const auto remember = [&](const std::shared_ptr<const Design>& d) {
        std::vector<int> sizes;
        for (uint64_t m : d->blocks)
            if (m != 0) sizes.push_back(size(m));
        std::sort(sizes.begin(), sizes.end());
        std::lock_guard lock(cacheMutex);
        auto& kept = elite[sizes];
        kept.push_back(d);
        std::sort(kept.begin(), kept.end(), [](const auto& a, const auto& b) {
            return a->difficulty.nodesPerPacking > b->difficulty.nodesPerPacking;
        });
        if (kept.size() > kElite) kept.pop_back();
    };

    pool.run(
        [&](int thread, const std::atomic<bool>& stop) {
            SplitMix rng(attemptSeed(request.seed, uint64_t(thread) << 40));
            uint64_t found = 0;  // by this chain: names each design it finds
            // A cut's design when unique, judged once among all chains; false when stopped.
            const auto lookUp = [&](const Blocks& b, std::shared_ptr<const Design>& out) {
                const uint64_t key = keyOf(b);
                {
                    std::lock_guard lock(cacheMutex);
                    const auto known = judged.find(key);
                    if (known != judged.end()) {
                        out = known->second;
                        return true;
                    }
                }
                Design d;
                const Judge::Outcome o = judge.judge(b, 1, &stop, d);
                if (o == Judge::Outcome::Stopped) return false;
                tried.fetch_add(1);
                out = nullptr;
                if (o == Judge::Outcome::Accepted) {
                    unique.fetch_add(1);
                    d.seed = request.seed;
                    d.attempt = (uint64_t(thread) << 40) + found++;
                    out = std::make_shared<const Design>(d);
                    offer(d);
                    remember(out);
                } else {
                    notUnique.fetch_add(1);
                }
                std::lock_guard lock(cacheMutex);
                judged.emplace(key, out);
                return true;
            };
            // A descent's counts: its first is the cut's again, its last (when unique)
            // judged by lookUp; those between pack many ways.
            const auto passedBy = [&](const RefineStats& refined, bool one) {
                const uint64_t variants = refined.judged - std::min<uint64_t>(refined.judged, one ? 2 : 1);
                tried.fetch_add(variants);
                notUnique.fetch_add(variants);
            };
            // A unique start: random cuts brought down to one packing, as the sampler does.
            uint64_t attempt = 0;
            const auto fresh = [&](std::shared_ptr<const Design>& out) {
                for (;; ++attempt) {
                    if (stop.load()) return false;
                    Cut cut;
                    SplitMix draw(attemptSeed(request.seed, (uint64_t(thread) << 40) + attempt + 1));
                    if (randomCut(request, lists, draw, cut) != CutOutcome::Made) continue;
                    if (!lookUp(cut.blocks, out)) return false;
                    if (out) break;
                    RefineStats refined;
                    const bool one = refineTowardsUnique(request, draw, cut.blocks, 700, &stop, refined);
                    if (one && !lookUp(cut.blocks, out)) return false;
                    passedBy(refined, one);
                    if (out) break;
                }
                ++attempt;
                return true;
            };
            // A neighbour of `from`: one or a few steps, and when that packs more than
            // one way, a short descent back to one packing. Unique cuts seldom neighbour
            // one another; passing through the others reaches far more of them.
            const auto propose = [&](const Blocks& from, int steps, std::shared_ptr<const Design>& out) {
                out = nullptr;
                Blocks b = from;
                // One step of any kind; more are moves of single cells, which keep to the rules.
                if (steps == 1) {
                    if (!step(request, b, rng)) return true;
                } else {
                    shakeCut(request, rng, b, steps);
                }
                if (!lookUp(b, out)) return false;
                if (out) return true;
                RefineStats refined;
                const bool one = refineTowardsUnique(request, rng, b, kRepair, &stop, refined);
                if (stop.load()) return false;
                if (one && !lookUp(b, out)) return false;
                passedBy(refined, one);
                return true;
            };
            // Again from one of the hardest found, shaken a few steps away.
            const auto restart = [&](std::shared_ptr<const Design>& out) {
                std::shared_ptr<const Design> from;
                {
                    std::lock_guard lock(cacheMutex);
                    if (!elite.empty() && rng.below(3) != 0) {
                        auto list = elite.begin();
                        std::advance(list, rng.below(int(elite.size())));
                        const int n = int(list->second.size());
                        from = list->second[size_t(std::min(rng.below(n), rng.below(n)))];
                    }
                }
                if (!from) return fresh(out);
                for (int tries = 0; tries < kKickTries; ++tries) {
                    if (!propose(from->blocks, 2 + rng.below(3), out)) return false;
                    if (out) return true;
                }
                out = from;
                return true;
            };

            std::shared_ptr<const Design> current;
            if (!fresh(current)) return;
            while (!stop.load()) {
                std::shared_ptr<const Design> chainBest = current;
                int sinceBetter = 0, returns = 0;
                // A step that found nothing better: past the patience back to the best, or elsewhere.
                const auto stale = [&] {
                    if (++sinceBetter <= kPatience) return true;
                    current = chainBest;
                    sinceBetter = 0;
                    return ++returns <= kReturns;
                };
                while (!stop.load()) {
                    const double t = request.seconds > 0 ? std::min(1.0, elapsed() / request.seconds) : 0.5;
                    const double temperature = kHot * std::pow(kCold / kHot, t);
                    std::shared_ptr<const Design> d;
                    if (!propose(current->blocks, rng.below(2) == 0 ? 1 : 2 + rng.below(2), d)) return;
                    if (!d) {
                        if (!stale()) break;
                        continue;
                    }
                    const double gain = score(*d) - score(*current);
                    if (gain < 0 && rng.below(1 << 20) >= int(std::exp(gain / temperature) * double(1 << 20))) {
                        if (!stale()) break;
                        continue;
                    }
                    current = d;
                    accepted.fetch_add(1);
                    if (d->difficulty.nodesPerPacking > chainBest->difficulty.nodesPerPacking) {
                        chainBest = d;
                        sinceBetter = returns = 0;
                    } else if (!stale()) {
                        break;
                    }
                }
                if (!restart(current)) return;
            }
        },
        [&] {
            DesignProgress p;
            p.tried = tried.load();
            std::lock_guard lock(mutex);
            p.found = int(best.size());
            p.bestRating = best.empty() ? 0 : ratingOf(best.front());
            return p;
        });
    result.designs = std::move(best);
    // Handed on only now: until the end a harder cut may still push one out.
    if (control.found)
        for (const Design& d : result.designs) control.found(d);
    result.tried = tried.load();
    result.notUnique = notUnique.load();
    result.accepted = accepted.load();
    result.unique = unique.load();
    result.seconds = pool.seconds();
    result.stop = pool.cancelled() ? DesignStop::Cancelled : DesignStop::Time;
    return result;
}

}  // namespace tessaro::design
