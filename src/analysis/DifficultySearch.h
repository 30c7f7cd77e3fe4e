#pragma once
// The search whose size is a puzzle's difficulty: an exact cover of the
// puzzle's blocks and cells that always branches on the item with the fewest
// options left. An item is a kind of block still to place (its places left) or
// a cell that must be filled (the places covering it). Spare cells are
// optional: a cell becomes one that must be filled only once as many cells as
// may stay empty can no longer be covered by anything. Blocks of one shape are
// interchangeable (a branch on their kind takes their places in ascending
// order), and the search starts from the count's parts, which break the box's
// symmetry, so each packing class is searched about once. Every state entered
// is a node: the part's start, dead ends and packings alike.

#include "analysis/CoverSearch.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace tessaro::analysis {

struct TreeSize {
    double nodes = 0;
    double packings = 0;  // leaves of the tree
    double low = 0;       // a range that holds the true node count
    double high = 0;
    bool estimated = false;
    uint64_t probes = 0;
};

class DifficultySearch {
public:
    // placements[t]: every place of a piece of type t, ascending; starts: the
    // parts the search is made of (cells filled, pieces left of each type).
    DifficultySearch(const std::vector<std::vector<uint64_t>>& placements, std::vector<SearchState> starts);
    ~DifficultySearch();

    // The whole tree, when it has at most `budget` nodes.
    std::optional<TreeSize> count(uint64_t budget);
    // Knuth's estimate from `probes` random probes, stratified on the subtrees
    // a few levels down; the same figures for the same seed on any machine.
    TreeSize estimate(uint64_t probes, uint64_t seed);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace tessaro::analysis
