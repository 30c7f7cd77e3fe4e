#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <tuple>

#include "tests/view/RecordingCanvas.h"
#include "view/CubeView.h"

namespace tessaro {
namespace {

using test::Prim;
using test::RecordingCanvas;

const ViewParam kStart = mainViewParam(120, 120);     // step (-120, 120)
const ViewParam kOpposite = mainViewParam(-120, -120);  // step (120, -120)

// Every cell gets its own three colours, so a primitive names the cell and face it belongs to.
int32_t tag(int x, int y, int z, int shade) { return 0x010000 * (shade + 1) + cellIndex(x, y, z) + 1; }

ColorGrid taggedColors() {
    ColorGrid c{};
    for (int z = 0; z < 4; ++z)
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                for (int s = 0; s < 3; ++s) c[colorIndex(x, y, z, s)] = tag(x, y, z, s);
    return c;
}

Grid fullGrid() {
    Grid g;
    g.fill(1);
    return g;
}

RecordingCanvas draw(const Grid& g, const ColorGrid& c, const ViewParam& v) {
    RecordingCanvas rc;
    subDrawCells(rc, g, c, v);
    return rc;
}

bool sameLine(const Prim& p, float x1, float y1, float x2, float y2) {
    return p.kind == Prim::Line && p.x1 == x1 && p.y1 == y1 && p.x2 == x2 && p.y2 == y2;
}

bool hasText(const RecordingCanvas& rc, const std::string& s, float x, float y) {
    return std::any_of(rc.prims.begin(), rc.prims.end(), [&](const Prim& p) {
        return p.kind == Prim::Text && p.text == s && p.x1 == x && p.y1 == y;
    });
}

std::multiset<std::string> texts(const RecordingCanvas& rc) {
    std::multiset<std::string> out;
    for (const auto& p : rc.ofKind(Prim::Text)) out.insert(p.text);
    return out;
}

TEST(DepthStep, LengthAndDirectionFollowTheViewRecord) {
    const auto start = depthStep(kStart);
    EXPECT_FLOAT_EQ(start.o, -120);
    EXPECT_FLOAT_EQ(start.m, 120);
    const auto opposite = depthStep(kOpposite);
    EXPECT_FLOAT_EQ(opposite.o, 120);
    EXPECT_FLOAT_EQ(opposite.m, -120);

    // Every quadrant, steep and flat: length DepthLen, parallel to (DirX, DirY), same sense.
    for (auto [dx, dy] : {std::pair{300.f, 100.f}, {-300.f, 100.f}, {300.f, -700.f}, {-10.f, -800.f},
                          {800.f, 0.f}, {-800.f, 0.f}, {5.f, 800.f}}) {
        ViewParam v{840, 600, dx, dy, 350, 350};
        const auto s = depthStep(v);
        EXPECT_NEAR(std::hypot(s.o, s.m), 169.7056, 1e-3) << dx << "," << dy;
        EXPECT_NEAR(s.o * dy - s.m * dx, 0, 0.1) << dx << "," << dy;
        EXPECT_GT(s.o * dx + s.m * dy, 0) << dx << "," << dy;
    }

    // No horizontal shift means no depth at all, whatever the vertical bar says.
    for (float dy : {-800.f, 0.f, 120.f, 800.f}) {
        const auto s = depthStep(ViewParam{840, 600, 0, dy, 350, 350});
        EXPECT_EQ(s.o, 0);
        EXPECT_EQ(s.m, 0);
    }
}

TEST(CubeView, EmptyGridDrawsOnlyFrameAndAxes) {
    const Grid empty{};
    const ColorGrid colors = taggedColors();
    const std::set<int32_t> greys = {0xE0E0E0, 0xD0D0D0, 0xCCCCCC, 0xC0C0C0, 0xB0B0B0};

    for (const ViewParam& v : {kStart, kOpposite, mainViewParam(0, 300), mainViewParam(-500, 40)}) {
        const auto rc = draw(empty, colors, v);
        RecordingCanvas parts;
        subDrawFrame(parts, v);
        subDrawAxes(parts, v);
        ASSERT_EQ(rc.prims.size(), parts.prims.size());
        EXPECT_TRUE(rc.ofKind(Prim::FillBox).empty());
        EXPECT_TRUE(rc.ofKind(Prim::Box).empty());
        for (const auto& p : rc.ofKind(Prim::Line)) EXPECT_TRUE(greys.count(p.color)) << std::hex << p.color;
        EXPECT_EQ(rc.ofKind(Prim::Text).size(), 4u);
    }

    // Start view: seen from above right, so the floor and the left wall; the marks read "↑Y" and "→X".
    {
        const auto rc = draw(empty, colors, kStart);
        // Back wall corner (960, 480), 1400 square.
        EXPECT_TRUE(sameLine(rc.prims[0], 960, 480, 960, 1880));
        int wide = 0;
        for (const auto& p : rc.ofKind(Prim::Line)) {
            if (p.width == 1) continue;
            ++wide;
            const bool leftWall = p.x1 == p.x2 && p.x1 < 960;
            const bool floor = p.y1 == p.y2 && p.y1 > 1880;
            EXPECT_TRUE(leftWall || floor) << p.x1 << "," << p.y1 << "-" << p.x2 << "," << p.y2;
        }
        EXPECT_EQ(wide, 6);  // widths 2..4 on the wall and on the floor
        // Floor fans: the two outer ones darker.
        std::vector<std::pair<float, int32_t>> fans;
        for (const auto& p : rc.ofKind(Prim::Line))
            if (p.y1 == 1880 && p.y2 == 2360) fans.emplace_back(p.x1, p.color);
        ASSERT_EQ(fans.size(), 25u);
        for (const auto& [x, color] : fans) EXPECT_EQ(color, x == 960 || x == 2360 ? 0xC0C0C0 : 0xE0E0E0) << x;
        EXPECT_EQ(texts(rc), (std::multiset<std::string>{"↑Y", "・", "Z", "→X"}));
        EXPECT_TRUE(hasText(rc, "↑Y", 960, 280));
        EXPECT_TRUE(hasText(rc, "・", 280, 1110));
        EXPECT_TRUE(hasText(rc, "Z", 280, 1260));
        EXPECT_TRUE(hasText(rc, "→X", 2560, 480));
    }
    // Opposite view: right wall and ceiling, "↓Y" below, "X←" and the Z mark to the right.
    {
        const auto rc = draw(empty, colors, kOpposite);
        for (const auto& p : rc.ofKind(Prim::Line)) {
            if (p.width == 1) continue;
            const bool rightWall = p.x1 == p.x2 && p.x1 > 2120;
            const bool ceiling = p.y1 == p.y2 && p.y1 < 720;
            EXPECT_TRUE(rightWall || ceiling) << p.x1 << "," << p.y1 << "-" << p.x2 << "," << p.y2;
        }
        // Ceiling fans: only the right one darker. (The Z axis runs along one of them.)
        RecordingCanvas frame;
        subDrawFrame(frame, kOpposite);
        std::vector<std::pair<float, int32_t>> fans;
        for (const auto& p : frame.ofKind(Prim::Line))
            if (p.y1 == 720 && p.y2 == 240) fans.emplace_back(p.x1, p.color);
        ASSERT_EQ(fans.size(), 25u);
        for (const auto& [x, color] : fans) EXPECT_EQ(color, x == 2120 ? 0xC0C0C0 : 0xE0E0E0) << x;
        EXPECT_EQ(texts(rc), (std::multiset<std::string>{"↓Y", "・", "Z", "X←"}));
        EXPECT_TRUE(hasText(rc, "↓Y", 720, 2320));
        EXPECT_TRUE(hasText(rc, "・", 2800, 390));
        EXPECT_TRUE(hasText(rc, "Z", 2800, 540));
        EXPECT_TRUE(hasText(rc, "X←", 2400, 2120));
    }
}

TEST(CubeView, StartViewPaintsBackToFrontLeftToRightWithTopAndRightFaces) {
    // A checkerboard leaves every filled cell with six empty neighbours.
    Grid g{};
    for (int i = 0; i < kCells; ++i) {
        const int x = i % 4, y = i / 4 % 4, z = i / 16;
        g[i] = (x + y + z) % 2 == 0;
    }
    const ColorGrid colors = taggedColors();

    auto paintedOrder = [&](const ViewParam& v) {
        std::vector<std::tuple<int, int, int>> out;  // (z, x step, y) as painted
        for (const auto& p : draw(g, colors, v).ofKind(Prim::FillBox)) {
            const int i = p.color - tag(0, 0, 0, 0);
            out.emplace_back(i / 16, i % 4, i / 4 % 4);
        }
        return out;
    };
    auto expectOrder = [&](const ViewParam& v, bool xUp) {
        auto order = paintedOrder(v);
        ASSERT_EQ(order.size(), 32u);
        auto key = [&](const std::tuple<int, int, int>& c) {
            auto [z, x, y] = c;
            return std::tuple{z, xUp ? x : -x, y};
        };
        EXPECT_TRUE(std::is_sorted(order.begin(), order.end(),
                                   [&](const auto& a, const auto& b) { return key(a) < key(b); }));
    };
    expectOrder(kStart, true);
    expectOrder(kOpposite, false);
    expectOrder(mainViewParam(0, 120), false);  // DirX = 0 counts as right to left

    // Start view: each cell shows front, top and right faces, in that order, and never bottom or left.
    const auto rc = draw(g, colors, kStart);
    for (int i = 0; i < kCells; ++i) {
        if (!g[i]) continue;
        const int x = i % 4, y = i / 4 % 4, z = i / 16;
        const auto front = rc.ofColor(tag(x, y, z, 0));
        const auto lid = rc.ofColor(tag(x, y, z, 1));
        const auto side = rc.ofColor(tag(x, y, z, 2));
        ASSERT_EQ(front.size(), 1u);
        ASSERT_EQ(lid.size(), 34u);   // every 10 twips across 330
        ASSERT_EQ(side.size(), 32u);  // every 10 twips down 310
        for (const auto& p : lid) EXPECT_LT(p.y2, p.y1);   // upwards: a top face
        for (const auto& p : side) EXPECT_GT(p.x2, p.x1);  // rightwards: a right face
        const float x1 = 840 + 350 * x - 120 * z;
        EXPECT_EQ(front[0].x1, x1);
        EXPECT_EQ(lid.front().x1, x1 + 20);
        EXPECT_EQ(side.front().x1, x1 + 350);
    }
    // The faces of a cell follow each other: front box, outline, top, right.
    auto index = [&](int32_t color) {
        for (size_t k = 0; k < rc.prims.size(); ++k)
            if (rc.prims[k].color == color && rc.prims[k].kind != Prim::Text) return k;
        return rc.prims.size();
    };
    const size_t f = index(tag(1, 1, 2, 0));
    EXPECT_EQ(rc.prims[f + 1].kind, Prim::Box);
    EXPECT_EQ(rc.prims[f + 1].color, 0xFFFFFF);
    EXPECT_EQ(f + 2, index(tag(1, 1, 2, 1)));
    EXPECT_LT(index(tag(1, 1, 2, 1)), index(tag(1, 1, 2, 2)));
    // Frame first, axis marks last.
    EXPECT_LT(index(0xB0B0B0), f);
    EXPECT_EQ(rc.prims.back().kind, Prim::Text);
}

TEST(CubeView, OneCubeHasExactFaces) {
    ColorGrid colors{};
    colors[colorIndex(0, 0, 0, 0)] = 0x0000FF;
    colors[colorIndex(0, 0, 0, 1)] = 0xC0C0FF;
    colors[colorIndex(0, 0, 0, 2)] = 0x0000C0;
    Grid g{};
    g[cellIndex(0, 0, 0)] = 1;

    // Start view, cell (0, 0, 0) at (840, 600): front, top towards upper right, right side.
    {
        const auto rc = draw(g, colors, kStart);
        const auto front = rc.ofColor(0x0000FF);
        ASSERT_EQ(front.size(), 1u);
        EXPECT_EQ(front[0].kind, Prim::FillBox);
        EXPECT_EQ(std::tie(front[0].x1, front[0].y1, front[0].x2, front[0].y2),
                  std::tuple(840.f, 600.f, 1180.f, 940.f));
        const auto outline = rc.ofKind(Prim::Box);
        ASSERT_EQ(outline.size(), 1u);
        EXPECT_EQ(outline[0].color, 0xFFFFFF);
        EXPECT_EQ(std::tie(outline[0].x1, outline[0].y1, outline[0].x2, outline[0].y2),
                  std::tuple(840.f, 600.f, 1180.f, 940.f));

        const auto top = rc.ofColor(0xC0C0FF);
        ASSERT_EQ(top.size(), 34u);
        for (size_t k = 0; k < top.size(); ++k) {
            const float t = 860 + 10.f * k;
            EXPECT_TRUE(sameLine(top[k], t, 590, t + 120, 480)) << k;
        }
        const auto right = rc.ofColor(0x0000C0);
        ASSERT_EQ(right.size(), 32u);
        for (size_t k = 0; k < right.size(); ++k) {
            const float t = 620 + 10.f * k;
            EXPECT_TRUE(sameLine(right[k], 1190, t, 1310, t - 120)) << k;
        }
        const auto white = rc.ofColor(0xFFFFFF);
        ASSERT_EQ(white.size(), 6u);  // outline, three top edges, two side edges
        EXPECT_TRUE(sameLine(white[1], 840, 600, 960, 480));
        EXPECT_TRUE(sameLine(white[2], 1190, 600, 1310, 480));
        EXPECT_TRUE(sameLine(white[3], 960, 480, 1310, 480));
        EXPECT_TRUE(sameLine(white[4], 1310, 480, 1310, 830));
        EXPECT_TRUE(sameLine(white[5], 1190, 940, 1310, 820));
    }

    // Opposite view, cell (2, 1, 1) at (1660, 830): bottom towards lower left, left side.
    g = Grid{};
    g[cellIndex(2, 1, 1)] = 1;
    colors = ColorGrid{};
    colors[colorIndex(2, 1, 1, 0)] = 0x00FF00;
    colors[colorIndex(2, 1, 1, 1)] = 0xC0FFC0;
    colors[colorIndex(2, 1, 1, 2)] = 0x00C000;
    {
        const auto rc = draw(g, colors, kOpposite);
        const auto front = rc.ofColor(0x00FF00);
        ASSERT_EQ(front.size(), 1u);
        EXPECT_EQ(std::tie(front[0].x1, front[0].y1, front[0].x2, front[0].y2),
                  std::tuple(1660.f, 830.f, 2000.f, 1170.f));
        const auto bottom = rc.ofColor(0xC0FFC0);
        ASSERT_EQ(bottom.size(), 34u);
        for (size_t k = 0; k < bottom.size(); ++k) {
            const float t = 1680 + 10.f * k;
            EXPECT_TRUE(sameLine(bottom[k], t, 1170, t - 120, 1300)) << k;
        }
        const auto left = rc.ofColor(0x00C000);
        ASSERT_EQ(left.size(), 32u);
        for (size_t k = 0; k < left.size(); ++k) {
            const float t = 850 + 10.f * k;
            EXPECT_TRUE(sameLine(left[k], 1660, t, 1540, t + 120)) << k;
        }
        const auto white = rc.ofColor(0xFFFFFF);
        ASSERT_EQ(white.size(), 6u);
        EXPECT_TRUE(sameLine(white[1], 1660, 1180, 1540, 1300));
        EXPECT_TRUE(sameLine(white[2], 2010, 1180, 1890, 1300));
        EXPECT_TRUE(sameLine(white[3], 1540, 1300, 1890, 1300));
        EXPECT_TRUE(sameLine(white[4], 1540, 950, 1540, 1300));
        EXPECT_TRUE(sameLine(white[5], 1660, 1170, 1540, 1290));
    }
}

TEST(CubeView, ZeroStepStacksLayersAndCollapsesDepthLines) {
    const ViewParam v = mainViewParam(0, 300);  // DirX = 0
    const ColorGrid colors = taggedColors();
    Grid g{};
    g[cellIndex(1, 1, 0)] = 1;
    g[cellIndex(1, 1, 2)] = 1;
    const auto rc = draw(g, colors, v);

    // Both layers at the same place, the nearer painted over the farther.
    const auto boxes = rc.ofKind(Prim::FillBox);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].color, tag(1, 1, 0, 0));
    EXPECT_EQ(boxes[1].color, tag(1, 1, 2, 0));
    EXPECT_EQ(std::tie(boxes[0].x1, boxes[0].y1, boxes[0].x2, boxes[0].y2),
              std::tie(boxes[1].x1, boxes[1].y1, boxes[1].x2, boxes[1].y2));
    EXPECT_EQ(boxes[1].x1, 1190);
    EXPECT_EQ(boxes[1].y1, 950);

    // Side hatching has no length; the bottom hatching only spans the 10-twip gap.
    for (const auto& p : rc.ofColor(tag(1, 1, 2, 2))) {
        EXPECT_EQ(p.x1, p.x2);
        EXPECT_EQ(p.y1, p.y2);
    }
    const auto lid = rc.ofColor(tag(1, 1, 2, 1));
    ASSERT_FALSE(lid.empty());
    for (const auto& p : lid) {
        EXPECT_EQ(p.x1, p.x2);
        EXPECT_EQ(p.y2 - p.y1, 10);
    }

    // The frame's depth lines lie on the back wall's outline (840, 600)-(2240, 2000).
    RecordingCanvas frame;
    subDrawFrame(frame, v);
    for (const auto& p : frame.prims) {
        const bool vertical = p.x1 == p.x2 && (p.x1 == 840 || p.x1 == 2240 || p.width == 1);
        const bool horizontal = p.y1 == p.y2 && (p.y1 == 600 || p.y1 == 2000 || p.width == 1);
        const bool fanOnEdge = p.y1 == 600 && p.y2 == 600;
        EXPECT_TRUE(vertical || horizontal || fanOnEdge) << p.x1 << "," << p.y1 << "-" << p.x2 << "," << p.y2;
        EXPECT_GE(p.x1, 840 - 20);
        EXPECT_LE(p.x2, 2240 + 20);
        EXPECT_GE(std::min(p.y1, p.y2), 600);
        EXPECT_LE(std::max(p.y1, p.y2), 2000);
    }
}

TEST(CubeView, HiddenCellsDrawOnlyTheirOutsideFaces) {
    const Grid g = fullGrid();
    const ColorGrid colors = taggedColors();
    auto faces = [&](const RecordingCanvas& rc, int x, int y, int z) {
        return std::tuple{rc.ofColor(tag(x, y, z, 0)).size(), rc.ofColor(tag(x, y, z, 1)).size(),
                          rc.ofColor(tag(x, y, z, 2)).size()};
    };
    using F = std::tuple<size_t, size_t, size_t>;

    const auto start = draw(g, colors, kStart);
    EXPECT_EQ(faces(start, 1, 1, 1), F(0, 0, 0));    // inside
    EXPECT_EQ(faces(start, 2, 2, 3), F(1, 0, 0));    // front layer
    EXPECT_EQ(faces(start, 1, 0, 1), F(0, 34, 0));   // top row, seen from above
    EXPECT_EQ(faces(start, 1, 3, 1), F(0, 0, 0));    // bottom row, not seen from above
    EXPECT_EQ(faces(start, 3, 1, 1), F(0, 0, 32));   // right column, the visible side
    EXPECT_EQ(faces(start, 0, 1, 1), F(0, 0, 0));    // left column, the hidden side
    EXPECT_EQ(faces(start, 3, 0, 3), F(1, 34, 32));  // front top right corner
    EXPECT_EQ(start.ofKind(Prim::FillBox).size(), 16u);

    const auto opposite = draw(g, colors, kOpposite);
    EXPECT_EQ(faces(opposite, 1, 1, 1), F(0, 0, 0));
    EXPECT_EQ(faces(opposite, 1, 0, 1), F(0, 0, 0));
    EXPECT_EQ(faces(opposite, 1, 3, 1), F(0, 34, 0));
    EXPECT_EQ(faces(opposite, 3, 1, 1), F(0, 0, 0));
    EXPECT_EQ(faces(opposite, 0, 1, 1), F(0, 0, 32));
    EXPECT_EQ(faces(opposite, 0, 3, 3), F(1, 34, 32));

    // Any non-zero value fills a cell, not only 1.
    Grid marked{};
    marked[cellIndex(1, 1, 1)] = 2;
    marked[cellIndex(1, 1, 2)] = -1;
    const auto rc = draw(marked, colors, kStart);
    EXPECT_EQ(faces(rc, 1, 1, 1), F(0, 34, 32));
    EXPECT_EQ(faces(rc, 1, 1, 2), F(1, 34, 32));
}

}  // namespace
}  // namespace tessaro
