#pragma once
// The count for boxes with cells to spare: there the first empty cell may also
// stay empty, which makes covering it a weak choice. Instead the kind of block
// with the fewest places left is placed next, each level keeping only the places
// that still fit; a branch ends when some kind has too few places left, or when
// more cells than may stay empty can no longer be covered by anything.

#include "analysis/CoverSearch.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace tessaro::analysis {

class PieceSearch {
public:
    // placements[t]: every place of a piece of type t, ascending.
    // sortKinds: look at the kinds with the fewest places first (off only to check
    // that the order changes no count).
    explicit PieceSearch(const std::vector<std::vector<uint64_t>>& placements, bool sortKinds = true);

    // Counts the packings below `s` into leaves(); `keepGoing` is asked every few
    // thousand nodes and ends the count (returning false) when it says no.
    bool count(const SearchState& s, const std::function<bool(uint64_t leaves)>& keepGoing);
    uint64_t leaves() const { return leaves_; }
    // The first packing found by the last count, the state's pieces first; empty if none.
    const std::vector<Item>& firstPacking() const { return first_; }

private:
    struct Level {
        std::array<uint32_t, kMaxTypes> begin{}, end{};
    };
    bool descend(int level, uint64_t filled);

    const std::vector<std::vector<uint64_t>>& placements_;
    int types_ = 0;
    bool sortKinds_ = true;
    size_t capacity_ = 0;  // candidates one level can hold
    std::vector<uint64_t> pool_;
    std::vector<Level> levels_;
    std::array<uint8_t, kMaxTypes> left_{};
    int empties_ = 0;
    std::array<Item, 2 * kMaxTypes> chosen_{};
    int chosenCount_ = 0;
    const SearchState* origin_ = nullptr;
    uint64_t leaves_ = 0;
    uint64_t nodes_ = 0;
    bool stopped_ = false;
    const std::function<bool(uint64_t)>* keepGoing_ = nullptr;
    std::vector<Item> first_;
};

}  // namespace tessaro::analysis
