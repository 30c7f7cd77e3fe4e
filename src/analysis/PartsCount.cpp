#include "analysis/PartsCount.h"

#include "analysis/PieceSearch.h"
#include "analysis/TreeEstimate.h"
#include "analysis/WorkerThreads.h"

#include <algorithm>
#include <chrono>
#include <mutex>

namespace tessaro::analysis {

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint64_t kFull = ~uint64_t(0);
constexpr int kMaxThreads = 256;
// Nodes of the count to a probe level of the progress's estimate: a level
// costs some dozens of nodes, so the estimate stays near a fiftieth of the work.
constexpr uint64_t kNodesPerProbeStep = 2500;
// From so many parts on the share done is told without probes.
constexpr size_t kProbedParts = 1000;

bool cancelled(const std::atomic<bool>* cancel) { return cancel != nullptr && cancel->load(std::memory_order_relaxed); }

struct alignas(64) WorkerCount {
    std::atomic<uint64_t> found{0};
    std::atomic<size_t> part{~size_t(0)};  // the part being searched
    std::atomic<uint64_t> nodes{0};        // nodes visited in it so far
    std::atomic<double> path{-1};          // its share behind the search by its place in the tree; < 0 unknown
    std::atomic<double> size{-1};          // its nodes foretold from those behind
};

// What the workers share.
struct Shared {
    Shared(const std::vector<SearchState>& all, const std::vector<size_t>& index, int threads)
        : parts(all), origin(index), finishedNodes(all.size()), counts(size_t(threads)) {}
    const std::vector<SearchState>& parts;  // in the order they are taken
    const std::vector<size_t>& origin;      // each one's place in search order
    std::atomic<size_t> nextPart{0};
    std::atomic<size_t> partsDone{0};
    std::vector<std::atomic<uint64_t>> finishedNodes;  // nodes + 1 once a part is done
    std::atomic<bool> stop{false};
    std::vector<WorkerCount> counts;
    std::mutex mutex;
    size_t firstPart = ~size_t(0);
    std::optional<std::vector<Item>> first;

    uint64_t total() const {
        uint64_t sum = 0;
        for (const WorkerCount& c : counts) sum += c.found.load(std::memory_order_relaxed);
        return sum;
    }
};

// The progress reports: the share done from the nodes visited against the
// parts' estimate, which grows as the count goes (a few probes per report).
class Reporter {
public:
    Reporter(const ItemSet& items, const std::vector<std::vector<uint64_t>>& placementsByType, Shared& shared,
             uint64_t labellings, const CountOptions& options, bool alone)
        : alone_(alone), shared_(shared), labellings_(labellings), options_(options), started_(Clock::now()),
          interval_(std::max(0.01, options.progressInterval)), next_(interval_) {
        // Among many parts, those finished tell the size of the rest better than probes.
        if (options.progress && shared.parts.size() < kProbedParts) prober_.emplace(items, placementsByType, shared.parts);
    }

    double elapsed() const { return std::chrono::duration<double>(Clock::now() - started_).count(); }
    // `nodes`: of the one thread's running part, for reports by nodes.
    bool due(uint64_t nodes) {
        if (!options_.progress) return false;
        if (options_.progressNodes == 0 || !alone_) return elapsed() >= next_;
        const uint64_t all = nodesBefore_ + nodes;
        return all >= nextNodes_;
    }
    // The one thread moves on to the next part: the nodes so far stay counted.
    void partEnded(uint64_t nodes) { nodesBefore_ += nodes; }

    void report() {
        const double now = elapsed();
        next_ = now + interval_;
        ShareModel model;
        const size_t n = shared_.parts.size();
        model.estimated.assign(n, -1);
        model.visited.assign(n, 0);
        model.finished.assign(n, false);
        model.path.assign(n, -1);
        model.size.assign(n, -1);
        double visited = 0;
        for (size_t p = 0; p < n; ++p) {
            const uint64_t f = shared_.finishedNodes[p].load(std::memory_order_relaxed);
            if (f > 0) model.finished[p] = true, model.visited[p] = double(f - 1);
        }
        for (const WorkerCount& w : shared_.counts) {
            const size_t p = w.part.load(std::memory_order_relaxed);
            if (p < n && !model.finished[p]) {
                model.visited[p] = double(w.nodes.load(std::memory_order_relaxed));
                model.path[p] = w.path.load(std::memory_order_relaxed);
                model.size[p] = w.size.load(std::memory_order_relaxed);
            }
        }
        for (double v : model.visited) visited += v;
        // The estimate spends in proportion to the count's work, on the parts not yet begun.
        // The first report probes every part once at least, for a figure at all.
        const uint64_t allowed = std::max<uint64_t>(uint64_t(visited) / kNodesPerProbeStep, 16 * n);
        if (prober_ && prober_->steps() < allowed)
            prober_->run(std::min(shared_.nextPart.load(), n), allowed - prober_->steps());
        for (size_t p = 0; p < n && prober_; ++p) model.estimated[p] = prober_->nodes(p);
        Progress out{shared_.total() * labellings_, double(shared_.partsDone.load()) / double(std::max<size_t>(n, 1)),
                     now};
        const auto [done, toGo] = model.share();
        // The bar never goes back; the time to go is the time so far scaled by the work left to the work done.
        out.done = std::max(shown_, std::max(done, 0.0));
        if (done > 0 && toGo >= 0) out.remaining = now * (1 - done) / done;
        out.nodes = uint64_t(visited);
        nextNodes_ = out.nodes + options_.progressNodes;
        shown_ = out.done;
        options_.progress(out);
    }

private:
    bool alone_;
    Shared& shared_;
    uint64_t labellings_;
    const CountOptions& options_;
    Clock::time_point started_;
    double interval_;
    double next_;
    double shown_ = 0;
    uint64_t nodesBefore_ = 0, nextNodes_ = 0;
    std::optional<PartsProber> prober_;
};

}  // namespace

std::pair<double, double> ShareModel::share() const {
    double doneNodes = 0, expected = 0, finishedEstimate = 0, finishedProbed = 0, finishedReal = 0, allEstimate = 0;
    size_t known = 0, finishedParts = 0;
    for (size_t p = 0; p < estimated.size(); ++p) {
        doneNodes += visited[p];
        if (estimated[p] >= 0) allEstimate += estimated[p], ++known;
        if (!finished[p]) continue;
        finishedReal += visited[p], ++finishedParts;
        if (estimated[p] >= 0) finishedEstimate += estimated[p], finishedProbed += visited[p];
    }
    if (known == 0 && finishedParts == 0) return {-1, -1};
    // A part not probed is taken for as big as those finished, for an average
    // probed one before any is.
    const double average = finishedParts > 0 ? finishedReal / double(finishedParts) : allEstimate / double(known);
    // How the finished parts bore their probes out, weighed against a prior
    // of one until a fair share of the estimate is behind.
    const double prior = 0.05 * allEstimate;
    const double ratio = prior + finishedEstimate > 0 ? (prior + finishedProbed) / (prior + finishedEstimate) : 1;
    for (size_t p = 0; p < estimated.size(); ++p) {
        if (finished[p]) {
            expected += visited[p];
            continue;
        }
        const double guess = std::max(visited[p], estimated[p] >= 0 ? ratio * estimated[p] : average);
        // A running part's place in its tree tells its size better than the
        // probes once a tenth of it is behind.
        const double trust = path.empty() || path[p] <= 0 ? 0 : std::min(1.0, 10 * path[p]);
        expected += trust > 0 ? std::max(visited[p], trust * size[p] + (1 - trust) * guess) : guess;
    }
    if (expected <= 0) return {-1, -1};
    return {std::min(0.999, doneNodes / expected), expected - doneNodes};
}

PartsTotal searchParts(const ItemSet& items, const std::vector<std::vector<uint64_t>>& placementsByType,
                       const std::vector<SearchState>& given, uint64_t labellings, const CountOptions& options,
                       const std::function<PackingVisitor()>& visitors) {
    // Reported, a long count with cells to spare splits its parts once more, by
    // their first piece: the same trees, but none so big that the share done
    // hangs on it. Each part's start costs, so a short count is left as it is.
    std::vector<SearchState> finer;
    // Only the order of the count's size matters here, so a few parts spread
    // evenly over the search stand for all: probing every part cost more than
    // the progress's whole estimate afterwards.
    const auto foretold = [&] {
        constexpr size_t kDrawn = 8;
        std::vector<SearchState> drawn;
        const size_t stride = std::max<size_t>(1, given.size() / kDrawn);
        for (size_t p = stride / 2; p < given.size() && drawn.size() < kDrawn; p += stride) drawn.push_back(given[p]);
        EstimateOptions o;
        o.probes = 4 * drawn.size();
        o.countBelow = 0;
        return estimateParts(items, placementsByType, drawn, o).nodes.value * double(given.size()) /
               double(std::max<size_t>(drawn.size(), 1));
    };
    const bool byPiece = std::any_of(given.begin(), given.end(), [](const SearchState& s) { return s.empties > 0; });
    if (options.progress && !options.limit && byPiece &&
        (options.finerFrom == 0 || foretold() >= double(options.finerFrom))) {
        for (const SearchState& part : given)
            for (const SearchState& c : splitByPiece(placementsByType, part)) finer.push_back(c);
    }
    const std::vector<SearchState>& parts = finer.empty() ? given : finer;
    const int threads =
        std::max(1, std::min({workerThreads(options.threads), kMaxThreads, int(std::max<size_t>(parts.size(), 1))}));
    // Reported, a count takes its parts in a shuffled order, so that the parts
    // finished are a fair sample of those left and the estimate of the rest can
    // learn from them; with a limit the search order stands, for the packings
    // found first.
    std::vector<size_t> origin(parts.size());
    for (size_t i = 0; i < origin.size(); ++i) origin[i] = i;
    if (options.progress && !options.limit) {
        uint64_t state = 0x5EED;
        for (size_t i = origin.size(); i > 1; --i) {
            state = state * 6364136223846793005ull + 1442695040888963407ull;
            std::swap(origin[i - 1], origin[size_t((state >> 33) % i)]);
        }
    }
    std::vector<SearchState> taken;
    taken.reserve(parts.size());
    for (size_t i : origin) taken.push_back(parts[i]);
    Shared shared(taken, origin, threads);
    const bool alone = threads == 1;
    Reporter reporter(items, placementsByType, shared, labellings, options, alone);
    // With a limit the workers look at the total often, so that they stop soon after it.
    const uint64_t batch = options.limit ? 512 : 8192;

    const auto shouldStop = [&] {
        if (cancelled(options.cancel)) shared.stop.store(true);
        if (options.limit && shared.total() * labellings >= *options.limit) shared.stop.store(true);
        // One thread reports between its own batches: no second thread runs.
        if (alone && reporter.due(shared.counts[0].nodes.load(std::memory_order_relaxed))) reporter.report();
        return shared.stop.load(std::memory_order_relaxed);
    };
    const auto work = [&](WorkerCount& mine) {
        CoverSearch search(items);
        std::optional<PieceSearch> pieces;  // its tables are made only for a box with cells to spare
        const PackingVisitor visit = visitors ? visitors() : PackingVisitor{};
        const SearchState* current = nullptr;
        std::vector<Item> firstHere;  // one at a time, the search keeps only the last packing
        uint64_t finished = 0;
        for (;;) {
            const size_t k = shared.nextPart.fetch_add(1);
            if (k >= parts.size() || shared.stop.load(std::memory_order_relaxed)) break;
            const SearchState& part = shared.parts[k];
            const size_t i = origin[k];
            current = &part;
            mine.nodes.store(0, std::memory_order_relaxed);
            mine.path.store(-1, std::memory_order_relaxed);
            mine.size.store(-1, std::memory_order_relaxed);
            mine.part.store(k, std::memory_order_relaxed);
            uint64_t nodes = 0, leaves = 0;
            bool ended = true;
            const std::vector<Item>* packing = nullptr;
            if (part.empties > 0 && part.filled != kFull) {
                if (!pieces) {
                    pieces.emplace(placementsByType, options.shortcuts);
                    if (visit)
                        pieces->onEachPacking([&](std::span<const Item> first, int lastType, std::span<const uint64_t> lasts) {
                            visit(first, lastType, lasts, *current);
                        });
                }
                ended = pieces->count(part, [&](uint64_t sofar) {
                    mine.found.store(finished + sofar * part.weight, std::memory_order_relaxed);
                    mine.nodes.store(pieces->nodes(), std::memory_order_relaxed);
                    if (options.progress) {
                        const PieceSearch::Standing at = pieces->standing();
                        mine.path.store(at.share, std::memory_order_relaxed);
                        mine.size.store(at.nodes, std::memory_order_relaxed);
                    }
                    return !shouldStop();
                });
                leaves = pieces->leaves();
                nodes = pieces->nodes();
                packing = &pieces->firstPacking();
            } else {
                search.start(part);
                for (uint64_t seen = 0;;) {
                    const CoverSearch::Step step = search.run(batch, !visit);
                    if (step == CoverSearch::Step::Found) {
                        if (search.leaves() == 1) firstHere = search.packing();
                        visit(search.packing(), -1, {}, part);
                        // The stop and the progress are looked at now and then, as between batches.
                        if (++seen % 1024 != 0) continue;
                    }
                    ended = step == CoverSearch::Step::Done;
                    mine.found.store(finished + search.leaves() * part.weight, std::memory_order_relaxed);
                    mine.nodes.store(search.nodes(), std::memory_order_relaxed);
                    if (ended || shouldStop()) break;
                }
                leaves = search.leaves();
                nodes = search.nodes();
                packing = visit ? &firstHere : &search.packing();
            }
            mine.found.store(finished + leaves * part.weight, std::memory_order_relaxed);
            if (leaves > 0) {
                std::lock_guard lock(shared.mutex);
                if (i < shared.firstPart) shared.firstPart = i, shared.first = *packing;
            }
            if (!ended) break;
            finished += leaves * part.weight;
            shared.finishedNodes[k].store(nodes + 1, std::memory_order_relaxed);
            if (alone) reporter.partEnded(nodes);
            shared.partsDone.fetch_add(1);
            if (shouldStop()) break;
        }
    };

    if (alone) {
        work(shared.counts[0]);
    } else {
        runWorkers(threads, [&](int t) { work(shared.counts[size_t(t)]); }, std::max(0.01, options.progressInterval), [&] {
            if (reporter.due(0)) reporter.report();
        });
    }

    PartsTotal out;
    out.packings = shared.total();
    for (const std::atomic<uint64_t>& f : shared.finishedNodes) out.nodes += f > 0 ? f - 1 : 0;
    out.complete = shared.partsDone.load() == parts.size();
    out.first = std::move(shared.first);
    return out;
}

}  // namespace tessaro::analysis
