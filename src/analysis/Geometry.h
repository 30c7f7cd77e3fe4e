#pragma once
// Cell sets as 64-bit masks (bit x + 4y + 16z, the model's cell order), the 24
// rotations of the cube, a shape's distinct orientations and the rotations of a
// box onto itself.

#include <array>
#include <cstdint>
#include <vector>

namespace tessaro::analysis {

constexpr uint64_t bitOf(int x, int y, int z) { return uint64_t(1) << (x + 4 * y + 16 * z); }

struct BoxSize {
    int x = 0, y = 0, z = 0;
    int cells() const { return x * y * z; }
};

// The grid cells inside a box of 1..4 cells per axis.
uint64_t boxCells(BoxSize box);

// A proper rotation: new coordinate i = sign[i] * old coordinate axis[i].
struct Rotation {
    std::array<int8_t, 3> axis{0, 1, 2};
    std::array<int8_t, 3> sign{1, 1, 1};
};
// The 24 rotations, the identity first.
const std::array<Rotation, 24>& cubeRotations();

// A cell set moved so that its lowest x, y and z are 0.
uint64_t toOrigin(uint64_t cells);
// Extent of a cell set along each axis (0 for the empty set).
BoxSize extent(uint64_t cells);
// The rotated shape, moved to the origin.
uint64_t rotateShape(uint64_t cells, const Rotation& r);
// Every distinct orientation of a shape, each at the origin, in ascending mask order.
std::vector<uint64_t> orientationsOf(uint64_t cells);
// The same value for two shapes exactly when one is a rotation of the other.
uint64_t canonicalShape(uint64_t cells);
// Every place of a shape's orientations inside the box, avoiding `blocked`, ascending.
std::vector<uint64_t> placementsOf(uint64_t cells, BoxSize box, uint64_t blocked);
// The same from the shape's orientations (orientationsOf), when they are at hand.
std::vector<uint64_t> placementsOf(const std::vector<uint64_t>& orientations, BoxSize box, uint64_t blocked);
bool faceConnected(uint64_t cells);

// A rotation of the box onto itself as a map of its cells.
class BoxSymmetry {
public:
    BoxSymmetry(const Rotation& r, BoxSize box);
    // Cells outside the box are dropped.
    uint64_t apply(uint64_t cells) const {
        uint64_t out = 0;
        for (int k = 0; cells != 0; ++k, cells >>= 4) out |= byNibble_[k][cells & 0xF];
        return out;
    }
    bool isIdentity() const { return identity_; }

private:
    // The image of each value of each four bits of a mask: a few lookups per
    // mask, and a table small enough to make in passing (2 KB).
    std::array<std::array<uint64_t, 16>, 16> byNibble_{};
    bool identity_ = true;
};
// The rotations that map the box onto itself, the identity first: 24 for a
// cube, 8 when exactly two sides are equal, 4 when all differ.
std::vector<BoxSymmetry> boxSymmetries(BoxSize box);
// The reflections that map the box onto itself, as many as its rotations.
std::vector<BoxSymmetry> boxMirrorSymmetries(BoxSize box);
// The mirror image of a shape, moved to the origin.
uint64_t mirrorShape(uint64_t cells);

}  // namespace tessaro::analysis
