#include "analysis/PieceSearch.h"

#include <algorithm>
#include <bit>

namespace tessaro::analysis {

PieceSearch::PieceSearch(const std::vector<std::vector<uint64_t>>& placements, bool shortcuts)
    : types_(int(placements.size())), shortcuts_(shortcuts) {
    for (int t = 0; t < types_; ++t) {
        wordStart_[size_t(t)] = uint32_t(words_);
        words_ += (placements[size_t(t)].size() + 63) / 64;
    }
    for (int t = types_; t <= kMaxTypes; ++t) wordStart_[size_t(t)] = uint32_t(words_);
    masks_.assign(words_ * 64, 0);
    valid_.assign(words_, 0);
    // The places that hold each cell, then each place's overlaps as the union over its cells.
    holding_.assign(64 * words_, 0);
    std::vector<uint64_t>& holding = holding_;
    for (int t = 0; t < types_; ++t)
        for (size_t k = 0; k < placements[size_t(t)].size(); ++k) {
            const size_t i = 64 * size_t(wordStart_[size_t(t)]) + k;
            masks_[i] = placements[size_t(t)][k];
            valid_[i / 64] |= uint64_t(1) << (i % 64);
            for (uint64_t m = masks_[i]; m != 0; m &= m - 1)
                holding[size_t(std::countr_zero(m)) * words_ + i / 64] |= uint64_t(1) << (i % 64);
        }
    overlaps_.assign(masks_.size() * words_, 0);
    for (size_t i = 0; i < masks_.size(); ++i) {
        uint64_t* row = overlaps_.data() + i * words_;
        for (uint64_t m = masks_[i]; m != 0; m &= m - 1) {
            const uint64_t* h = holding.data() + size_t(std::countr_zero(m)) * words_;
            for (size_t w = 0; w < words_; ++w) row[w] |= h[w];
        }
    }
    levels_.resize(2 * kMaxTypes + 1);
    pool_.assign(words_ * levels_.size(), 0);
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
    uint64_t* alive = bits(0);
    for (size_t w = 0; w < words_; ++w) alive[w] = ~uint64_t(0);
    for (uint64_t m = s.filled; m != 0; m &= m - 1) {
        const uint64_t* h = holding_.data() + size_t(std::countr_zero(m)) * words_;
        for (size_t w = 0; w < words_; ++w) alive[w] &= ~h[w];
    }
    for (int t = 0; t < types_; ++t) {
        top.count[size_t(t)] = 0;
        top.lo[size_t(t)] = wordStart_[size_t(t)];
        top.hi[size_t(t)] = left_[size_t(t)] > 0 ? wordStart_[size_t(t + 1)] : wordStart_[size_t(t)];
        for (uint32_t w = wordStart_[size_t(t)]; w < wordStart_[size_t(t + 1)]; ++w) {
            alive[w] &= left_[size_t(t)] > 0 ? valid_[w] : 0;
            top.count[size_t(t)] += uint32_t(std::popcount(alive[w]));
        }
        if (top.count[size_t(t)] < left_[size_t(t)]) return true;
    }
    descend(0, s.filled);
    return !stopped_;
}

PieceSearch::Standing PieceSearch::standing() const {
    // keepGoing is asked on entering a level: one piece chosen on each level above.
    const int depth = chosenCount_;
    std::array<double, 2 * kMaxTypes + 2> rank{}, children{};
    for (int l = 0; l < depth; ++l) {
        const Item& c = chosen_[size_t(l)];
        const size_t t = c.type;
        const Level& here = levels_[size_t(l)];
        const uint64_t* alive = pool_.data() + words_ * size_t(l);
        size_t places = 0;
        for (uint32_t w = wordStart_[t]; w < wordStart_[t + 1]; ++w) places += size_t(std::popcount(valid_[w]));
        const auto first = masks_.begin() + std::ptrdiff_t(64 * size_t(wordStart_[t]));
        const auto i = size_t(std::lower_bound(first, first + std::ptrdiff_t(places), c.mask) - masks_.begin());
        uint64_t r = uint64_t(std::popcount(alive[i / 64] & ((uint64_t(1) << (i % 64)) - 1)));
        for (uint32_t w = here.lo[t]; w < i / 64; ++w) r += uint64_t(std::popcount(alive[w]));
        rank[size_t(l)] = double(r);
        children[size_t(l)] = std::max(1.0, double(here.count[t]));
    }
    Standing out;
    double scale = 1;
    for (int l = 0; l < depth; ++l) {
        out.share += scale * rank[size_t(l)] / children[size_t(l)];
        scale /= children[size_t(l)];
    }
    out.share = std::min(out.share, 1.0);
    out.nodes = double(nodes_ - entered_[size_t(depth)]) + 1;
    for (int l = depth - 1; l >= 0; --l) {
        const double finished = double(entered_[size_t(l + 1)] - entered_[size_t(l)]) - 1;
        const double each = rank[size_t(l)] > 0 ? finished / rank[size_t(l)] : out.nodes;
        out.nodes = 1 + finished + out.nodes + (children[size_t(l)] - rank[size_t(l)] - 1) * each;
    }
    return out;
}

void PieceSearch::recordFirst(int lastType, uint32_t lastIndex) {
    first_.assign(origin_->placed.begin(), origin_->placed.begin() + origin_->placedCount);
    first_.insert(first_.end(), chosen_.begin(), chosen_.begin() + chosenCount_);
    if (lastType >= 0) first_.push_back({masks_[lastIndex], uint8_t(lastType), 1});
}

void PieceSearch::beginLeaves() {
    leafCount_ = 0;
    for (int k = 0; k < origin_->placedCount && leafCount_ < leaf_.size(); ++k) leaf_[leafCount_++] = origin_->placed[size_t(k)];
    for (int k = 0; k < chosenCount_ && leafCount_ < leaf_.size(); ++k) leaf_[leafCount_++] = chosen_[size_t(k)];
    lasts_.clear();
}

void PieceSearch::addLasts(uint32_t word, uint64_t places) {
    for (; places != 0; places &= places - 1) lasts_.push_back(masks_[64 * size_t(word) + size_t(std::countr_zero(places))]);
}

bool PieceSearch::descend(int level, uint64_t filled) {
    entered_[size_t(level)] = ++nodes_;
    if ((nodes_ & 4095) == 0 && !(*keepGoing_)(leaves_)) stopped_ = true;
    if (stopped_) return false;
    const Level& here = levels_[size_t(level)];
    const uint64_t* alive = bits(level);
    // The kind with the fewest places left; none left means a packing.
    int best = -1, pieces = 0;
    uint32_t fewest = ~uint32_t(0);
    std::array<uint8_t, kMaxTypes> order{};
    int kinds = 0;
    for (int t = 0; t < types_; ++t) {
        if (left_[size_t(t)] == 0) continue;
        pieces += left_[size_t(t)];
        const uint32_t n = here.count[size_t(t)];
        if (n < fewest) fewest = n, best = t;
        // The kinds with the fewest places are looked at first: a branch most often
        // ends for want of places of one of them, and then the rest is not looked at.
        int k = kinds++;
        if (shortcuts_)
            for (; k > 0 && here.count[order[size_t(k - 1)]] > n; --k) order[size_t(k)] = order[size_t(k - 1)];
        order[size_t(k)] = uint8_t(t);
    }
    if (pieces == 1) {
        // The last piece: each place that still fits is a packing (the cells left over stay empty).
        if (leaves_ == 0 && fewest > 0) {
            uint32_t w = here.lo[size_t(best)];
            while (alive[w] == 0) ++w;
            recordFirst(best, 64 * w + uint32_t(std::countr_zero(alive[w])));
        }
        leaves_ += fewest;
        if (each_ && fewest > 0) {
            beginLeaves();
            for (uint32_t w = here.lo[size_t(best)]; w < here.hi[size_t(best)]; ++w) addLasts(w, alive[w]);
            each_(std::span<const Item>(leaf_.data(), leafCount_), best, lasts_);
        }
        return true;
    }
    if (best < 0) {
        if (leaves_++ == 0) recordFirst(-1, 0);
        if (each_) {
            beginLeaves();
            each_(std::span<const Item>(leaf_.data(), leafCount_), -1, {});
        }
        return true;
    }
    if (shortcuts_ && pieces == 2 && leaves_ > 0) {
        // The last two pieces: every pair of places that miss each other is a packing.
        int other = best;
        for (int t = 0; t < types_; ++t)
            if (left_[size_t(t)] > 0 && t != best) other = t;
        uint64_t pairs = 0;
        size_t base = 0;  // where the first of the two goes among the pieces handed over
        if (each_) beginLeaves(), base = std::min(leafCount_, leaf_.size() - 1);
        for (uint32_t w = here.lo[size_t(best)]; w < here.hi[size_t(best)]; ++w)
            for (uint64_t word = alive[w]; word != 0; word &= word - 1) {
                const uint32_t i = 64 * w + uint32_t(std::countr_zero(word));
                const uint64_t* overlaps = overlaps_.data() + size_t(i) * words_;
                uint32_t v = here.lo[size_t(other)];
                if (each_) {
                    leaf_[base] = {masks_[i], uint8_t(best), 1};
                    leafCount_ = base + 1;
                    lasts_.clear();
                }
                const auto pairUp = [&](uint32_t at, uint64_t places) {
                    pairs += uint64_t(std::popcount(places));
                    if (each_) addLasts(at, places);
                };
                if (other == best) {
                    pairUp(w, alive[w] & ~overlaps[w] & ~((uint64_t(2) << (i % 64)) - 1));
                    v = w + 1;
                }
                for (; v < here.hi[size_t(other)]; ++v) pairUp(v, alive[v] & ~overlaps[v]);
                if (each_ && !lasts_.empty()) each_(std::span<const Item>(leaf_.data(), leafCount_), other, lasts_);
            }
        leaves_ += pairs;
        return true;
    }
    Level& next = levels_[size_t(level + 1)];
    uint64_t* out = bits(level + 1);
    --left_[size_t(best)];
    for (uint32_t w = here.lo[size_t(best)]; w < here.hi[size_t(best)]; ++w) {
        for (uint64_t word = alive[w]; word != 0; word &= word - 1) {
            const uint32_t i = 64 * w + uint32_t(std::countr_zero(word));
            const uint64_t* overlaps = overlaps_.data() + size_t(i) * words_;
            bool dead = false;
            for (int k = 0; k < kinds && !dead; ++k) {
                const int t = order[size_t(k)];
                uint32_t lo = here.lo[size_t(t)], hi = here.hi[size_t(t)];
                uint32_t n = 0, v = lo;
                if (t == best) {
                    // Pieces of one kind are taken in ascending order, so each set of places once.
                    const uint64_t a = alive[w] & ~overlaps[w] & ~((uint64_t(2) << (i % 64)) - 1);
                    out[w] = a;
                    n = uint32_t(std::popcount(a));
                    lo = w, v = w + 1;
                }
                for (; v < hi; ++v) {
                    const uint64_t a = alive[v] & ~overlaps[v];
                    out[v] = a;
                    n += uint32_t(std::popcount(a));
                }
                next.count[size_t(t)] = n;
                dead = n < left_[size_t(t)];
                if (dead) break;
                // The words at either end that hold no place any more are left out below.
                while (lo < hi && out[lo] == 0) ++lo;
                while (hi > lo && out[hi - 1] == 0) --hi;
                next.lo[size_t(t)] = lo;
                next.hi[size_t(t)] = hi;
            }
            if (dead) continue;
            const uint64_t nf = filled | masks_[i];
            // Cells that nothing left can cover must be among those that stay empty;
            // the places are looked at until enough cells are covered.
            uint64_t bare = ~nf;
            for (int k = 0; k < kinds && std::popcount(bare) > empties_; ++k) {
                const int t = order[size_t(k)];
                if (left_[size_t(t)] == 0) continue;
                for (uint32_t v = next.lo[size_t(t)]; v < next.hi[size_t(t)] && std::popcount(bare) > empties_; ++v)
                    for (uint64_t a = out[v]; a != 0; a &= a - 1) bare &= ~masks_[64 * size_t(v) + size_t(std::countr_zero(a))];
            }
            if (std::popcount(bare) > empties_) continue;
            chosen_[size_t(chosenCount_++)] = {masks_[i], uint8_t(best), 1};
            const bool goOn = descend(level + 1, nf);
            --chosenCount_;
            if (!goOn) {
                ++left_[size_t(best)];
                return false;
            }
        }
    }
    ++left_[size_t(best)];
    return !stopped_;
}

}  // namespace tessaro::analysis
