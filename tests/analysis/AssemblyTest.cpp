// Loading a packing into the open box: hand-built cases, the six faces, and an
// independent brute force over every order and every block position.
#include "AnalysisTestUtil.h"
#include "analysis/Assembly.h"
#include "analysis/AssemblyCount.h"
#include "analysis/AssemblyJudge.h"
#include "solver/RandomCut.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <map>
#include <numeric>
#include <queue>
#include <random>
#include <set>

using namespace tessaro;
using namespace tessaro::analysis;

namespace {

using Cells = std::vector<std::array<int, 3>>;

uint64_t mask(const Cells& cells) {
    uint64_t m = 0;
    for (const auto& c : cells) m |= bitOf(c[0], c[1], c[2]);
    return m;
}

Packing packingOf(const std::vector<Cells>& blocks) {
    Packing p{};
    for (size_t b = 0; b < blocks.size(); ++b) p[b] = mask(blocks[b]);
    return p;
}

// Replays an order in the turned box: each way starts wholly above the box, moves a
// cell at a time through cells that are free, and ends at the block's place.
void expectPlayable(const AssemblyResult& r) {
    ASSERT_TRUE(r.assemblable);
    const BoxSize box = r.box;
    uint64_t in = 0;
    int worst = 0, beyondDrop = 0;
    for (const AssemblyStep& s : r.order) {
        SCOPED_TRACE("block " + std::to_string(s.block + 1));
        const uint64_t place = r.packing[size_t(s.block)];
        ASSERT_NE(place, 0u);
        ASSERT_FALSE(s.path.empty());
        EXPECT_EQ(s.path.back(), Offset{});
        int lowest = 4;
        for (uint64_t m = place; m != 0; m &= m - 1) lowest = std::min(lowest, std::countr_zero(m) >> 4);
        EXPECT_EQ(s.path.front().z, box.z - lowest) << "does not start just above the box";
        for (size_t k = 0; k < s.path.size(); ++k) {
            const Offset o = s.path[k];
            if (k > 0) {
                const Offset q = s.path[k - 1];
                EXPECT_EQ(std::abs(o.x - q.x) + std::abs(o.y - q.y) + std::abs(o.z - q.z), 1);
            }
            for (uint64_t m = place; m != 0; m &= m - 1) {
                const int c = std::countr_zero(m);
                const int x = (c & 3) + o.x, y = ((c >> 2) & 3) + o.y, z = (c >> 4) + o.z;
                if (z >= box.z) continue;
                ASSERT_TRUE(x >= 0 && x < box.x && y >= 0 && y < box.y && z >= 0) << "through a wall at step " << k;
                EXPECT_EQ(in & bitOf(x, y, z), 0u) << "through a block at step " << k;
            }
        }
        const int extra = int(s.path.size()) - 1 - (box.z - lowest);
        EXPECT_EQ(s.extra, extra);
        worst = std::max(worst, extra);
        beyondDrop += extra > 0;
        in |= place;
    }
    int blocks = 0;
    for (uint64_t m : r.packing) blocks += m != 0;
    EXPECT_EQ(int(r.order.size()), blocks);
    EXPECT_EQ(r.level, worst);
    EXPECT_EQ(r.notDropped, beyondDrop);
    EXPECT_EQ(r.dropOnly, worst == 0);
}

TEST(Assembly, SlabsDropInBottomFirst) {
    const Packing p = packingOf({{{0, 0, 1}, {1, 0, 1}, {0, 1, 1}, {1, 1, 1}}, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}});
    const AssemblyResult r = AssemblyCheck({2, 2, 2}).checkFace(p, UpFace::PlusZ);
    expectPlayable(r);
    EXPECT_TRUE(r.dropOnly);
    ASSERT_EQ(r.order.size(), 2u);
    EXPECT_EQ(r.order[0].block, 1);
    EXPECT_EQ(r.order[0].path, (std::vector<Offset>{{0, 0, 2}, {0, 0, 1}, {0, 0, 0}}));
    EXPECT_EQ(r.order[1].block, 0);
    EXPECT_TRUE(AssemblyCheck({2, 2, 2}).verdict(p).dropOnly);
}

// Two blocks that each reach over the other fill a 2x2x2 corner; a free column beside
// lets one of them slide sideways under the other's overhang.
const std::vector<Cells> kHooks = {{{0, 0, 1}, {1, 0, 1}, {1, 0, 0}, {1, 1, 0}}, {{0, 0, 0}, {0, 1, 0}, {0, 1, 1}, {1, 1, 1}}};

// Two blocks filling a 3x2x2 box, each reaching over the other along every axis.
const std::vector<Cells> kLocked = {{{0, 0, 0}, {2, 0, 0}, {0, 1, 0}, {2, 0, 1}, {0, 1, 1}, {1, 1, 1}, {2, 1, 1}},
                                    {{1, 0, 0}, {1, 1, 0}, {2, 1, 0}, {0, 0, 1}, {1, 0, 1}}};

TEST(Assembly, SlideUnderAnOverhang) {
    const Packing p = packingOf(kHooks);
    const AssemblyCheck check({3, 2, 2});
    const AssemblyResult r = check.checkFace(p, UpFace::PlusZ);
    expectPlayable(r);
    EXPECT_EQ(r.level, 1);
    EXPECT_EQ(r.notDropped, 1);
    // The one that slides goes in last, its way ending in a step along x.
    const AssemblyStep& last = r.order.back();
    EXPECT_EQ(last.block, 0);
    const Offset before = last.path[last.path.size() - 2];
    EXPECT_EQ(before, (Offset{1, 0, 0}));
    EXPECT_FALSE(r.dropOnly);
}

// ---- the brute force: every order, every position, the up side as a direction ----

struct Direction {
    int axis;  // 0 x, 1 y, 2 z
    int sign;  // +1: the box is open on the side of high coordinates
};
constexpr std::array<Direction, kFaces> kUp = {{{2, 1}, {2, -1}, {0, 1}, {0, -1}, {1, 1}, {1, -1}}};

using Point = std::array<int, 3>;

struct Brute {
    int size[3];
    std::vector<std::vector<Point>> blocks;

    bool open(const Point& c, Direction up) const {
        return up.sign > 0 ? c[size_t(up.axis)] >= size[up.axis] : c[size_t(up.axis)] < 0;
    }
    bool inside(const Point& c) const {
        for (int i = 0; i < 3; ++i)
            if (c[size_t(i)] < 0 || c[size_t(i)] >= size[i]) return false;
        return true;
    }
    // Extra steps for block b to reach its place past the cells `taken`; -1 if it cannot.
    int extra(int b, const std::set<Point>& taken, Direction up) const {
        const int r = 4, w = 2 * r + 1;
        const auto id = [&](const Point& t) { return size_t((t[0] + r) + w * ((t[1] + r) + w * (t[2] + r))); };
        // Per position: 0 wall or block, 1 free, 2 wholly outside on the open side.
        const auto state = [&](const Point& t) {
            bool all = true;
            for (const Point& c : blocks[size_t(b)]) {
                const Point m{c[0] + t[0], c[1] + t[1], c[2] + t[2]};
                if (open(m, up)) continue;
                all = false;
                if (!inside(m) || taken.count(m)) return 0;
            }
            return all ? 2 : 1;
        };
        std::vector<int> kind(size_t(w * w * w)), dist(size_t(w * w * w), -1);
        std::queue<Point> q;
        for (int x = -r; x <= r; ++x)
            for (int y = -r; y <= r; ++y)
                for (int z = -r; z <= r; ++z) {
                    kind[id({x, y, z})] = state({x, y, z});
                    if (kind[id({x, y, z})] == 2) dist[id({x, y, z})] = 0, q.push({x, y, z});
                }
        while (!q.empty()) {
            const Point t = q.front();
            q.pop();
            for (int i = 0; i < 3; ++i)
                for (int s : {-1, 1}) {
                    Point n = t;
                    n[size_t(i)] += s;
                    if (n[size_t(i)] < -r || n[size_t(i)] > r || dist[id(n)] >= 0 || kind[id(n)] == 0) continue;
                    dist[id(n)] = dist[id(t)] + 1;
                    q.push(n);
                }
        }
        const int d = dist[id({0, 0, 0})];
        if (d < 0) return -1;
        int drop = 0;  // straight out along the up direction until wholly outside
        for (Point t{0, 0, 0}; state(t) != 2; t[size_t(up.axis)] += up.sign) ++drop;
        return d - drop;
    }
};

struct BruteFace {
    bool ok = false;
    int level = 0, notDropped = 0;
};

// Over every order of the blocks: the lowest level, then the fewest blocks beyond a drop.
BruteFace bruteFace(const Brute& br, Direction up) {
    std::vector<int> order(br.blocks.size());
    std::iota(order.begin(), order.end(), 0);
    std::map<std::pair<int, uint32_t>, int> memo;
    BruteFace best;
    do {
        std::set<Point> taken;
        uint32_t in = 0;
        BruteFace f{true, 0, 0};
        for (int b : order) {
            const auto key = std::pair{b, in};
            if (!memo.count(key)) memo[key] = br.extra(b, taken, up);
            const int e = memo[key];
            if (e < 0) {
                f.ok = false;
                break;
            }
            f.level = std::max(f.level, e);
            f.notDropped += e > 0;
            for (const Point& c : br.blocks[size_t(b)]) taken.insert(c);
            in |= 1u << b;
        }
        if (f.ok && (!best.ok || std::pair{f.level, f.notDropped} < std::pair{best.level, best.notDropped})) best = f;
    } while (std::next_permutation(order.begin(), order.end()));
    return best;
}

// A box cut at random into face-connected blocks by growing them from seeds; a few cells stay empty.
std::vector<std::vector<Point>> randomCut(std::mt19937& rng, int sx, int sy, int sz, int count, int empties) {
    std::vector<int> owner(size_t(sx * sy * sz), -1);
    const auto at = [&](int x, int y, int z) { return x + sx * (y + sy * z); };
    std::vector<int> cells(owner.size());
    std::iota(cells.begin(), cells.end(), 0);
    for (size_t i = cells.size(); i > 1; --i) std::swap(cells[i - 1], cells[rng() % i]);
    for (int e = 0; e < empties; ++e) owner[size_t(cells[size_t(e)])] = -2;
    for (int b = 0; b < count; ++b) owner[size_t(cells[size_t(empties + b)])] = b;
    for (bool grew = true; grew;) {
        grew = false;
        for (int tries = 0; tries < 200; ++tries) {
            const int c = int(rng() % owner.size());
            if (owner[size_t(c)] != -1) continue;
            const int x = c % sx, y = c / sx % sy, z = c / (sx * sy);
            const int n[6][3] = {{x - 1, y, z}, {x + 1, y, z}, {x, y - 1, z}, {x, y + 1, z}, {x, y, z - 1}, {x, y, z + 1}};
            const auto& k = n[rng() % 6];
            if (k[0] < 0 || k[0] >= sx || k[1] < 0 || k[1] >= sy || k[2] < 0 || k[2] >= sz) continue;
            const int o = owner[size_t(at(k[0], k[1], k[2]))];
            if (o >= 0) owner[size_t(c)] = o, grew = true;
        }
        if (!grew) grew = std::count(owner.begin(), owner.end(), -1) > 0 &&
                          std::any_of(owner.begin(), owner.end(), [](int o) { return o >= 0; }) && rng() % 8 != 0;
    }
    std::vector<std::vector<Point>> out(static_cast<size_t>(count));
    for (size_t c = 0; c < owner.size(); ++c)
        if (owner[c] >= 0) out[size_t(owner[c])].push_back({int(c) % sx, int(c) / sx % sy, int(c) / (sx * sy)});
    return out;
}

TEST(Assembly, AgreesWithEveryOrder) {
    std::mt19937 rng(34);
    const int boxes[][3] = {{2, 2, 2}, {3, 2, 2}, {2, 3, 2}, {3, 3, 2}, {2, 2, 3}, {3, 2, 3}, {3, 3, 3}};
    int dropped = 0, slid = 0;
    for (int round = 0; round < 70; ++round) {
        const auto& s = boxes[round % 7];
        Brute br{{s[0], s[1], s[2]}, randomCut(rng, s[0], s[1], s[2], 3 + int(rng() % 3), int(rng() % 3))};
        Packing p{};
        for (size_t b = 0; b < br.blocks.size(); ++b)
            for (const Point& c : br.blocks[b]) p[b] |= bitOf(c[0], c[1], c[2]);
        const AssemblyCheck check({s[0], s[1], s[2]});
        const AssemblyResult best = check.check(p);
        SCOPED_TRACE("round " + std::to_string(round));
        bool any = false, anyDrop = false;
        for (int f = 0; f < kFaces; ++f) {
            SCOPED_TRACE(upFaceName(UpFace(f)));
            const BruteFace want = bruteFace(br, kUp[size_t(f)]);
            const AssemblyResult got = check.checkFace(p, UpFace(f));
            ASSERT_EQ(got.assemblable, want.ok);
            EXPECT_EQ(best.faceLevel[size_t(f)], want.ok ? want.level : -1);
            if (!want.ok) continue;
            EXPECT_EQ(got.level, want.level);
            EXPECT_EQ(got.notDropped, want.notDropped);
            expectPlayable(got);
            any = true;
            anyDrop = anyDrop || want.level == 0;
            slid += want.level > 0;
        }
        const AssemblyVerdict v = check.verdict(p);
        EXPECT_EQ(v.assemblable, any);
        EXPECT_EQ(v.dropOnly, anyDrop);
        const AssemblyVerdict fast = AssemblyJudge({s[0], s[1], s[2]})(p);
        EXPECT_EQ(fast.assemblable, any);
        EXPECT_EQ(fast.dropOnly, anyDrop);
        EXPECT_EQ(best.assemblable, any);
        dropped += anyDrop;
    }
    // The cuts meet both kinds of way in.
    EXPECT_GT(dropped, 0);
    EXPECT_GT(slid, 0);
}

// The judge keeps what it learnt from the packings before (blocks stuck
// together, blocks turned per face) for the next; packings that no straight drop
// builds, in changing block orders, must still get the check's verdicts.
TEST(Assembly, KeptJudgeAgreesBeyondDrops) {
    std::mt19937 rng(3434);
    const BoxSize box{4, 4, 3};
    const AssemblyCheck check(box);
    AssemblyJudge judge(box);
    int slow = 0, refused = 0;
    for (int round = 0; round < 3000 && slow < 40; ++round) {
        const auto blocks = randomCut(rng, 4, 4, 3, 6 + int(rng() % 3), int(rng() % 4));
        Packing p{};
        for (size_t b = 0; b < blocks.size(); ++b)
            for (const Point& c : blocks[b]) p[b] |= bitOf(c[0], c[1], c[2]);
        const AssemblyVerdict want = check.verdict(p);
        if (want.dropOnly) continue;
        ++slow, refused += !want.assemblable;
        for (int turn = 0; turn < 3; ++turn) {
            SCOPED_TRACE("round " + std::to_string(round) + ", turn " + std::to_string(turn));
            const AssemblyVerdict got = judge(p);
            EXPECT_EQ(got.assemblable, want.assemblable);
            EXPECT_FALSE(got.dropOnly);
            std::rotate(p.begin(), p.begin() + 1, p.begin() + long(blocks.size()));
        }
    }
    EXPECT_GT(slow, 10);
    EXPECT_GT(refused, 0);
}

TEST(Assembly, LockedBlocksAreNamed) {
    const std::vector<Cells>& locked = kLocked;
    const AssemblyCheck check({3, 2, 2});
    const Packing p = packingOf(locked);
    const AssemblyResult r = check.check(p);
    EXPECT_FALSE(r.assemblable);
    EXPECT_FALSE(r.dropOnly);
    EXPECT_EQ(r.stuck, 0b11);
    EXPECT_TRUE(r.order.empty());
    EXPECT_EQ(r.faceLevel, (std::array<int, kFaces>{-1, -1, -1, -1, -1, -1}));
    EXPECT_FALSE(check.verdict(p).assemblable);
    Brute br{{3, 2, 2}, {}};
    for (const Cells& b : locked) br.blocks.push_back({b.begin(), b.end()});
    for (int f = 0; f < kFaces; ++f) EXPECT_FALSE(bruteFace(br, kUp[size_t(f)]).ok) << upFaceName(UpFace(f));

    // A third block standing free beside them: only the pair is named.
    Packing wider = p;
    wider[2] = bitOf(3, 0, 0);
    EXPECT_EQ(AssemblyCheck({4, 2, 2}).check(wider).stuck, 0b11);
}

TEST(Assembly, EachFaceUp) {
    // The hooks with a free column at x = 2: with z up or down one slides under the
    // other; with x or y up neither reaches over the other, and both drop in.
    const AssemblyCheck check({3, 2, 2});
    const Packing p = packingOf(kHooks);
    const AssemblyResult r = check.check(p);
    EXPECT_EQ(r.faceLevel, (std::array<int, kFaces>{1, 1, 0, 0, 0, 0}));
    for (int f = 0; f < kFaces; ++f) {
        SCOPED_TRACE(upFaceName(UpFace(f)));
        const AssemblyResult one = check.checkFace(p, UpFace(f));
        EXPECT_EQ(r.faceLevel[size_t(f)], one.assemblable ? one.level : -1);
        expectPlayable(one);
    }
    EXPECT_EQ(r.up, UpFace::PlusX);
    EXPECT_TRUE(r.dropOnly);
    expectPlayable(r);
    EXPECT_EQ(check.turnedBox(UpFace::PlusX).z, 3);
    EXPECT_EQ(check.turnedBox(UpFace::MinusY).z, 2);
}

// The count weighs each packing it judges by its share of a class; the browser's
// walk shows each class once. Both must give the same classes and the same
// verdicts, and the judge the check's, with blocks kept in the box too.
TEST(Assembly, CountsAgreeWithTheDistinctWalk) {
    struct Case {
        std::string name;
        Puzzle puzzle;
        bool fromBox = false;
    };
    std::vector<Case> puzzles;
    for (int blocks = 3; blocks <= 6; ++blocks)
        for (uint64_t seed = 1; seed <= 3; ++seed) {
            CutSpec cut;
            cut.cellsX = 3, cut.cellsY = seed == 3 ? 3 : 2, cut.cellsZ = 2 + int(seed % 2);
            cut.blocks = blocks, cut.seed = seed + 10;
            Puzzle p = cutBox(cut);
            if (blocks > 4) test::removeBlock(p, blocks - 1);  // cells to spare
            puzzles.push_back({std::to_string(blocks) + " blocks, seed " + std::to_string(seed), p});
        }
    const auto listed = [](const std::vector<Cells>& blocks) {
        std::vector<test::CellList> out;
        for (const Cells& b : blocks) out.push_back({b.begin(), b.end()});
        return out;
    };
    puzzles.push_back({"hooks", test::makePuzzle(3, 2, 2, listed(kHooks))});
    puzzles.push_back({"locked", test::makePuzzle(3, 2, 2, listed(kLocked))});
    // No block alone of its shape: every part keeps the box's rotations, and packings that are their own turn weigh less.
    const Cells bar = {{0, 0, 0}, {1, 0, 0}};
    puzzles.push_back({"bars", test::makePuzzle(2, 2, 3, listed({bar, bar, bar, bar, bar}))});
    Puzzle kept = test::makePuzzle(3, 2, 2, listed(kHooks));
    test::keepInBox(kept, 0, mask(kHooks[0]));
    puzzles.push_back({"hook kept", kept, true});
    int refused = 0;
    for (const auto& [name, p, fromBox] : puzzles) {
        SCOPED_TRACE(name);
        const PackingAnalysis a(p, fromBox);
        ASSERT_TRUE(a.problems().empty());
        const CountResult count = a.count();
        const AssemblyCheck check(a.box());
        AssemblyJudge judge(a.box());
        uint64_t built = 0, dropped = 0, walked = 0;
        DistinctPackings walk(a);
        for (size_t i = 0; const auto pk = walk.at(i); ++i) {
            const AssemblyVerdict v = check.verdict(*pk);
            built += v.assemblable, dropped += v.dropOnly, ++walked;
            EXPECT_EQ(v.assemblable, check.check(*pk).assemblable);
            const AssemblyVerdict fast = judge(*pk);
            EXPECT_EQ(fast.assemblable, v.assemblable);
            EXPECT_EQ(fast.dropOnly, v.dropOnly);
        }
        EXPECT_EQ(walked, count.distinctUnlabelled);
        refused += walked > built;
        for (int threads : {1, 2}) {
            CountOptions options;
            options.threads = threads;
            judgeAssembly(options, a.box());
            const std::optional<AssemblyCounts> got = assemblyCounts(a.count(options));
            ASSERT_TRUE(got);
            EXPECT_EQ(got->assemblable, built);
            EXPECT_EQ(got->dropOnly, dropped);
        }
        // Every packing in both classes: the classes are the count's own.
        CountOptions all;
        all.judge = [] {
            return [](std::span<const uint64_t>, std::span<const uint64_t> lasts, uint8_t* bits) {
                std::fill(bits, bits + std::max<size_t>(lasts.size(), 1), 3);
            };
        };
        const CountResult every = a.count(all);
        ASSERT_TRUE(every.judged);
        EXPECT_EQ((*every.judged)[0], count.distinctUnlabelled);
        EXPECT_EQ((*every.judged)[1], count.distinctUnlabelled);
        EXPECT_EQ(every.first, count.first);
        EXPECT_EQ(every.solutions, count.solutions);
    }
    EXPECT_GT(refused, 0);
}

}  // namespace
