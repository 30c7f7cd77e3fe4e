// Puzzles out to the shared voxel format and back: shapes, box, counts; and what does not fit, refused.
#include "analysis/Geometry.h"
#include "analysis/PackingAnalysis.h"
#include "cli/RunCli.h"
#include "files/PuzzleFile.h"
#include "files/ShiftJis.h"
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

// One problem filling shape 0 with the pieces listed.
std::string oneProblem(const std::string& voxels, const std::string& pieces, const std::string& name = "p") {
    return "<?xml version=\"1.0\"?><puzzle version=\"2\"><gridType type=\"0\"/><shapes>" + voxels +
           "</shapes><problems><problem name=\"" + name + "\"><shapes>" + pieces +
           "</shapes><result id=\"0\"/></problem></problems></puzzle>";
}

const std::string kCube = R"(<voxel x="2" y="2" z="2" name="Box">########</voxel>)";
const std::string kDomino = R"(<voxel x="2" y="1" z="1" name="D">##</voxel>)";

std::string repeated(const std::string& s, size_t n) {
    std::string out;
    for (size_t i = 0; i < n; ++i) out += s;
    return out;
}

std::vector<uint64_t> numberedShapes(const Puzzle& p) {
    std::vector<uint64_t> out;
    for (int b = 0; b < kBlocks; ++b) {
        uint64_t mask = 0;
        for (int i = 0; i < kCells; ++i)
            if (p.G_iPiece_Made[size_t(b + kBlocks * i)]) mask |= uint64_t(1) << i;
        out.push_back(mask ? analysis::canonicalShape(mask) : 0);
    }
    return out;
}

}  // namespace

TEST(XmPuzzle, HostileFilesRefusedWithOnePrintableLine) {
    const std::string name = "x&#27;]0;title&#7;\x1b[2J\xff" + std::string(10000, 'N');
    const std::pair<std::string, std::string> cases[] = {
        {oneProblem(kCube + repeated(R"(<voxel x="1" y="1" z="1">#</voxel>)", 5001), ""), "形が多すぎます"},
        {"<puzzle><problems>" + repeated("<problem/>", 1001) + "</problems></puzzle>", "問題が多すぎます"},
        {"<puzzle>" + repeated("<a>", 300) + repeated("</a>", 300) + "</puzzle>", "入れ子が深すぎます"},
        {oneProblem(R"(<voxel x="9223372036854775806" y="9223372036854775806" z="1" name="o">###</voxel>)", ""),
         "形 S1「o」の大きさ (x, y, z) が読めません"},
        {oneProblem(kCube + R"(<voxel x="2" y="1" z="1" name="D">###</voxel>)", ""), "形 S2「D」のセルの数が大きさと合いません"},
        {oneProblem(kCube + R"(<voxel x="1000" y="1000" z="5">)", ""), "形が大きすぎます（形 S2 までの"},
        {oneProblem(kCube + R"(<voxel x="40" y="40" z="40" name="Big">)" + std::string(64000, '#') + "</voxel>",
                    R"(<shape id="1"/>)"),
         "形 S2「Big」が箱より大きく"},
        {oneProblem(kCube + "<voxel x=\"2\" y=\"2\" z=\"2\" name=\"" + name + "\">###</voxel>", ""),
         "形 S2「x\\x1B]0;title\\x07\\x1B[2J\\xFFNNN"},
    };
    for (const auto& [bytes, why] : cases) {
        const formats::XmReadResult r = formats::readXmPuzzle(bytes, 1);
        EXPECT_FALSE(r.puzzle);
        EXPECT_NE(r.error.find(why), std::string::npos) << r.error;
        EXPECT_LT(r.error.size(), 200u);
        EXPECT_TRUE(isValidUtf8(r.error));
        EXPECT_TRUE(std::none_of(r.error.begin(), r.error.end(), [](char c) { return (unsigned char)c < 0x20 || c == 0x7F; }))
            << r.error;
    }
    // Counts that are not plain numbers are not taken as one.
    for (const char* count : {"abc", "", "3.0", "+3", "-1", "9223372036854775808"}) {
        const auto r = formats::readXmPuzzle(oneProblem(kCube + kDomino, "<shape id=\"1\" count=\"" + std::string(count) + "\"/>"), 1);
        EXPECT_EQ(r.error, "形 S2「D」の個数が読めません。") << count;
    }
}

TEST(XmPuzzle, RefusalsNameTheRightReasonAndLargeGridsStillFit) {
    // Every cell required, too few block cells: not the message about some cells being optional.
    formats::XmReadResult r = formats::readXmPuzzle(oneProblem(kCube + kDomino, R"(<shape id="1" count="3"/>)"), 1);
    EXPECT_EQ(r.error, "ブロックのセルの合計 6 が、すべて埋める箱のセル 8 個より少ないです。");
    // A piece drawn in a grid larger than the box, and a name with DEL that becomes the comment.
    r = formats::readXmPuzzle(
        oneProblem(kCube + R"(<voxel x="5" y="5" z="1">______##)" + std::string(17, '_') + "</voxel>",
                   R"(<shape id="1" count="4"/>)", "a\x7F b"),
        1);
    ASSERT_TRUE(r.puzzle) << r.error;
    EXPECT_EQ(fncPiece_CountUsed(*r.puzzle), 4);
    EXPECT_EQ(r.puzzle->G_sComment, "a b");
}

TEST(XmPuzzle, RoundTripKeepsBlockNumbersAndAddsNoComment) {
    Puzzle gap = buildSamplePuzzle();  // block 3 empty, no comment
    for (int i = 0; i < kCells; ++i) gap.G_iPiece[size_t(2 + kBlocks * i)] = 0;
    gap.G_iCell_Total = fncPiece_CountAll(gap);
    gap.G_sComment.clear();
    subPiece_SaveMade(gap);
    TempDir dir;
    const std::string bin = dir.file("gap.bin"), xm = dir.file("gap.xmpuzzle"), back = dir.file("back.bin");
    ASSERT_TRUE(subFile_put(gap, bin));
    ASSERT_EQ(runCli(dir, "convert '" + bin + "' '" + xm + "'").code, 0);
    const CliResult r = runCli(dir, "convert '" + xm + "' '" + back + "'");
    ASSERT_EQ(r.code, 0) << r.err;
    Puzzle p;
    ASSERT_FALSE(fncFile_get(p, back).empty());
    EXPECT_EQ(numberedShapes(p), numberedShapes(gap));
    EXPECT_EQ(p.G_sComment, "");

    // Files written before named such a problem "Tessaro": not a comment either.
    std::string text = formats::xmPuzzleText(gap, false);
    EXPECT_EQ(text.find("Tessaro"), std::string::npos);
    text.replace(text.find("<problem "), 9, "<problem name=\"Tessaro\" ");
    const formats::XmReadResult old = formats::readXmPuzzle(text, 0);
    ASSERT_TRUE(old.puzzle) << old.error;
    EXPECT_EQ(old.puzzle->G_sComment, "");
    // Names that are not this program's own: numbered in the file's order.
    text.replace(text.find("name=\"B4\""), 9, "name=\"X4\"");
    EXPECT_EQ(numberedShapes(*formats::readXmPuzzle(text, 0).puzzle)[2], numberedShapes(gap)[3]);
}

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
        {2, "箱（直方体）ではありません"}, {3, "個数が決まっていません"}, {4, "形 S5「Long」が箱より大きく、箱に入りません"},
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
