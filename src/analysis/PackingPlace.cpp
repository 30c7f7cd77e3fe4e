#include "analysis/PackingPlace.h"

#include "model/BlockMasks.h"
#include "model/Figure.h"

namespace tessaro::analysis {

void setBlockCells(Puzzle& p, int b, uint64_t cells) { setBlockMask(p, b, cells); }

Puzzle withPackingInBox(const Puzzle& p, const Packing& packing) {
    Puzzle out = p;
    out.G_iBox.fill(0);
    out.G_iBox_No.fill(0);
    out.G_lBox_Color.fill(0);
    for (int b = 0; b < kBlocks; ++b)
        for (int c = 0; c < kCells; ++c) {
            if ((packing[static_cast<size_t>(b)] >> c & 1) == 0) continue;
            out.G_iBox[c] = 1;
            out.G_iBox_No[c] = static_cast<int16_t>(b + 1);
            for (int shade = 0; shade < 3; ++shade) out.G_lBox_Color[c + kCells * shade] = pieceColor(b + 1, shade);
        }
    return out;
}

}  // namespace tessaro::analysis
