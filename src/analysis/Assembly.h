#pragma once
// Whether a packing can be built in its box: the box stands with one face up and
// open, the blocks go in one at a time, each from above the box and by unit steps
// along the axes through free cells (walls and blocks already in are not free),
// never turning. A block's extra steps are those its shortest way in needs beyond
// a straight drop; a packing's level is the most extra steps of one block.

#include "analysis/Geometry.h"
#include "analysis/PackingAnalysis.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tessaro::analysis {

// The face of the box turned up, named by the axis it faces before the turn.
enum class UpFace : uint8_t { PlusZ, MinusZ, PlusX, MinusX, PlusY, MinusY };
constexpr int kFaces = 6;
// Stable names for scripts: "+z", "-z", "+x", "-x", "+y", "-y".
const char* upFaceName(UpFace face);

// A block's cell offset from its place in the turned box.
struct Offset {
    int8_t x = 0, y = 0, z = 0;
    bool operator==(const Offset&) const = default;
};

struct AssemblyStep {
    int block = 0;  // index 0..7
    int extra = 0;  // steps beyond a straight drop
    // Offsets from its place, one per unit step: the first with the block wholly
    // above the box, the last (0, 0, 0).
    std::vector<Offset> path;
};

struct AssemblyResult {
    bool assemblable = false;
    bool dropOnly = false;  // every block in by a straight drop
    UpFace up = UpFace::PlusZ;
    BoxSize box;      // the box with `up` turned up
    Packing packing{};  // the packing turned with it
    // When assemblable: an order with the lowest level, and with it the fewest
    // blocks that need more than a straight drop.
    std::vector<AssemblyStep> order;
    int level = 0;
    int notDropped = 0;
    // When not: the blocks (bit per index) that no order gets in together with
    // the face up that leaves the fewest.
    uint8_t stuck = 0;
    // Per face: its level, -1 when nothing goes in that way up.
    std::array<int, kFaces> faceLevel{};
};

struct AssemblyVerdict {
    bool assemblable = false;
    bool dropOnly = false;
};

// Checks packings of one box; the turns of the box are made once.
class AssemblyCheck {
public:
    explicit AssemblyCheck(BoxSize box);

    // With some face up: can it be built, and by straight drops alone? For counts.
    AssemblyVerdict verdict(const Packing& packing) const;
    // Every face judged, the best reported: built before not, then the lower
    // level, the fewer blocks needing more than a drop, the face earlier in UpFace.
    AssemblyResult check(const Packing& packing) const;
    // The packing judged with one face up only.
    AssemblyResult checkFace(const Packing& packing, UpFace face) const;

    // The packing turned so that `face` is up, and the box so turned.
    Packing turned(const Packing& packing, UpFace face) const;
    BoxSize turnedBox(UpFace face) const { return turnedBox_[size_t(face)]; }

private:
    BoxSize box_;
    std::vector<BoxSymmetry> turns_;  // one per face
    std::array<BoxSize, kFaces> turnedBox_{};
};

// Convenience: AssemblyCheck(box).check(packing).
AssemblyResult checkAssembly(const Packing& packing, BoxSize box);

// Which side goes up, in words: "z の大きい側（そのまま）" and so on.
std::string upFaceText(UpFace face);
// "ブロック 3、5" for the blocks of a bit set (bit per index).
std::string blocksText(uint8_t blocks);

// One picture of an order played: steps before `step` in place, block order[step]
// moved by `at` from its place.
struct AssemblyFrame {
    int step = 0;
    Offset at;
};
// Each step once at its place; a block that needs more than a drop also at each
// point of its way where some of it is inside the box.
std::vector<AssemblyFrame> assemblyFrames(const AssemblyResult& r);
// The turned box's cells of each block in a frame (a block still above the box holds none).
Packing frameCells(const AssemblyResult& r, const AssemblyFrame& frame);

}  // namespace tessaro::analysis
