// Loading a block into the box, the dead-cell test, unloading and clearing.
#include "model/Figure.h"

namespace tessaro {

namespace {

// Whether some cell of the scratch grid beyond `count` on an axis holds anything.
template <typename Coord>
bool outsideOnAxis(const Puzzle& p, int count, Coord coord) {
    if (count >= kGrid) return false;
    for (int z = 0; z < kGrid; ++z)
        for (int y = 0; y < kGrid; ++y)
            for (int x = 0; x < kGrid; ++x)
                if (coord(x, y, z) >= count && p.G_iWork[cellIndex(x, y, z)] > 0) return true;
    return false;
}

void emptyCell(Puzzle& p, int cell) {
    p.G_iBox[cell] = 0;
    for (int shade = 0; shade < 3; ++shade) p.G_lBox_Color[cell + kCells * shade] = 0;
}

}  // namespace

LoadResult loadPiece(Puzzle& p, int b, bool checkDeadSpace) {
    LoadResult r;
    if (!validBlock(b)) return r;  // CannotPlace, nothing touched
    if (p.G_iLoaded[b] == 1) {
        r.outcome = LoadOutcome::AlreadyLoaded;
        return r;
    }
    for (int c = 0; c < kCells; ++c)
        p.G_iWork[c] = static_cast<int16_t>(p.G_iPiece[b + kBlocks * c] + p.G_iBox[c]);
    for (int16_t v : p.G_iWork)
        if (v > 1) return r;
    if (outsideOnAxis(p, p.G_iCells_X, [](int x, int, int) { return x; })) return r;
    if (outsideOnAxis(p, p.G_iCells_Y, [](int, int y, int) { return y; })) return r;
    if (outsideOnAxis(p, p.G_iCells_Z, [](int, int, int z) { return z; })) return r;

    const int number = b + 1;
    for (int c = 0; c < kCells; ++c) {
        p.G_iBox[c] = p.G_iWork[c];
        if (p.G_lBox_Color[c] == 0 && p.G_iBox[c] != 0) {
            p.G_iBox_No[c] = static_cast<int16_t>(number);
            for (int shade = 0; shade < 3; ++shade) p.G_lBox_Color[c + kCells * shade] = pieceColor(number, shade);
        }
    }
    p.G_iLoaded[b] = 1;
    r.outcome = LoadOutcome::Loaded;
    r.deadCell = checkDeadSpace && fncChkDedSpace(p) != 0;
    r.filled = fncBox_Count(p.G_iBox);
    r.complete = r.filled == p.G_iCell_Total;
    return r;
}

int16_t fncChkDedSpace(const Puzzle& p) {
    // Directions in the order z-1, x-1, y-1, x+1, y+1, z+1.
    static constexpr int kStep[6][3] = {{0, 0, -1}, {-1, 0, 0}, {0, -1, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    for (int x = 0; x < kGrid; ++x)
        for (int y = 0; y < kGrid; ++y)
            for (int z = 0; z < kGrid; ++z) {
                if (p.G_iBox[cellIndex(x, y, z)] >= 1) continue;
                int32_t walls = 0;
                for (const auto& d : kStep) {
                    const int nx = x + d[0], ny = y + d[1], nz = z + d[2];
                    if (nx < 0 || nx >= kGrid || ny < 0 || ny >= kGrid || nz < 0 || nz >= kGrid)
                        walls += 1;
                    else
                        walls += p.G_iBox[cellIndex(nx, ny, nz)];
                }
                if (walls == 6) return -1;
            }
    return 0;
}

void subBox_UnloadPiece(Puzzle& p, int b) {
    if (!validBlock(b)) return;
    for (int c = 0; c < kCells; ++c)
        if (p.G_iBox_No[c] == b + 1) emptyCell(p, c);
}

void subBox_ErasePattern(Puzzle& p, int b) {
    if (!validBlock(b)) return;
    for (int c = 0; c < kCells; ++c)
        if (p.G_iPiece[b + kBlocks * c] == 1) emptyCell(p, c);
}

void subPiece_ToGrid(const Puzzle& p, int b, Grid& grid) {
    if (!validBlock(b)) return;
    for (int c = 0; c < kCells; ++c) grid[c] = p.G_iPiece[b + kBlocks * c];
}

void subPiece_ColorGrid(const Puzzle& p, int b, ColorGrid& colors) {
    if (!validBlock(b)) return;
    for (int c = 0; c < kCells; ++c)
        if (p.G_iPiece[b + kBlocks * c] == 1)
            for (int shade = 0; shade < 3; ++shade) colors[c + kCells * shade] = pieceColor(b + 1, shade);
}

void clearBox(Puzzle& p) {
    p.G_iBox_No.fill(0);
    p.G_iWork.fill(0);
    p.G_iBox.fill(0);
    p.G_lBox_Color.fill(0);
    p.G_iLoaded.fill(0);
}

}  // namespace tessaro
