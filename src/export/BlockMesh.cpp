#include "export/BlockMesh.h"
#include "export/MeshBuilder.h"

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

}  // namespace

std::string meshSizesRefusal(const MeshSizes& s) {
    auto bad = [](double v) { return !std::isfinite(v) || v < 0; };
    if (bad(s.cubeMm) || s.cubeMm < 1 || s.cubeMm > 1000)
        return "キューブの大きさは 1 mm から 1000 mm の間で指定してください。";
    auto tooSmall = [](double v) { return v > 0 && v < kSmallestCutMm; };
    if (bad(s.clearanceMm) || s.clearanceMm * 4 > s.cubeMm || tooSmall(s.clearanceMm))
        return "すき間は 0 mm か、0.01 mm からキューブの大きさの 4 分の 1 までで指定してください。";
    if (bad(s.trayWallMm) || s.trayWallMm > 100)
        return "トレイの壁の厚さは 0 mm から 100 mm の間で指定してください。";
    // A quarter of what is left of a cell keeps the chamfers of opposite edges apart.
    if (bad(s.bevelMm) || s.bevelMm * 4 > s.cubeMm - 2 * s.clearanceMm || tooSmall(s.bevelMm))
        return "面取りは 0 mm か、0.01 mm から（キューブの大きさ − すき間 × 2）の 4 分の 1 までで指定してください。";
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
