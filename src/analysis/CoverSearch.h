#pragma once
// The exact-cover search under every count: the first empty cell (lowest bit)
// is covered by a piece whose lowest cell it is, or left empty while empty cells
// are still allowed. Identical pieces form one type with a multiplicity, so each
// packing is found once whatever the order of equal blocks. The search is
// iterative so that it can pause (cancel checks, one packing at a time).

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tessaro::analysis {

constexpr int kMaxTypes = 8;

// One choice: cells covered, the piece type and how many of its pieces (more
// than one for a group of pieces that a rotation permutes).
struct Item {
    uint64_t mask = 0;
    uint8_t type = 0;
    uint8_t units = 1;
};

class ItemSet {
public:
    // typeSize: cells of one piece of each type; connected: whether it is face-connected.
    ItemSet(int types, const std::array<int, kMaxTypes>& typeSize, const std::array<bool, kMaxTypes>& connected,
            std::vector<Item> items);

    int types() const { return types_; }
    int typeSize(int t) const { return size_[t]; }
    bool connected(int t) const { return connected_[t]; }
    const Item* begin(int cell, int type) const { return items_.data() + start_[cell][type]; }
    const Item* end(int cell, int type) const { return items_.data() + start_[cell][type + 1]; }
    size_t size() const { return items_.size(); }

private:
    int types_;
    std::array<int, kMaxTypes> size_;
    std::array<bool, kMaxTypes> connected_;
    std::vector<Item> items_;  // by lowest cell, then type
    std::array<std::array<uint32_t, kMaxTypes + 1>, 64> start_{};
};

// Where a search starts: cells already covered (outside the box included),
// pieces of each type still to place, empty cells allowed, and what it stands for.
struct SearchState {
    uint64_t filled = 0;
    std::array<uint8_t, kMaxTypes> left{};
    int empties = 0;
    uint64_t weight = 1;  // packings each packing found stands for
    uint32_t group = 1;   // box symmetries (bit per index) that still map the state onto itself
    int placedCount = 0;
    std::array<Item, 2 * kMaxTypes> placed{};
};

class CoverSearch {
public:
    enum class Step { Found, Done, Paused };

    explicit CoverSearch(const ItemSet& items) : set_(items) {}

    void start(const SearchState& s);
    // Runs about `nodes` nodes. In counting mode every packing adds to leaves()
    // and the run goes on; otherwise it stops at each packing (Found).
    Step run(uint64_t nodes, bool counting);
    uint64_t leaves() const { return leaves_; }
    // Nodes entered since start(), its state's included.
    uint64_t nodes() const { return nodes_; }
    // The pieces of the last packing found (the state's pieces first).
    const std::vector<Item>& packing() const { return packing_; }
    // Whether a packing was met since start(); its pieces stay in packing().
    bool metPacking() const { return met_; }
    // Children of the start state, one search level down, in search order.
    std::vector<SearchState> expand(const SearchState& s) const;
    // One random walk from `s` down the tree run() searches: Knuth's estimate of
    // its nodes (s included), without building any child state. `random` is the
    // walk's generator state, advanced; `levels` grows by the levels walked.
    double probeNodes(const SearchState& s, uint64_t& random, uint64_t& levels) const;

private:
    struct Frame {
        uint64_t filled;
        const Item* it;
        const Item* end;
        int8_t cell;
        int8_t type;
        int8_t empties;
        bool emptyTried;
        const Item* chosen;  // the item that made the current child, nullptr for none or an empty cell
    };
    void push(uint64_t filled, int empties);
    void take(const Item& it) {
        left_[it.type] = uint8_t(left_[it.type] - it.units);
        loners_ -= loner_[it.type] ? it.units : 0;
    }
    void give(const Item& it) {
        left_[it.type] = uint8_t(left_[it.type] + it.units);
        loners_ += loner_[it.type] ? it.units : 0;
    }
    void pop();
    void recordPacking(const Item* last);

    const ItemSet& set_;
    SearchState origin_;
    std::array<uint8_t, kMaxTypes> left_{};
    // Pieces left that can cover a cell shut in alone: of one cell, or in parts.
    std::array<bool, kMaxTypes> loner_{};
    int loners_ = 0;
    std::array<Frame, 72> stack_{};
    int depth_ = 0;
    bool rootLeaf_ = false;
    uint64_t leaves_ = 0;
    uint64_t nodes_ = 0;
    bool met_ = false;
    std::vector<Item> packing_;
};

}  // namespace tessaro::analysis
