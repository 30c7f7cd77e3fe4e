#include "analysis/AssemblyJudge.h"
#include "analysis/CellPlanes.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace tessaro::analysis {

namespace {

constexpr uint64_t kColumn0 = 0x0101010101010101ull;
constexpr uint64_t kColumn7 = kColumn0 << 7;
constexpr int kMemoBits = 10;
// A block's bit once in each face's byte.
constexpr uint64_t kEachFace = 0x010101010101ull;

// The cells beyond a set along an axis (0 x, 1 y, 2 z), toward higher
// coordinates or lower, the set's own cells left out.
uint64_t beyond(uint64_t m, int axis, bool high) {
    uint64_t s = 0;
    switch (axis) {
    case 0:
        s = high ? (m << 1) & ~kPlaneX0 : (m >> 1) & ~(kPlaneX0 << 3);
        s |= high ? (s << 1) & ~kPlaneX0 : (s >> 1) & ~(kPlaneX0 << 3);
        s |= high ? (s << 1) & ~kPlaneX0 : (s >> 1) & ~(kPlaneX0 << 3);
        break;
    case 1:
        s = high ? (m << 4) & ~kPlaneY0 : (m >> 4) & ~(kPlaneY0 << 12);
        s |= high ? (s << 4) & ~kPlaneY0 : (s >> 4) & ~(kPlaneY0 << 12);
        s |= high ? (s << 4) & ~kPlaneY0 : (s >> 4) & ~(kPlaneY0 << 12);
        break;
    default: s = high ? m << 16 | m << 32 | m << 48 : m >> 16 | m >> 32 | m >> 48; break;
    }
    return s & ~m;
}

// The face's way up in the box as it stands (UpFace's order).
constexpr int kFaceAxis[kFaces] = {2, 2, 0, 0, 1, 1};
constexpr bool kFaceHigh[kFaces] = {true, false, true, false, true, false};

// Two rows of four cells as two rows of eight.
constexpr std::array<uint64_t, 256> kSpread = [] {
    std::array<uint64_t, 256> t{};
    for (unsigned b = 0; b < 256; ++b) t[b] = (b & 0xF) | uint64_t(b >> 4) << 8;
    return t;
}();
// A box layer (x + 4y) as an 8x8 map (x + 8y).
uint64_t spread(uint64_t layer) { return kSpread[layer & 0xFF] | kSpread[(layer >> 8) & 0xFF] << 16; }
uint64_t sideways(uint64_t m) { return ((m << 1) & ~kColumn0) | ((m >> 1) & ~kColumn7) | (m << 8) | (m >> 8); }

}  // namespace

AssemblyJudge::AssemblyJudge(BoxSize box) : box_(box), inside_(boxCells(box)) {
    const AssemblyCheck check(box);
    for (int f = 0; f < kFaces; ++f) {
        turnedBox_[size_t(f)] = check.turnedBox(UpFace(f));
        turnedInside_[size_t(f)] = boxCells(turnedBox_[size_t(f)]);
        for (uint64_t m = inside_; m != 0; m &= m - 1) {
            const int c = std::countr_zero(m);
            const Packing one{uint64_t(1) << c};
            turnCell_[size_t(f)][size_t(c)] = uint8_t(std::countr_zero(check.turned(one, UpFace(f))[0]));
        }
    }
}

AssemblyVerdict AssemblyJudge::operator()(std::span<const uint64_t> blocks) {
    uint8_t bits = 0;
    each(blocks, {}, &bits);
    return {(bits & kBuilt) != 0, (bits & kDropped) != 0};
}

void AssemblyJudge::each(std::span<const uint64_t> first, std::span<const uint64_t> lasts, uint8_t* bits) {
    const int n = int(std::min(first.size(), size_t(kBlocks)));
    // Mostly only the last block changes: the rest compared in one go first.
    const int upTo = std::min(n, count_);
    int same = upTo > 1 && std::memcmp(blocks_.data(), first.data(), sizeof(uint64_t) * size_t(upTo - 1)) == 0 ? upTo - 1 : 0;
    while (same < upTo && blocks_[size_t(same)] == (first[size_t(same)] & inside_)) ++same;
    for (int k = same; k < n; ++k) blocks_[size_t(k)] = first[size_t(k)] & inside_;
    overMade_ &= kEachFace * ((1u << same) - 1);
    cellsMade_ &= kEachFace * ((1u << same) - 1);
    count_ = n;
    for (int k = same; k < n; ++k) takenBefore_[size_t(k + 1)] = takenBefore_[size_t(k)] | blocks_[size_t(k)];
    taken_ = takenBefore_[size_t(n)];
    for (Axis& a : axes_) {
        a.taken = std::min(a.taken, same);
        if (a.cycleAt >= same) a.cycleAt = kBlocks;
    }
    if (lasts.empty()) {
        bits[0] = dropsAlong(2) || dropsAlong(0) || dropsAlong(1) ? kBuilt | kDropped : builds() ? kBuilt : 0;
        return;
    }
    // Most packings drop in with their own top up: that test is made ready once.
    const bool upright = dropsAlong(2);
    for (size_t i = 0; i < lasts.size(); ++i) {
        const uint64_t last = lasts[i] & inside_;
        if (n == kBlocks) {
            bits[i] = 0;  // no room for a ninth block
        } else if ((upright && !closes(2, last)) || dropsWith(0, last) || dropsWith(1, last)) {
            bits[i] = kBuilt | kDropped;
        } else {
            blocks_[size_t(n)] = last;
            overMade_ &= ~(kEachFace << n);
            cellsMade_ &= ~(kEachFace << n);
            count_ = n + 1;
            bits[i] = builds() ? kBuilt : 0;
            count_ = n;
        }
    }
}

bool AssemblyJudge::builds() {
    for (int i = 0; i < kFaces; ++i) {
        const int f = (lastFace_ + i) % kFaces;
        if (buildsWith(f)) {
            lastFace_ = f;
            return true;
        }
    }
    return false;
}

// Straight drops load the blocks in some order exactly when "lies beyond" has no
// cycle. A new block closes one when some block beyond it, or one that must go
// in after that one, lies short of it; and a block that must go in before the
// new one must go in before all that must follow it too.
bool AssemblyJudge::dropsAlong(int axis) {
    Axis& a = axes_[size_t(axis)];
    for (; a.taken < count_ && a.cycleAt == kBlocks; ++a.taken) {
        const int k = a.taken;
        const uint64_t m = blocks_[size_t(k)];
        const uint64_t high = beyond(m, axis, true), low = beyond(m, axis, false);
        const std::array<uint64_t, kBlocks>& was = a.after[size_t(k)];
        std::array<uint64_t, kBlocks>& now = a.after[size_t(k + 1)];
        // With nothing beyond it on a side, that side's half of the work is none.
        const uint64_t before = takenBefore_[size_t(k)];
        uint64_t mine = m;
        if ((high & before) != 0) {
            bool cycle = false;
            for (int j = 0; j < k; ++j) {
                const bool over = (blocks_[size_t(j)] & high) != 0;
                cycle |= over & ((was[size_t(j)] & low) != 0);
                mine |= over ? was[size_t(j)] : 0;
            }
            if (cycle) {
                a.cycleAt = k;
                break;
            }
        }
        if ((low & before) != 0)
            for (int j = 0; j < k; ++j) now[size_t(j)] = was[size_t(j)] | ((was[size_t(j)] & low) != 0 ? mine : 0);
        else
            std::copy(was.begin(), was.begin() + k, now.begin());
        now[size_t(k)] = mine;
    }
    return a.cycleAt == kBlocks;
}

bool AssemblyJudge::dropsWith(int axis, uint64_t last) { return dropsAlong(axis) && !closes(axis, last); }

bool AssemblyJudge::closes(int axis, uint64_t last) const {
    const std::array<uint64_t, kBlocks>& after = axes_[size_t(axis)].after[size_t(count_)];
    const uint64_t high = beyond(last, axis, true), low = beyond(last, axis, false);
    // Nothing beyond it on one side: no cycle through it.
    if ((high & taken_) == 0 || (low & taken_) == 0) return false;
    bool cycle = false;
    for (int j = 0; j < count_; ++j) cycle |= ((blocks_[size_t(j)] & high) != 0) & ((after[size_t(j)] & low) != 0);
    return cycle;
}

bool AssemblyJudge::holds(const Stuck& set) const {
    if (set.count == 0 || (set.all & ~occupied_) != 0) return false;
    for (int i = 0; i < set.count; ++i) {
        bool found = false;
        for (int b = 0; b < count_; ++b) found |= blocks_[size_t(b)] == set.cells[size_t(i)];
        if (!found) return false;
    }
    return true;
}

bool AssemblyJudge::buildsWith(int face) {
    occupied_ = 0;
    for (int b = 0; b < count_; ++b) occupied_ |= blocks_[size_t(b)];
    for (const Stuck& st : stuck_[size_t(face)])
        if (holds(st)) return false;
    // Each block's cells beyond it and its cells turned, per face, made once while it stays.
    std::array<Turned, kBlocks>& turnedBlock = turnedBlock_[size_t(face)];
    const unsigned all = (1u << count_) - 1;
    for (unsigned s = all & ~unsigned(overMade_ >> (8 * face)); s != 0; s &= s - 1) {
        const int b = std::countr_zero(s);
        turnedBlock[size_t(b)].over = beyond(blocks_[size_t(b)], kFaceAxis[face], kFaceHigh[face]);
    }
    overMade_ |= uint64_t(all) << (8 * face);
    uint64_t occupied = 0;
    unsigned left = 0;
    for (int b = 0; b < count_; ++b) {
        if (blocks_[size_t(b)] == 0) continue;
        occupied |= blocks_[size_t(b)];
        left |= 1u << b;
    }
    for (bool more = true; more;) {
        more = false;
        for (unsigned s = left; s != 0; s &= s - 1) {
            const int b = std::countr_zero(s);
            if ((turnedBlock[size_t(b)].over & occupied) == 0) left &= ~(1u << b), occupied &= ~blocks_[size_t(b)], more = true;
        }
    }
    if (left == 0) return true;

    // What is left is the same set of places in many packings.
    Memo key;
    key.face = uint8_t(face);
    std::array<int, kBlocks> at{};  // block of each key cell
    for (unsigned s = left; s != 0; s &= s - 1) {
        // Kept in order as they come: a few blocks, so an insertion sort.
        const int b = std::countr_zero(s);
        int i = key.count++;
        for (; i > 0 && key.cells[size_t(i - 1)] > blocks_[size_t(b)]; --i)
            key.cells[size_t(i)] = key.cells[size_t(i - 1)], at[size_t(i)] = at[size_t(i - 1)];
        key.cells[size_t(i)] = blocks_[size_t(b)];
        at[size_t(i)] = b;
    }
    Memo& last = lastCore_[size_t(face)];
    if (last.count == key.count && last.cells == key.cells) return last.built;
    uint64_t hash = uint64_t(face) + 1;
    for (int i = 0; i < key.count; ++i) hash = (hash ^ key.cells[size_t(i)]) * 0x9E3779B97F4A7C15ull;
    if (memo_.empty()) memo_.resize(size_t(1) << kMemoBits);
    Memo& slot = memo_[size_t(hash >> (64 - kMemoBits))];
    if (slot.count == key.count && slot.face == key.face && slot.cells == key.cells) {
        last = slot;
        return slot.built;
    }

    std::array<uint64_t, kBlocks> turned{};
    for (int i = 0; i < key.count; ++i) {
        const int b = at[size_t(i)];
        Turned& t = turnedBlock[size_t(b)];
        if ((cellsMade_ >> (8 * face + b) & 1) == 0) {
            t.cells = 0;
            for (uint64_t r = blocks_[size_t(b)]; r != 0; r &= r - 1)
                t.cells |= uint64_t(1) << turnCell_[size_t(face)][size_t(std::countr_zero(r))];
            cellsMade_ |= uint64_t(1) << (8 * face + b);
        }
        turned[size_t(i)] = t.cells;
    }
    const unsigned held = takesOut(face, turned.data(), key.count);
    key.built = held == 0;
    if (held != 0) {
        uint8_t& next = stuckNext_[size_t(face)];
        Stuck& stuckNow = stuck_[size_t(face)][next];
        next = uint8_t((next + 1) % kStuckKept);
        stuckNow.count = 0, stuckNow.all = 0;
        for (unsigned s = held; s != 0; s &= s - 1) {
            stuckNow.all |= key.cells[size_t(std::countr_zero(s))];
            stuckNow.cells[size_t(stuckNow.count++)] = key.cells[size_t(std::countr_zero(s))];
        }
    }
    slot = last = key;
    return key.built;
}

// Taking out is loading run backwards, and a block that can come out still can
// once others are out: any block that comes out may go first.
unsigned AssemblyJudge::takesOut(int face, const uint64_t* cells, int count) const {
    uint64_t occupied = 0;
    for (int i = 0; i < count; ++i) occupied |= cells[i];
    unsigned left = (1u << count) - 1;
    for (;;) {
        for (bool more = true; more;) {
            more = false;
            for (unsigned s = left; s != 0; s &= s - 1) {
                const int b = std::countr_zero(s);
                if ((beyond(cells[b], 2, true) & occupied) == 0) left &= ~(1u << b), occupied &= ~cells[b], more = true;
            }
        }
        if (left == 0) return 0;
        bool moved = false;
        for (unsigned s = left; s != 0; s &= s - 1) {
            const int b = std::countr_zero(s);
            if (escapes(cells[b], occupied & ~cells[b], face)) left &= ~(1u << b), occupied &= ~cells[b], moved = true;
        }
        if (!moved) return left;
    }
}

// Whether a block gets from its place to above the box by unit steps past `others`.
bool AssemblyJudge::escapes(uint64_t block, uint64_t others, int face) const {
    const BoxSize box = turnedBox_[size_t(face)];
    const int top = box.z;
    // Not one step anywhere: most blocks held under others end here.
    const uint64_t lastX = kPlaneX0 << (box.x - 1), lastY = kPlaneY0 << (4 * (box.y - 1));
    const bool step = ((block << 16) & others) == 0 || ((block & kLayer0) == 0 && ((block >> 16) & others) == 0) ||
                      ((block & lastX) == 0 && ((block << 1) & others) == 0) ||
                      ((block & kPlaneX0) == 0 && ((block >> 1) & others) == 0) ||
                      ((block & lastY) == 0 && ((block << 4) & others) == 0) ||
                      ((block & kPlaneY0) == 0 && ((block >> 4) & others) == 0);
    if (!step) return false;
    // Most ways out are one step aside and then straight up.
    const auto outFrom = [&](uint64_t at) { return ((at | beyond(at, 2, true)) & others) == 0; };
    if (((block & lastX) == 0 && outFrom(block << 1)) || ((block & kPlaneX0) == 0 && outFrom(block >> 1)) ||
        ((block & lastY) == 0 && outFrom(block << 4)) || ((block & kPlaneY0) == 0 && outFrom(block >> 4)))
        return true;

    // Where the block fits, per height of its lowest cell: bit (x + 3) + 8 (y + 3)
    // for its lowest corner at (x, y), as Loading::extra maps it.
    const uint64_t free = turnedInside_[size_t(face)] & ~others;
    std::array<uint64_t, kGrid> layer{};
    for (int z = 0; z < top; ++z) layer[size_t(z)] = spread(free >> (16 * z) & kLayer0);
    int px = kGrid, py = kGrid;
    const int pz = std::countr_zero(block) >> 4;
    for (uint64_t r = block; r != 0; r &= r - 1) {
        const int c = std::countr_zero(r);
        px = std::min(px, c & 3), py = std::min(py, (c >> 2) & 3);
    }
    const uint64_t shape = block >> (px + 4 * py + 16 * pz);
    std::array<uint64_t, kGrid> fits{}, reach{};
    for (int h = 0; h < top; ++h) {
        uint64_t f = ~uint64_t(0);
        for (uint64_t r = shape; r != 0; r &= r - 1) {
            const int c = std::countr_zero(r);
            const int z = (c >> 4) + h;
            if (z < top) f &= layer[size_t(z)] << ((3 - (c & 3)) + 8 * (3 - ((c >> 2) & 3)));
        }
        fits[size_t(h)] = f;
    }
    // Flooded from its place until it stands at the top height, whence it lifts out.
    reach[size_t(pz)] = uint64_t(1) << (px + 3 + 8 * (py + 3));
    for (;;) {
        if (reach[size_t(top - 1)] != 0) return true;
        bool more = false;
        for (int h = 0; h < top; ++h) {
            uint64_t g = reach[size_t(h)] | sideways(reach[size_t(h)]);
            if (h + 1 < top) g |= reach[size_t(h + 1)];
            if (h > 0) g |= reach[size_t(h - 1)];
            g &= fits[size_t(h)];
            if (g != reach[size_t(h)]) reach[size_t(h)] = g, more = true;
        }
        if (!more) return false;
    }
}

}  // namespace tessaro::analysis
