#pragma once
// AssemblyCheck::verdict, fast enough for every packing a count finds. Packings
// found one after another share their first blocks, and what those blocks tell
// about straight drops is kept; a packing that no drop builds is judged face by
// face on the blocks that cannot be lifted straight out, and such sets recur
// from one packing to the next, so their verdicts are kept too.

#include "analysis/Assembly.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace tessaro::analysis {

class AssemblyJudge {
public:
    explicit AssemblyJudge(BoxSize box);

    // The cells of each block, at most eight, in any order; blocks that start
    // the list as they started it last time are not looked at again.
    AssemblyVerdict operator()(std::span<const uint64_t> blocks);
    // The packings of the blocks `first` with each of `lasts`, one block more
    // (with no `lasts`, `first` alone): each one's bits to bits[i].
    static constexpr uint8_t kBuilt = 1, kDropped = 2;
    void each(std::span<const uint64_t> first, std::span<const uint64_t> lasts, uint8_t* bits);

private:
    // Straight drops along one axis, over the blocks taken in so far: with the
    // first k blocks taken, after[k][b] holds the cells of block b and of every
    // block that must go in after it, directly or not.
    struct Axis {
        int taken = 0;
        int cycleAt = kBlocks;  // the block that closed a cycle among those before it; kBlocks: none
        std::array<std::array<uint64_t, kBlocks>, kBlocks + 1> after{};
    };
    bool dropsAlong(int axis);
    // Whether one block more, beyond those taken, leaves a packing that drops in.
    bool dropsWith(int axis, uint64_t last);
    // With the blocks taken free of cycles: whether one more closes one.
    bool closes(int axis, uint64_t last) const;
    bool builds();
    // The blocks that no straight lift takes out with `face` up, and whether the
    // rest of the way out is there for them.
    bool buildsWith(int face);
    // 0 when every block comes out; else the blocks (bit per index) that stay, none of which moves.
    unsigned takesOut(int face, const uint64_t* cells, int count) const;
    bool escapes(uint64_t block, uint64_t others, int face) const;

    struct Memo {
        std::array<uint64_t, kBlocks> cells{};
        uint8_t face = 0, count = 0;  // count 0: unused
        bool built = false;
    };

    BoxSize box_;
    uint64_t inside_ = 0;
    std::array<BoxSize, kFaces> turnedBox_{};
    std::array<uint64_t, kFaces> turnedInside_{};
    std::array<std::array<uint8_t, 64>, kFaces> turnCell_{};  // cell -> cell with the face up
    std::array<uint64_t, kBlocks> blocks_{};
    int count_ = 0;
    uint64_t taken_ = 0;  // the cells of the blocks handed over first
    std::array<uint64_t, kBlocks + 1> takenBefore_{};  // [k]: the cells of the first k blocks
    std::array<Axis, 3> axes_{};
    int lastFace_ = 0;  // the face that built the last packing needing more than drops
    std::array<Memo, kFaces> lastCore_{};  // per face: packings in a row leave the same blocks often
    // Per face: the last blocks found stuck together. Wherever they all stand in a
    // packing, that face fails too: more blocks only ever stand in the way.
    struct Stuck {
        std::array<uint64_t, kBlocks> cells{};
        uint64_t all = 0;  // their cells together
        int count = 0;
    };
    static constexpr int kStuckKept = 2;
    std::array<std::array<Stuck, kStuckKept>, kFaces> stuck_{};
    std::array<uint8_t, kFaces> stuckNext_{};  // the entry of stuck_ to write next
    struct Turned {
        uint64_t over = 0;   // the cells beyond the block toward the face, as the box stands
        uint64_t cells = 0;  // the block with the face turned up
    };
    std::array<std::array<Turned, kBlocks>, kFaces> turnedBlock_{};
    // The blocks whose Turned parts are made, a byte per face.
    uint64_t overMade_ = 0, cellsMade_ = 0;
    // Whether every block of the set stands in the packing.
    uint64_t occupied_ = 0;  // the packing's cells, for holds()
    bool holds(const Stuck& set) const;
    std::vector<Memo> memo_;
};

}  // namespace tessaro::analysis
