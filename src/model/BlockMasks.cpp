#include "model/BlockMasks.h"

namespace tessaro {

uint64_t blockMask(const Puzzle& p, int b) {
    uint64_t cells = 0;
    if (!validBlock(b)) return cells;
    for (int c = 0; c < kCells; ++c)
        if (p.G_iPiece[b + kBlocks * c] != 0) cells |= uint64_t(1) << c;
    return cells;
}

BlockMasks blockMasks(const Puzzle& p) {
    BlockMasks out{};
    for (int b = 0; b < kBlocks; ++b) out[size_t(b)] = blockMask(p, b);
    return out;
}

void setBlockMask(Puzzle& p, int b, uint64_t cells) {
    if (!validBlock(b)) return;
    for (int c = 0; c < kCells; ++c) p.G_iPiece[b + kBlocks * c] = static_cast<int16_t>(cells >> c & 1);
}

uint64_t boxCellsOfBlock(const Puzzle& p, int b) {
    uint64_t cells = 0;
    for (int c = 0; c < kCells; ++c)
        if (p.G_iBox[c] != 0 && p.G_iBox_No[c] == b + 1) cells |= uint64_t(1) << c;
    return cells;
}

}  // namespace tessaro
