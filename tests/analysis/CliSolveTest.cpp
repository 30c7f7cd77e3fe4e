// tessaro-cli solve: the JSON keys and counts, the text summary, and the exit codes.
#include "AnalysisTestUtil.h"
#include "analysis/PackingAnalysis.h"
#include "cli/RunCli.h"
#include "files/PuzzleFile.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>

using namespace tessaro;
using namespace tessaro::test;

TEST(CliSolve, SampleAsJson) {
    const CliResult r = runCli("solve --sample --json");
    ASSERT_EQ(r.code, 0) << r.err;
    const nlohmann::json j = nlohmann::json::parse(r.out);
    std::set<std::string> keys;
    for (const auto& [k, v] : j.items()) keys.insert(k);
    EXPECT_EQ(keys, (std::set<std::string>{"solutions", "distinct", "distinct_unlabelled", "distinct_mirror", "unique",
                                           "complete", "symmetry", "seconds", "blocks", "problems", "first",
                                           "difficulty", "assemblable", "drop_only"}));
    EXPECT_EQ(j["assemblable"], 156);
    EXPECT_EQ(j["drop_only"], 156);
    EXPECT_EQ(j["solutions"], 22464);
    EXPECT_EQ(j["distinct"], 936);
    EXPECT_EQ(j["distinct_unlabelled"], 156);
    EXPECT_EQ(j["distinct_mirror"], 78);
    EXPECT_EQ(j["unique"], false);
    EXPECT_EQ(j["complete"], true);
    EXPECT_EQ(j["symmetry"], 24);
    EXPECT_EQ(j["problems"], nlohmann::json::array());
    ASSERT_EQ(j["blocks"].size(), 7u);
    EXPECT_EQ(j["blocks"][4], (nlohmann::json{{"number", 5}, {"cells", 2}, {"orientations", 12}, {"placements", 48}}));
    ASSERT_EQ(j["first"].size(), 8u);
    EXPECT_EQ(j["first"][7], nlohmann::json::array());
    std::set<std::vector<int>> cells;
    for (const auto& block : j["first"])
        for (const auto& c : block) cells.insert(c.get<std::vector<int>>());
    EXPECT_EQ(cells.size(), 27u);
    EXPECT_EQ(*cells.rbegin(), (std::vector<int>{2, 2, 2}));
}

TEST(CliSolve, TextLimitAndFromBox) {
    TempDir dir;
    const CliResult text = runCli(dir, "solve --sample --quiet --threads 1");
    ASSERT_EQ(text.code, 0) << text.err;
    EXPECT_NE(text.out.find("詰め方（ブロックを区別）: 22464 通り"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("判定: 詰め方は 156 通りあります"), std::string::npos);
    EXPECT_NE(text.out.find("z=0"), std::string::npos);

    const nlohmann::json limited = nlohmann::json::parse(runCli(dir, "solve --sample --limit 3 --json").out);
    EXPECT_EQ(limited["solutions"], 3);
    EXPECT_EQ(limited["complete"], false);

    // Four bars in a 3x2x2 box lie along x; with one kept on an edge, the three others fill the
    // other rows in 3! ways, which the one rotation that keeps the edge pairs off.
    const CellList bar3 = {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}};
    Puzzle p = makePuzzle(3, 2, 2, {bar3, bar3, bar3, bar3});
    keepInBox(p, 0, 0x7);
    const std::string file = dir.file("kept.bin");
    ASSERT_TRUE(subFile_put(p, file));
    const CliResult keptRun = runCli(dir, "solve '" + file + "' --from-box --json");
    ASSERT_EQ(keptRun.code, 0) << keptRun.err;
    const nlohmann::json kept = nlohmann::json::parse(keptRun.out);
    EXPECT_EQ(kept["solutions"], 6);
    EXPECT_EQ(kept["distinct"], 3);
    EXPECT_EQ(kept["distinct_unlabelled"], 1);
    EXPECT_EQ(kept["unique"], true);
    EXPECT_EQ(kept["symmetry"], 2);
    EXPECT_EQ(kept["first"][0], nlohmann::json::parse("[[0,0,0],[1,0,0],[2,0,0]]"));
    const nlohmann::json free = nlohmann::json::parse(runCli(dir, "solve '" + file + "' --json").out);
    EXPECT_EQ(free["solutions"], 24);
    EXPECT_EQ(free["symmetry"], 8);
}

// --all lists what the window's browser steps through, in its order.
TEST(CliSolve, AllDistinctPackings) {
    const CliResult all = runCli("solve --sample --all");
    ASSERT_EQ(all.code, 0) << all.err;
    analysis::DistinctPackings walk{analysis::PackingAnalysis(buildSamplePuzzle())};
    std::istringstream lines(all.out);
    size_t n = 0;
    for (std::string line; std::getline(lines, line); ++n) {
        const nlohmann::json j = nlohmann::json::parse(line);
        ASSERT_EQ(j["n"], n + 1);
        const auto want = walk.at(n);
        ASSERT_TRUE(want);
        for (int b = 0; b < kBlocks; ++b) {
            uint64_t cells = 0;
            for (const auto& c : j["blocks"][b]) cells |= analysis::bitOf(c[0], c[1], c[2]);
            ASSERT_EQ(cells, (*want)[b]) << "packing " << n + 1 << ", block " << b + 1;
        }
    }
    EXPECT_FALSE(walk.at(n));
    EXPECT_EQ(n, 156u);
    const CliResult limited = runCli("solve --sample --all --limit 5");
    EXPECT_EQ(std::count(limited.out.begin(), limited.out.end(), '\n'), 5);
}

// Two blocks of a 3x2x2 box that also pack locked together: --all marks each packing,
// and --json counts the marks.
TEST(CliSolve, AssemblyCountsAndMarks) {
    TempDir dir;
    const Puzzle p = makePuzzle(3, 2, 2, {{{0, 0, 0}, {2, 0, 0}, {0, 1, 0}, {2, 0, 1}, {0, 1, 1}, {1, 1, 1}, {2, 1, 1}},
                                          {{1, 0, 0}, {1, 1, 0}, {2, 1, 0}, {0, 0, 1}, {1, 0, 1}}});
    const std::string file = dir.file("locked.bin");
    ASSERT_TRUE(subFile_put(p, file));
    const nlohmann::json j = nlohmann::json::parse(runCli(dir, "solve '" + file + "' --json --no-difficulty").out);
    std::istringstream lines(runCli(dir, "solve '" + file + "' --all").out);
    int packings = 0, built = 0, dropped = 0;
    for (std::string line; std::getline(lines, line); ++packings) {
        const nlohmann::json one = nlohmann::json::parse(line);
        built += one["assemblable"].get<bool>(), dropped += one["drop_only"].get<bool>();
        EXPECT_EQ(one["up"].is_null(), !one["assemblable"].get<bool>());
    }
    EXPECT_EQ(j["distinct_unlabelled"], packings);
    EXPECT_EQ(j["assemblable"], built);
    EXPECT_EQ(j["drop_only"], dropped);
    EXPECT_LT(built, packings);
    const nlohmann::json skipped =
        nlohmann::json::parse(runCli(dir, "solve '" + file + "' --json --no-difficulty --no-assembly").out);
    EXPECT_FALSE(skipped.contains("assemblable"));
}

TEST(CliSolve, ExitCodes) {
    EXPECT_EQ(runCli("solve --sample --limit -1").code, 2);
    EXPECT_EQ(runCli("solve --sample --limit many").code, 2);
    EXPECT_EQ(runCli("solve --sample --threads -2").code, 2);
    EXPECT_EQ(runCli("solve").code, 2);
    const CliResult missing = runCli("solve /nonexistent/none.bin --json");
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_NE(missing.err, "");
}

TEST(CliSolve, EstimateWithoutCounting) {
    const CliResult r = runCli("solve --sample --estimate --json");
    ASSERT_EQ(r.code, 0) << r.err;
    const nlohmann::json j = nlohmann::json::parse(r.out);
    // The sample's parts are small enough to be counted: the estimate is exact.
    EXPECT_EQ(j["estimated_solutions"], 22464);
    EXPECT_EQ(j["estimated_solutions_range"], (nlohmann::json{22464, 22464}));
    EXPECT_EQ(j["estimate_kind"], "exact");
    EXPECT_GT(j["estimated_nodes"].get<double>(), 0);
    EXPECT_EQ(j["estimated_nodes_range"].size(), 2u);
    EXPECT_FALSE(j.contains("solutions")) << "nothing was counted";
    const CliResult text = runCli("solve --sample --estimate");
    EXPECT_NE(text.out.find("正確な値"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("詰め方（ブロックを区別）: 22464 通り"), std::string::npos) << text.out;
}
