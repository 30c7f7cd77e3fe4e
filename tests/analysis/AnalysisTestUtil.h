#pragma once
// Small puzzles for the analysis tests.

#include "model/Figure.h"
#include "solver/RandomCut.h"

#include <array>
#include <vector>

namespace tessaro::test {

using CellList = std::vector<std::array<int, 3>>;

inline Puzzle makePuzzle(int dx, int dy, int dz, const std::vector<CellList>& blocks) {
    Puzzle p{};
    p.setBoxCells(dx, dy, dz);
    for (size_t b = 0; b < blocks.size(); ++b)
        for (const auto& c : blocks[b]) p.piece(int(b), c[0], c[1], c[2]) = 1;
    subLoader_Init(p);
    p.G_iCell_Total = fncPiece_CountAll(p);
    subPiece_SaveMade(p);
    return p;
}

// Block b loaded into the box on the given cells, as a finished Load leaves it.
inline void keepInBox(Puzzle& p, int b, uint64_t cells) {
    for (int c = 0; c < kCells; ++c)
        if (cells >> c & 1) p.G_iBox[c] = 1, p.G_iBox_No[c] = int16_t(b + 1);
    p.G_iLoaded[b] = 1;
}

inline void removeBlock(Puzzle& p, int b) {
    for (int c = 0; c < kCells; ++c) p.G_iPiece[b + kBlocks * c] = p.G_iPiece_Made[b + kBlocks * c] = 0;
    p.G_iCell_Total = fncPiece_CountAll(p);
}

// A box of x * y * z cells cut by `seed` into `blocks` face-connected blocks.
inline Puzzle cutPuzzle(int x, int y, int z, int blocks, uint64_t seed) {
    CutSpec cut;
    cut.cellsX = x, cut.cellsY = y, cut.cellsZ = z;
    cut.blocks = blocks;
    cut.seed = seed;
    return cutBox(cut);
}

}  // namespace tessaro::test
