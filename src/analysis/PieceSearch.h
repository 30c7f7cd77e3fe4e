#pragma once
// The count for boxes with cells to spare: there the first empty cell may also
// stay empty, which makes covering it a weak choice. Instead the kind of block
// with the fewest places left is placed next, each level keeping only the places
// that still fit; a branch ends when some kind has too few places left, or when
// more cells than may stay empty can no longer be covered by anything. The
// places that still fit are bit sets, and each place knows the places it
// overlaps, so a level is a few dozen word operations.

#include "analysis/CoverSearch.h"

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace tessaro::analysis {

class PieceSearch {
public:
    // placements[t]: every place of a piece of type t, ascending. shortcuts: look
    // at the kinds with the fewest places first and count the last two pieces in
    // pairs (off only to check that they change no count).
    explicit PieceSearch(const std::vector<std::vector<uint64_t>>& placements, bool shortcuts = true);

    // Counts the packings below `s` into leaves(); `keepGoing` is asked every few
    // thousand nodes and ends the count (returning false) when it says no.
    bool count(const SearchState& s, const std::function<bool(uint64_t leaves)>& keepGoing);
    uint64_t leaves() const { return leaves_; }
    // Nodes of the last count, its start included.
    uint64_t nodes() const { return nodes_; }
    // Where the running count stands, for the share of a long count done; to be
    // asked from `keepGoing`. share: how far it is, 0..1, from its place among
    // the children on each level; nodes: the nodes its tree will have, the
    // children still to come on each level taken for as big as those finished.
    struct Standing {
        double share = 0;
        double nodes = 0;
    };
    Standing standing() const;
    // The first packing found by the last count, the state's pieces first; empty if none.
    const std::vector<Item>& firstPacking() const { return first_; }
    // Hands every packing the counts find to `each`, in batches: the pieces `first`
    // (the state's first) with each place of `lasts`, one more piece of kind
    // `lastType`; with no `lasts`, `first` alone. The last two pieces are then
    // taken one pair at a time, at some cost.
    using EachPacking =
        std::function<void(std::span<const Item> first, int lastType, std::span<const uint64_t> lasts)>;
    void onEachPacking(EachPacking each) { each_ = std::move(each); }

private:
    struct Level {
        std::array<uint32_t, kMaxTypes> count{};     // places left of each type
        std::array<uint32_t, kMaxTypes> lo{}, hi{};  // words of each type that may hold a place
    };
    bool descend(int level, uint64_t filled);
    uint64_t* bits(int level) { return pool_.data() + words_ * size_t(level); }
    void recordFirst(int lastType, uint32_t lastIndex);

    int types_ = 0;
    bool shortcuts_ = true;
    size_t words_ = 0;                        // words of one set of places
    std::array<uint32_t, kMaxTypes + 1> wordStart_{};  // type t's places are words [t], [t + 1)
    std::vector<uint64_t> masks_;             // cells of place i (0 for a padding bit)
    std::vector<uint64_t> valid_;             // the bits that stand for a place
    std::vector<uint64_t> holding_;           // per cell: the places that cover it
    std::vector<uint64_t> overlaps_;          // per place: the places that share a cell with it, itself included
    std::vector<uint64_t> pool_;              // the places left at each level
    std::vector<Level> levels_;
    std::array<uint64_t, 2 * kMaxTypes + 2> entered_{};  // nodes_ on entering the node of each level
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
    EachPacking each_;
    std::array<Item, 2 * kMaxTypes> leaf_{};  // the pieces before the last
    size_t leafCount_ = 0;
    std::vector<uint64_t> lasts_;  // places of the last piece
    void beginLeaves();
    void addLasts(uint32_t word, uint64_t places);
};

}  // namespace tessaro::analysis
