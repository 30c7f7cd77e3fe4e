// Counting queries, whole-array operations and the automatic loader's globals.
#include "model/Figure.h"

#include <string>

namespace tessaro {

int16_t fncBox_Count(const Grid& grid) {
    // A damaged grid may hold large values; the sum wraps like the 16-bit original instead of overflowing.
    int32_t sum = 0;
    for (int16_t v : grid) sum += v;
    return static_cast<int16_t>(sum);
}

int16_t fncPiece_Count(const Puzzle& p, int b) {
    if (!validBlock(b)) return 0;
    int32_t sum = 0;
    for (int c = 0; c < kCells; ++c) sum += p.G_iPiece[b + kBlocks * c];
    return static_cast<int16_t>(sum);
}

int16_t fncPiece_CountAll(const Puzzle& p) {
    int32_t sum = 0;
    for (int16_t v : p.G_iPiece) sum += v;
    return static_cast<int16_t>(sum);
}

int16_t fncPiece_CountUsed(const Puzzle& p) {
    int16_t used = 0;
    for (int b = 0; b < kBlocks; ++b)
        if (fncPiece_Count(p, b) > 0) ++used;
    return used;
}

void subPiece_ClearAll(Puzzle& p) {
    p.G_iPiece.fill(0);
    p.G_iPiece_Made.fill(0);
}

void subPiece_SaveMade(Puzzle& p) { p.G_iPiece_Made = p.G_iPiece; }

void subRotate_Shift(Puzzle& p) {
    const int16_t first = p.GE_iRotation[0];
    for (int i = 0; i < kBlocks - 1; ++i) p.GE_iRotation[i] = p.GE_iRotation[i + 1];
    p.GE_iRotation[kBlocks - 1] = first;
}

int16_t fncHasDigits1to8(int32_t n) {
    const std::string text = std::to_string(n);
    for (char d = '1'; d <= '8'; ++d)
        if (text.find(d) == std::string::npos) return 0;
    return -1;
}

void subLoader_Init(Puzzle& p) {
    for (int b = 0; b < kBlocks; ++b) {
        p.GE_iRotation[b] = static_cast<int16_t>(b);
        p.G_Info_Piece[b] = InfoPiece{};
    }
    p.GE_lRotate = 12345678;
}

}  // namespace tessaro
