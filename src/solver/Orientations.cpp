#include "solver/Orientations.h"

#include <algorithm>
#include <bit>

namespace tessaro {

namespace {

// new(x, y, z) = old(from(x, y, z)) for every cell.
template <class From>
uint64_t remap(uint64_t m, From from) {
    uint64_t out = 0;
    for (int z = 0; z < kGrid; ++z)
        for (int y = 0; y < kGrid; ++y)
            for (int x = 0; x < kGrid; ++x) {
                int ox = 0, oy = 0, oz = 0;
                from(x, y, z, ox, oy, oz);
                if (m & cellBit(ox, oy, oz)) out |= cellBit(x, y, z);
            }
    return out;
}

constexpr uint64_t planeX(int x) {
    uint64_t m = 0;
    for (int z = 0; z < kGrid; ++z)
        for (int y = 0; y < kGrid; ++y) m |= cellBit(x, y, z);
    return m;
}
constexpr uint64_t planeY(int y) {
    uint64_t m = 0;
    for (int z = 0; z < kGrid; ++z)
        for (int x = 0; x < kGrid; ++x) m |= cellBit(x, y, z);
    return m;
}
constexpr uint64_t planeZ(int z) { return uint64_t(0xFFFF) << (16 * z); }

constexpr uint64_t kX0 = planeX(0), kX3 = planeX(3);
constexpr uint64_t kY0 = planeY(0), kY3 = planeY(3);
constexpr uint64_t kZ0 = planeZ(0), kZ3 = planeZ(3);

}  // namespace

uint64_t turnZMask(uint64_t m) {
    return remap(m, [](int x, int y, int z, int& ox, int& oy, int& oz) { ox = y, oy = 3 - x, oz = z; });
}
uint64_t turnXMask(uint64_t m) {
    return remap(m, [](int x, int y, int z, int& ox, int& oy, int& oz) { ox = x, oy = 3 - z, oz = y; });
}
uint64_t turnYMask(uint64_t m) {
    return remap(m, [](int x, int y, int z, int& ox, int& oy, int& oz) { ox = 3 - z, oy = y, oz = x; });
}

uint64_t faceMask(uint64_t made, int face) {
    switch (face) {
    case 1: return turnXMask(turnXMask(turnXMask(made)));
    case 2: return turnYMask(made);
    case 3: return turnXMask(made);
    case 4: return turnYMask(turnYMask(turnYMask(made)));
    case 5: return turnYMask(turnYMask(made));
    default: return made;
    }
}

uint64_t boxMask(int cellsX, int cellsY, int cellsZ) {
    uint64_t m = 0;
    for (int z = 0; z < std::min(cellsZ, kGrid); ++z)
        for (int y = 0; y < std::min(cellsY, kGrid); ++y)
            for (int x = 0; x < std::min(cellsX, kGrid); ++x) m |= cellBit(x, y, z);
    return m;
}

bool hasDeadCell(uint64_t f) {
    // A side is closed by the grid's face or by a filled neighbour; the shifted
    // bits that wrap across a row are covered by the face planes.
    const uint64_t closed = ((f << 1) | kX0) & ((f >> 1) | kX3) & ((f << 4) | kY0) & ((f >> 4) | kY3) &
                            ((f << 16) | kZ0) & ((f >> 16) | kZ3);
    return (closed & ~f) != 0;
}

Shape normalize(uint64_t cube) {
    Shape s;
    if (cube == 0) return s;
    int minX = 3, minY = 3, minZ = 3, maxX = 0, maxY = 0, maxZ = 0;
    for (uint64_t m = cube; m != 0; m &= m - 1) {
        const int i = std::countr_zero(m);
        const int x = i & 3, y = (i >> 2) & 3, z = i >> 4;
        minX = std::min(minX, x), maxX = std::max(maxX, x);
        minY = std::min(minY, y), maxY = std::max(maxY, y);
        minZ = std::min(minZ, z), maxZ = std::max(maxZ, z);
    }
    s.mask = cube >> cellIndex(minX, minY, minZ);
    s.wx = maxX - minX + 1, s.wy = maxY - minY + 1, s.wz = maxZ - minZ + 1;
    s.tx = minX, s.ty = minY, s.tz = minZ;
    return s;
}

int OrientationTable::nodeOf(uint64_t shapeMask) {
    for (size_t n = 0; n < nodes_.size(); ++n)
        if (nodes_[n].shape == shapeMask) return int(n);
    const Shape s = normalize(shapeMask);
    ShapeNode node;
    node.shape = s.mask;
    node.wx = s.wx, node.wy = s.wy, node.wz = s.wz;
    if (s.mask != 0) {
        node.nx = kGrid + 1 - s.wx, node.ny = kGrid + 1 - s.wy, node.nz = kGrid + 1 - s.wz;
    }
    node.count = node.nx * node.ny * node.nz;
    node.scanEnd = node.nx * node.ny * (node.nz - 1);
    node.first = uint32_t(masks_.size());
    for (int tz = 0; tz < node.nz; ++tz)
        for (int ty = 0; ty < node.ny; ++ty)
            for (int tx = 0; tx < node.nx; ++tx) masks_.push_back(s.mask << cellIndex(tx, ty, tz));
    nodes_.push_back(node);
    const int id = int(nodes_.size()) - 1;
    // The Turn-Z cycle of the shape; four turns give the shape back.
    const uint64_t turned = normalize(turnZMask(s.mask)).mask;
    const int next = nodeOf(turned);
    nodes_[id].turnZ = next;
    return id;
}

void OrientationTable::build(const std::array<uint64_t, kBlocks>& made,
                             const std::array<uint64_t, kBlocks>& current) {
    nodes_.clear();
    masks_.clear();
    for (int b = 0; b < kBlocks; ++b) {
        for (int f = 0; f < 6; ++f) face_[b][f] = nodeOf(normalize(faceMask(made[b], f)).mask);
        const Shape s = normalize(current[b]);
        start_[b].node = nodeOf(s.mask);
        const ShapeNode& n = nodes_[start_[b].node];
        start_[b].t = s.mask == 0 ? 0 : s.tx + n.nx * (s.ty + n.ny * s.tz);
    }
}

void OrientationTable::turnZ(int& n, int& t) const {
    const ShapeNode& from = nodes_[n];
    if (from.shape == 0) return;
    const int tx = t % from.nx, ty = (t / from.nx) % from.ny, tz = t / (from.nx * from.ny);
    // A cell (x, y, z) goes to (3 - y, x, z).
    const ShapeNode& to = nodes_[from.turnZ];
    const int nx = kGrid - ty - from.wy, ny = tx, nz = tz;
    n = from.turnZ;
    t = nx + to.nx * (ny + to.ny * nz);
}

}  // namespace tessaro
