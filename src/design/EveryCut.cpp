#include "design/EveryCut.h"

#include "design/CellMasks.h"
#include "design/PieceRules.h"

#include <algorithm>
#include <bit>
#include <set>

namespace tessaro::design {

namespace {

class Enumeration {
public:
    Enumeration(const DesignRequest& r, uint64_t budget)
        : r_(r), budget_(budget), maxCells_(r.maxCells > 0 ? r.maxCells : r.box.cells()),
          symmetries_(analysis::boxSymmetries(r.box)) {}

    bool run() {
        place(analysis::boxCells(r_.box), r_.empty, 0);
        return steps_ <= budget_;
    }
    std::vector<Blocks> cuts() const { return {seen_.begin(), seen_.end()}; }

private:
    // The lowest free cell is left empty or starts the next block.
    void place(uint64_t free, int emptiesLeft, int made) {
        if (++steps_ > budget_) return;
        const int blocksLeft = r_.blocks - made;
        const int cellsLeft = std::popcount(free) - emptiesLeft;
        if (cellsLeft < blocksLeft * r_.minCells || cellsLeft > blocksLeft * maxCells_) return;
        if (free == 0 || blocksLeft == 0) {
            if (free == 0 && blocksLeft == 0) record();
            return;
        }
        const uint64_t root = free & (~free + 1);
        if (emptiesLeft > 0) place(free & ~root, emptiesLeft - 1, made);
        grow(free, root, faceNeighbours(root) & free, 0, emptiesLeft, made);
    }

    // Each connected set holding the root, within the free cells, reached once.
    void grow(uint64_t free, uint64_t set, uint64_t extension, uint64_t excluded, int emptiesLeft, int made) {
        if (++steps_ > budget_) return;
        const int size = std::popcount(set);
        if (size >= r_.minCells && pieceAllowed(r_, set)) {
            blocks_[size_t(made)] = set;
            place(free & ~set, emptiesLeft, made + 1);
            blocks_[size_t(made)] = 0;
        }
        if (size == maxCells_) return;
        while (extension != 0) {
            const uint64_t v = extension & (~extension + 1);
            extension &= ~v;
            const uint64_t added = faceNeighbours(v) & free & ~set & ~excluded & ~extension & ~v;
            grow(free, set | v, extension | added, excluded, emptiesLeft, made);
            excluded |= v;
            if (steps_ > budget_) return;
        }
    }

    void record() {
        // Whole arrays are sorted (unused blocks are 0): g++ 12 at -O2 cannot see
        // that a range cut at the block count stays inside the array.
        if (!r_.allowIdentical) {
            std::array<uint64_t, kBlocks> shapes{};
            for (int i = 0; i < r_.blocks && i < int(kBlocks); ++i)
                shapes[size_t(i)] = analysis::canonicalShape(blocks_[size_t(i)]);
            std::sort(shapes.begin(), shapes.end());
            for (size_t i = 1; i < shapes.size(); ++i)
                if (shapes[i] != 0 && shapes[i] == shapes[i - 1]) return;
        }
        // One cut per class: the least image under the rotations, blocks sorted.
        Blocks best{};
        bool first = true;
        for (const analysis::BoxSymmetry& g : symmetries_) {
            Blocks image{};
            for (int i = 0; i < r_.blocks && i < int(kBlocks); ++i) image[size_t(i)] = g.apply(blocks_[size_t(i)]);
            std::sort(image.begin(), image.end());
            // Blocks first, in order, the unused ones after them, as cuts are held everywhere else.
            Blocks packed{};
            size_t k = 0;
            for (uint64_t b : image)
                if (b != 0 && k < packed.size()) packed[k++] = b;
            if (first || packed < best) best = packed, first = false;
        }
        seen_.insert(best);
    }

    const DesignRequest& r_;
    uint64_t budget_, steps_ = 0;
    int maxCells_;
    std::vector<analysis::BoxSymmetry> symmetries_;
    Blocks blocks_{};
    std::set<Blocks> seen_;
};

}  // namespace

std::optional<std::vector<Blocks>> everyCut(const DesignRequest& request, uint64_t budget) {
    Enumeration e(request, budget);
    if (!e.run()) return std::nullopt;
    return e.cuts();
}

}  // namespace tessaro::design
