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
#include <optional>
#include <unordered_map>

namespace tessaro::design {

namespace {

// The rating's own measure: the log of nodes per packing, one rating step about 1.3 units.
double score(const Design& d) { return std::log2(std::max(1.0, d.difficulty.nodesPerPacking)); }
int ratingOf(const Design& d) { return d.difficulty.rating; }

// Annealing temperature in score units: from a rating step's worth of leeway down to almost none.
constexpr double kHot = 1.3, kCold = 0.05;
// Steps without a better cut before a chain goes back to its best, and returns
// to it without a better one before it starts afresh: a climb from a new unique
// cut finds more than one stuck where every neighbour was judged.
constexpr int kPatience = 400;
constexpr int kReturns = 3;

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
    std::atomic<uint64_t> tried{0}, accepted{0};
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

    pool.run(
        [&](int thread, const std::atomic<bool>& stop) {
            SplitMix rng(attemptSeed(request.seed, uint64_t(thread) << 40));
            uint64_t judged = 0;  // by this chain: names each design it finds
            const auto named = [&](Design& d) {
                d.seed = request.seed;
                d.attempt = (uint64_t(thread) << 40) + judged++;
            };
            uint64_t attempt = 0;
            while (!stop.load()) {
                // A unique start: random cuts brought down to one packing, as the sampler does.
                Design current;
                for (;; ++attempt) {
                    if (stop.load()) return;
                    Cut cut;
                    SplitMix draw(attemptSeed(request.seed, (uint64_t(thread) << 40) + attempt + 1));
                    if (randomCut(request, lists, draw, cut) != CutOutcome::Made) continue;
                    Judge::Outcome o = judge.judge(cut.blocks, 1, &stop, current);
                    if (o == Judge::Outcome::NotUnique) {
                        RefineStats refined;
                        const bool one = refineTowardsUnique(request, draw, cut.blocks, 700, &stop, refined);
                        // Its first count is the cut's again; the variants passed on the way pack many ways.
                        const uint64_t variants = refined.judged > 0 ? refined.judged - 1 : 0;
                        tried.fetch_add(variants);
                        notUnique.fetch_add(variants);
                        if (one) o = judge.judge(cut.blocks, 1, &stop, current);
                    }
                    if (o == Judge::Outcome::Stopped) return;
                    tried.fetch_add(1);
                    if (o == Judge::Outcome::Accepted) {
                        ++attempt;
                        break;
                    }
                    notUnique.fetch_add(1);
                }
                named(current);
                offer(current);
                Design chainBest = current;
                // Every cut judged by this chain: its design when unique.
                std::unordered_map<uint64_t, std::optional<Design>> seen{{keyOf(current.blocks), current}};
                int sinceBetter = 0, returns = 0;
                // A step that found nothing better: past the patience back to the best, or afresh.
                const auto stale = [&] {
                    if (++sinceBetter <= kPatience) return true;
                    current = chainBest;
                    sinceBetter = 0;
                    return ++returns <= kReturns;
                };
                while (!stop.load()) {
                    const double t = request.seconds > 0 ? std::min(1.0, elapsed() / request.seconds) : 0.5;
                    const double temperature = kHot * std::pow(kCold / kHot, t);
                    Blocks next = current.blocks;
                    if (!step(request, next, rng)) {
                        if (!stale()) break;
                        continue;
                    }
                    const uint64_t key = keyOf(next);
                    auto known = seen.find(key);
                    if (known == seen.end()) {
                        Design d;
                        const Judge::Outcome o = judge.judge(next, 1, &stop, d);
                        if (o == Judge::Outcome::Stopped) break;
                        tried.fetch_add(1);
                        if (o == Judge::Outcome::Accepted) {
                            named(d);
                            offer(d);
                        } else {
                            notUnique.fetch_add(1);
                        }
                        known = seen.emplace(key, o == Judge::Outcome::Accepted ? std::optional<Design>(d) : std::nullopt).first;
                    }
                    if (!known->second) {
                        if (!stale()) break;
                        continue;
                    }
                    const Design& d = *known->second;
                    const double s = score(d);
                    const double gain = s - score(current);
                    if (gain < 0 && rng.below(1 << 20) >= int(std::exp(gain / temperature) * double(1 << 20))) {
                        if (!stale()) break;
                        continue;
                    }
                    current = d;
                    accepted.fetch_add(1);
                    if (d.difficulty.nodesPerPacking > chainBest.difficulty.nodesPerPacking) {
                        chainBest = d;
                        sinceBetter = returns = 0;
                    } else if (!stale()) {
                        break;
                    }
                }
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
    result.seconds = pool.seconds();
    result.stop = pool.cancelled() ? DesignStop::Cancelled : DesignStop::Time;
    return result;
}

}  // namespace tessaro::design
