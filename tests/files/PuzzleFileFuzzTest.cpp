#include "files/PuzzleFile.h"

#include "files/PuzzleTestData.h"
#include "files/TestSupport.h"

#include <gtest/gtest.h>

#include <random>

using namespace tessaro;
using namespace tessaro::test;

// Thousands of damaged records: each is either read whole (and then writes
// back to the same record) or refused with the model exactly as it was.
TEST(PuzzleFileFuzz, MutatedRecordsAreReadWholeOrRefusedWithoutAChange)
{
    TempDir dir;
    CapturedMessages msgs(dir.folder());
    ScriptedRandom keyRnd({0.3f, 0.7f, 0.1f, 0.9f});
    Record good{};
    ASSERT_FALSE(encodeRecord(richPuzzle(), G_sVersion, keyRnd, good).has_value());

    std::mt19937 gen(20260514);
    const Puzzle sentinel = [] {
        Puzzle s = richPuzzle();
        s.G_sComment = "sentinel";
        s.G_iWork[7] = 1;
        return s;
    }();
    int read = 0, refused = 0, ngVersion = 0;
    for (int round = 0; round < 4000; ++round) {
        std::string bytes(good.begin(), good.end());
        int kind = round % 4;
        if (kind == 3) {
            bytes.resize(std::uniform_int_distribution<size_t>(0, kRecordSize + 20)(gen), 'V');
        } else {
            int flips = 1 + kind * 3;
            for (int f = 0; f < flips; ++f) {
                size_t at = std::uniform_int_distribution<size_t>(0, kRecordSize - 1)(gen);
                // Half the flips touch only the low bit, so many damaged records still hold legal values.
                bytes[at] = static_cast<char>(bytes[at] ^ (f % 2 ? 1 : std::uniform_int_distribution<int>(1, 255)(gen)));
            }
        }
        Puzzle model = sentinel;
        DecodeResult r = decodeRecord(bytes, model);
        if (r.kind != DecodeResult::Kind::Read) {
            ASSERT_EQ(model, sentinel) << "round " << round;
            (r.kind == DecodeResult::Kind::NgVersion ? ngVersion : refused)++;
            continue;
        }
        ++read;
        ASSERT_GE(bytes.size(), kRecordSize);
        ASSERT_EQ(model.G_iWork, sentinel.G_iWork);
        ASSERT_EQ(model.G_iMax_X, model.G_iCells_X - 1);
        // Written again, every numeric field is byte-identical to what was read.
        ScriptedRandom again({0.5f});
        Record back{};
        ASSERT_FALSE(encodeRecord(model, r.version, again, back).has_value()) << "round " << round;
        std::string b(back.begin(), back.end());
        ASSERT_EQ(b.substr(rec::kPieceMade, rec::kComment - rec::kPieceMade),
                  bytes.substr(rec::kPieceMade, rec::kComment - rec::kPieceMade)) << "round " << round;
        ASSERT_EQ(b.substr(rec::kCellsX), bytes.substr(rec::kCellsX, kRecordSize - rec::kCellsX)) << "round " << round;
        Puzzle twice = sentinel;
        ASSERT_EQ(decodeRecord(b, twice).kind, DecodeResult::Kind::Read);
        // A byte no code page 932 character has comes back as "?", not as itself.
        if (model.G_sComment.find("\xEF\xBF\xBD") != std::string::npos)
            twice.G_sComment = model.G_sComment;
        ASSERT_EQ(twice, model) << "round " << round;
    }
    EXPECT_GT(read, 100);
    EXPECT_GT(refused, 1000);
    EXPECT_GT(ngVersion, 0);

    // Files that end early, through the reader itself: each refusal is shown once.
    for (int round = 0; round < 50; ++round) {
        std::string bytes(good.begin(), good.end());
        bytes.resize(16 + static_cast<size_t>(round) * 64);
        writeBytes(dir.file("m.bin"), bytes);
        Puzzle model = sentinel;
        EXPECT_EQ(fncFile_get(model, dir.file("m.bin")), "");
        EXPECT_EQ(model, sentinel);
    }
    EXPECT_EQ(msgs.list.size(), 50u);
}
