#pragma once
// Printable solids in millimetres: each block as the union of its cubes with
// every outer face moved inward by the clearance and its convex edges
// chamfered by the bevel, and the box as an open tray.
//
// Axes are those of a printer (z up, right-handed): X = the view's x (right),
// Y = away from the viewer (-z), Z = up (-y). A printed block therefore looks
// the way the block view draws it, not like its mirror image.

#include "model/Puzzle.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tessaro {

struct MeshSizes {
    double cubeMm = 10.0;      // edge of one cell
    double clearanceMm = 0.2;  // taken off every outer face of a block
    double trayWallMm = 0.0;   // wall and floor of the tray; 0 = no tray
    double bevelMm = 0.0;      // chamfer on every convex outer edge; 0 = sharp
};

// Below this a clearance or bevel other than 0 would vanish in the files'
// single-precision coordinates at the largest cube.
inline constexpr double kSmallestCutMm = 0.01;

// Why these sizes cannot be printed (a Japanese sentence), or "" when they can.
std::string meshSizesRefusal(const MeshSizes& sizes);

struct Vec3 {
    double x = 0, y = 0, z = 0;
    bool operator==(const Vec3&) const = default;
};

// Triangles wind counter-clockwise seen from outside. Vertices are shared by
// position, so every edge of a closed surface is used once in each direction.
struct Mesh {
    std::vector<Vec3> vertices;
    std::vector<std::array<uint32_t, 3>> triangles;
    bool empty() const { return triangles.empty(); }
};

// Block b (0-based) as it stands in its cube, moved so its lowest corner is at
// the origin. Empty for a block without cells. Always a closed 2-manifold
// along its edges: cells touching only along an edge or at a corner come apart
// by twice the clearance, and with clearance 0 (and no bevel) each of them
// loses a chamfer of kSmallestCutMm there, so no edge belongs to four faces.
Mesh blockMesh(const Puzzle& p, int b, const MeshSizes& sizes);

// The pieces block b falls into when only cells sharing a face hold together,
// each piece's cells in the order of its first cell (none for a block without cells).
std::vector<std::array<bool, kCells>> blockPieces(const Puzzle& p, int b);
// How many there are. More than 1 prints as loose parts.
int blockParts(const Puzzle& p, int b);

// The box as an open-topped tray: inside exactly the box's cells, walls and
// floor trayWallMm thick, origin at its lowest corner. Empty when trayWallMm is 0.
Mesh trayMesh(const Puzzle& p, const MeshSizes& sizes);

struct Bounds {
    Vec3 min, max;
};
Bounds meshBounds(const Mesh& mesh);

}  // namespace tessaro
