#include "editor/BodyMaker.h"

#include "model/Figure.h"

namespace tessaro {

namespace {

void setShades(Puzzle& p, int x, int y, int z, int32_t s0, int32_t s1, int32_t s2) {
    p.G_lBox_Color[colorIndex(x, y, z, 0)] = s0;
    p.G_lBox_Color[colorIndex(x, y, z, 1)] = s1;
    p.G_lBox_Color[colorIndex(x, y, z, 2)] = s2;
}

void setBlockShades(Puzzle& p, int x, int y, int z, int piece) {
    setShades(p, x, y, z, pieceColor(piece + 1, 0), pieceColor(piece + 1, 1), pieceColor(piece + 1, 2));
}

}  // namespace

void bodyMakerStart(Puzzle& p) {
    subPiece_ClearAll(p);
    p.G_iBox.fill(0);
    p.G_lBox_Color.fill(0);
    for (int z = 0; z < kGrid; ++z)
        for (int y = 0; y < kGrid; ++y)
            for (int x = 0; x < kGrid; ++x) {
                if (x > p.G_iMax_X || y > p.G_iMax_Y || z > p.G_iMax_Z) continue;
                p.G_iBox[cellIndex(x, y, z)] = kBodyFree;
                setShades(p, x, y, z, kBodyFreeShades[0], kBodyFreeShades[1], kBodyFreeShades[2]);
            }
}

bool bodyMakerToggle(Puzzle& p, const PanelCell& c, int piece) {
    if (!validBlock(piece) || c.x < 0 || c.x >= kGrid || c.y < 0 || c.y >= kGrid || c.z < 0 || c.z >= kGrid)
        return false;
    int16_t& v = p.G_iBox[cellIndex(c.x, c.y, c.z)];
    if (v == kBodyFree) {
        v = kBodyMarked;
        setBlockShades(p, c.x, c.y, c.z, piece);
        return true;
    }
    if (v == kBodyMarked) {
        v = kBodyFree;
        setShades(p, c.x, c.y, c.z, kBodyFreeShades[0], kBodyFreeShades[1], kBodyFreeShades[2]);
        return true;
    }
    return false;
}

int bodyMakerSet(Puzzle& p, int piece) {
    if (!validBlock(piece)) return 0;
    int given = 0;
    for (int i = 0; i < kCells; ++i)
        if (p.G_iBox[i] == kBodyMarked) ++given;
    if (given == 0) return 0;
    subPiece_Restore(p, piece);
    for (int z = 0; z < kGrid; ++z)
        for (int y = 0; y < kGrid; ++y)
            for (int x = 0; x < kGrid; ++x) {
                int16_t& v = p.G_iBox[cellIndex(x, y, z)];
                if (v != kBodyMarked) continue;
                p.G_iPiece[pieceIndex(piece, x, y, z)] = 1;
                p.G_iPiece_Made[pieceIndex(piece, x, y, z)] = 1;
                v = kBodyOut;
            }
    return given;
}

int bodyMakerCancel(Puzzle& p, int piece) {
    if (!validBlock(piece)) return 0;
    int marked = 0;
    for (int z = 0; z < kGrid; ++z)
        for (int y = 0; y < kGrid; ++y)
            for (int x = 0; x < kGrid; ++x) {
                const int k = pieceIndex(piece, x, y, z);
                p.G_iPiece[k] = 0;
                if (p.G_iPiece_Made[k] != 1) continue;
                p.G_iPiece_Made[k] = 0;
                p.G_iBox[cellIndex(x, y, z)] = kBodyMarked;
                setBlockShades(p, x, y, z, piece);
                ++marked;
            }
    return marked;
}

int bodyMakerCellsLeft(const Puzzle& p) {
    int n = 0;
    for (int16_t v : p.G_iBox)
        if (v == kBodyFree || v == kBodyMarked) ++n;
    return n;
}

}  // namespace tessaro
