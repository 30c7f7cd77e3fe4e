// Puzzles out to the shared voxel format and back: shapes, box, counts; and what does not fit, refused.
#include "analysis/Geometry.h"
#include "analysis/PackingAnalysis.h"
#include "cli/RunCli.h"
#include "files/PuzzleFile.h"
#include "formats/Gzip.h"
#include "formats/XmPuzzle.h"
#include "model/Figure.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <algorithm>

using namespace tessaro;
using namespace tessaro::test;

namespace {

// Each block's shape up to rotation and position, sorted: what a conversion must keep.
std::vector<uint64_t> shapes(const Puzzle& p, bool made) {
    std::vector<uint64_t> out;
    for (int b = 0; b < kBlocks; ++b) {
        uint64_t mask = 0;
        for (int i = 0; i < kCells; ++i)
            if ((made ? p.G_iPiece_Made : p.G_iPiece)[size_t(b + kBlocks * i)]) mask |= uint64_t(1) << i;
        if (mask) out.push_back(analysis::canonicalShape(mask));
    }
    std::sort(out.begin(), out.end());
    return out;
}

uint64_t distinctPackings(const Puzzle& p) {
    const analysis::CountResult r = analysis::PackingAnalysis(p).count({});
    EXPECT_TRUE(r.complete);
    return r.distinctUnlabelled;
}

Puzzle sampleWithSpareCells() {
    Puzzle p = buildSamplePuzzle();
    for (int i = 0; i < kCells; ++i) p.G_iPiece[size_t(5 + kBlocks * i)] = 0;
    p.G_iCell_Total = fncPiece_CountAll(p);
    subPiece_SaveMade(p);
    return p;
}

constexpr const char* kTwoProblems = R"(<?xml version="1.0"?>
<puzzle version="2"><gridType type="0"/>
 <shapes>
  <voxel x="2" y="2" z="2" name="Cube" type="0">########</voxel>
  <voxel x="2" y="1" z="1" name="Domino" type="0">##</voxel>
  <voxel x="3" y="1" z="1" name="L" type="0">#1#2_</voxel>
  <voxel x="2" y="2" z="1" name="Notbox" type="0">###_</voxel>
  <voxel x="5" y="1" z="1" name="Long" type="0">#####</voxel>
 </shapes>
 <problems>
  <problem name="four dominoes"><shapes><shape id="1" count="4"/></shapes><result id="0"/></problem>
  <problem name="not a box"><shapes><shape id="1" min="1" max="1"/></shapes><result id="3"/></problem>
  <problem name="range"><shapes><shape id="1" min="1" max="4"/></shapes><result id="0"/></problem>
  <problem name="long"><shapes><shape id="4"/></shapes><result id="0"/></problem>
  <problem name="nine"><shapes><shape id="2" count="9"/></shapes><result id="0"/></problem>
 </problems>
</puzzle>)";

}  // namespace

TEST(XmPuzzle, SampleAndSpareCellsGoOutAndBackWithEqualCounts) {
    for (const Puzzle& original : {buildSamplePuzzle(), sampleWithSpareCells()}) {
        for (const char* name : {"x.xmpuzzle", "x.xml"}) {
            const std::string bytes = formats::xmPuzzleBytes(original, false, name);
            EXPECT_EQ(formats::isGzip(bytes), std::string(name) == "x.xmpuzzle");
            const formats::XmReadResult back = formats::readXmPuzzle(bytes, 0);
            ASSERT_TRUE(back.puzzle) << back.error;
            const Puzzle& p = *back.puzzle;
            EXPECT_EQ(shapes(p, true), shapes(original, true));
            EXPECT_EQ(p.G_iPiece, p.G_iPiece_Made);
            EXPECT_EQ((std::array{p.G_iCells_X, p.G_iCells_Y, p.G_iCells_Z}),
                      (std::array{original.G_iCells_X, original.G_iCells_Y, original.G_iCells_Z}));
            EXPECT_EQ(p.G_iCell_Total, original.G_iCell_Total);
            EXPECT_EQ(distinctPackings(p), distinctPackings(original));
        }
    }
    // Blocks 1..3 of the sample with spare cells: no two alike, so six shapes; the box allows empty cells.
    const std::string text = formats::xmPuzzleText(sampleWithSpareCells(), false);
    EXPECT_NE(text.find(">+++++++++++++++++++++++++++<"), std::string::npos) << text;
}

TEST(XmPuzzle, ProblemsChosenIdenticalPiecesCountedAndMisfitsRefused) {
    formats::XmReadResult r = formats::readXmPuzzle(kTwoProblems, 0);
    EXPECT_TRUE(r.needsProblemChoice);
    EXPECT_EQ(r.problems.size(), 5u);
    r = formats::readXmPuzzle(kTwoProblems, 1);
    ASSERT_TRUE(r.puzzle) << r.error;
    EXPECT_EQ(fncPiece_CountUsed(*r.puzzle), 4);
    EXPECT_EQ(r.puzzle->G_iCell_Total, 8);
    EXPECT_EQ(r.puzzle->G_sComment, "four dominoes");
    EXPECT_EQ(r.puzzle->G_iCells_X, 2);

    const std::pair<int, const char*> refusals[] = {
        {2, "箱（直方体）ではありません"}, {3, "個数が決まっていません"}, {4, "箱に入りません"},
        {5, "ブロックが多すぎます"},       {6, "問題 6 はありません"},
    };
    for (const auto& [problem, why] : refusals) {
        r = formats::readXmPuzzle(kTwoProblems, problem);
        EXPECT_FALSE(r.puzzle) << problem;
        EXPECT_NE(r.error.find(why), std::string::npos) << problem << ": " << r.error;
        EXPECT_EQ(r.error.find('\n'), std::string::npos);
    }
}

TEST(XmPuzzle, DamagedFilesRefusedWithOneLine) {
    const std::string good = formats::xmPuzzleBytes(buildSamplePuzzle(), false, "x.xmpuzzle");
    std::string flipped = good;
    flipped[flipped.size() / 2] ^= 0x55;
    const std::string cases[] = {
        good.substr(0, good.size() / 2),                      // cut gzip
        flipped,                                              // corrupted gzip
        "<puzzle><shapes><voxel x=\"2\"",                     // cut XML
        "<other/>",                                           // not a puzzle
        "<puzzle><gridType type=\"3\"/></puzzle>",            // another grid
        "<puzzle><shapes><voxel x=\"2\" y=\"2\" z=\"2\">###</voxel></shapes></puzzle>",  // short voxel
        formats::gzip(std::string(70u << 20, ' ')),            // inflates past the limit
    };
    for (const std::string& bytes : cases) {
        const formats::XmReadResult r = formats::readXmPuzzle(bytes, 0);
        EXPECT_FALSE(r.puzzle);
        EXPECT_FALSE(r.error.empty());
        EXPECT_EQ(r.error.find('\n'), std::string::npos) << r.error;
    }
}

TEST(XmPuzzle, CliConvertsBothWaysAndRefusesPlainly) {
    TempDir dir;
    const std::string bin = dir.file("sample.bin"), xm = dir.file("sample.xmpuzzle"), back = dir.file("back.bin");
    ASSERT_TRUE(subFile_put(buildSamplePuzzle(), bin));
    CliResult r = runCli(dir, "convert '" + bin + "' '" + xm + "'");
    ASSERT_EQ(r.code, 0) << r.err;
    r = runCli(dir, "convert '" + xm + "' '" + back + "' --comment 見本 --password abc");
    ASSERT_EQ(r.code, 0) << r.err;
    Puzzle p;
    ASSERT_FALSE(fncFile_get(p, back).empty());
    EXPECT_EQ(p.G_sComment, "見本");
    EXPECT_EQ(p.G_sPassword, "abc");
    EXPECT_EQ(shapes(p, true), shapes(buildSamplePuzzle(), true));
    EXPECT_EQ(shapes(p, false), shapes(p, true));  // shuffled, as Save As does, but the same blocks
    r = runCli(dir, "solve '" + back + "' --json --quiet");
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(nlohmann::json::parse(r.out)["distinct_unlabelled"], 156);

    writeBytes(dir.file("two.xml"), kTwoProblems);
    r = runCli(dir, "convert '" + dir.file("two.xml") + "' '" + dir.file("two.bin") + "'");
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("--problem 1〜5"), std::string::npos) << r.err;
    r = runCli(dir, "convert '" + dir.file("two.xml") + "' '" + dir.file("two.bin") + "' --problem 4");
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("箱に入りません"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("two.bin")));
    EXPECT_EQ(runCli(dir, "convert '" + bin + "' '" + dir.file("x.txt") + "'").code, 2);
    // A damaged .bin in, nothing out.
    writeBytes(dir.file("bad.bin"), "V1 short");
    r = runCli(dir, "convert '" + dir.file("bad.bin") + "' '" + dir.file("bad.xml") + "'");
    EXPECT_EQ(r.code, 1);
    EXPECT_FALSE(std::filesystem::exists(dir.file("bad.xml")));
}
