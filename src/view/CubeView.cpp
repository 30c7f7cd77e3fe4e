#include "view/CubeView.h"

#include <cmath>

namespace tessaro {

const float DepthLen = static_cast<float>(120.0 * std::sqrt(2.0));

namespace {

constexpr int32_t kWhite = 0xFFFFFF;
// Frame greys: g0 for inner grid lines, g1..g4 darkening with depth.
constexpr int32_t kGrey[5] = {0xE0E0E0, 0xD0D0D0, 0xCCCCCC, 0xC0C0C0, 0xB0B0B0};

bool filled(const Grid& grid, int x, int y, int z) { return grid[cellIndex(x, y, z)] != 0; }

// Hatching loops count in single precision with the end fixed up front, so a
// face gets exactly the lines an accumulating float counter reaches.
template <typename F>
void hatch(float from, float to, F&& draw) {
    for (float t = from; t <= to; t += 10.0f) draw(t);
}

}  // namespace

DepthStep depthStep(const ViewParam& v, float depthLen) {
    if (v.DirX == 0) return {0, 0};
    const double theta = std::atan(static_cast<double>(v.DirY / v.DirX));
    const double sign = v.DirX > 0 ? 1.0 : -1.0;
    return {static_cast<float>(sign * depthLen * std::cos(theta)),
            static_cast<float>(sign * depthLen * std::sin(theta))};
}

void subDrawFrame(Canvas& c, const ViewParam& v, FrameCells n) {
    const auto [o, m] = depthStep(v);
    const float sw = v.CellW, sh = v.CellH;
    const float bx = v.OrgX - o, by = v.OrgY - m;

    // Back wall.
    c.line(bx, by, bx, by + n.y * sh, kGrey[3], 1);
    for (int col = 1; col <= n.x; ++col)
        c.line(bx + col * sw, by, bx + col * sw, by + n.y * sh, col < n.x ? kGrey[0] : kGrey[3], 1);
    for (int row = 0; row <= n.y; ++row)
        c.line(bx + n.x * sw, by + row * sh, bx, by + row * sh, row < n.y ? kGrey[0] : kGrey[3], 1);

    // The side wall the viewer looks at: opposite the way the layers shift.
    const float wx = o >= 0 ? bx + n.x * sw : bx;
    for (int e = 1; e <= n.z; ++e)
        c.line(wx + e * o, by + e * m, wx + e * o, by + e * m + n.y * sh, kGrey[e], e);
    for (int e = 1; e < n.y; ++e) c.line(wx, by + e * sh, wx + n.z * o, by + e * sh + n.z * m, kGrey[0], 1);

    // Floor when seen from above, ceiling when seen from below.
    const bool floor = m > 0;
    const float fy = floor ? by + n.y * sh : by;
    for (int e = 1; e <= n.z; ++e)
        c.line(bx + e * o, fy + e * m, bx + e * o + n.x * sw, fy + e * m, kGrey[e], e);
    constexpr int kFan[5] = {0, -20, -10, 10, 20};
    for (int e = 0; e <= n.x; ++e) {
        const bool edge = e == n.x || (floor && e == 0);
        for (int k : kFan)
            c.line(bx + e * sw, fy, bx + e * sw + n.z * o + k, fy + n.z * m, edge ? kGrey[3] : kGrey[0], 1);
    }
}

void subDrawAxes(Canvas& c, const ViewParam& v) {
    const auto [o, m] = depthStep(v);
    const float sw = v.CellW, sh = v.CellH;
    const int32_t g3 = kGrey[3];

    if (m > 0)
        c.text(v.OrgX - o, v.OrgY - m - 200, "↑Y");
    else
        c.text(v.OrgX - o, v.OrgY - m + 4 * sh + 200, "↓Y");

    float zx, zy;
    if (o < 0) {
        zx = v.OrgX + 3 * o;
        zy = v.OrgY + 3 * m;
        c.line(v.OrgX - o, v.OrgY - m, zx, zy, g3, 1);
    } else {
        zx = v.OrgX - o + 4 * sw + 4 * o;
        zy = v.OrgY - m + 4 * m;
        c.line(v.OrgX - o + 4 * sw, v.OrgY - m, zx, zy, g3, 1);
    }
    const float zTextX = o < 0 ? zx - 200 : zx + 200;
    c.text(zTextX, zy + 150, "・");
    c.text(zTextX, zy + 300, "Z");

    const float ly = m > 0 ? v.OrgY - m : v.OrgY - m + 4 * sh;
    c.line(v.OrgX - o, ly, v.OrgX - o + 4 * sw, ly, g3, 1);
    if (m > 0)
        c.text(v.OrgX - o + 4 * sw + 200, ly, "→X");
    else
        c.text(zx - 200, ly, "X←");
}

namespace {

void drawFilledCells(Canvas& c, const Grid& grid, const ColorGrid& colors, const ViewParam& v) {
    // Plain names, not a structured binding: the hatching lambdas capture them (clang 14 cannot).
    const DepthStep step = depthStep(v);
    const float o = step.o, m = step.m;
    const float w = v.CellW, h = v.CellH;
    const bool leftToRight = v.DirX < 0;

    for (int z = 0; z < kGrid; ++z) {
        for (int i = 0; i < kGrid; ++i) {
            const int x = leftToRight ? i : kGrid - 1 - i;
            for (int y = 0; y < kGrid; ++y) {
                if (!filled(grid, x, y, z)) continue;
                const int32_t front = colors[colorIndex(x, y, z, 0)];
                const int32_t lid = colors[colorIndex(x, y, z, 1)];
                const int32_t side = colors[colorIndex(x, y, z, 2)];
                const float x1 = v.OrgX + w * x + o * z;
                const float y1 = v.OrgY + h * y + m * z;

                if (z == 3 || !filled(grid, x, y, z + 1)) {
                    // The 10 twips left free on the right and bottom part neighbours.
                    c.fillBox(x1, y1, x1 + w - 10, y1 + h - 10, front);
                    c.box(x1, y1, x1 + w - 10, y1 + h - 10, kWhite);
                }
                if (m > 0 && (y == 0 || !filled(grid, x, y - 1, z))) {
                    hatch(x1 + 20, x1 + w, [&](float t) { c.line(t, y1 - 10, t - o, y1 - m, lid, 1); });
                    c.line(x1, y1, x1 - o, y1 - m, kWhite, 1);
                    c.line(x1 + w, y1, x1 + w - o, y1 - m, kWhite, 1);
                    c.line(x1 - o, y1 - m, x1 + w - o, y1 - m, kWhite, 1);
                }
                if (m <= 0 && (y == 3 || !filled(grid, x, y + 1, z))) {
                    hatch(x1 + 20, x1 + w, [&](float t) { c.line(t, y1 + h - 10, t - o, y1 + h - m, lid, 1); });
                    c.line(x1, y1 + h, x1 - o, y1 + h - m, kWhite, 1);
                    c.line(x1 + w, y1 + h, x1 + w - o, y1 + h - m, kWhite, 1);
                    c.line(x1 - o, y1 + h - m, x1 + w - o, y1 + h - m, kWhite, 1);
                }
                if (o < 0 && (x == 3 || !filled(grid, x + 1, y, z))) {
                    hatch(y1 + 20, y1 + h - 20, [&](float t) { c.line(x1 + w, t, x1 + w - o, t - m, side, 1); });
                    c.line(x1 + w - o, y1 - m, x1 + w - o, y1 - m + h, kWhite, 1);
                    c.line(x1 + w, y1 + h - 10, x1 + w - o, y1 - m + h - 10, kWhite, 1);
                }
                if (o >= 0 && (x == 0 || !filled(grid, x - 1, y, z))) {
                    hatch(y1 + 20, y1 + h - 20, [&](float t) { c.line(x1, t, x1 - o, t - m, side, 1); });
                    c.line(x1 - o, y1 - m, x1 - o, y1 - m + h, kWhite, 1);
                    c.line(x1, y1 + h - 10, x1 - o, y1 - m + h - 10, kWhite, 1);
                }
            }
        }
    }

}

}  // namespace

void subDrawCells(Canvas& c, const Grid& grid, const ColorGrid& colors, const ViewParam& v) {
    subDrawFrame(c, v);
    drawFilledCells(c, grid, colors, v);
    subDrawAxes(c, v);
}

void subDrawBlock(Canvas& c, const Grid& grid, const ColorGrid& colors, const ViewParam& v, FrameCells n) {
    subDrawFrame(c, v, n);
    drawFilledCells(c, grid, colors, v);
}

}  // namespace tessaro
