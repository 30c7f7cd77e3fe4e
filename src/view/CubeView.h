#pragma once
// The oblique cube view: a 4x4x4 cell grid drawn as solid cubes in front of a
// grey frame of the whole space, with axis marks on top.

#include "model/Puzzle.h"
#include "view/Canvas.h"

namespace tessaro {

// Screen placement of the grid, in twips.
struct ViewParam {
    float OrgX = 0;  // front-top-left corner of cell (0, 0, 0)
    float OrgY = 0;
    float DirX = 0;  // direction each nearer layer is shifted in
    float DirY = 0;
    float CellW = 0;
    float CellH = 0;
};

// Length of one depth step on screen: 120 * sqrt(2).
extern const float DepthLen;

// Both picture areas are this size, in twips.
constexpr int kPictureWidth = 3375;
constexpr int kPictureHeight = 3135;

// The main view turns with its two scroll bars; the block view never turns.
constexpr ViewParam mainViewParam(int hscDX, int vscDY) {
    return {840, 600, static_cast<float>(-hscDX), static_cast<float>(vscDY), 350, 350};
}
constexpr ViewParam kPieceViewParam{840, 600, -120, 120, 350, 350};

// Screen offset (o, m) of layer z + 1 against layer z.
struct DepthStep {
    float o = 0;
    float m = 0;
};
DepthStep depthStep(const ViewParam& v, float depthLen = DepthLen);

// How many cells the frame spans along each axis.
struct FrameCells {
    int x = kGrid, y = kGrid, z = kGrid;
};

// Frame, then the filled cells back to front, then the axes.
void subDrawCells(Canvas& canvas, const Grid& grid, const ColorGrid& colors, const ViewParam& v);
void subDrawFrame(Canvas& canvas, const ViewParam& v, FrameCells n = {});
// One block on its own (its cells from the origin corner) in a frame of its
// own size, without axes: the block pictures of the designer.
void subDrawBlock(Canvas& canvas, const Grid& grid, const ColorGrid& colors, const ViewParam& v, FrameCells n);
void subDrawAxes(Canvas& canvas, const ViewParam& v);

}  // namespace tessaro
