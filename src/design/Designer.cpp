#include "design/Designer.h"

#include "design/BoxCut.h"
#include "design/EveryCut.h"
#include "design/PieceRules.h"
#include "design/Refine.h"
#include "model/SplitMix.h"
#include "design/CandidateJudge.h"
#include "analysis/Assembly.h"
#include "design/WorkerPool.h"

#include <algorithm>
#include <mutex>

namespace tessaro::design {

namespace {

// Variants counted on the way from one cut towards a unique one before a fresh cut.
constexpr int kRefineSteps = 700;

}  // namespace

std::string requestProblem(const DesignRequest& s) {
    // As the file holds a box: 2 to 4 cells a side.
    const auto inRange = [](int v) { return v >= 2 && v <= kGrid; };
    if (!inRange(s.box.x) || !inRange(s.box.y) || !inRange(s.box.z)) return "箱の各辺は 2 から 4 です。";
    const int cells = s.box.cells();
    const int maxCells = s.maxCells > 0 ? s.maxCells : cells;
    if (s.blocks < 1 || s.blocks > kBlocks) return "ブロックの数は 1 から 8 です。";
    if (s.empty < 0 || s.empty >= cells) return "空きセルの数は 0 から箱のセルの数未満です。";
    if (s.minCells < 1 || s.minCells > maxCells) return "ブロックのセル数の範囲が正しくありません。";
    const int body = cells - s.empty;
    if (s.blocks * s.minCells > body || s.blocks * maxCells < body)
        return "この箱と空きセルの数では、ブロック " + std::to_string(s.blocks) + " 個を " +
               std::to_string(s.minCells) + "〜" + std::to_string(maxCells) + " セルにできません。";
    if (s.count < 1) return "求める数は 1 以上です。";
    if (s.minRating > 10) return "難易度は 1 から 10 です。";
    if (s.minLevel < 0) return "組み立ての手数は 0 以上です。";
    return shapeProblem(s);
}

void sortHardestFirst(std::vector<Design>& designs) {
    std::stable_sort(designs.begin(), designs.end(), [](const Design& a, const Design& b) {
        if (a.difficulty.rating != b.difficulty.rating) return a.difficulty.rating > b.difficulty.rating;
        if (a.difficulty.nodesPerPacking != b.difficulty.nodesPerPacking)
            return a.difficulty.nodesPerPacking > b.difficulty.nodesPerPacking;
        return a.attempt < b.attempt;
    });
}

DesignResult designPuzzles(const DesignRequest& request, const DesignControl& control) {
    DesignResult result;
    if (!requestProblem(request).empty()) {
        result.stop = DesignStop::Exhausted;
        return result;
    }
    const Judge judge(request.box);
    const analysis::AssemblyCheck assembly(request.box);
    std::mutex mutex;
    std::vector<Design> found;  // by attempt
    std::atomic<uint64_t> nextAttempt{0}, tried{0};
    std::atomic<uint64_t> cutoff{UINT64_MAX};  // attempts past the count-th find are not needed
    std::atomic<int> best{0};
    int accepted = 0;  // handed to control.found

    const std::vector<SizeList> lists = sizeLists(request);
    // A small body has few cuts: each is judged once, in an order drawn from the seed, and then the search is over.
    std::optional<std::vector<Blocks>> every = everyCut(request);
    if (every) {
        SplitMix order(attemptSeed(request.seed, UINT64_MAX));
        for (size_t i = every->size(); i > 1; --i) std::swap((*every)[i - 1], (*every)[size_t(order.below(int(i)))]);
    }
    uint64_t finishedCuts = 0;  // of every cut, those judged to the end
    WorkerPool pool(request.threads, request.seconds, control);
    // The attempt each thread works on: once the count is filled by lower ones, it is stopped.
    std::vector<uint64_t> working(size_t(pool.threads()), 0);
    pool.run(
        [&](int thread, const std::atomic<bool>& stop) {
            Cut cut;
            for (;;) {
                const uint64_t attempt = nextAttempt.fetch_add(1);
                {
                    std::lock_guard lock(mutex);
                    if (attempt > cutoff.load() || stop.load(std::memory_order_relaxed)) return;
                    working[size_t(thread)] = attempt;
                }
                SplitMix rng(attemptSeed(request.seed, attempt));
                if (every && attempt >= every->size()) return;
                const CutOutcome made = every ? (cut.blocks = (*every)[attempt], CutOutcome::Made)
                                              : randomCut(request, lists, rng, cut);
                if (made != CutOutcome::Made) {
                    std::lock_guard lock(mutex);
                    (made == CutOutcome::Stuck ? result.cutsFailed : result.identical) += 1;
                    continue;
                }
                Design d;
                d.seed = request.seed;
                d.attempt = attempt;
                Judge::Outcome outcome = judge.judge(cut.blocks, request.minRating, &stop, d);
                // Variants a descent counted on the way, each one more tried that packs more than one way.
                uint64_t variants = 0;
                if (outcome == Judge::Outcome::NotUnique && !every) {
                    RefineStats refined;
                    const bool one = refineTowardsUnique(request, rng, cut.blocks, kRefineSteps, &stop, refined);
                    if (stop.load()) return;
                    variants = refined.judged > 0 ? refined.judged - 1 : 0;  // its first count is the cut's again
                    // Either the cut or the variant found last is judged below; the rest pack many ways.
                    if (one) outcome = judge.judge(cut.blocks, request.minRating, &stop, d);
                }
                if (outcome == Judge::Outcome::Stopped) return;
                if (outcome == Judge::Outcome::Accepted) {
                    const analysis::AssemblyResult built = assembly.check(d.blocks);
                    d.assemblyLevel = built.assemblable ? built.level : -1;
                }
                tried.fetch_add(1 + variants);
                std::lock_guard lock(mutex);
                ++finishedCuts;
                result.notUnique += variants;
                if (outcome == Judge::Outcome::Accepted &&
                    (request.assemblable || request.minLevel > 0) && d.assemblyLevel < request.minLevel) {
                    ++result.notAssemblable;
                } else if (outcome == Judge::Outcome::NotUnique) {
                    ++result.notUnique;
                } else if (outcome == Judge::Outcome::TooEasy) {
                    result.rejectTooEasy(d.difficulty.rating);
                } else {
                    // A descent can end where an earlier one did: the lower attempt keeps it.
                    const auto key = judge.canonicalKey(d.blocks);
                    const auto same = std::find_if(found.begin(), found.end(),
                                                   [&](const Design& e) { return judge.canonicalKey(e.blocks) == key; });
                    if (same != found.end()) {
                        ++result.duplicates;
                        if (same->attempt < d.attempt) continue;
                        found.erase(same);
                    } else if (control.found && accepted < request.count) {
                        ++accepted;
                        control.found(d);
                    }
                    found.insert(std::upper_bound(found.begin(), found.end(), d,
                                                  [](const Design& a, const Design& b) { return a.attempt < b.attempt; }),
                                 d);
                    best = std::max(best.load(), d.difficulty.rating);
                    if (found.size() >= size_t(request.count)) {
                        cutoff = found[size_t(request.count) - 1].attempt;
                        for (size_t t = 0; t < working.size(); ++t)
                            if (working[t] > cutoff) pool.stopThread(int(t));
                    }
                }
            }
        },
        [&] {
            DesignProgress p;
            p.tried = tried.load();
            std::lock_guard lock(mutex);
            p.found = int(std::min(found.size(), size_t(request.count)));
            p.bestRating = best.load();
            return p;
        });

    if (found.size() > size_t(request.count)) found.resize(size_t(request.count));
    result.designs = std::move(found);
    sortHardestFirst(result.designs);
    result.tried = tried.load();
    result.seconds = pool.seconds();
    result.stop = result.designs.size() >= size_t(request.count) ? DesignStop::Found
                  : every && finishedCuts == every->size()    ? DesignStop::Exhausted
                  : pool.cancelled()                          ? DesignStop::Cancelled
                                                              : DesignStop::Time;
    result.everyCut = every ? every->size() : 0;
    return result;
}

}  // namespace tessaro::design
