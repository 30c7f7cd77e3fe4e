#include "editor/PieceMaker.h"

namespace tessaro {

int16_t fncCell_Check(const PieceCubes& blocks, int16_t limit, const MakerWarning& warn, const CountLabel& setCount) {
    int n = 0;
    for (int16_t v : blocks) n += v;
    setCount(std::to_string(n) + " : " + std::to_string(limit));
    if (n > limit) {
        warn("作りすぎっ・・・", "セル数を超過しました。");
        setCount(std::to_string(limit) + " : " + std::to_string(limit));
    }
    return static_cast<int16_t>(limit - n);
}

int16_t pieceMakerLimit(const Puzzle& p) {
    return static_cast<int16_t>(p.G_iCells_X * p.G_iCells_Y * p.G_iCells_Z);
}

std::string pieceMakerStartCount(int16_t limit) { return " 0 : " + std::to_string(limit); }

bool pieceMakerClick(Puzzle& p, const PanelCell& c, int button, int piece, int16_t limit, const MakerWarning& warn,
                     const CountLabel& setCount) {
    if (!validBlock(piece) || c.x < 0 || c.y < 0 || c.z < 0) return false;
    if (c.x > p.G_iMax_X || c.y > p.G_iMax_Y || c.z > p.G_iMax_Z) return false;
    if (c.x >= kGrid || c.y >= kGrid || c.z >= kGrid) return false;
    const int k = pieceIndex(piece, c.x, c.y, c.z);
    bool added = false;
    if (button == 1) {
        p.G_iPiece[k] = p.G_iPiece[k] == 0 ? 1 : 0;
        added = p.G_iPiece[k] == 1;
    }
    // Only the cell this click added is taken back: a recount over the limit
    // (blocks kept from a larger box) must not erase a cell the user drew.
    if (fncCell_Check(p.G_iPiece, limit, warn, setCount) < 0 && added) p.G_iPiece[k] = 0;
    // The block as drawn is the block as made. Copying the whole cube rather
    // than the one cell keeps the made cube one shape after the block was
    // moved or turned with the block buttons.
    if (button == 1)
        for (int i = 0; i < kCells; ++i) p.G_iPiece_Made[piece + kBlocks * i] = p.G_iPiece[piece + kBlocks * i];
    return true;
}

}  // namespace tessaro
