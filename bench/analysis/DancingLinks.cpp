#include "DancingLinks.h"

#include "analysis/Geometry.h"

#include <bit>
#include <vector>

namespace tessaro::bench {

namespace {

class Links {
public:
    // Columns 1..primary are primary; the rest are linked only vertically.
    Links(int primary, int secondary) {
        const int columns = primary + secondary;
        for (int c = 0; c <= columns; ++c) {
            left_.push_back(c - 1), right_.push_back(c + 1), up_.push_back(c), down_.push_back(c);
            column_.push_back(c), size_.push_back(0);
        }
        left_[0] = primary, right_[size_t(primary)] = 0;
        for (int c = primary + 1; c <= columns; ++c) left_[size_t(c)] = right_[size_t(c)] = c;
        if (primary == 0) right_[0] = left_[0] = 0;
    }

    void addRow(const std::vector<int>& columns) {
        int first = -1;
        for (int c : columns) {
            const int n = int(left_.size());
            column_.push_back(c), ++size_[size_t(c)];
            up_.push_back(up_[size_t(c)]), down_.push_back(c);
            down_[size_t(up_[size_t(c)])] = n, up_[size_t(c)] = n;
            if (first < 0) {
                left_.push_back(n), right_.push_back(n);
                first = n;
            } else {
                left_.push_back(left_[size_t(first)]), right_.push_back(first);
                right_[size_t(left_[size_t(first)])] = n, left_[size_t(first)] = n;
            }
        }
    }

    uint64_t count() {
        if (right_[0] == 0) return 1;
        int best = right_[0];
        for (int c = right_[0]; c != 0; c = right_[size_t(c)])
            if (size_[size_t(c)] < size_[size_t(best)]) best = c;
        uint64_t n = 0;
        cover(best);
        for (int r = down_[size_t(best)]; r != best; r = down_[size_t(r)]) {
            for (int j = right_[size_t(r)]; j != r; j = right_[size_t(j)]) cover(column_[size_t(j)]);
            n += count();
            for (int j = left_[size_t(r)]; j != r; j = left_[size_t(j)]) uncover(column_[size_t(j)]);
        }
        uncover(best);
        return n;
    }

private:
    void cover(int c) {
        right_[size_t(left_[size_t(c)])] = right_[size_t(c)], left_[size_t(right_[size_t(c)])] = left_[size_t(c)];
        for (int i = down_[size_t(c)]; i != c; i = down_[size_t(i)])
            for (int j = right_[size_t(i)]; j != i; j = right_[size_t(j)]) {
                up_[size_t(down_[size_t(j)])] = up_[size_t(j)], down_[size_t(up_[size_t(j)])] = down_[size_t(j)];
                --size_[size_t(column_[size_t(j)])];
            }
    }
    void uncover(int c) {
        for (int i = up_[size_t(c)]; i != c; i = up_[size_t(i)])
            for (int j = left_[size_t(i)]; j != i; j = left_[size_t(j)]) {
                ++size_[size_t(column_[size_t(j)])];
                up_[size_t(down_[size_t(j)])] = j, down_[size_t(up_[size_t(j)])] = j;
            }
        right_[size_t(left_[size_t(c)])] = c, left_[size_t(right_[size_t(c)])] = c;
    }

    std::vector<int> left_, right_, up_, down_, column_, size_;
};

}  // namespace

uint64_t dancingLinksCount(const Puzzle& p) {
    const analysis::BoxSize box{p.G_iCells_X, p.G_iCells_Y, p.G_iCells_Z};
    std::vector<uint64_t> shapes;
    int cells = 0;
    for (int b = 0; b < kBlocks; ++b) {
        uint64_t m = 0;
        for (int c = 0; c < kCells; ++c)
            if (p.G_iPiece[b + kBlocks * c] != 0) m |= uint64_t(1) << c;
        if (m != 0) shapes.push_back(m), cells += std::popcount(m);
    }
    const int boxCells = box.cells();
    if (cells > boxCells) return 0;
    // Columns: blocks first, then the box cells in index order.
    const int blocks = int(shapes.size());
    const bool fills = cells == boxCells;
    Links links(fills ? blocks + boxCells : blocks, fills ? 0 : boxCells);
    std::vector<int> cellColumn(kCells, 0);
    int next = blocks + 1;
    for (int c = 0; c < kCells; ++c)
        if ((analysis::boxCells(box) >> c) & 1) cellColumn[size_t(c)] = next++;
    for (int b = 0; b < blocks; ++b)
        for (uint64_t place : analysis::placementsOf(shapes[size_t(b)], box, 0)) {
            std::vector<int> row{b + 1};
            for (uint64_t m = place; m != 0; m &= m - 1) row.push_back(cellColumn[size_t(std::countr_zero(m))]);
            links.addRow(row);
        }
    return links.count();
}

}  // namespace tessaro::bench
