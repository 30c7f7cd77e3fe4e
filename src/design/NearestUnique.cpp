#include "design/NearestUnique.h"

#include "analysis/PackingAnalysis.h"
#include "design/CellMasks.h"
#include "design/Designer.h"
#include "design/CandidateJudge.h"
#include "design/WorkerPool.h"

#include <algorithm>
#include <bit>
#include <functional>
#include <mutex>

namespace tessaro::design {

namespace {

using analysis::BoxSize;

Blocks cubes(const PieceCubes& cells) {
    Blocks out{};
    for (int b = 0; b < kBlocks; ++b)
        for (int c = 0; c < kCells; ++c)
            if (cells[size_t(b + kBlocks * c)] != 0) out[b] |= cellBit(c);
    return out;
}

// The made cubes, when they lie inside the box apart from each other in the shapes of the blocks.
std::optional<Blocks> madePacking(const Puzzle& p, BoxSize box) {
    const Blocks made = cubes(p.G_iPiece_Made), now = cubes(p.G_iPiece);
    uint64_t used = 0;
    for (int b = 0; b < kBlocks; ++b) {
        if ((made[b] & ~analysis::boxCells(box)) != 0 || (made[b] & used) != 0) return std::nullopt;
        if (analysis::canonicalShape(made[b]) != analysis::canonicalShape(now[b])) return std::nullopt;
        used |= made[b];
    }
    return made;
}

// A set of 64-bit keys with open addressing: millions of variants fit in tens of megabytes.
class KeySet {
public:
    bool insert(uint64_t k) {
        k |= 1;  // 0 marks a free slot
        if ((size_ + 1) * 2 > slots_.size()) grow();
        for (size_t i = k & (slots_.size() - 1);; i = (i + 1) & (slots_.size() - 1)) {
            if (slots_[i] == k) return false;
            if (slots_[i] == 0) {
                slots_[i] = k;
                ++size_;
                return true;
            }
        }
    }

private:
    void grow() {
        std::vector<uint64_t> old = std::move(slots_);
        slots_.assign(std::max<size_t>(1024, old.size() * 2), 0);
        size_ = 0;
        for (uint64_t k : old)
            if (k != 0) insert(k);
    }
    std::vector<uint64_t> slots_;
    size_t size_ = 0;
};

std::vector<CellMove> movesBetween(const Blocks& from, const Blocks& to) {
    std::vector<CellMove> out;
    for (int c = 0; c < kCells; ++c) {
        int a = -1, b = -1;
        for (int k = 0; k < kBlocks; ++k) {
            if (from[k] & cellBit(c)) a = k;
            if (to[k] & cellBit(c)) b = k;
        }
        if (a != b) out.push_back({c, a, b});
    }
    return out;
}

constexpr size_t kChunk = 2048;

}  // namespace

NearestResult nearestUnique(const NearestRequest& request, const DesignControl& control) {
    NearestResult result;
    const Puzzle& p = request.source;
    const BoxSize box{p.G_iCells_X, p.G_iCells_Y, p.G_iCells_Z};
    const analysis::PackingAnalysis analysis(p);
    if (!analysis.problems().empty()) {
        result.noPacking = true;
        result.stop = DesignStop::Exhausted;
        return result;
    }
    if (const auto made = madePacking(p, box)) {
        result.start = *made;
        result.fromMade = true;
    } else if (const auto first = analysis.findOne(control.cancel)) {
        result.start = *first;
    } else {
        result.noPacking = control.cancel == nullptr || !control.cancel->load();
        result.stop = result.noPacking ? DesignStop::Exhausted : DesignStop::Cancelled;
        return result;
    }

    const Judge judge(box);
    std::array<bool, kBlocks> connected{};
    for (int b = 0; b < kBlocks; ++b) connected[b] = analysis::faceConnected(result.start[b]);
    const auto started = std::chrono::steady_clock::now();
    const auto elapsed = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count(); };

    const auto offerable = [&](const Blocks& v) {
        for (int k = 0; k < kBlocks; ++k)
            if (v[k] != 0 && std::popcount(v[k]) < request.minCells) return false;
        return true;
    };
    // Judges a batch in parallel, keeping the hardest; true when the run must end (time, cancel).
    std::vector<Design> found;
    std::mutex rejectedMutex;
    std::atomic<uint64_t> bounded{0};
    int depth = 0;
    const auto judgeBatch = [&](const std::vector<Blocks>& batch) {
        const double left = request.seconds > 0 ? request.seconds - elapsed() : 0;
        if (request.seconds > 0 && left <= 0) {
            result.stop = DesignStop::Time;
            return true;
        }
        std::vector<std::optional<Design>> judged(batch.size());
        std::vector<char> finished(batch.size(), 0);  // judged to the end
        std::atomic<size_t> next{0};
        std::atomic<bool> stopped{false};
        // Nodes per packing of the count hardest kept so far, this batch's too: once
        // the list is full, a variant rated below its last cannot enter and is not
        // proved unique (an equal one might, by coming earlier).
        std::vector<double> top;
        for (const Design& d : found) top.push_back(d.difficulty.nodesPerPacking);
        const auto bound = [&] { return top.size() >= size_t(request.count) ? top.back() : -1.0; };
        std::atomic<double> above{bound()};
        WorkerPool pool(request.threads, left, control);
        pool.run(
            [&](const std::atomic<bool>& stop) {
                for (size_t i; (i = next.fetch_add(1)) < batch.size();) {
                    if (!offerable(batch[i])) continue;
                    Design d;
                    const Judge::Outcome o = judge.judge(batch[i], request.minRating, &stop, d, above.load());
                    if (o == Judge::Outcome::Stopped) {
                        stopped = true;
                        return;
                    }
                    finished[i] = 1;
                    if (o == Judge::Outcome::Bounded) bounded.fetch_add(1);
                    if (o == Judge::Outcome::Accepted) {
                        judged[i] = d;
                        std::lock_guard lock(rejectedMutex);
                        top.insert(std::upper_bound(top.begin(), top.end(), d.difficulty.nodesPerPacking, std::greater<>()),
                                   d.difficulty.nodesPerPacking);
                        if (top.size() > size_t(request.count)) top.pop_back();
                        above = bound();
                    }
                    if (o == Judge::Outcome::TooEasy) {
                        std::lock_guard lock(rejectedMutex);
                        result.bestRejectedRating = std::max(result.bestRejectedRating, d.difficulty.rating);
                    }
                }
            },
            [&] {
                DesignProgress pr;
                pr.tried = result.tried + std::min(next.load(), batch.size());
                pr.found = int(found.size());
                for (const Design& d : found) pr.bestRating = std::max(pr.bestRating, d.difficulty.rating);
                pr.depth = depth;
                return pr;
            });
        // What was judged to the end counts even when the time cut the batch short.
        for (size_t i = 0; i < batch.size(); ++i) {
            if (finished[i] == 0) continue;
            ++result.tried;
            if (!judged[i]) continue;
            judged[i]->moves = movesBetween(result.start, batch[i]);
            judged[i]->attempt = result.tried;  // fewer moves first among equals
            found.push_back(*judged[i]);
            sortHardestFirst(found);
            if (found.size() > size_t(request.count)) found.pop_back();
        }
        if (stopped) {
            result.stop = pool.cancelled() ? DesignStop::Cancelled : DesignStop::Time;
            return true;
        }
        return false;
    };

    KeySet seen;
    seen.insert(blocksHash(result.start));
    std::vector<Blocks> frontier{result.start};
    bool ended = judgeBatch(frontier);
    std::vector<Blocks> batch;
    while (!ended && depth < request.maxMoves) {
        ++depth;
        std::vector<Blocks> nextFrontier;
        for (const Blocks& s : frontier) {
            for (int from = 0; from < kBlocks && !ended; ++from) {
                if (std::popcount(s[from]) <= std::max(1, request.minCells)) continue;
                for (uint64_t cells = s[from]; cells != 0 && !ended; cells &= cells - 1) {
                    const uint64_t bit = cells & (~cells + 1);
                    const uint64_t rest = s[from] & ~bit;
                    if (connected[from] && !analysis::faceConnected(rest)) continue;
                    for (int to = 0; to < kBlocks; ++to) {
                        if (to == from || (faceNeighbours(bit) & s[to]) == 0) continue;
                        Blocks v = s;
                        v[from] = rest;
                        v[to] |= bit;
                        if (!seen.insert(blocksHash(v))) continue;
                        if (depth < request.maxMoves) nextFrontier.push_back(v);
                        batch.push_back(v);
                        if (batch.size() == kChunk) {
                            ended = judgeBatch(batch);
                            batch.clear();
                            if (ended) break;
                        }
                    }
                }
            }
            if (ended) break;
        }
        if (!ended && !batch.empty()) {
            ended = judgeBatch(batch);
            batch.clear();
        }
        if (!ended) result.movesSearched = depth;
        frontier = std::move(nextFrontier);
    }
    if (!ended) {
        result.movesSearched = std::min(depth, request.maxMoves);
        result.stop = DesignStop::Exhausted;
    }
    result.designs = std::move(found);
    sortHardestFirst(result.designs);
    // Handed on only now: until the end a harder variant may still push one out.
    if (control.found)
        for (const Design& d : result.designs) control.found(d);
    result.seconds = elapsed();
    result.bounded = bounded.load();
    return result;
}

}  // namespace tessaro::design
