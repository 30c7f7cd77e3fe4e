#pragma once
// A plain brute force over the program's own turns, to check the counts against:
// every block in index order at every place, and classes by explicit canonical forms.

#include "model/Figure.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <optional>
#include <set>
#include <utility>
#include <vector>

namespace tessaro::test {

using Pack = std::array<uint64_t, kBlocks>;

inline uint64_t cubeOf(const Puzzle& p, int b) {
    uint64_t m = 0;
    for (int c = 0; c < kCells; ++c)
        if (p.G_iPiece[b + kBlocks * c] != 0) m |= uint64_t(1) << c;
    return m;
}

// Every cube the turn buttons give block b, pushed into the origin corner.
inline std::set<uint64_t> turnedCubes(const Puzzle& src, int b) {
    std::set<uint64_t> out;
    for (int x = 0; x < 4; ++x)
        for (int y = 0; y < 4; ++y)
            for (int z = 0; z < 4; ++z) {
                Puzzle p = src;
                for (int i = 0; i < x; ++i) subPiece_TurnX(p, b);
                for (int i = 0; i < y; ++i) subPiece_TurnY(p, b);
                for (int i = 0; i < z; ++i) subPiece_TurnZ(p, b);
                subPiece_MoveOrigin(p, b);
                out.insert(cubeOf(p, b));
            }
    return out;
}

using Matrix = std::array<std::array<int, 3>, 3>;

inline Matrix multiply(const Matrix& a, const Matrix& b) {
    Matrix m{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k) m[i][j] += a[i][k] * b[k][j];
    return m;
}

// The rotations of the box onto itself, as maps of cell indexes.
inline std::vector<std::array<int, kCells>> boxRotations(int dx, int dy, int dz) {
    const Matrix rx = {{{1, 0, 0}, {0, 0, -1}, {0, 1, 0}}};
    const Matrix ry = {{{0, 0, 1}, {0, 1, 0}, {-1, 0, 0}}};
    const Matrix rz = {{{0, -1, 0}, {1, 0, 0}, {0, 0, 1}}};
    std::vector<Matrix> all = {{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}}};
    for (size_t i = 0; i < all.size(); ++i)
        for (const Matrix& g : {rx, ry, rz}) {
            const Matrix m = multiply(g, all[i]);
            if (std::find(all.begin(), all.end(), m) == all.end()) all.push_back(m);
        }
    std::vector<std::array<int, kCells>> out;
    const int d[3] = {dx, dy, dz};
    for (const Matrix& m : all) {
        std::array<int, kCells> map;
        map.fill(-1);
        bool inside = true;
        for (int z = 0; z < dz; ++z)
            for (int y = 0; y < dy; ++y)
                for (int x = 0; x < dx; ++x) {
                    const int p[3] = {2 * x - (dx - 1), 2 * y - (dy - 1), 2 * z - (dz - 1)};
                    int q[3];
                    for (int i = 0; i < 3; ++i) {
                        const int v = m[i][0] * p[0] + m[i][1] * p[1] + m[i][2] * p[2] + d[i] - 1;
                        q[i] = v / 2;
                        inside = inside && v >= 0 && v % 2 == 0 && q[i] < d[i];
                    }
                    if (inside) map[x + 4 * y + 16 * z] = q[0] + 4 * q[1] + 16 * q[2];
                }
        if (inside) out.push_back(map);
    }
    return out;
}

inline uint64_t mapCells(const std::array<int, kCells>& map, uint64_t m) {
    uint64_t out = 0;
    for (; m != 0; m &= m - 1) out |= uint64_t(1) << map[std::countr_zero(m)];
    return out;
}

struct BruteCounts {
    uint64_t solutions = 0, distinct = 0, distinctUnlabelled = 0;
    std::optional<uint64_t> distinctMirror;  // packings as sets of shapes, mirror images alike
    int symmetry = 0;
    std::set<Pack> packings;
    std::vector<int> shapeClass;  // per block
    std::vector<std::array<int, kCells>> syms;
};

// Unlabelled form: blocks of one class hold their cells in ascending order.
inline Pack sortedByClass(Pack p, const std::vector<int>& shapeClass) {
    for (int a = 0; a < kBlocks; ++a)
        for (int b = a + 1; b < kBlocks; ++b)
            if (shapeClass[a] == shapeClass[b] && p[b] < p[a]) std::swap(p[a], p[b]);
    return p;
}

inline BruteCounts bruteForce(const Puzzle& p, bool fromBox) {
    const int dx = p.G_iCells_X, dy = p.G_iCells_Y, dz = p.G_iCells_Z;
    std::vector<std::vector<uint64_t>> places(kBlocks);
    std::vector<std::set<uint64_t>> turned(kBlocks);
    BruteCounts r;
    r.shapeClass.assign(kBlocks, -1);
    for (int b = 0; b < kBlocks; ++b) {
        if (cubeOf(p, b) == 0) continue;
        turned[b] = turnedCubes(p, b);
        if (fromBox && p.G_iLoaded[b] != 0) {
            uint64_t cells = 0;
            for (int c = 0; c < kCells; ++c)
                if (p.G_iBox[c] != 0 && p.G_iBox_No[c] == b + 1) cells |= uint64_t(1) << c;
            places[b] = {cells};
            r.shapeClass[b] = 100 + b;  // a kept block is never exchanged
            continue;
        }
        for (int c = 0; c < b && r.shapeClass[b] < 0; ++c)
            if (r.shapeClass[c] == c && turned[c] == turned[b]) r.shapeClass[b] = c;
        if (r.shapeClass[b] < 0) r.shapeClass[b] = b;
        for (uint64_t o : turned[b])
            for (int z = 0; z < dz; ++z)
                for (int y = 0; y < dy; ++y)
                    for (int x = 0; x < dx; ++x) {
                        bool fits = true;
                        for (uint64_t m = o; m != 0; m &= m - 1) {
                            const int c = std::countr_zero(m);
                            fits = fits && (c & 3) + x < dx && ((c >> 2) & 3) + y < dy && (c >> 4) + z < dz;
                        }
                        if (fits) places[b].push_back(o << (x + 4 * y + 16 * z));
                    }
    }
    Pack cur{};
    auto place = [&](auto&& self, int b, uint64_t filled) -> void {
        if (b == kBlocks) {
            r.packings.insert(cur);
            return;
        }
        if (cubeOf(p, b) == 0) return self(self, b + 1, filled);
        for (uint64_t m : places[b])
            if ((m & filled) == 0) {
                cur[b] = m;
                self(self, b + 1, filled | m);
            }
        cur[b] = 0;
    };
    place(place, 0, 0);
    r.solutions = r.packings.size();

    std::vector<std::array<int, kCells>> syms;
    for (const auto& map : boxRotations(dx, dy, dz)) {
        bool keeps = true;
        for (int b = 0; b < kBlocks && fromBox; ++b)
            if (p.G_iLoaded[b] != 0 && !places[b].empty()) keeps = keeps && mapCells(map, places[b][0]) == places[b][0];
        if (keeps) syms.push_back(map);
    }
    r.symmetry = int(syms.size());
    r.syms = syms;
    std::set<Pack> labelled, unlabelled;
    for (const Pack& pk : r.packings) {
        Pack bestL, bestU;
        bestL.fill(~uint64_t(0));
        bestU = bestL;
        for (const auto& map : syms) {
            Pack t;
            for (int b = 0; b < kBlocks; ++b) t[b] = mapCells(map, pk[b]);
            bestL = std::min(bestL, t);
            bestU = std::min(bestU, sortedByClass(t, r.shapeClass));
        }
        labelled.insert(bestL);
        unlabelled.insert(bestU);
    }
    r.distinct = labelled.size();
    r.distinctUnlabelled = unlabelled.size();

    // Mirror images: a block's mirror class holds the block's turned cubes reflected in x.
    std::vector<int> mirrorClass(kBlocks, -1);
    for (int b = 0; b < kBlocks; ++b) {
        if (r.shapeClass[b] < 0) continue;
        if (r.shapeClass[b] >= 100) {
            mirrorClass[b] = r.shapeClass[b];
            continue;
        }
        std::set<uint64_t> mirrored;
        for (uint64_t c : turned[b]) {
            uint64_t m = 0;
            for (uint64_t k = c; k != 0; k &= k - 1) m |= uint64_t(1) << (std::countr_zero(k) ^ 3);  // x -> 3 - x
            while ((m & 0x1111111111111111ull) == 0) m >>= 1;
            mirrored.insert(m);
        }
        for (int c = 0; c < kBlocks; ++c)
            if (r.shapeClass[c] >= 0 && r.shapeClass[c] < 100 && turned[c] == mirrored) mirrorClass[b] = r.shapeClass[c];
    }
    for (int b = 0; b < kBlocks; ++b) {
        if (r.shapeClass[b] < 0) continue;
        if (mirrorClass[b] < 0 || std::count(r.shapeClass.begin(), r.shapeClass.end(), r.shapeClass[b]) !=
                                      std::count(r.shapeClass.begin(), r.shapeClass.end(), mirrorClass[b]))
            return r;
    }
    std::vector<std::pair<std::array<int, kCells>, bool>> maps;
    for (const auto& map : syms) maps.push_back({map, false});
    for (const auto& rot : boxRotations(dx, dy, dz)) {
        std::array<int, kCells> map;
        map.fill(-1);
        for (int c = 0; c < kCells; ++c)
            if ((c & 3) < dx && rot[(c & ~3) | (dx - 1 - (c & 3))] >= 0) map[c] = rot[(c & ~3) | (dx - 1 - (c & 3))];
        bool keeps = true;
        for (int b = 0; b < kBlocks && fromBox; ++b)
            if (p.G_iLoaded[b] != 0 && !places[b].empty()) keeps = keeps && mapCells(map, places[b][0]) == places[b][0];
        if (keeps) maps.push_back({map, true});
    }
    std::set<std::vector<std::pair<int, uint64_t>>> classes;
    for (const Pack& pk : r.packings) {
        std::vector<std::pair<int, uint64_t>> best;
        for (const auto& [map, mirror] : maps) {
            std::vector<std::pair<int, uint64_t>> t;
            for (int b = 0; b < kBlocks; ++b)
                if (r.shapeClass[b] >= 0) t.push_back({mirror ? mirrorClass[b] : r.shapeClass[b], mapCells(map, pk[b])});
            std::sort(t.begin(), t.end());
            if (best.empty() || t < best) best = t;
        }
        classes.insert(best);
    }
    r.distinctMirror = classes.size();
    return r;
}

}  // namespace tessaro::test
