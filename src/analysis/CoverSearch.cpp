#include "analysis/CoverSearch.h"
#include "analysis/CellPlanes.h"

#include "model/SplitMix.h"

#include <algorithm>
#include <bit>

namespace tessaro::analysis {

namespace {

constexpr uint64_t kFull = ~uint64_t(0);

// No free cell may be shut in alone by filled ones unless it can stay empty, or
// pieces are left that can cover it: one of a single cell, or one in parts.
// Checking whole empty regions against the sums of the pieces left cost more
// than it saved on every box measured.
bool shutInFits(bool loneCellCoverable, uint64_t filled, int empties) {
    if (loneCellCoverable) return true;
    const uint64_t free = ~filled;
    const uint64_t open = ((free << 1) & ~kPlaneX0) | ((free >> 1) & ~kPlaneX3) | ((free << 4) & ~kPlaneY0) |
                          ((free >> 4) & ~kPlaneY3) | (free << 16) | (free >> 16);
    return std::popcount(free & ~open) <= empties;
}

}  // namespace

ItemSet::ItemSet(int types, const std::array<int, kMaxTypes>& typeSize, const std::array<bool, kMaxTypes>& connected,
                 std::vector<Item> items)
    : types_(types), size_(typeSize), connected_(connected) {
    // A counting sort by lowest cell, then type, stable: each (cell, type) its run.
    // start_[c][t]: the first item of cell c with type t or above; [c][kMaxTypes] ends the cell.
    std::array<std::array<uint32_t, kMaxTypes + 1>, 64> counts{};
    // An item without cells covers no first empty cell: it is left out.
    for (const Item& it : items)
        if (it.mask != 0) ++counts[size_t(std::countr_zero(it.mask))][it.type];
    uint32_t at = 0;
    for (size_t c = 0; c < 64; ++c)
        for (size_t t = 0; t <= kMaxTypes; ++t) {
            start_[c][t] = at;
            at += counts[c][t];
        }
    std::array<std::array<uint32_t, kMaxTypes + 1>, 64> next = start_;
    items_.resize(at);
    for (const Item& it : items)
        if (it.mask != 0) items_[next[size_t(std::countr_zero(it.mask))][it.type]++] = it;
}

void CoverSearch::start(const SearchState& s) {
    origin_ = s;
    left_ = s.left;
    loners_ = 0;
    for (int t = 0; t < set_.types(); ++t) {
        loner_[size_t(t)] = set_.typeSize(t) == 1 || !set_.connected(t);
        if (loner_[size_t(t)]) loners_ += s.left[size_t(t)];
    }
    leaves_ = 0;
    nodes_ = 0;
    met_ = false;
    depth_ = 0;
    rootLeaf_ = s.filled == kFull;
    if (!rootLeaf_) push(s.filled, s.empties);
}

void CoverSearch::push(uint64_t filled, int empties) {
    ++nodes_;
    Frame& f = stack_[depth_++];
    f.filled = filled;
    f.cell = int8_t(std::countr_zero(~filled));
    f.type = 0;
    while (f.type < set_.types() && left_[f.type] == 0) ++f.type;
    // With every piece placed only leaving cells empty is left: no items to look up
    // (with eight types there is no table entry past the last).
    if (f.type < set_.types()) {
        f.it = set_.begin(f.cell, f.type);
        f.end = set_.end(f.cell, f.type);
    } else {
        f.it = f.end = nullptr;
    }
    f.empties = int8_t(empties);
    f.emptyTried = false;
    f.chosen = nullptr;
}

void CoverSearch::pop() {
    --depth_;
    if (depth_ == 0) return;
    Frame& p = stack_[depth_ - 1];
    if (p.chosen != nullptr) {
        give(*p.chosen);
        p.chosen = nullptr;
    }
}

void CoverSearch::recordPacking(const Item* last) {
    met_ = true;
    packing_.assign(origin_.placed.begin(), origin_.placed.begin() + origin_.placedCount);
    for (int d = 0; d < depth_; ++d)
        if (stack_[d].chosen != nullptr) packing_.push_back(*stack_[d].chosen);
    if (last != nullptr) packing_.push_back(*last);
}

CoverSearch::Step CoverSearch::run(uint64_t nodes, bool counting) {
    if (rootLeaf_) {
        rootLeaf_ = false;
        ++leaves_;
        recordPacking(nullptr);
        if (!counting) return Step::Found;
    }
    const int types = set_.types();
    while (depth_ > 0) {
        Frame& f = stack_[depth_ - 1];
        const Item* found = nullptr;
        while (f.type < types) {
            const uint8_t have = left_[f.type];
            while (f.it != f.end) {
                const Item* it = f.it++;
                if ((it->mask & f.filled) == 0 && it->units <= have) {
                    found = it;
                    break;
                }
            }
            if (found != nullptr) break;
            do ++f.type;
            while (f.type < types && left_[f.type] == 0);
            if (f.type < types) {
                f.it = set_.begin(f.cell, f.type);
                f.end = set_.end(f.cell, f.type);
            }
        }
        uint64_t next;
        int empties = f.empties;
        if (found != nullptr) {
            next = f.filled | found->mask;
            take(*found);
            if (next == kFull) {
                ++leaves_;
                if (!counting || !met_) recordPacking(found);
                give(*found);
                if (!counting) return Step::Found;
                continue;
            }
            if (!shutInFits(loners_ > 0, next, empties)) {
                give(*found);
                continue;
            }
            f.chosen = found;
        } else if (!f.emptyTried && f.empties > 0) {
            f.emptyTried = true;
            next = f.filled | (uint64_t(1) << f.cell);
            --empties;
            if (next == kFull) {
                ++leaves_;
                if (!counting || !met_) recordPacking(nullptr);
                if (!counting) return Step::Found;
                continue;
            }
            if (!shutInFits(loners_ > 0, next, empties)) continue;
        } else {
            pop();
            continue;
        }
        push(next, empties);
        if (--nodes == 0) return Step::Paused;
    }
    return Step::Done;
}

double CoverSearch::probeNodes(const SearchState& s, uint64_t& random, uint64_t& levels) const {
    if (s.filled == kFull) return 0;
    const int types = set_.types();
    std::array<uint8_t, kMaxTypes> left = s.left;
    std::array<bool, kMaxTypes> loner{};
    int loners = 0;
    for (int t = 0; t < types; ++t) {
        loner[size_t(t)] = set_.typeSize(t) == 1 || !set_.connected(t);
        loners += loner[size_t(t)] ? left[size_t(t)] : 0;
    }
    uint64_t filled = s.filled;
    int empties = s.empties;
    double nodes = 1, weight = 1;
    for (;; ++levels) {
        const int cell = std::countr_zero(~filled);
        const auto lives = [&](const Item& it) {
            if ((it.mask & filled) != 0 || it.units > left[it.type]) return false;
            const uint64_t next = filled | it.mask;
            return next == kFull || shutInFits(loners - (loner[it.type] ? it.units : 0) > 0, next, empties);
        };
        // The children are kept as they are found, the first few hundred; past
        // that, rare, the one drawn is found again.
        std::array<const Item*, 256> kept;
        size_t n = 0;
        for (int t = 0; t < types; ++t)
            for (const Item* it = set_.begin(cell, t); left[size_t(t)] > 0 && it != set_.end(cell, t); ++it)
                if (lives(*it)) {
                    if (n < kept.size()) kept[n] = it;
                    ++n;
                }
        const uint64_t emptied = filled | (uint64_t(1) << cell);
        const bool emptyChild = empties > 0 && (emptied == kFull || shutInFits(loners > 0, emptied, empties - 1));
        if (n + (emptyChild ? 1 : 0) == 0) return nodes;
        size_t pick = size_t((static_cast<unsigned __int128>(splitMix64(random)) * (n + (emptyChild ? 1 : 0))) >> 64);
        weight *= double(n + (emptyChild ? 1 : 0));
        const Item* chosen = nullptr;
        if (pick < n && pick < kept.size()) {
            chosen = kept[pick];
        } else if (pick < n) {
            for (int t = 0; t < types && chosen == nullptr; ++t)
                for (const Item* it = set_.begin(cell, t); left[size_t(t)] > 0 && it != set_.end(cell, t); ++it)
                    if (lives(*it) && pick-- == 0) {
                        chosen = it;
                        break;
                    }
        }
        if (chosen != nullptr) {
            filled |= chosen->mask;
            left[chosen->type] = uint8_t(left[chosen->type] - chosen->units);
            loners -= loner[chosen->type] ? chosen->units : 0;
        } else {
            filled = emptied;
            --empties;
        }
        if (filled == kFull) return nodes;
        nodes += weight;
    }
}

std::vector<SearchState> CoverSearch::expand(const SearchState& s) const {
    const auto loneCellCoverable = [&](const std::array<uint8_t, kMaxTypes>& left) {
        for (int t = 0; t < set_.types(); ++t)
            if (left[size_t(t)] > 0 && (set_.typeSize(t) == 1 || !set_.connected(t))) return true;
        return false;
    };
    std::vector<SearchState> out;
    if (s.filled == kFull) {
        out.push_back(s);
        return out;
    }
    const int cell = std::countr_zero(~s.filled);
    for (int t = 0; t < set_.types(); ++t) {
        for (const Item* it = set_.begin(cell, t); it != set_.end(cell, t); ++it) {
            if ((it->mask & s.filled) != 0 || it->units > s.left[t]) continue;
            SearchState c = s;
            c.filled |= it->mask;
            c.left[t] = uint8_t(c.left[t] - it->units);
            c.placed[c.placedCount++] = *it;
            if (c.filled == kFull || shutInFits(loneCellCoverable(c.left), c.filled, c.empties)) out.push_back(c);
        }
    }
    if (s.empties > 0) {
        SearchState c = s;
        c.filled |= uint64_t(1) << cell;
        --c.empties;
        if (c.filled == kFull || shutInFits(loneCellCoverable(c.left), c.filled, c.empties)) out.push_back(c);
    }
    return out;
}

}  // namespace tessaro::analysis
