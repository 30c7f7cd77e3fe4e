#include "export/BlockMesh.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <tuple>

namespace tessaro {

namespace {

// Cell boundaries along one printer axis, increasing (equal where a slab is empty).
using Planes = std::vector<double>;
using SolidFn = std::function<bool(int, int, int)>;

class MeshBuilder {
public:
    uint32_t vertex(const Vec3& v) {
        auto [it, added] = index_.try_emplace(std::make_tuple(v.x, v.y, v.z), 0u);
        if (added) {
            it->second = static_cast<uint32_t>(mesh_.vertices.size());
            mesh_.vertices.push_back(v);
        }
        return it->second;
    }
    void triangle(uint32_t a, uint32_t b, uint32_t c) { mesh_.triangles.push_back({a, b, c}); }
    Mesh take() { return std::move(mesh_); }

private:
    Mesh mesh_;
    std::map<std::tuple<double, double, double>, uint32_t> index_;
};

// The faces between solid and empty cells of a rectilinear grid, with outward
// winding. Faces of zero area (an empty slab) are left out.
Mesh gridSurface(const std::array<Planes, 3>& planes, const SolidFn& solid) {
    const int n[3] = {static_cast<int>(planes[0].size()) - 1, static_cast<int>(planes[1].size()) - 1,
                      static_cast<int>(planes[2].size()) - 1};
    auto at = [&](int i, int j, int k) {
        return i >= 0 && j >= 0 && k >= 0 && i < n[0] && j < n[1] && k < n[2] && solid(i, j, k);
    };
    MeshBuilder out;
    for (int a = 0; a < 3; ++a) {
        const int b = (a + 1) % 3, c = (a + 2) % 3;
        for (int g = 0; g <= n[a]; ++g)
            for (int u = 0; u < n[b]; ++u)
                for (int v = 0; v < n[c]; ++v) {
                    int lo[3], hi[3];
                    lo[a] = g - 1, hi[a] = g;
                    lo[b] = hi[b] = u;
                    lo[c] = hi[c] = v;
                    const bool below = at(lo[0], lo[1], lo[2]);
                    const bool above = at(hi[0], hi[1], hi[2]);
                    if (below == above) continue;
                    const double u0 = planes[b][u], u1 = planes[b][u + 1];
                    const double v0 = planes[c][v], v1 = planes[c][v + 1];
                    if (u1 <= u0 || v1 <= v0) continue;
                    auto corner = [&](double cu, double cv) {
                        double p[3];
                        p[a] = planes[a][g];
                        p[b] = cu;
                        p[c] = cv;
                        return out.vertex({p[0], p[1], p[2]});
                    };
                    // (u0,v0) (u1,v0) (u1,v1) (u0,v1) turns counter-clockwise about +a.
                    const uint32_t q[4] = {corner(u0, v0), corner(u1, v0), corner(u1, v1), corner(u0, v1)};
                    if (below) {
                        out.triangle(q[0], q[1], q[2]);
                        out.triangle(q[0], q[2], q[3]);
                    } else {
                        out.triangle(q[0], q[2], q[1]);
                        out.triangle(q[0], q[3], q[2]);
                    }
                }
    }
    return out.take();
}

void moveToOrigin(Mesh& mesh) {
    if (mesh.vertices.empty()) return;
    const Bounds b = meshBounds(mesh);
    for (Vec3& v : mesh.vertices) {
        v.x -= b.min.x;
        v.y -= b.min.y;
        v.z -= b.min.z;
    }
}

}  // namespace

std::string meshSizesRefusal(const MeshSizes& s) {
    auto bad = [](double v) { return !std::isfinite(v) || v < 0; };
    if (bad(s.cubeMm) || s.cubeMm < 1 || s.cubeMm > 1000)
        return "キューブの大きさは 1 mm から 1000 mm の間で指定してください。";
    if (bad(s.clearanceMm) || s.clearanceMm * 4 > s.cubeMm)
        return "すき間は 0 mm 以上、キューブの大きさの 4 分の 1 以下で指定してください。";
    if (bad(s.trayWallMm) || s.trayWallMm > 100)
        return "トレイの壁の厚さは 0 mm から 100 mm の間で指定してください。";
    return {};
}

Bounds meshBounds(const Mesh& mesh) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    Bounds b{{inf, inf, inf}, {-inf, -inf, -inf}};
    for (const Vec3& v : mesh.vertices) {
        b.min = {std::min(b.min.x, v.x), std::min(b.min.y, v.y), std::min(b.min.z, v.z)};
        b.max = {std::max(b.max.x, v.x), std::max(b.max.y, v.y), std::max(b.max.z, v.z)};
    }
    return b;
}

Mesh blockMesh(const Puzzle& p, int b, const MeshSizes& s) {
    if (!validBlock(b)) return {};
    // Moving every outer face inward by c is an erosion by a cube of half-edge c.
    // Along each axis it splits the grid into slabs of constant neighbourhood:
    // fine cell 2k+1 is the middle of cell k, fine cell 2k the strip around the
    // boundary between cells k-1 and k. A fine cell is solid when every cell it
    // touches is filled, which also parts cells that share only an edge.
    constexpr int kFine = 2 * kGrid + 1;
    const double a = s.cubeMm, c = s.clearanceMm;
    auto filled = [&](int x, int y, int z) {
        return x >= 0 && y >= 0 && z >= 0 && x < kGrid && y < kGrid && z < kGrid && p.piece(b, x, y, z) != 0;
    };
    auto cellsOf = [](int f, int out[2]) {
        out[0] = f / 2 - (f % 2 == 0 ? 1 : 0);
        out[1] = f / 2;
        return f % 2 == 0 ? 2 : 1;
    };
    auto fineSolid = [&](int fx, int fy, int fz) {
        int xs[2], ys[2], zs[2];
        int nx = cellsOf(fx, xs), ny = cellsOf(fy, ys), nz = cellsOf(fz, zs);
        if (nx == 1) xs[0] = xs[1];
        if (ny == 1) ys[0] = ys[1];
        if (nz == 1) zs[0] = zs[1];
        for (int i = 0; i < nx; ++i)
            for (int j = 0; j < ny; ++j)
                for (int k = 0; k < nz; ++k)
                    if (!filled(xs[i], ys[j], zs[k])) return false;
        return true;
    };
    // Fine plane g lies at cell boundary g/2, shifted by -c (even) or +c (odd).
    auto plane = [&](int g) { return (g / 2) * a + (g % 2 == 0 ? -c : c); };

    std::array<Planes, 3> planes;
    for (int g = 0; g <= kFine; ++g) {
        planes[0].push_back(plane(g));
        // Printer Y and Z run against the view's z and y: reversed and negated.
        planes[1].push_back(-plane(kFine - g));
        planes[2].push_back(-plane(kFine - g));
    }
    Mesh mesh = gridSurface(planes, [&](int i, int j, int k) {
        return fineSolid(i, kFine - 1 - k, kFine - 1 - j);
    });
    moveToOrigin(mesh);
    return mesh;
}

Mesh trayMesh(const Puzzle& p, const MeshSizes& s) {
    const double t = s.trayWallMm, a = s.cubeMm;
    if (t <= 0 || p.G_iCells_X <= 0 || p.G_iCells_Y <= 0 || p.G_iCells_Z <= 0) return {};
    const double w = p.G_iCells_X * a, d = p.G_iCells_Z * a, h = p.G_iCells_Y * a;
    const std::array<Planes, 3> planes = {Planes{0, t, t + w, 2 * t + w}, Planes{0, t, t + d, 2 * t + d},
                                          Planes{0, t, t + h}};
    // Everything but the cavity, which opens at the top.
    return gridSurface(planes, [](int i, int j, int k) { return !(i == 1 && j == 1 && k == 1); });
}

}  // namespace tessaro
