#include "design/Difficulty.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <thread>

namespace tessaro::design {

namespace {

using analysis::BoxSize;

// Placements as bits of word arrays: a node is a few word operations per cell.
struct PlainProblem {
    uint64_t open = 0;  // box cells still to fill or leave empty
    int empties = 0;
    size_t words = 0;
    std::vector<uint64_t> mask;  // every placement, by type then ascending
    std::vector<uint8_t> type;
    std::vector<uint8_t> count;      // blocks of each type
    std::vector<uint64_t> cover;     // per cell: the placements covering it
    std::vector<uint64_t> conflict;  // per placement: those sharing a cell with it
    std::vector<uint64_t> ofType;    // per type
    const uint64_t* coverOf(int cell) const { return cover.data() + size_t(cell) * words; }
};

void setBit(uint64_t* bits, size_t i) { bits[i / 64] |= uint64_t(1) << (i % 64); }

PlainProblem makeProblem(BoxSize box, const std::array<uint64_t, kBlocks>& blocks, uint64_t kept) {
    PlainProblem pr;
    pr.open = analysis::boxCells(box) & ~kept;
    std::vector<uint64_t> shapes;
    int cells = 0;
    for (uint64_t b : blocks) {
        if (b == 0) continue;
        cells += std::popcount(b);
        const uint64_t canon = analysis::canonicalShape(b);
        const auto at = std::find(shapes.begin(), shapes.end(), canon);
        if (at != shapes.end()) {
            ++pr.count[size_t(at - shapes.begin())];
            continue;
        }
        shapes.push_back(canon);
        pr.count.push_back(1);
    }
    pr.empties = std::max(0, std::popcount(pr.open) - cells);
    for (size_t t = 0; t < shapes.size(); ++t)
        for (uint64_t m : analysis::placementsOf(shapes[t], box, ~pr.open)) {
            pr.mask.push_back(m);
            pr.type.push_back(uint8_t(t));
        }
    const size_t n = pr.mask.size(), w = std::max<size_t>(1, (n + 63) / 64);
    pr.words = w;
    pr.cover.assign(kCells * w, 0);
    pr.ofType.assign(shapes.size() * w, 0);
    for (size_t i = 0; i < n; ++i) {
        setBit(pr.ofType.data() + pr.type[i] * w, i);
        for (uint64_t c = pr.mask[i]; c != 0; c &= c - 1) setBit(pr.cover.data() + size_t(std::countr_zero(c)) * w, i);
    }
    pr.conflict.assign(n * w, 0);
    for (size_t i = 0; i < n; ++i)
        for (uint64_t c = pr.mask[i]; c != 0; c &= c - 1) {
            const uint64_t* cov = pr.coverOf(std::countr_zero(c));
            for (size_t k = 0; k < w; ++k) pr.conflict[i * w + k] |= cov[k];
        }
    return pr;
}

// One depth-first walk. With several walkers, each takes the subtrees at
// kSplitDepth it claims from a shared counter; the levels above are walked by
// all and counted by the first only.
class Walker {
public:
    static constexpr int kSplitDepth = 3;

    Walker(const PlainProblem& pr, bool shared, bool first, std::atomic<uint64_t>* next,
           const std::atomic<bool>* cancel, std::atomic<uint64_t>* published, const DifficultyProgress* progress)
        : pr_(pr), alive_((kCells + 2) * pr.words, 0), left_(pr.count), open_(pr.open), empties_(pr.empties),
          shared_(shared), first_(first), next_(next), cancel_(cancel), published_(published), progress_(progress) {
        for (size_t i = 0; i < pr.mask.size(); ++i) setBit(alive_.data(), i);
        if (shared_) claim_ = next_->fetch_add(1);
    }

    void run() { visit(0); }
    uint64_t nodes = 0, leaves = 0;
    bool stopped = false;

private:
    void visit(int depth) {
        if (shared_ && depth == kSplitDepth) {
            if (index_++ != claim_) return;
            claim_ = next_->fetch_add(1);
        }
        if (!shared_ || depth >= kSplitDepth || first_) {
            ++nodes;
            if (open_ == 0) ++leaves;
        }
        if (open_ == 0 || stopped) return;
        if ((++ticks_ & 0x3FFF) == 0) {
            if (cancel_ != nullptr && cancel_->load(std::memory_order_relaxed)) {
                stopped = true;
                return;
            }
            const uint64_t total = published_->fetch_add(nodes - told_) + (nodes - told_);
            told_ = nodes;
            if (first_ && *progress_ && (ticks_ & 0xFFFFF) == 0) (*progress_)(total);
        }
        const size_t w = pr_.words;
        const uint64_t* alive = alive_.data() + size_t(depth) * w;
        uint64_t* below = alive_.data() + size_t(depth + 1) * w;
        const int spare = empties_ > 0 ? 1 : 0;
        int cell = -1, best = 1 << 30;
        for (uint64_t m = open_; m != 0 && best > spare; m &= m - 1) {
            const int c = std::countr_zero(m);
            const uint64_t* cov = pr_.coverOf(c);
            int n = spare;
            for (size_t k = 0; k < w && n < best; ++k) n += std::popcount(alive[k] & cov[k]);
            if (n < best) best = n, cell = c;
        }
        if (best == 0) return;
        const uint64_t* cov = pr_.coverOf(cell);
        for (size_t k = 0; k < w; ++k)
            for (uint64_t bits = alive[k] & cov[k]; bits != 0; bits &= bits - 1) {
                const size_t p = k * 64 + size_t(std::countr_zero(bits));
                const uint64_t cells = pr_.mask[p];
                const uint8_t t = pr_.type[p];
                const uint64_t* conflict = pr_.conflict.data() + p * w;
                const bool last = --left_[t] == 0;
                const uint64_t* typeBits = pr_.ofType.data() + size_t(t) * w;
                for (size_t j = 0; j < w; ++j) below[j] = alive[j] & ~conflict[j] & (last ? ~typeBits[j] : ~uint64_t(0));
                open_ &= ~cells;
                visit(depth + 1);
                open_ |= cells;
                ++left_[t];
            }
        if (empties_ > 0) {
            for (size_t j = 0; j < w; ++j) below[j] = alive[j] & ~cov[j];
            const uint64_t bit = uint64_t(1) << cell;
            --empties_;
            open_ &= ~bit;
            visit(depth + 1);
            open_ |= bit;
            ++empties_;
        }
    }

    const PlainProblem& pr_;
    std::vector<uint64_t> alive_;  // per depth: the placements still possible
    std::vector<uint8_t> left_;
    uint64_t open_;
    int empties_;
    bool shared_, first_;
    std::atomic<uint64_t>* next_;
    const std::atomic<bool>* cancel_;
    std::atomic<uint64_t>* published_;
    const DifficultyProgress* progress_;
    uint64_t claim_ = 0, index_ = 0, ticks_ = 0, told_ = 0;
};

}  // namespace

Difficulty measureDifficulty(BoxSize box, const std::array<uint64_t, kBlocks>& blocks, uint64_t kept, int threads,
                             const std::atomic<bool>* cancel, const DifficultyProgress& progress) {
    const PlainProblem pr = makeProblem(box, blocks, kept);
    threads = std::clamp(threads, 1, 64);
    std::atomic<uint64_t> next{0}, published{0};
    std::vector<Walker> walkers;
    walkers.reserve(size_t(threads));
    for (int t = 0; t < threads; ++t) walkers.emplace_back(pr, threads > 1, t == 0, &next, cancel, &published, &progress);
    if (threads == 1) {
        walkers[0].run();
    } else {
        std::vector<std::thread> pool;
        for (Walker& w : walkers) pool.emplace_back([&w] { w.run(); });
        for (std::thread& t : pool) t.join();
    }
    Difficulty d;
    d.complete = true;
    for (const Walker& w : walkers) {
        d.searchNodes += w.nodes;
        d.packings += w.leaves;
        d.complete = d.complete && !w.stopped;
    }
    return d;
}

Difficulty measureDifficulty(const Puzzle& p, bool fromBox, int threads, const std::atomic<bool>* cancel,
                             const DifficultyProgress& progress) {
    std::array<uint64_t, kBlocks> blocks{};
    uint64_t kept = 0;
    for (int b = 0; b < kBlocks; ++b) {
        for (int c = 0; c < kCells; ++c)
            if (p.G_iPiece[b + kBlocks * c] != 0) blocks[b] |= uint64_t(1) << c;
        if (!fromBox || blocks[b] == 0 || p.G_iLoaded[b] == 0) continue;
        for (int c = 0; c < kCells; ++c)
            if (p.G_iBox[c] != 0 && p.G_iBox_No[c] == b + 1) kept |= uint64_t(1) << c;
        blocks[b] = 0;  // in place already
    }
    return measureDifficulty({p.G_iCells_X, p.G_iCells_Y, p.G_iCells_Z}, blocks, kept, threads, cancel, progress);
}

double nodesPerPacking(uint64_t searchNodes, uint64_t distinctPackings) {
    return double(searchNodes) / double(std::max<uint64_t>(distinctPackings, 1));
}

int difficultyRating(double nodesPerPacking) {
    if (nodesPerPacking <= 64) return 1;
    const int step = int(std::ceil(std::log(nodesPerPacking / 64) / std::log(4.0)));
    return std::clamp(1 + step, 1, 10);
}

}  // namespace tessaro::design
