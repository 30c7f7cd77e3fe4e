#include "solver/RandomCut.h"

#include "model/Figure.h"
#include "model/SplitMix.h"
#include "solver/Orientations.h"

#include <algorithm>
#include <array>
#include <bit>
#include <vector>

namespace tessaro {

Puzzle cutBox(const CutSpec& spec) {
    Puzzle p{};
    p.setBoxCells(spec.cellsX, spec.cellsY, spec.cellsZ);
    SplitMix rng(spec.seed);

    std::vector<int> cells;
    for (int z = 0; z < spec.cellsZ; ++z)
        for (int y = 0; y < spec.cellsY; ++y)
            for (int x = 0; x < spec.cellsX; ++x) cells.push_back(cellIndex(x, y, z));
    const int blocks = std::clamp(spec.blocks, 1, std::min<int>(kBlocks, int(cells.size())));

    // Seeds in distinct cells, then grow a random block by one free neighbour
    // at a time until the box is used up; smaller blocks grow first.
    std::array<int, kCells> owner;
    owner.fill(-1);
    std::array<uint64_t, kBlocks> piece{};
    for (int b = 0; b < blocks; ++b) {
        int c;
        do c = cells[rng.below(int(cells.size()))];
        while (owner[c] >= 0);
        owner[c] = b;
        piece[b] |= uint64_t(1) << c;
    }
    auto freeNeighbours = [&](int b) {
        std::vector<int> out;
        for (uint64_t m = piece[b]; m != 0; m &= m - 1) {
            const int c = std::countr_zero(m);
            const int x = c & 3, y = (c >> 2) & 3, z = c >> 4;
            const int nb[6][3] = {{x - 1, y, z}, {x + 1, y, z}, {x, y - 1, z}, {x, y + 1, z}, {x, y, z - 1}, {x, y, z + 1}};
            for (auto& n : nb) {
                if (n[0] < 0 || n[1] < 0 || n[2] < 0 || n[0] >= spec.cellsX || n[1] >= spec.cellsY || n[2] >= spec.cellsZ)
                    continue;
                const int i = cellIndex(n[0], n[1], n[2]);
                if (owner[i] < 0) out.push_back(i);
            }
        }
        return out;
    };
    for (size_t placed = blocks; placed < cells.size();) {
        std::vector<int> growable;
        for (int b = 0; b < blocks; ++b)
            if (!freeNeighbours(b).empty()) growable.push_back(b);
        std::sort(growable.begin(), growable.end(),
                  [&](int a, int b) { return std::popcount(piece[a]) < std::popcount(piece[b]); });
        const int b = growable[rng.below(std::min<int>(2, int(growable.size())))];
        const std::vector<int> nb = freeNeighbours(b);
        const int c = nb[rng.below(int(nb.size()))];
        owner[c] = b;
        piece[b] |= uint64_t(1) << c;
        ++placed;
    }

    for (int b = 0; b < blocks; ++b) {
        uint64_t m = piece[b];
        if (spec.turnBlocks) {
            m = normalize(faceMask(m, rng.below(6))).mask;
            for (int t = rng.below(4); t > 0; --t) m = turnZMask(m);
        }
        m = normalize(m).mask;
        for (int c = 0; c < kCells; ++c) p.G_iPiece[b + kBlocks * c] = int16_t((m >> c) & 1);
    }
    subPiece_SaveMade(p);
    subLoader_Init(p);
    p.G_iCell_Total = fncPiece_CountAll(p);
    return p;
}

}  // namespace tessaro
