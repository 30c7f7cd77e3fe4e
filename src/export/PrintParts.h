#pragma once
// The objects a printer gets: each block turned to the face it prints best on,
// and a block whose cubes do not all hold together face to face split into its
// pieces, each its own object resting on the bed.

#include "export/BlockMesh.h"

#include <string>
#include <vector>

namespace tessaro {

// Faces turned down more steeply than 45° that do not lie on the bed: what a
// slicer holds up with supports, in mm². The mesh stands with its lowest point at z = 0.
double areaOverAir(const Mesh& mesh);

// The mesh turned about the origin by one of the 24 rotations of a cube (0
// leaves it as it is), moved back so its lowest corner is at the origin.
Mesh rotated(const Mesh& mesh, int rotation);
inline constexpr int kRotations = 24;

// The rotation a printer prefers: the least area over air, then the lowest,
// then the largest face on the bed; a footprint within `bedSide` (mm) before
// all of these when one exists. Ties keep the earlier rotation, so a block
// already lying well stays as made.
int bestRotation(const Mesh& mesh, double bedSide);

struct PrintPart {
    int block = 0;       // 0-based
    std::string file;    // "block5" or "block5-a": the STL file's name without ".stl"
    std::string name;    // "ブロック 5" or "ブロック 5-a": the 3MF object's name
    Mesh mesh;           // as it stands on the bed, lowest corner at the origin
    double overAir = 0;  // what remains over air as it stands
};

struct BlockPrint {
    int block = 0;
    int pieces = 0;             // 1 unless the block comes apart
    double overAirAsMade = 0;   // the block as made, in one piece
    double overAir = 0;         // its parts as written, summed
};

struct PrintSet {
    std::vector<PrintPart> parts;   // blocks in order, pieces in order
    std::vector<BlockPrint> blocks; // one per block with cells
};

// Every block with cells as printable parts. Unless `asMade`, each part is
// turned by bestRotation within `bedSide`.
PrintSet printParts(const Puzzle& p, const MeshSizes& sizes, bool asMade, double bedSide);

// "a" ... "z", then "aa", "ab" ...: the k-th piece (0-based) of a block that comes apart.
std::string pieceLetters(int k);
// "block5" for a block in one piece, "block5-a" for its first of several.
std::string partFileName(int b, int piece, int pieces);

// Block b's outer size in mm along the view's x, y and z as made (the clearance taken off).
Vec3 blockSizeMm(const Puzzle& p, int b, const MeshSizes& sizes);

}  // namespace tessaro
