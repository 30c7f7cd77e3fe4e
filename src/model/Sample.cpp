// The built-in sample: a 3x3x3 box and seven blocks, each in the origin corner of its cube.
#include "model/Figure.h"

namespace tessaro {

namespace {

struct SampleCell {
    int8_t block, x, y, z;
};

constexpr SampleCell kSampleCells[] = {
    {0, 0, 0, 0}, {0, 0, 1, 0}, {0, 0, 1, 1}, {0, 0, 1, 2}, {0, 1, 1, 0},
    {1, 0, 0, 0}, {1, 0, 0, 1}, {1, 0, 1, 0}, {1, 0, 2, 0}, {1, 1, 0, 0},
    {2, 0, 0, 0}, {2, 1, 0, 0}, {2, 1, 0, 1}, {2, 1, 0, 2}, {2, 1, 1, 0},
    {3, 0, 0, 1}, {3, 1, 0, 0}, {3, 1, 0, 1}, {3, 1, 1, 1},
    {4, 0, 0, 2}, {4, 1, 1, 0},
    {5, 0, 0, 0}, {5, 0, 1, 1},
    {6, 0, 1, 0}, {6, 1, 0, 0}, {6, 1, 1, 0}, {6, 1, 2, 0},
};

}  // namespace

void subSample_Set(Puzzle& p) {
    for (const SampleCell& c : kSampleCells) p.piece(c.block, c.x, c.y, c.z) = 1;
}

Puzzle buildSamplePuzzle() {
    Puzzle p{};
    subSample_Set(p);
    p.setBoxCells(3, 3, 3);
    subLoader_Init(p);
    p.G_iCell_Total = fncPiece_CountAll(p);
    subPiece_SaveMade(p);
    return p;
}

}  // namespace tessaro
