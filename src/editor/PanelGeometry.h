#pragma once
// The eight 4x4 layer panels around the two views, in window units (twips),
// and the arithmetic of the view drag. Qt-free so the editor logic and its
// tests can use the same geometry as the window.

#include <array>
#include <optional>

namespace tessaro {

// A..D show the box, E..H the current block. A, C, E, G show an x layer;
// B, D, F, H a y layer.
enum class Panel { A, B, C, D, E, F, G, H };
constexpr std::array<Panel, 8> kAllPanels = {Panel::A, Panel::B, Panel::C, Panel::D,
                                             Panel::E, Panel::F, Panel::G, Panel::H};
constexpr int kPanelSquares = 16;
constexpr int kSquareSize = 375;   // neighbours overlap by one 15-unit border
constexpr int kSquarePitch = 360;

constexpr bool isBoxPanel(Panel p) { return p <= Panel::D; }
constexpr bool isXLayerPanel(Panel p) {
    return p == Panel::A || p == Panel::C || p == Panel::E || p == Panel::G;
}
// The name of the square array ("shpA" ...), also the widgets' object name prefix.
const char* panelName(Panel p);

struct SquareRect {
    int left = 0, top = 0, width = kSquareSize, height = kSquareSize;
};
SquareRect panelSquare(Panel p, int element);

// The first element whose square strictly contains the point, or -1.
// Squares overlap on their shared border, where the lower element wins.
int panelHitTest(Panel p, float x, float y);

struct PanelCell {
    int x = 0, y = 0, z = 0;
    bool operator==(const PanelCell&) const = default;
};
// The cell that element i of the panel stands for, with the panel's layer.
PanelCell panelCell(Panel p, int element, int layer);
// The element of the panel that shows the cell, or -1 when the cell is not in the layer.
int panelElement(Panel p, const PanelCell& c, int layer);

// ---- view drag ----
// Integer nearest to v, halves to the even neighbour.
int roundHalfEven(double v);
// The scroll-bar value a drag asks for: delta / divisor rounded, or nothing
// when the unrounded value lies outside [min, max] (that bar is left alone).
std::optional<int> dragBarValue(float delta, float divisor, int min, int max);

}  // namespace tessaro
