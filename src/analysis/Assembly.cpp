#include "analysis/Assembly.h"
#include "analysis/CellPlanes.h"

#include <algorithm>
#include <bit>

namespace tessaro::analysis {

namespace {

// A block's places as 8x8 maps, one per height: bit (x + 3) + 8 (y + 3) stands for
// the block moved by (x, y), so every move that keeps a cell over the box fits.
constexpr uint64_t kColumn0 = 0x0101010101010101ull;
constexpr uint64_t kColumn7 = kColumn0 << 7;
constexpr int kLayers = kGrid + 1;  // heights 0..box height; the last is wholly above the box
using Layers = std::array<uint64_t, kLayers>;

// The 16 cells of one box layer (x + 4y) as an 8x8 map (x + 8y).
uint64_t spread(uint64_t layer) {
    uint64_t out = 0;
    for (int y = 0; y < 4; ++y) out |= ((layer >> (4 * y)) & 0xF) << (8 * y);
    return out;
}

// Steps by one cell within a height, each direction.
uint64_t sideways(uint64_t m) { return ((m << 1) & ~kColumn0) | ((m >> 1) & ~kColumn7) | (m << 8) | (m >> 8); }

// One face up: the turned packing and the ways of its blocks into the box.
class Loading {
public:
    Loading(BoxSize box, const Packing& packing) : box_(box), packing_(packing) {
        const uint64_t inside = boxCells(box);
        for (int b = 0; b < kBlocks; ++b) {
            const uint64_t m = packing[size_t(b)] & inside;
            if (m == 0) continue;
            blocks_ |= uint8_t(1u << b);
            Place& p = place_[size_t(b)];
            p.x = p.y = p.z = kGrid;
            for (uint64_t r = m; r != 0; r &= r - 1) {
                const int c = std::countr_zero(r);
                p.x = std::min(p.x, c & 3), p.y = std::min(p.y, (c >> 2) & 3), p.z = std::min(p.z, c >> 4);
            }
            p.shape = m >> (p.x + 4 * p.y + 16 * p.z);
            // The cells a straight drop passes through, its own included.
            p.sweep = m | m << 16 | m << 32 | m << 48;
        }
    }

    uint8_t blocks() const { return blocks_; }
    uint64_t cells(uint8_t set) const {
        uint64_t out = 0;
        for (unsigned s = set; s != 0; s &= s - 1) out |= packing_[size_t(std::countr_zero(s))];
        return out;
    }
    bool drops(int b, uint64_t others) const { return (place_[size_t(b)].sweep & others) == 0; }

    // The fewest steps beyond a straight drop that bring block b to its place
    // past `others`, with the way in when asked; -1 when it cannot get there.
    int extra(int b, uint64_t others, std::vector<Offset>* path = nullptr) const {
        const Place& p = place_[size_t(b)];
        const int top = box_.z;
        const uint64_t free = boxCells(box_) & ~others;
        Layers fits{};
        for (int h = 0; h < top; ++h) {
            uint64_t f = ~uint64_t(0);
            for (uint64_t r = p.shape; r != 0; r &= r - 1) {
                const int c = std::countr_zero(r);
                const int cx = c & 3, cy = (c >> 2) & 3, z = (c >> 4) + h;
                if (z < top) f &= spread(free >> (16 * z) & 0xFFFF) << ((3 - cx) + 8 * (3 - cy));
            }
            fits[size_t(h)] = f;
        }
        fits[size_t(top)] = ~uint64_t(0);
        const uint64_t goal = uint64_t(1) << (p.x + 3 + 8 * (p.y + 3));
        if ((fits[size_t(p.z)] & goal) == 0) return -1;  // its place is taken

        // Breadth first over every place at once, a height a word.
        Layers reached{}, front{};
        reached[size_t(top)] = front[size_t(top)] = ~uint64_t(0);
        std::vector<Layers> fronts;
        if (path) fronts.push_back(front);
        for (int steps = 1;; ++steps) {
            Layers next{};
            uint64_t any = 0;
            for (int h = 0; h < top; ++h) {
                uint64_t grow = sideways(front[size_t(h)]) | front[size_t(h + 1)];
                if (h > 0) grow |= front[size_t(h - 1)];
                next[size_t(h)] = grow & fits[size_t(h)] & ~reached[size_t(h)];
                any |= next[size_t(h)];
            }
            if (any == 0) return -1;
            for (int h = 0; h < top; ++h) reached[size_t(h)] |= next[size_t(h)];
            front = next;
            if (path) fronts.push_back(front);
            if ((next[size_t(p.z)] & goal) != 0) {
                if (path) *path = wayBack(fronts, p, goal);
                return steps - (top - p.z);
            }
        }
    }

private:
    struct Place {
        uint64_t shape = 0;  // at the origin
        uint64_t sweep = 0;
        int x = 0, y = 0, z = 0;  // the lowest corner of its place
    };

    // From the goal back through the fronts, a step up preferred, then the offsets in order.
    std::vector<Offset> wayBack(const std::vector<Layers>& fronts, const Place& p, uint64_t goal) const {
        int h = p.z, bit = std::countr_zero(goal);
        std::vector<Offset> out;
        const auto add = [&] {
            out.push_back({int8_t((bit & 7) - 3 - p.x), int8_t((bit >> 3) - 3 - p.y), int8_t(h - p.z)});
        };
        add();
        for (size_t k = fronts.size() - 1; k-- > 0;) {
            const Layers& f = fronts[k];
            const auto has = [&](int hh, int bb) { return hh >= 0 && hh <= box_.z && bb >= 0 && bb < 64 && (f[size_t(hh)] >> bb & 1); };
            const int x = bit & 7;
            if (has(h + 1, bit)) ++h;
            else if (has(h - 1, bit)) --h;
            else if (x < 7 && has(h, bit + 1)) ++bit;
            else if (x > 0 && has(h, bit - 1)) --bit;
            else if (has(h, bit + 8)) bit += 8;
            else bit -= 8;
            add();
        }
        std::reverse(out.begin(), out.end());
        return out;
    }

    BoxSize box_;
    Packing packing_;
    uint8_t blocks_ = 0;
    std::array<Place, kBlocks> place_{};
};

// Takes out every block that lifts straight out of `left`; what stays.
uint8_t liftAll(const Loading& l, uint8_t left) {
    for (bool more = true; more;) {
        more = false;
        for (unsigned s = left; s != 0; s &= s - 1) {
            const int b = std::countr_zero(s);
            if (l.drops(b, l.cells(uint8_t(left & ~(1u << b))))) left = uint8_t(left & ~(1u << b)), more = true;
        }
    }
    return left;
}

// Taking blocks out is the loading run backwards, and a block that can come out
// still can once others are out: so taking out any block that can come out
// never spoils the rest, and the blocks left when none can are stuck for good.
uint8_t takeOutAll(const Loading& l, uint8_t left) {
    for (bool more = true; more;) {
        more = false;
        left = liftAll(l, left);
        for (unsigned s = left; s != 0; s &= s - 1) {
            const int b = std::countr_zero(s);
            if (l.extra(b, l.cells(uint8_t(left & ~(1u << b)))) >= 0) {
                left = uint8_t(left & ~(1u << b));
                more = true;
                break;
            }
        }
    }
    return left;
}

// The plan of one face: the lowest level first, by always taking out the block
// that costs least (costs only fall as blocks come out); then the fewest blocks
// beyond a drop at that level, over the sets of blocks still in.
struct FacePlan {
    bool ok = false;
    int level = 0;
    int notDropped = 0;
    std::vector<int> takeOut;  // blocks in the order they come out
    uint8_t stuck = 0;
};

FacePlan planFace(const Loading& l) {
    FacePlan plan;
    uint8_t left = l.blocks();
    while (left != 0) {
        left = liftAll(l, left);
        if (left == 0) break;
        int best = -1, cost = 0;
        for (unsigned s = left; s != 0; s &= s - 1) {
            const int b = std::countr_zero(s);
            const int e = l.extra(b, l.cells(uint8_t(left & ~(1u << b))));
            if (e >= 0 && (best < 0 || e < cost)) best = b, cost = e;
        }
        if (best < 0) {
            plan.stuck = left;
            return plan;
        }
        plan.level = std::max(plan.level, cost);
        left = uint8_t(left & ~(1u << best));
    }
    plan.ok = true;

    // fewest[s]: blocks beyond a drop to take out the set s, lifted ones gone; -1 not yet known.
    std::array<int8_t, 256> fewest;
    std::array<int8_t, 256> choice{};
    fewest.fill(-1);
    constexpr int8_t kNever = 100;
    const auto solve = [&](auto&& self, uint8_t s) -> int {
        if (s == 0) return 0;
        if (fewest[s] >= 0) return fewest[s];
        int best = kNever;
        for (unsigned r = s; r != 0; r &= r - 1) {
            const int b = std::countr_zero(r);
            const int e = l.extra(b, l.cells(uint8_t(s & ~(1u << b))));
            if (e < 0 || e > plan.level) continue;
            const int n = 1 + self(self, liftAll(l, uint8_t(s & ~(1u << b))));
            if (n < best) best = n, choice[s] = int8_t(b);
        }
        fewest[s] = int8_t(best);
        return best;
    };
    left = liftAll(l, l.blocks());
    plan.notDropped = solve(solve, left);

    // The order out: lifts first, then the chosen block, again.
    left = l.blocks();
    while (left != 0) {
        const uint8_t lifted = liftAll(l, left);
        // The lifts in the order they can go, top blocks first.
        for (uint8_t s = left; s != lifted;) {
            for (unsigned r = uint8_t(s & ~lifted); r != 0; r &= r - 1) {
                const int b = std::countr_zero(r);
                if (l.drops(b, l.cells(uint8_t(s & ~(1u << b))))) {
                    plan.takeOut.push_back(b);
                    s = uint8_t(s & ~(1u << b));
                    break;
                }
            }
        }
        left = lifted;
        if (left == 0) break;
        const int b = choice[left];
        plan.takeOut.push_back(b);
        left = uint8_t(left & ~(1u << b));
    }
    return plan;
}

// Face turns: new coordinate i is old coordinate axis[i], reversed where sign is -1.
constexpr std::array<Rotation, kFaces> kFaceTurns = {{
    {{0, 1, 2}, {1, 1, 1}},    // +z
    {{0, 1, 2}, {1, -1, -1}},  // -z
    {{2, 1, 0}, {-1, 1, 1}},   // +x
    {{2, 1, 0}, {1, 1, -1}},   // -x
    {{0, 2, 1}, {1, -1, 1}},   // +y
    {{0, 2, 1}, {1, 1, -1}},   // -y
}};

}  // namespace

const char* upFaceName(UpFace face) {
    static constexpr const char* names[kFaces] = {"+z", "-z", "+x", "-x", "+y", "-y"};
    return names[size_t(face)];
}

AssemblyCheck::AssemblyCheck(BoxSize box) : box_(box) {
    const int size[3] = {box.x, box.y, box.z};
    for (int f = 0; f < kFaces; ++f) {
        const Rotation& r = kFaceTurns[size_t(f)];
        turns_.emplace_back(r, box);
        turnedBox_[size_t(f)] = {size[r.axis[0]], size[r.axis[1]], size[r.axis[2]]};
    }
}

Packing AssemblyCheck::turned(const Packing& packing, UpFace face) const {
    Packing out{};
    const uint64_t inside = boxCells(box_);
    for (int b = 0; b < kBlocks; ++b) out[size_t(b)] = turns_[size_t(face)].apply(packing[size_t(b)] & inside);
    return out;
}

namespace {

// Whether straight drops along one axis load the packing: the blocks in some order
// where none lies above one loaded before it, that is when "lies above" has no
// cycle; turned over, the same blocks lie below, so one test serves both faces.
bool dropsAlong(const Packing& packing, int axis) {
    std::array<uint64_t, kBlocks> beyond{};
    uint8_t left = 0;
    for (int b = 0; b < kBlocks; ++b) {
        uint64_t s = packing[size_t(b)];
        if (s == 0) continue;
        left = uint8_t(left | 1u << b);
        for (int k = 0; k < 3; ++k)
            s |= axis == 0 ? (s << 1) & ~kPlaneX0 : axis == 1 ? (s << 4) & ~kPlaneY0 : s << 16;
        beyond[size_t(b)] = s & ~packing[size_t(b)];
    }
    std::array<uint8_t, kBlocks> above{};
    for (unsigned r = left; r != 0; r &= r - 1) {
        const int b = std::countr_zero(r);
        for (unsigned q = left; q != 0; q &= q - 1) {
            const int a = std::countr_zero(q);
            if ((beyond[size_t(b)] & packing[size_t(a)]) != 0) above[size_t(b)] = uint8_t(above[size_t(b)] | 1u << a);
        }
    }
    for (bool more = true; more && left != 0;) {
        more = false;
        for (unsigned r = left; r != 0; r &= r - 1) {
            const int b = std::countr_zero(r);
            if ((above[size_t(b)] & left) == 0) left = uint8_t(left & ~(1u << b)), more = true;
        }
    }
    return left == 0;
}

}  // namespace

AssemblyVerdict AssemblyCheck::verdict(const Packing& packing) const {
    Packing inBox = packing;
    const uint64_t inside = boxCells(box_);
    for (uint64_t& m : inBox) m &= inside;
    if (dropsAlong(inBox, 2) || dropsAlong(inBox, 0) || dropsAlong(inBox, 1)) return {true, true};
    for (int f = 0; f < kFaces; ++f) {
        const Loading l(turnedBox_[size_t(f)], turned(inBox, UpFace(f)));
        if (takeOutAll(l, l.blocks()) == 0) return {true, false};
    }
    return {};
}

AssemblyResult AssemblyCheck::checkFace(const Packing& packing, UpFace face) const {
    AssemblyResult out;
    out.up = face;
    out.box = turnedBox_[size_t(face)];
    out.packing = turned(packing, face);
    out.faceLevel.fill(-1);
    const Loading l(out.box, out.packing);
    const FacePlan plan = planFace(l);
    out.assemblable = plan.ok;
    out.stuck = plan.stuck;
    if (!plan.ok) return out;
    out.level = plan.level;
    out.notDropped = plan.notDropped;
    out.dropOnly = plan.level == 0;
    out.faceLevel[size_t(face)] = plan.level;
    uint8_t in = 0;
    for (auto it = plan.takeOut.rbegin(); it != plan.takeOut.rend(); ++it) {
        AssemblyStep step;
        step.block = *it;
        step.extra = l.extra(*it, l.cells(in), &step.path);
        in = uint8_t(in | 1u << *it);
        out.order.push_back(std::move(step));
    }
    return out;
}

AssemblyResult AssemblyCheck::check(const Packing& packing) const {
    std::array<int, kFaces> levels;
    AssemblyResult best;
    bool have = false;
    const auto better = [](const AssemblyResult& a, const AssemblyResult& b) {
        if (a.assemblable != b.assemblable) return a.assemblable;
        if (!a.assemblable) return std::popcount(a.stuck) < std::popcount(b.stuck);
        if (a.level != b.level) return a.level < b.level;
        return a.notDropped < b.notDropped;
    };
    for (int f = 0; f < kFaces; ++f) {
        AssemblyResult r = checkFace(packing, UpFace(f));
        levels[size_t(f)] = r.assemblable ? r.level : -1;
        if (!have || better(r, best)) best = std::move(r), have = true;
    }
    best.faceLevel = levels;
    return best;
}

AssemblyResult checkAssembly(const Packing& packing, BoxSize box) { return AssemblyCheck(box).check(packing); }

std::string upFaceText(UpFace face) {
    static constexpr const char* texts[kFaces] = {
        "z の大きい側（そのまま）", "z の小さい側（箱を裏返す）", "x の大きい側", "x の小さい側",
        "y の大きい側", "y の小さい側"};
    return texts[size_t(face)];
}

std::string blocksText(uint8_t blocks) {
    std::string out = "ブロック ";
    for (unsigned s = blocks; s != 0; s &= s - 1) {
        if (s != blocks) out += "、";
        out += std::to_string(std::countr_zero(s) + 1);
    }
    return out;
}

std::vector<AssemblyFrame> assemblyFrames(const AssemblyResult& r) {
    std::vector<AssemblyFrame> out;
    for (size_t k = 0; k < r.order.size(); ++k) {
        const AssemblyStep& s = r.order[k];
        if (s.extra > 0) {
            int lowest = kGrid;
            for (uint64_t m = r.packing[size_t(s.block)]; m != 0; m &= m - 1) lowest = std::min(lowest, std::countr_zero(m) >> 4);
            for (size_t i = 0; i + 1 < s.path.size(); ++i)
                if (lowest + s.path[i].z < r.box.z) out.push_back({int(k), s.path[i]});
        }
        out.push_back({int(k), Offset{}});
    }
    return out;
}

Packing frameCells(const AssemblyResult& r, const AssemblyFrame& frame) {
    Packing out{};
    for (int k = 0; k <= frame.step && k < int(r.order.size()); ++k) {
        const int b = r.order[size_t(k)].block;
        const Offset at = k == frame.step ? frame.at : Offset{};
        for (uint64_t m = r.packing[size_t(b)]; m != 0; m &= m - 1) {
            const int c = std::countr_zero(m);
            const int x = (c & 3) + at.x, y = ((c >> 2) & 3) + at.y, z = (c >> 4) + at.z;
            if (x >= 0 && x < r.box.x && y >= 0 && y < r.box.y && z >= 0 && z < r.box.z) out[size_t(b)] |= bitOf(x, y, z);
        }
    }
    return out;
}

}  // namespace tessaro::analysis
