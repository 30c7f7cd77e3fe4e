#pragma once
// Small helpers for building blocks and boxes in tests.
#include "model/Figure.h"

#include <array>
#include <initializer_list>
#include <set>
#include <tuple>

namespace tessaro::testutil {

using Cell = std::tuple<int, int, int>;

inline void setCells(Puzzle& p, int b, std::initializer_list<Cell> cells) {
    for (int c = 0; c < kCells; ++c) p.G_iPiece[b + kBlocks * c] = 0;
    for (auto [x, y, z] : cells) p.piece(b, x, y, z) = 1;
}

inline std::set<Cell> cellsOf(const Puzzle& p, int b) {
    std::set<Cell> out;
    for (int z = 0; z < kGrid; ++z)
        for (int y = 0; y < kGrid; ++y)
            for (int x = 0; x < kGrid; ++x)
                if (p.piece(b, x, y, z) != 0) out.insert({x, y, z});
    return out;
}

inline std::set<Cell> filledBoxCells(const Puzzle& p) {
    std::set<Cell> out;
    for (int z = 0; z < kGrid; ++z)
        for (int y = 0; y < kGrid; ++y)
            for (int x = 0; x < kGrid; ++x)
                if (p.G_iBox[cellIndex(x, y, z)] != 0) out.insert({x, y, z});
    return out;
}

inline Puzzle emptyBox(int n) {
    Puzzle p{};
    p.setBoxCells(n, n, n);
    return p;
}

// Everything a caller can see, i.e. the puzzle without the scratch grid.
inline Puzzle withoutScratch(Puzzle p) {
    p.G_iWork.fill(0);
    return p;
}

}  // namespace tessaro::testutil
