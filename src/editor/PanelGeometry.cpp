#include "editor/PanelGeometry.h"

#include <cmath>

namespace tessaro {

namespace {

struct PanelPlace {
    int left;      // left of element 0
    int top;       // top of element 0
    int colStep;   // left change per i div 4
};

constexpr PanelPlace place(Panel p) {
    switch (p) {
    case Panel::A: return {1440, 1800, -kSquarePitch};
    case Panel::B: return {2280, 240, kSquarePitch};
    case Panel::C: return {6840, 1800, -kSquarePitch};
    case Panel::D: return {2280, 5280, kSquarePitch};
    case Panel::E: return {8760, 1800, -kSquarePitch};
    case Panel::F: return {9360, 240, kSquarePitch};
    case Panel::G: return {13920, 1800, -kSquarePitch};
    case Panel::H: return {9360, 5040, kSquarePitch};
    }
    return {0, 0, 0};
}

}  // namespace

const char* panelName(Panel p) {
    static constexpr const char* names[] = {"shpA", "shpB", "shpC", "shpD", "shpE", "shpF", "shpG", "shpH"};
    return names[static_cast<int>(p)];
}

SquareRect panelSquare(Panel p, int element) {
    const PanelPlace pp = place(p);
    SquareRect r;
    r.left = pp.left + pp.colStep * (element / 4);
    r.top = pp.top + kSquarePitch * (element % 4);
    return r;
}

int panelHitTest(Panel p, float x, float y) {
    for (int i = 0; i < kPanelSquares; ++i) {
        const SquareRect r = panelSquare(p, i);
        if (r.left < x && x < r.left + r.width && r.top < y && y < r.top + r.height) return i;
    }
    return -1;
}

PanelCell panelCell(Panel p, int element, int layer) {
    const int col = element / 4;
    const int row = element - 4 * col;
    if (isXLayerPanel(p)) return {layer, row, col};
    return {col, layer, row};
}

int panelElement(Panel p, const PanelCell& c, int layer) {
    if (isXLayerPanel(p)) return c.x == layer ? c.y + 4 * c.z : -1;
    return c.y == layer ? c.z + 4 * c.x : -1;
}

int roundHalfEven(double v) {
    const double f = std::floor(v);
    const double diff = v - f;
    double r = f;
    if (diff > 0.5 || (diff == 0.5 && std::fmod(f, 2.0) != 0.0)) r = f + 1.0;
    return static_cast<int>(r);
}

std::optional<int> dragBarValue(float delta, float divisor, int min, int max) {
    const float v = delta / divisor;
    if (!(static_cast<float>(min) <= v && v <= static_cast<float>(max))) return std::nullopt;
    return roundHalfEven(v);
}

}  // namespace tessaro
