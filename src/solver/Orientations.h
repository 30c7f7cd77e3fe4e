#pragma once
// Block cubes as 64-bit masks (bit x + 4y + 16z) and, per block, every shape the
// loader's turns can give it with every position inside the 4x4x4 grid, in the
// order the position scan visits them (X innermost, then Y, then Z).

#include "model/Puzzle.h"

#include <array>
#include <cstdint>
#include <vector>

namespace tessaro {

constexpr uint64_t cellBit(int x, int y, int z) { return uint64_t(1) << cellIndex(x, y, z); }

uint64_t turnZMask(uint64_t m);  // subPiece_TurnZ
uint64_t turnXMask(uint64_t m);  // subPiece_TurnX
uint64_t turnYMask(uint64_t m);  // subPiece_TurnY
uint64_t faceMask(uint64_t made, int face);  // the turns of subPiece_SetFace, before the origin move
uint64_t boxMask(int cellsX, int cellsY, int cellsZ);  // grid cells inside the box
// fncChkDedSpace on a 0/1 box: an empty grid cell closed on all six sides.
bool hasDeadCell(uint64_t filled);

// A shape moved to the origin corner, with its extents.
struct Shape {
    uint64_t mask = 0;
    int wx = 0, wy = 0, wz = 0;  // 0 for the empty shape
    int tx = 0, ty = 0, tz = 0;  // where the cube stood before the move
};
Shape normalize(uint64_t cube);

// One shape and all its grid positions. Position t = tx + nx * (ty + ny * tz).
struct ShapeNode {
    uint64_t shape = 0;
    int wx = 0, wy = 0, wz = 0;
    int nx = 1, ny = 1, nz = 1;
    int count = 1;      // nx * ny * nz
    int scanEnd = 0;    // where a scan that ran out leaves the block: (0, 0, nz - 1)
    int turnZ = 0;      // node of the shape after subPiece_TurnZ
    uint32_t first = 0; // index of position 0 in OrientationTable::masks
};

class OrientationTable {
public:
    // Rebuilt for each LOAD from the made and the current cubes.
    void build(const std::array<uint64_t, kBlocks>& made, const std::array<uint64_t, kBlocks>& current);

    // Node and position of block b's current cube at build time.
    int startNode(int b) const { return start_[b].node; }
    int startPosition(int b) const { return start_[b].t; }
    // subPiece_SetFace(b, face) for face 0..5: node at position 0.
    int faceNode(int b, int face) const { return face_[b][face]; }
    const ShapeNode& node(int n) const { return nodes_[n]; }
    const uint64_t* masks(int n) const { return masks_.data() + nodes_[n].first; }
    uint64_t mask(int n, int t) const { return masks_[nodes_[n].first + t]; }
    // subPiece_TurnZ on a cube at (node, t), which the turn moves about the grid centre.
    void turnZ(int& n, int& t) const;

private:
    int nodeOf(uint64_t normalizedShape);
    struct Start { int node = 0; int t = 0; };
    std::vector<ShapeNode> nodes_;
    std::vector<uint64_t> masks_;
    std::array<Start, kBlocks> start_{};
    std::array<std::array<int, 6>, kBlocks> face_{};
};

}  // namespace tessaro
