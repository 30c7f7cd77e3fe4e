#include "export/PrintParts.h"

#include "model/Figure.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tessaro {

namespace {

using Matrix = std::array<std::array<int, 3>, 3>;

// The 24 turns of a cube as signed permutation matrices of determinant 1, the identity first.
const std::array<Matrix, kRotations>& rotations() {
    static const std::array<Matrix, kRotations> all = [] {
        std::array<Matrix, kRotations> out{};
        size_t n = 0;
        std::array<int, 3> perm{0, 1, 2};
        do {
            // A permutation's parity decides which sign patterns keep the handedness.
            const int parity = (perm[0] > perm[1]) + (perm[0] > perm[2]) + (perm[1] > perm[2]);
            for (int signs = 0; signs < 8; ++signs) {
                const int flips = (signs & 1) + (signs >> 1 & 1) + (signs >> 2 & 1);
                if ((parity + flips) % 2 != 0) continue;
                Matrix m{};
                for (int r = 0; r < 3; ++r) m[size_t(r)][size_t(perm[size_t(r)])] = (signs >> r & 1) ? -1 : 1;
                out[n++] = m;
            }
        } while (std::next_permutation(perm.begin(), perm.end()));
        return out;
    }();
    return all;
}

// A quarter turn about Z: the footprint's sides swap, nothing else changes.
int quarterTurnZ() {
    const Matrix turn{{{0, -1, 0}, {1, 0, 0}, {0, 0, 1}}};
    const auto& all = rotations();
    return static_cast<int>(std::find(all.begin(), all.end(), turn) - all.begin());
}

void moveToOrigin(Mesh& mesh) {
    if (mesh.vertices.empty()) return;
    const Bounds b = meshBounds(mesh);
    for (Vec3& v : mesh.vertices) v = {v.x - b.min.x, v.y - b.min.y, v.z - b.min.z};
}

struct Facing {
    double area = 0;
    double nz = 0;  // the unit normal's z
};
Facing facing(const Mesh& m, const std::array<uint32_t, 3>& t) {
    const Vec3 &a = m.vertices[t[0]], &b = m.vertices[t[1]], &c = m.vertices[t[2]];
    const Vec3 u{b.x - a.x, b.y - a.y, b.z - a.z}, v{c.x - a.x, c.y - a.y, c.z - a.z};
    const Vec3 n{u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
    const double len = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    if (len == 0) return {};
    return {len / 2, n.z / len};
}

constexpr double kOnBed = 1e-6;  // mm

bool onBed(const Mesh& m, const std::array<uint32_t, 3>& t) {
    return m.vertices[t[0]].z < kOnBed && m.vertices[t[1]].z < kOnBed && m.vertices[t[2]].z < kOnBed;
}

double areaOnBed(const Mesh& mesh) {
    double sum = 0;
    for (const auto& t : mesh.triangles)
        if (const Facing f = facing(mesh, t); f.nz < -0.999 && onBed(mesh, t)) sum += f.area;
    return sum;
}

}  // namespace

double areaOverAir(const Mesh& mesh) {
    // A 45° chamfer prints without support; only what hangs flatter counts.
    const double steeper = -std::sqrt(0.5) - 1e-6;
    double sum = 0;
    for (const auto& t : mesh.triangles)
        if (const Facing f = facing(mesh, t); f.nz < steeper && !onBed(mesh, t)) sum += f.area;
    return sum;
}

Mesh rotated(const Mesh& mesh, int rotation) {
    const Matrix& m = rotations()[size_t(std::clamp(rotation, 0, kRotations - 1))];
    Mesh out = mesh;
    for (Vec3& v : out.vertices) {
        const double in[3] = {v.x, v.y, v.z};
        double r[3];
        for (size_t i = 0; i < 3; ++i) r[i] = m[i][0] * in[0] + m[i][1] * in[1] + m[i][2] * in[2];
        v = {r[0], r[1], r[2]};
    }
    moveToOrigin(out);
    return out;
}

int bestRotation(const Mesh& mesh, double bedSide) {
    struct Score {
        bool fits = false;
        double overAir = 0, height = 0, bed = 0;
    };
    auto score = [&](const Mesh& m) {
        const Bounds b = meshBounds(m);
        return Score{std::max(b.max.x - b.min.x, b.max.y - b.min.y) <= bedSide + 1e-9, areaOverAir(m),
                     b.max.z - b.min.z, areaOnBed(m)};
    };
    auto better = [](const Score& a, const Score& b) {
        if (a.fits != b.fits) return a.fits;
        if (std::abs(a.overAir - b.overAir) > 1e-3) return a.overAir < b.overAir;
        if (std::abs(a.height - b.height) > 1e-6) return a.height < b.height;
        if (std::abs(a.bed - b.bed) > 1e-3) return a.bed > b.bed;
        return false;
    };
    int best = 0;
    Score bestScore = score(mesh);
    for (int r = 1; r < kRotations; ++r)
        if (const Score s = score(rotated(mesh, r)); better(s, bestScore)) {
            best = r;
            bestScore = s;
        }
    return best;
}

PrintSet printParts(const Puzzle& p, const MeshSizes& sizes, bool asMade, double bedSide) {
    PrintSet out;
    for (int b = 0; b < kBlocks; ++b) {
        if (fncPiece_Count(p, b) == 0) continue;
        BlockPrint report;
        report.block = b;
        report.overAirAsMade = areaOverAir(blockMesh(p, b, sizes));
        const auto pieces = blockPieces(p, b);
        report.pieces = static_cast<int>(pieces.size());
        for (size_t k = 0; k < pieces.size(); ++k) {
            Puzzle alone = p;
            for (int c = 0; c < kCells; ++c)
                if (!pieces[k][size_t(c)]) alone.piece(b, c % kGrid, c / kGrid % kGrid, c / (kGrid * kGrid)) = 0;
            PrintPart part;
            part.block = b;
            part.file = partFileName(b, static_cast<int>(k), static_cast<int>(pieces.size()));
            part.name = "ブロック " + std::to_string(b + 1);
            if (pieces.size() > 1) {
                part.name += '-';
                part.name += pieceLetters(static_cast<int>(k));
            }
            part.mesh = blockMesh(alone, b, sizes);
            if (!asMade) {
                part.mesh = rotated(part.mesh, bestRotation(part.mesh, bedSide));
                // The long side along X: rows on the bed stay shallow.
                const Bounds box = meshBounds(part.mesh);
                if (box.max.y - box.min.y > box.max.x - box.min.x + 1e-9) part.mesh = rotated(part.mesh, quarterTurnZ());
            }
            part.overAir = areaOverAir(part.mesh);
            report.overAir += part.overAir;
            out.parts.push_back(std::move(part));
        }
        out.blocks.push_back(report);
    }
    return out;
}

std::string pieceLetters(int k) {
    if (k < 26) return std::string(1, static_cast<char>('a' + k));
    return std::string{static_cast<char>('a' + k / 26 - 1), static_cast<char>('a' + k % 26)};
}

// Built by appending: g++ 12 at -O2 warns falsely of overlap on "-" + a temporary.
std::string partFileName(int b, int piece, int pieces) {
    std::string name = "block";
    name += std::to_string(b + 1);
    if (pieces > 1) {
        name += '-';
        name += pieceLetters(piece);
    }
    return name;
}

Vec3 blockSizeMm(const Puzzle& p, int b, const MeshSizes& s) {
    int lo[3] = {kGrid, kGrid, kGrid}, hi[3] = {-1, -1, -1};
    for (int z = 0; z < kGrid; ++z)
        for (int y = 0; y < kGrid; ++y)
            for (int x = 0; x < kGrid; ++x)
                if (validBlock(b) && p.piece(b, x, y, z) != 0) {
                    const int c[3] = {x, y, z};
                    for (int a = 0; a < 3; ++a) lo[a] = std::min(lo[a], c[a]), hi[a] = std::max(hi[a], c[a]);
                }
    if (hi[0] < 0) return {};
    auto mm = [&](int a) { return (hi[a] - lo[a] + 1) * s.cubeMm - 2 * s.clearanceMm; };
    return {mm(0), mm(1), mm(2)};
}

}  // namespace tessaro
