// tessaro-cli load: the outcome and figures as JSON, a stop written to a file and
// continued from it, and the refusals.
#include "app/AppEnv.h"
#include "files/PuzzleFile.h"
#include "cli/RunCli.h"
#include "files/TestSupport.h"
#include "model/Figure.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <cstdio>

using namespace tessaro;
using namespace tessaro::test;

namespace {

const char* const kSampleLine = " 0, 0, 1  1, 0, 2  2, 0, 0  3, 1, 2  4, 1, 2  5, 1, 3  6, 0, 3 ";

int boxCount(const nlohmann::json& puzzle) {
    int n = 0;
    for (const auto& v : puzzle["G_iBox"]) n += v.get<int>();
    return n;
}

}  // namespace

TEST(CliLoad, SampleRunsToTheFullBox) {
    TempDir dir;
    const CliResult r = runCli(dir, "load --sample --json");
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "");  // a short search shows no progress line
    const nlohmann::json j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["outcome"], "solved");
    EXPECT_EQ(j["fit_tests"], 12990485);
    EXPECT_EQ(j["attempts"], 1);
    EXPECT_TRUE(j["seconds"].is_number());
    EXPECT_EQ(j["result_lines"], nlohmann::json::array({kSampleLine}));
    EXPECT_EQ(boxCount(j["puzzle"]), 27);
    EXPECT_EQ(j["puzzle"]["version"], "");
    EXPECT_EQ(j["puzzle"]["G_iCell_Total"], 27);

    const CliResult text = runCli(dir, "load --sample --dead-space --quiet");
    ASSERT_EQ(text.code, 0);
    EXPECT_NE(text.out.find("適合テスト: 6262303 回"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("☆グレイト☆　お疲れさまでした"), std::string::npos);
}

TEST(CliLoad, AStopSavedToAFileContinuesFromIt) {
    TempDir dir;
    CapturedMessages msgs(dir.folder());
    const std::string saved = dir.file("stopped.bin");
    const CliResult first = runCli(dir, "load --sample --max-fit-tests 1000000 --json --out '" + saved +
                                            "' --comment 'とちゅう' --password ' abc12 '");
    ASSERT_EQ(first.code, 0) << first.err;
    const nlohmann::json j = nlohmann::json::parse(first.out);
    EXPECT_EQ(j["outcome"], "stopped");
    EXPECT_EQ(j["fit_tests"], 1000000);
    EXPECT_EQ(j["result_lines"], nlohmann::json::array());
    const int filled = boxCount(j["puzzle"]);
    EXPECT_GT(filled, 0);
    EXPECT_EQ(j["puzzle"]["G_iCell_Filled"], filled);

    Puzzle p;
    ASSERT_NE(fncFile_get(p, saved), "");
    EXPECT_EQ(p.G_sComment, "とちゅう");
    EXPECT_EQ(p.G_sPassword, "abc12");
    EXPECT_EQ(p.G_iCell_Filled, filled);
    EXPECT_EQ(fncBox_Count(p.G_iBox), filled);
    for (int b = 0; b < kBlocks; ++b) {
        EXPECT_EQ(p.G_Info_Piece[b].iFace_ct, j["puzzle"]["G_Info_Piece"][b][1]);
        EXPECT_EQ(p.G_Info_Piece[b].iTurn_CtZ, j["puzzle"]["G_Info_Piece"][b][2]);
    }

    // The file carries the counters: LOAD on it goes on to the same packing.
    const CliResult second = runCli(dir, "load '" + saved + "' --json --quiet");
    ASSERT_EQ(second.code, 0) << second.err;
    const nlohmann::json k = nlohmann::json::parse(second.out);
    EXPECT_EQ(k["outcome"], "solved");
    EXPECT_EQ(k["result_lines"], nlohmann::json::array({kSampleLine}));
    EXPECT_EQ(k["puzzle"]["G_sComment"], "とちゅう");
    EXPECT_NE(k["puzzle"]["version"], "");

    const CliResult none = runCli(dir, "load --sample --max-fit-tests 0 --json");
    ASSERT_EQ(none.code, 0);
    const nlohmann::json n = nlohmann::json::parse(none.out);
    EXPECT_EQ(n["outcome"], "stopped");
    EXPECT_EQ(n["fit_tests"], 0);
    EXPECT_EQ(n["attempts"], 1);
}

TEST(CliLoad, BadUsageAndUnwritableTargets) {
    TempDir dir;
    EXPECT_EQ(runCli(dir, "load").code, 2);
    EXPECT_EQ(runCli(dir, "load --sample --comment x").code, 2);  // nothing to save it in
    EXPECT_EQ(runCli(dir, "load --sample --max-fit-tests -1").code, 2);
    EXPECT_EQ(runCli(dir, "load --sample --max-fit-tests lots").code, 2);
    // A password the file cannot hold is refused before the search.
    const CliResult pw = runCli(dir, "load --sample --out '" + dir.file("x.bin") + "' --password '~~~~~~~~~~~~~~~~'");
    EXPECT_EQ(pw.code, 2);
    EXPECT_TRUE(pw.out.empty());
    // So is one longer than the record's 16 characters, which would come back cut.
    EXPECT_EQ(runCli(dir, "load --sample --out '" + dir.file("x.bin") + "' --password ABCDEFGHIJKLMNOPQ").code, 2);
    EXPECT_FALSE(std::filesystem::exists(dir.file("x.bin")));

    const CliResult missing = runCli(dir, "load '" + dir.file("none.bin") + "'");
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("none.bin"), std::string::npos);
    const CliResult folder = runCli(dir, "load --sample --out '" + dir.file("no/such/x.bin") + "'");
    EXPECT_EQ(folder.code, 1);
    EXPECT_NE(folder.err.find("x.bin"), std::string::npos);
    EXPECT_TRUE(folder.out.empty());
}
