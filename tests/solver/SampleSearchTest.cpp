// What LOAD does with the built-in sample, as the steps give it.
#include "LoaderTestUtil.h"
#include "solver/ReferenceLoader.h"

#include <gtest/gtest.h>

namespace tessaro {
namespace {

using testutil::RecordingHost;

// Every block's cube lies in the box, no two overlap, and each filled cell carries
// the colours of the block covering it: the result is a real packing.
void expectPacked(const Puzzle& p) {
    int covered = 0;
    for (int c = 0; c < kCells; ++c) {
        int owner = -1;
        for (int b = 0; b < kBlocks; ++b)
            if (p.G_iPiece[b + kBlocks * c]) {
                ASSERT_EQ(owner, -1) << "cell " << c;
                owner = b;
            }
        const bool inBox = (c & 3) < 3 && ((c >> 2) & 3) < 3 && c / 16 < 3;
        EXPECT_EQ(owner >= 0, inBox) << "cell " << c;
        EXPECT_EQ(p.G_iBox[c], inBox ? 1 : 0);
        for (int s = 0; s < 3; ++s)
            EXPECT_EQ(p.G_lBox_Color[c + kCells * s], owner >= 0 ? pieceColor(owner + 1, s) : 0);
        covered += owner >= 0;
    }
    EXPECT_EQ(covered, 27);
}

TEST(SampleSearch, FullInTheFirstAttempt) {
    struct Expect {
        bool dead;
        uint64_t fitTests;
        const char* line;
    } const cases[] = {
        {false, 12990485, " 0, 0, 1  1, 0, 2  2, 0, 0  3, 1, 2  4, 1, 2  5, 1, 3  6, 0, 3 "},
        {true, 6262303, " 0, 0, 1  1, 0, 2  2, 3, 1  3, 3, 2  4, 3, 0  5, 0, 1  6, 5, 3 "},
    };
    for (const Expect& e : cases) {
        SCOPED_TRACE(e.dead ? "dead space" : "no dead space");
        Puzzle p = buildSamplePuzzle();
        RecordingHost host;
        host.snapshots = false;
        AutoLoader loader;
        LoaderOptions o;
        o.checkDeadSpace = e.dead;
        ASSERT_EQ(loader.cmdMove_Click(p, host, o), LoaderOutcome::Solved);
        EXPECT_EQ(loader.stats().fitTests, e.fitTests);
        EXPECT_EQ(loader.stats().attempts, 1u);
        EXPECT_EQ(host.yields, e.fitTests);
        EXPECT_EQ(host.resultLines, std::vector<std::string>{e.line});
        EXPECT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(p.GE_lRotate, 12345678);
        for (int b = 0; b < 7; ++b) EXPECT_EQ(p.G_Info_Piece[b].iNo, b + 1);
        expectPacked(p);
    }
}

TEST(SampleSearch, BothWalksAgreeUpToAStop) {
    for (bool dead : {false, true}) {
        LoaderOptions o;
        o.checkDeadSpace = dead;
        Puzzle a = buildSamplePuzzle(), b = a;
        RecordingHost ha, hb;
        ha.stopAt = hb.stopAt = 20000;
        ReferenceLoader ref;
        AutoLoader fast;
        ASSERT_EQ(ref.cmdMove_Click(a, ha, o), LoaderOutcome::Stopped);
        ASSERT_EQ(fast.cmdMove_Click(b, hb, o), LoaderOutcome::Stopped);
        EXPECT_EQ(ha.events, hb.events);
        EXPECT_TRUE(testutil::withoutScratch(a) == testutil::withoutScratch(b));
    }
}

}  // namespace
}  // namespace tessaro
