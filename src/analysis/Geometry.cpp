#include "analysis/Geometry.h"
#include "analysis/CellPlanes.h"

#include <algorithm>
#include <bit>

namespace tessaro::analysis {

namespace {

std::array<Rotation, 24> makeRotations() {
    std::array<Rotation, 24> out{};
    int n = 1;  // out[0] is the identity
    const int8_t perms[6][3] = {{0, 1, 2}, {1, 2, 0}, {2, 0, 1}, {0, 2, 1}, {2, 1, 0}, {1, 0, 2}};
    for (int p = 0; p < 6; ++p)
        for (int s = 0; s < 8; ++s) {
            Rotation r;
            r.axis = {perms[p][0], perms[p][1], perms[p][2]};
            r.sign = {int8_t(s & 1 ? -1 : 1), int8_t(s & 2 ? -1 : 1), int8_t(s & 4 ? -1 : 1)};
            // Odd permutations need an odd number of sign changes for determinant +1.
            const int flips = std::popcount(unsigned(s));
            if ((p >= 3) != (flips % 2 == 1)) continue;
            if (p == 0 && s == 0) continue;
            out[n++] = r;
        }
    return out;
}

}  // namespace

uint64_t boxCells(BoxSize box) {
    uint64_t m = 0;
    for (int z = 0; z < box.z; ++z)
        for (int y = 0; y < box.y; ++y)
            for (int x = 0; x < box.x; ++x) m |= bitOf(x, y, z);
    return m;
}

const std::array<Rotation, 24>& cubeRotations() {
    static const std::array<Rotation, 24> rotations = makeRotations();
    return rotations;
}

uint64_t toOrigin(uint64_t m) {
    if (m == 0) return 0;
    while ((m & kPlaneX0) == 0) m >>= 1;
    while ((m & kPlaneY0) == 0) m >>= 4;
    while ((m & 0xFFFF) == 0) m >>= 16;
    return m;
}

BoxSize extent(uint64_t m) {
    BoxSize e;
    for (; m != 0; m &= m - 1) {
        const int c = std::countr_zero(m);
        e.x = std::max(e.x, (c & 3) + 1);
        e.y = std::max(e.y, ((c >> 2) & 3) + 1);
        e.z = std::max(e.z, (c >> 4) + 1);
    }
    return e;
}

uint64_t rotateShape(uint64_t m, const Rotation& r) {
    uint64_t out = 0;
    for (; m != 0; m &= m - 1) {
        const int c = std::countr_zero(m);
        const int old[3] = {c & 3, (c >> 2) & 3, c >> 4};
        int v[3];
        for (int i = 0; i < 3; ++i) v[i] = r.sign[i] > 0 ? old[r.axis[i]] : 3 - old[r.axis[i]];
        out |= bitOf(v[0], v[1], v[2]);
    }
    return toOrigin(out);
}

std::vector<uint64_t> orientationsOf(uint64_t cells) {
    std::vector<uint64_t> out;
    if (cells == 0) return out;
    for (const Rotation& r : cubeRotations()) out.push_back(rotateShape(cells, r));
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

uint64_t canonicalShape(uint64_t cells) {
    const std::vector<uint64_t> all = orientationsOf(cells);
    return all.empty() ? 0 : all.front();
}

std::vector<uint64_t> placementsOf(uint64_t cells, BoxSize box, uint64_t blocked) {
    return placementsOf(orientationsOf(cells), box, blocked);
}

std::vector<uint64_t> placementsOf(const std::vector<uint64_t>& orientations, BoxSize box, uint64_t blocked) {
    std::vector<uint64_t> out;
    for (uint64_t o : orientations) {
        const BoxSize e = extent(o);
        for (int z = 0; z + e.z <= box.z; ++z)
            for (int y = 0; y + e.y <= box.y; ++y)
                for (int x = 0; x + e.x <= box.x; ++x) {
                    const uint64_t m = o << (x + 4 * y + 16 * z);
                    if ((m & blocked) == 0) out.push_back(m);
                }
    }
    std::sort(out.begin(), out.end());
    return out;
}

bool faceConnected(uint64_t cells) {
    if (cells == 0) return true;
    uint64_t grown = cells & (~cells + 1);
    for (;;) {
        const uint64_t next = (grown | ((grown << 1) & ~kPlaneX0) | ((grown >> 1) & ~kPlaneX3) |
                               ((grown << 4) & ~kPlaneY0) | ((grown >> 4) & ~kPlaneY3) | (grown << 16) |
                               (grown >> 16)) &
                              cells;
        if (next == grown) return grown == cells;
        grown = next;
    }
}

BoxSymmetry::BoxSymmetry(const Rotation& r, BoxSize box) {
    std::array<uint64_t, 64> to{};
    const int size[3] = {box.x, box.y, box.z};
    for (int z = 0; z < box.z; ++z)
        for (int y = 0; y < box.y; ++y)
            for (int x = 0; x < box.x; ++x) {
                const int old[3] = {x, y, z};
                int v[3];
                for (int i = 0; i < 3; ++i) {
                    const int a = r.axis[i];
                    v[i] = r.sign[i] > 0 ? old[a] : size[a] - 1 - old[a];
                }
                const int from = x + 4 * y + 16 * z, dest = v[0] + 4 * v[1] + 16 * v[2];
                to[size_t(from)] = uint64_t(1) << dest;
                if (from != dest) identity_ = false;
            }
    for (int k = 0; k < 16; ++k)
        for (int v = 1; v < 16; ++v)
            byNibble_[size_t(k)][size_t(v)] =
                byNibble_[size_t(k)][size_t(v & (v - 1))] | to[size_t(4 * k + std::countr_zero(unsigned(v)))];
}

namespace {

// A rotation followed by the mirror x -> -x when `mirror`.
std::vector<BoxSymmetry> boxMaps(BoxSize box, bool mirror) {
    std::vector<BoxSymmetry> out;
    out.reserve(24);
    const int size[3] = {box.x, box.y, box.z};
    for (Rotation r : cubeRotations()) {
        bool fits = true;
        for (int i = 0; i < 3; ++i) fits = fits && size[r.axis[i]] == size[i];
        if (mirror) r.sign[0] = int8_t(-r.sign[0]);
        if (fits) out.emplace_back(r, box);
    }
    return out;
}

}  // namespace

std::vector<BoxSymmetry> boxSymmetries(BoxSize box) { return boxMaps(box, false); }

std::vector<BoxSymmetry> boxMirrorSymmetries(BoxSize box) { return boxMaps(box, true); }

uint64_t mirrorShape(uint64_t cells) {
    Rotation mirror;
    mirror.sign[0] = -1;
    return rotateShape(cells, mirror);
}

}  // namespace tessaro::analysis
