// A block's printable solid. The cells, shrunk by the clearance, are cut along
// every grid plane where anything can change: the cell boundaries, the faces
// moved in by the clearance and, when edges are chamfered, the lines where the
// chamfers start. Each box of that grid is then solid or empty, and a solid box
// beside a convex edge loses a corner triangle: a chamfer that spans the box
// exactly, so neighbouring boxes still meet face to face. The surface is every
// box's boundary less what an opposite neighbour covers on the same plane.
#include "export/BlockMesh.h"
#include "export/MeshBuilder.h"
#include "model/Figure.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>
#include <map>
#include <tuple>

namespace tessaro {

namespace {

using Polygon = std::vector<Vec3>;

double& at(Vec3& v, int a) { return a == 0 ? v.x : a == 1 ? v.y : v.z; }
Vec3 sub(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 cross(const Vec3& a, const Vec3& b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

constexpr double kOnPlane = 1e-9;
constexpr double kNoArea = 1e-10;  // mm²; the smallest real face is far larger

// Twice the area times the unit normal (Newell).
Vec3 areaNormal(const Polygon& p) {
    Vec3 n;
    for (size_t i = 0; i < p.size(); ++i) {
        const Vec3 &a = p[i], &b = p[(i + 1) % p.size()];
        n.x += (a.y - b.y) * (a.z + b.z);
        n.y += (a.z - b.z) * (a.x + b.x);
        n.z += (a.x - b.x) * (a.y + b.y);
    }
    return n;
}
bool hasArea(const Polygon& p) {
    const Vec3 n = areaNormal(p);
    return p.size() >= 3 && std::sqrt(dot(n, n)) / 2 > kNoArea;
}

// The part of a convex polygon where n·p <= d.
Polygon clip(const Polygon& poly, const Vec3& n, double d) {
    Polygon out;
    for (size_t i = 0; i < poly.size(); ++i) {
        const Vec3 &p = poly[i], &q = poly[(i + 1) % poly.size()];
        const double fp = dot(n, p) - d, fq = dot(n, q) - d;
        if (fp <= kOnPlane) out.push_back(p);
        if ((fp < -kOnPlane && fq > kOnPlane) || (fp > kOnPlane && fq < -kOnPlane)) {
            const double t = fp / (fp - fq);
            out.push_back({p.x + t * (q.x - p.x), p.y + t * (q.y - p.y), p.z + t * (q.z - p.z)});
        }
    }
    return out;
}

// n·p <= d, n with components -1, 0 or 1.
struct Half {
    std::array<int, 3> n{};
    double d = 0;
    Vec3 normal() const { return {double(n[0]), double(n[1]), double(n[2])}; }
    Half flipped() const { return {{-n[0], -n[1], -n[2]}, -d}; }
    bool operator==(const Half&) const = default;
};

Polygon clip(Polygon poly, const std::vector<Half>& halves, size_t skip = size_t(-1)) {
    for (size_t i = 0; i < halves.size() && poly.size() >= 3; ++i)
        if (i != skip) poly = clip(poly, halves[i].normal(), halves[i].d);
    return poly;
}

// A face with its outward plane; vertices counter-clockwise seen from outside.
struct Face {
    Half plane;
    Polygon pts;
    bool wholeBoxFace = false;
    std::array<double, 6> within{};  // the box face (or for a chamfer, the box) it lies in
};

// `p` less the convex polygon `q` lying on the same plane, facing the other way.
std::vector<Polygon> subtract(const Polygon& p, const Polygon& q, const Vec3& normal) {
    std::vector<Polygon> out;
    // Only an overlap is taken away: q's edges must not split p where q is not.
    Polygon common = p;
    for (size_t i = 0; i < q.size() && common.size() >= 3; ++i) {
        const Vec3 out_i = cross(sub(q[(i + 1) % q.size()], q[i]), {-normal.x, -normal.y, -normal.z});
        common = clip(common, out_i, dot(out_i, q[i]));
    }
    if (!hasArea(common)) return {p};
    Polygon inside = p;
    for (size_t i = 0; i < q.size() && inside.size() >= 3; ++i) {
        const Vec3 &a = q[i], &b = q[(i + 1) % q.size()];
        // q turns clockwise about `normal`, so this points out of q.
        const Vec3 out_i = cross(sub(b, a), {-normal.x, -normal.y, -normal.z});
        const double d = dot(out_i, a);
        Polygon beyond = clip(inside, {-out_i.x, -out_i.y, -out_i.z}, -d);
        if (hasArea(beyond)) out.push_back(std::move(beyond));
        inside = clip(inside, out_i, d);
    }
    return out;
}

class Snap {
public:
    explicit Snap(const std::array<std::vector<double>, 3>& planes) {
        for (int a = 0; a < 3; ++a) {
            auto& v = values_[size_t(a)];
            v = planes[size_t(a)];
            for (size_t i = 0; i + 1 < planes[size_t(a)].size(); ++i)
                v.push_back((planes[size_t(a)][i] + planes[size_t(a)][i + 1]) / 2);
            std::sort(v.begin(), v.end());
        }
    }
    Vec3 operator()(Vec3 p) const {
        for (int a = 0; a < 3; ++a) {
            const auto& v = values_[size_t(a)];
            double& c = at(p, a);
            auto it = std::lower_bound(v.begin(), v.end(), c);
            for (auto cand : {it, it == v.begin() ? it : it - 1})
                if (cand != v.end() && std::abs(*cand - c) < 1e-7) c = *cand;
        }
        return p;
    }

private:
    std::array<std::vector<double>, 3> values_;
};

class Builder : public MeshBuilder {
public:
    // A convex polygon: snapped, without repeated or straight-through corners, as a fan.
    void polygon(const Polygon& raw, const Snap& snap) {
        Polygon p;
        for (const Vec3& v : raw) {
            const Vec3 s = snap(v);
            if (p.empty() || !(p.back() == s)) p.push_back(s);
        }
        while (p.size() > 1 && p.front() == p.back()) p.pop_back();
        for (bool changed = true; changed && p.size() >= 3;) {
            changed = false;
            for (size_t i = 0; i < p.size(); ++i) {
                const Vec3 &a = p[(i + p.size() - 1) % p.size()], &b = p[i], &c = p[(i + 1) % p.size()];
                const Vec3 n = cross(sub(b, a), sub(c, b));
                if (dot(n, n) < 1e-18) {
                    p.erase(p.begin() + static_cast<std::ptrdiff_t>(i));
                    changed = true;
                    break;
                }
            }
        }
        if (p.size() < 3) return;
        const uint32_t first = vertex(p[0]);
        for (size_t i = 1; i + 1 < p.size(); ++i) triangle(first, vertex(p[i]), vertex(p[i + 1]));
    }
};

// One edge of a box: along axis `axis`, on side s1 of the next axis and s2 of the one after.
struct Edge {
    int axis, s1, s2;
    int bit() const { return 1 << (axis * 4 + s1 * 2 + s2); }
};

class Solid {
public:
    Solid(const Puzzle& p, int b, const MeshSizes& s) : a_(s.cubeMm), c_(s.clearanceMm) {
        bevel_ = s.bevelMm > 0;
        contacts_ = c_ == 0;
        e_ = bevel_ ? s.bevelMm : contacts_ ? kSmallestCutMm : 0;
        // Printer cell (i, j, k) is the view's (i, kGrid-1-k, kGrid-1-j): see the header.
        for (int i = 0; i < kGrid; ++i)
            for (int j = 0; j < kGrid; ++j)
                for (int k = 0; k < kGrid; ++k)
                    cells_[size_t(i + kGrid * (j + kGrid * k))] = p.piece(b, i, kGrid - 1 - k, kGrid - 1 - j) != 0;
        for (auto& axis : planes_) {
            for (int g = 0; g <= kGrid; ++g) {
                const double at = g * a_;
                for (double off : {-c_ - e_, -c_, c_, c_ + e_}) axis.push_back(at + off);
                if (c_ == 0) axis.push_back(at);
            }
            std::sort(axis.begin(), axis.end());
            axis.erase(std::unique(axis.begin(), axis.end()), axis.end());
        }
        for (int a = 0; a < 3; ++a) n_[a] = static_cast<int>(planes_[size_t(a)].size()) - 1;
        solid_.assign(size_t(n_[0] * n_[1] * n_[2]), 0);
        for (int i = 0; i < n_[0]; ++i)
            for (int j = 0; j < n_[1]; ++j)
                for (int k = 0; k < n_[2]; ++k) solid_[index({i, j, k})] = boxInside({i, j, k});
        cuts_.assign(solid_.size(), 0);
        for (size_t i = 0; i < solid_.size(); ++i)
            if (solid_[i]) cuts_[i] = ownCuts(boxAt(i));
    }

    Mesh surface() const {
        std::vector<Face> faces;
        for (size_t i = 0; i < solid_.size(); ++i)
            if (solid_[i]) boxFaces(boxAt(i), faces);
        // Faces that can cover each other lie on one plane within one box face.
        std::map<std::pair<std::tuple<int, int, int, double>, std::array<double, 6>>, std::vector<size_t>> byPlace;
        for (size_t f = 0; f < faces.size(); ++f) byPlace[{key(faces[f].plane), faces[f].within}].push_back(f);

        Builder out;
        const Snap snap(planes_);
        for (const Face& f : faces) {
            std::vector<Polygon> left{f.pts};
            const auto opposite = byPlace.find({key(f.plane.flipped()), f.within});
            if (opposite != byPlace.end())
                for (size_t o : opposite->second) {
                    const Face& q = faces[o];
                    if (f.wholeBoxFace && q.wholeBoxFace) {
                        left.clear();
                        break;
                    }
                    std::vector<Polygon> next;
                    for (const Polygon& piece : left)
                        for (Polygon& rest : subtract(piece, q.pts, f.plane.normal())) next.push_back(std::move(rest));
                    left = std::move(next);
                }
            for (const Polygon& piece : left) out.polygon(piece, snap);
        }
        return out.take();
    }

private:
    using Idx = std::array<int, 3>;

    static std::tuple<int, int, int, double> key(const Half& h) { return {h.n[0], h.n[1], h.n[2], h.d}; }

    size_t index(const Idx& i) const { return size_t(i[0] + n_[0] * (i[1] + n_[1] * i[2])); }
    Idx boxAt(size_t i) const {
        const int x = int(i) % n_[0], y = int(i) / n_[0] % n_[1], z = int(i) / (n_[0] * n_[1]);
        return {x, y, z};
    }
    bool solidAt(const Idx& i) const {
        for (int a = 0; a < 3; ++a)
            if (i[size_t(a)] < 0 || i[size_t(a)] >= n_[a]) return false;
        return solid_[index(i)] != 0;
    }
    bool cell(int i, int j, int k) const {
        return i >= 0 && j >= 0 && k >= 0 && i < kGrid && j < kGrid && k < kGrid &&
               cells_[size_t(i + kGrid * (j + kGrid * k))];
    }
    std::array<double, 6> bounds(const Idx& i) const {
        return {lo(i, 0), hi(i, 0), lo(i, 1), hi(i, 1), lo(i, 2), hi(i, 2)};
    }
    double lo(const Idx& i, int a) const { return planes_[size_t(a)][size_t(i[size_t(a)])]; }
    double hi(const Idx& i, int a) const { return planes_[size_t(a)][size_t(i[size_t(a)] + 1)]; }

    // Inside the shrunk cells: every cell within the clearance of the box's centre is filled.
    bool boxInside(const Idx& i) const {
        int from[3], to[3];
        for (int a = 0; a < 3; ++a) {
            const double mid = (lo(i, a) + hi(i, a)) / 2;
            from[a] = static_cast<int>(std::floor((mid - c_) / a_));
            to[a] = static_cast<int>(std::ceil((mid + c_) / a_)) - 1;
            if (c_ == 0) to[a] = from[a];
        }
        for (int x = from[0]; x <= to[0]; ++x)
            for (int y = from[1]; y <= to[1]; ++y)
                for (int z = from[2]; z <= to[2]; ++z)
                    if (!cell(x, y, z)) return false;
        return true;
    }

    static Idx step(Idx i, int axis, int side) {
        i[size_t(axis)] += side ? 1 : -1;
        return i;
    }

    // The chamfer of box i's edge: legs e along both faces beside it.
    Half cutOf(const Idx& i, const Edge& e) const {
        const int a1 = (e.axis + 1) % 3, a2 = (e.axis + 2) % 3;
        Half h;
        h.n[size_t(a1)] = e.s1 ? 1 : -1;
        h.n[size_t(a2)] = e.s2 ? 1 : -1;
        const double c1 = e.s1 ? hi(i, a1) : lo(i, a1), c2 = e.s2 ? hi(i, a2) : lo(i, a2);
        h.d = h.n[size_t(a1)] * c1 + h.n[size_t(a2)] * c2 - e_;
        return h;
    }

    // Convex edges when chamfering; with no clearance also the edges and
    // corners where cells of the block only touch.
    int ownCuts(const Idx& i) const {
        if (e_ == 0) return 0;
        int bits = 0;
        for (int axis = 0; axis < 3; ++axis)
            for (int s1 = 0; s1 < 2; ++s1)
                for (int s2 = 0; s2 < 2; ++s2) {
                    const int a1 = (axis + 1) % 3, a2 = (axis + 2) % 3;
                    const Idx n1 = step(i, a1, s1), n2 = step(i, a2, s2), diag = step(n1, a2, s2);
                    if (solidAt(n1) || solidAt(n2)) continue;
                    if (bevel_ || (contacts_ && solidAt(diag))) bits |= Edge{axis, s1, s2}.bit();
                }
        if (!contacts_ || bevel_) return bits;
        // Touching at a corner only: the three edges there, within this box.
        for (int sx = 0; sx < 2; ++sx)
            for (int sy = 0; sy < 2; ++sy)
                for (int sz = 0; sz < 2; ++sz) {
                    const int side[3] = {sx, sy, sz};
                    int solidAround = 0;
                    for (int m = 1; m < 8; ++m) {
                        Idx j = i;
                        for (int a = 0; a < 3; ++a)
                            if (m & (1 << a)) j = step(j, a, side[a]);
                        solidAround += solidAt(j) ? 1 : 0;
                    }
                    if (solidAround != 1 || !solidAt(step(step(step(i, 0, sx), 1, sy), 2, sz))) continue;
                    for (int axis = 0; axis < 3; ++axis)
                        bits |= Edge{axis, side[(axis + 1) % 3], side[(axis + 2) % 3]}.bit();
                }
        return bits;
    }

    // The pieces of box i, each the box cut by its half-spaces. A chamfer that
    // runs into this box from two directions (two convex edges meeting at a
    // concave corner) is mitred: the box keeps what either chamfer leaves.
    std::vector<std::vector<Half>> pieces(const Idx& i) const {
        const int own = cuts_[index(i)];
        std::vector<Half> base;
        std::vector<Half> arriving;
        for (int axis = 0; axis < 3; ++axis)
            for (int s1 = 0; s1 < 2; ++s1)
                for (int s2 = 0; s2 < 2; ++s2) {
                    const Edge e{axis, s1, s2};
                    if (own & e.bit()) {
                        base.push_back(cutOf(i, e));
                        continue;
                    }
                    if (!bevel_) continue;
                    for (int side = 0; side < 2; ++side) {
                        const Idx n = step(i, axis, side);
                        if (solidAt(n) && (cuts_[index(n)] & e.bit())) {
                            arriving.push_back(cutOf(i, e));
                            break;
                        }
                    }
                }
        if (arriving.size() < 2) return {base};
        std::vector<std::vector<Half>> out;
        for (size_t k = 0; k < arriving.size(); ++k) {
            std::vector<Half> piece = base;
            for (size_t j = 0; j < k; ++j) piece.push_back(arriving[j].flipped());
            piece.push_back(arriving[k]);
            out.push_back(std::move(piece));
        }
        return out;
    }

    void boxFaces(const Idx& i, std::vector<Face>& faces) const {
        const auto parts = pieces(i);
        const bool plain = parts.size() == 1 && parts[0].empty();
        for (const auto& halves : parts) {
            for (int a = 0; a < 3; ++a)
                for (int side = 0; side < 2; ++side) {
                    const Idx n = step(i, a, side);
                    // Between two uncut boxes nothing shows.
                    if (plain && solidAt(n) && cuts_[index(n)] == 0 && pieces(n).size() == 1) continue;
                    const int b = (a + 1) % 3, c = (a + 2) % 3;
                    Polygon rect;
                    for (auto [u, v] : {std::pair{0, 0}, {1, 0}, {1, 1}, {0, 1}}) {
                        Vec3 p;
                        at(p, a) = side ? hi(i, a) : lo(i, a);
                        at(p, b) = u ? hi(i, b) : lo(i, b);
                        at(p, c) = v ? hi(i, c) : lo(i, c);
                        rect.push_back(p);
                    }
                    // (u,v) in that order turns counter-clockwise about +a.
                    if (!side) std::reverse(rect.begin(), rect.end());
                    Half plane;
                    plane.n[size_t(a)] = side ? 1 : -1;
                    plane.d = side ? hi(i, a) : -lo(i, a);
                    const bool whole = halves.empty();
                    std::array<double, 6> within = bounds(i);
                    within[size_t(2 * a)] = within[size_t(2 * a + 1)] = side ? hi(i, a) : lo(i, a);
                    Polygon pts = clip(rect, halves);
                    if (hasArea(pts)) faces.push_back({plane, std::move(pts), whole, within});
                }
            for (size_t h = 0; h < halves.size(); ++h) {
                Polygon pts = clip(cutFace(i, halves[h]), halves, h);
                if (hasArea(pts)) faces.push_back({halves[h], std::move(pts), false, bounds(i)});
            }
        }
    }

    // Where the plane of `h` crosses box i, counter-clockwise about h's normal.
    Polygon cutFace(const Idx& i, const Half& h) const {
        int axis = 0;
        while (h.n[size_t(axis)] != 0) ++axis;
        const int a1 = (axis + 1) % 3, a2 = (axis + 2) % 3;
        const int n1 = h.n[size_t(a1)], n2 = h.n[size_t(a2)];
        // The chamfer runs corner to corner across the box's e-by-e section.
        Vec3 p, q;
        at(p, a1) = n1 > 0 ? hi(i, a1) : lo(i, a1);
        at(p, a2) = n2 > 0 ? lo(i, a2) : hi(i, a2);
        at(q, a1) = n1 > 0 ? lo(i, a1) : hi(i, a1);
        at(q, a2) = n2 > 0 ? hi(i, a2) : lo(i, a2);
        Polygon quad;
        for (auto [from, end] : {std::pair{p, 0}, {q, 0}, {q, 1}, {p, 1}}) {
            at(from, axis) = end ? hi(i, axis) : lo(i, axis);
            quad.push_back(from);
        }
        if (dot(areaNormal(quad), h.normal()) < 0) std::reverse(quad.begin(), quad.end());
        return quad;
    }

    double a_, c_, e_ = 0;
    bool bevel_ = false, contacts_ = false;
    std::array<bool, kCells> cells_{};
    std::array<std::vector<double>, 3> planes_;
    int n_[3] = {};
    std::vector<char> solid_;
    std::vector<int> cuts_;
};

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

Mesh blockMesh(const Puzzle& p, int b, const MeshSizes& s) {
    if (!validBlock(b) || fncPiece_Count(p, b) == 0) return {};
    Mesh mesh = Solid(p, b, s).surface();
    moveToOrigin(mesh);
    return mesh;
}

std::vector<std::array<bool, kCells>> blockPieces(const Puzzle& p, int b) {
    std::vector<std::array<bool, kCells>> out;
    if (!validBlock(b)) return out;
    std::array<bool, kCells> seen{};
    for (int start = 0; start < kCells; ++start) {
        const int sx = start % kGrid, sy = start / kGrid % kGrid, sz = start / (kGrid * kGrid);
        if (seen[size_t(start)] || p.piece(b, sx, sy, sz) == 0) continue;
        std::array<bool, kCells> piece{};
        std::deque<int> todo{start};
        seen[size_t(start)] = piece[size_t(start)] = true;
        while (!todo.empty()) {
            const int c = todo.front();
            todo.pop_front();
            const int xyz[3] = {c % kGrid, c / kGrid % kGrid, c / (kGrid * kGrid)};
            for (int a = 0; a < 3; ++a)
                for (int d : {-1, 1}) {
                    int n[3] = {xyz[0], xyz[1], xyz[2]};
                    n[a] += d;
                    if (n[a] < 0 || n[a] >= kGrid || p.piece(b, n[0], n[1], n[2]) == 0) continue;
                    const int ni = cellIndex(n[0], n[1], n[2]);
                    if (seen[size_t(ni)]) continue;
                    seen[size_t(ni)] = piece[size_t(ni)] = true;
                    todo.push_back(ni);
                }
        }
        out.push_back(piece);
    }
    return out;
}

int blockParts(const Puzzle& p, int b) { return int(blockPieces(p, b).size()); }

}  // namespace tessaro
