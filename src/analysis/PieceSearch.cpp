#include "analysis/PieceSearch.h"

#include <bit>

namespace tessaro::analysis {

PieceSearch::PieceSearch(const std::vector<std::vector<uint64_t>>& placements, bool sortKinds)
    : placements_(placements), types_(int(placements.size())), sortKinds_(sortKinds) {
    for (const auto& p : placements) capacity_ += p.size();
    levels_.resize(2 * kMaxTypes + 1);
    pool_.resize(capacity_ * levels_.size());
}

bool PieceSearch::count(const SearchState& s, const std::function<bool(uint64_t)>& keepGoing) {
    origin_ = &s;
    keepGoing_ = &keepGoing;
    leaves_ = 0;
    nodes_ = 0;
    stopped_ = false;
    first_.clear();
    chosenCount_ = 0;
    left_ = s.left;
    empties_ = s.empties;
    // Level 0: every place that fits beside what the state holds.
    Level& top = levels_[0];
    uint32_t n = 0;
    uint64_t reach = 0;
    for (int t = 0; t < types_; ++t) {
        top.begin[size_t(t)] = n;
        if (left_[size_t(t)] > 0)
            for (uint64_t m : placements_[size_t(t)])
                if ((m & s.filled) == 0) pool_[n++] = m, reach |= m;
        top.end[size_t(t)] = n;
    }
    for (int t = 0; t < types_; ++t)
        if (top.end[size_t(t)] - top.begin[size_t(t)] < left_[size_t(t)]) return true;
    if (std::popcount(~s.filled & ~reach) > empties_) return true;
    descend(0, s.filled);
    return !stopped_;
}

bool PieceSearch::descend(int level, uint64_t filled) {
    if ((++nodes_ & 4095) == 0 && !(*keepGoing_)(leaves_)) stopped_ = true;
    if (stopped_) return false;
    const Level& here = levels_[size_t(level)];
    // The kind with the fewest places left; none left means a packing.
    int best = -1, pieces = 0;
    uint32_t fewest = ~uint32_t(0);
    for (int t = 0; t < types_; ++t) {
        if (left_[size_t(t)] == 0) continue;
        pieces += left_[size_t(t)];
        const uint32_t n = here.end[size_t(t)] - here.begin[size_t(t)];
        if (n < fewest) fewest = n, best = t;
    }
    if (pieces == 1) {
        // The last piece: each place that still fits is a packing (the cells left over stay empty).
        if (leaves_ == 0 && fewest > 0) {
            first_.assign(origin_->placed.begin(), origin_->placed.begin() + origin_->placedCount);
            first_.insert(first_.end(), chosen_.begin(), chosen_.begin() + chosenCount_);
            first_.push_back({pool_[capacity_ * size_t(level) + here.begin[size_t(best)]], uint8_t(best), 1});
        }
        leaves_ += fewest;
        return true;
    }
    if (best < 0) {
        if (leaves_++ == 0) {
            first_.assign(origin_->placed.begin(), origin_->placed.begin() + origin_->placedCount);
            first_.insert(first_.end(), chosen_.begin(), chosen_.begin() + chosenCount_);
        }
        return true;
    }
    Level& next = levels_[size_t(level + 1)];
    uint64_t* out = pool_.data() + capacity_ * size_t(level + 1);
    const uint64_t* in = pool_.data() + capacity_ * size_t(level);
    // The kinds with the fewest places are filtered first: a branch most often
    // ends for want of places of one of them, and then the rest is not looked at.
    std::array<uint8_t, kMaxTypes> order{};
    int kinds = 0;
    for (int t = 0; t < types_; ++t) {
        if (left_[size_t(t)] == 0) continue;
        int k = kinds++;
        const uint32_t n = here.end[size_t(t)] - here.begin[size_t(t)];
        if (sortKinds_)
            for (; k > 0 && here.end[order[size_t(k - 1)]] - here.begin[order[size_t(k - 1)]] > n; --k)
                order[size_t(k)] = order[size_t(k - 1)];
        order[size_t(k)] = uint8_t(t);
    }
    --left_[size_t(best)];
    for (uint32_t i = here.begin[size_t(best)]; i < here.end[size_t(best)]; ++i) {
        const uint64_t m = in[i];
        const uint64_t nf = filled | m;
        uint32_t n = 0;
        uint64_t reach = 0;
        bool dead = false;
        for (int k = 0; k < kinds && !dead; ++k) {
            const int t = order[size_t(k)];
            next.begin[size_t(t)] = n;
            if (left_[size_t(t)] > 0) {
                // Pieces of one kind are taken in ascending order, so each set of places once.
                const uint32_t from = t == best ? i + 1 : here.begin[size_t(t)];
                for (uint32_t j = from; j < here.end[size_t(t)]; ++j) {
                    const uint64_t c = in[j];
                    out[n] = c;
                    const bool fits = (c & nf) == 0;
                    n += fits ? 1 : 0;
                    reach |= fits ? c : 0;
                }
                dead = n - next.begin[size_t(t)] < left_[size_t(t)];
            }
            next.end[size_t(t)] = n;
        }
        if (dead || std::popcount(~nf & ~reach) > empties_) continue;
        chosen_[size_t(chosenCount_++)] = {m, uint8_t(best), 1};
        const bool goOn = descend(level + 1, nf);
        --chosenCount_;
        if (!goOn) break;
    }
    ++left_[size_t(best)];
    return !stopped_;
}

}  // namespace tessaro::analysis
