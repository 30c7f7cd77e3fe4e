// One-cell moves of a block inside its cube, origin moves, and moves of the box contents.
#include "model/Figure.h"

namespace tessaro {

namespace {

enum Axis { AxisX, AxisY, AxisZ };

// Index of the cell whose coordinate on `axis` is `c` and whose other two are (u, v) in x, y, z order.
int cellOn(Axis axis, int c, int u, int v) {
    switch (axis) {
    case AxisX: return cellIndex(c, u, v);
    case AxisY: return cellIndex(u, c, v);
    default: return cellIndex(u, v, c);
    }
}

// Cell value of block b (or of the box when b < 0) at a grid cell.
int16_t& at(Puzzle& p, int b, int cell) { return b < 0 ? p.G_iBox[cell] : p.G_iPiece[b + kBlocks * cell]; }

// Moves block b one cell along `axis` (dir +1 or -1), or the box contents when b < 0.
// Refused, with the sum over the face it would leave through, when that face holds anything.
int16_t moveOne(Puzzle& p, int b, Axis axis, int dir) {
    const int face = dir > 0 ? kGrid - 1 : 0;
    int32_t sum = 0;
    for (int v = 0; v < kGrid; ++v)
        for (int u = 0; u < kGrid; ++u) sum += at(p, b, cellOn(axis, face, u, v));
    // A sum that does not fit 16 bits (damaged data) must still read as refused, never as 0.
    if (sum != 0) return static_cast<int16_t>(sum == static_cast<int16_t>(sum) ? sum : 1);

    const int entered = dir > 0 ? 0 : kGrid - 1;  // the plane left empty
    Grid numbers{};
    ColorGrid colors{};
    for (int v = 0; v < kGrid; ++v)
        for (int u = 0; u < kGrid; ++u)
            for (int c = 0; c < kGrid; ++c) {
                const int to = cellOn(axis, c, u, v);
                if (c == entered) {
                    p.G_iWork[to] = 0;
                    continue;
                }
                const int from = cellOn(axis, c - dir, u, v);
                p.G_iWork[to] = at(p, b, from);
                if (b < 0) {
                    numbers[to] = p.G_iBox_No[from];
                    for (int shade = 0; shade < 3; ++shade)
                        colors[to + kCells * shade] = p.G_lBox_Color[from + kCells * shade];
                }
            }
    for (int cell = 0; cell < kCells; ++cell) at(p, b, cell) = p.G_iWork[cell];
    if (b < 0) {
        p.G_iBox_No = numbers;
        p.G_lBox_Color = colors;
    }
    return 0;
}

int16_t movePiece(Puzzle& p, int b, Axis axis, int dir) {
    // An invalid block has nothing to move; report it refused so loops over moves end.
    if (!validBlock(b)) return 1;
    return moveOne(p, b, axis, dir);
}

}  // namespace

int16_t fncPiece_XInc(Puzzle& p, int b) { return movePiece(p, b, AxisX, +1); }
int16_t fncPiece_XDec(Puzzle& p, int b) { return movePiece(p, b, AxisX, -1); }
int16_t fncPiece_YInc(Puzzle& p, int b) { return movePiece(p, b, AxisY, +1); }
int16_t fncPiece_YDec(Puzzle& p, int b) { return movePiece(p, b, AxisY, -1); }
int16_t fncPiece_ZInc(Puzzle& p, int b) { return movePiece(p, b, AxisZ, +1); }
int16_t fncPiece_ZDec(Puzzle& p, int b) { return movePiece(p, b, AxisZ, -1); }

void subPiece_MoveOrigin(Puzzle& p, int b) {
    if (fncPiece_Count(p, b) == 0) return;
    for (;;) {
        if (fncPiece_ZDec(p, b) == 0) continue;
        if (fncPiece_XDec(p, b) == 0) continue;
        if (fncPiece_YDec(p, b) == 0) continue;
        break;
    }
}

void subPiece_ToLeft(Puzzle& p, int b) {
    if (fncPiece_Count(p, b) == 0) return;
    while (fncPiece_XDec(p, b) == 0) {
    }
}

void subPiece_ToTop(Puzzle& p, int b) {
    if (fncPiece_Count(p, b) == 0) return;
    while (fncPiece_YDec(p, b) == 0) {
    }
}

int16_t fncBox_XDec(Puzzle& p) { return moveOne(p, -1, AxisX, -1); }
int16_t fncBox_YDec(Puzzle& p) { return moveOne(p, -1, AxisY, -1); }
int16_t fncBox_ZDec(Puzzle& p) { return moveOne(p, -1, AxisZ, -1); }

void subBox_MoveOrigin(Puzzle& p) {
    if (fncBox_Count(p.G_iBox) == 0) return;
    for (;;) {
        if (fncBox_ZDec(p) == 0) continue;
        if (fncBox_XDec(p) == 0) continue;
        if (fncBox_YDec(p) == 0) continue;
        break;
    }
}

}  // namespace tessaro
