// tessaro-cli info on real puzzle files: a good one in full, bad ones refused cleanly.
#include "app/AppEnv.h"
#include "files/PuzzleFile.h"
#include "files/PuzzleTestData.h"
#include "files/ShiftJis.h"
#include "cli/RunCli.h"
#include "files/TestSupport.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

using namespace tessaro;
using namespace tessaro::test;

TEST(CliInfoFile, AGoodFileAsJson)
{
    TempDir dir;
    CapturedMessages msgs(dir.folder());
    Puzzle p = richPuzzle();
    ASSERT_TRUE(subFile_put(p, dir.file("good.bin")));

    const CliResult r = runCli(dir, "info '" + dir.file("good.bin") + "' --json");
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const nlohmann::json j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["version"], std::string(trimSpaces(G_sVersion)));
    EXPECT_EQ(j["G_sComment"], p.G_sComment);
    EXPECT_EQ(j["G_sPassword"], p.G_sPassword);
    EXPECT_EQ(j["G_iCells_X"], 4);
    EXPECT_EQ(j["G_iCells_Z"], 2);
    EXPECT_EQ(j["G_iPiece_Made"].get<std::vector<int>>(), std::vector<int>(p.G_iPiece_Made.begin(), p.G_iPiece_Made.end()));
    EXPECT_EQ(j["G_iBox"].get<std::vector<int>>(), std::vector<int>(p.G_iBox.begin(), p.G_iBox.end()));
    EXPECT_EQ(j["G_lBox_Color"].get<std::vector<int>>(), std::vector<int>(p.G_lBox_Color.begin(), p.G_lBox_Color.end()));
    EXPECT_EQ(j["G_iLoaded"], nlohmann::json({1, 0, 1, 0, 0, 0, 0, 0}));
    EXPECT_EQ(j["GE_lRotate"], 12345687);
    EXPECT_EQ(j["GE_iRotation"], nlohmann::json({1, 0, 2, 3, 4, 5, 7, 6}));
    EXPECT_EQ(j["G_Info_Piece"][5], nlohmann::json({5, 5, 1}));

    const CliResult summary = runCli(dir, "info '" + dir.file("good.bin") + "'");
    EXPECT_EQ(summary.code, 0);
    EXPECT_NE(summary.out.find("4×3×2"), std::string::npos);
}

TEST(CliInfoFile, UnreadableFilesGiveAMessageAndExitCode1)
{
    TempDir dir;
    CapturedMessages msgs(dir.folder());
    ASSERT_TRUE(subFile_put(richPuzzle(), dir.file("good.bin")));
    const std::string good = readBytes(dir.file("good.bin"));
    std::string badCells = good;
    badCells[rec::kCellsY] = 9;
    writeBytes(dir.file("short.bin"), good.substr(0, 2000));
    writeBytes(dir.file("cells.bin"), badCells);
    writeBytes(dir.file("other.bin"), "PK\x03\x04 not a puzzle");
    writeBytes(dir.file("empty.bin"), "");

    struct Case {
        std::string file, says;
    };
    for (const Case& c : std::vector<Case>{
             {"short.bin", "Line 140:"},
             {"cells.bin", "Line 170:"},
             {"other.bin", "バージョンが特定できませんでした。"},
             {"empty.bin", "バージョンが特定できませんでした。"},
             {"missing.bin", "Line 100:ファイルが見つかりません。"},
             {"", "Line 100:"},  // the folder itself
         }) {
        for (const char* json : {"", " --json"}) {
            const CliResult r = runCli(dir, "info '" + dir.file(c.file) + "'" + json);
            EXPECT_EQ(r.code, 1) << c.file;
            EXPECT_EQ(r.out, "") << c.file;
            EXPECT_TRUE(r.err.starts_with("tessaro-cli: " + dir.file(c.file) + ": ")) << r.err;
            EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
            EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        }
    }
}
