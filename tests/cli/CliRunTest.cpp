// Runs the built tessaro-cli and checks its output and exit codes.
#include "cli/RunCli.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <string>

using tessaro::test::CliResult;
using tessaro::test::runCli;

TEST(CliInfo, SampleAsJson) {
    const CliResult r = runCli("info --sample --json");
    ASSERT_EQ(r.code, 0);
    const nlohmann::json j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["version"], "");
    EXPECT_EQ(j["G_sComment"], "");
    EXPECT_EQ(j["G_sPassword"], "");
    EXPECT_EQ(j["G_iCell_Total"], 27);
    EXPECT_EQ(j["G_iCell_Filled"], 0);
    EXPECT_EQ(j["G_iCells_X"], 3);
    EXPECT_EQ(j["GE_lRotate"], 12345678);
    EXPECT_EQ(j["GE_iRotation"], nlohmann::json({0, 1, 2, 3, 4, 5, 6, 7}));
    ASSERT_EQ(j["G_iPiece"].size(), 512u);
    EXPECT_EQ(j["G_iPiece"], j["G_iPiece_Made"]);
    int cells = 0;
    for (const auto& v : j["G_iPiece"]) cells += v.get<int>();
    EXPECT_EQ(cells, 27);
    EXPECT_EQ(j["G_iBox"].size(), 64u);
    EXPECT_EQ(j["G_lBox_Color"].size(), 192u);
    EXPECT_EQ(j["G_Info_Piece"].size(), 8u);
}

TEST(CliInfo, SummaryAndExitCodes) {
    const CliResult summary = runCli("info --sample");
    EXPECT_EQ(summary.code, 0);
    EXPECT_NE(summary.out.find("3×3×3"), std::string::npos);
    EXPECT_NE(summary.out.find("0 : 27"), std::string::npos);

    EXPECT_EQ(runCli("info").code, 2);                      // no puzzle named
    EXPECT_EQ(runCli("info x.bin --sample").code, 2);       // two puzzles named
    EXPECT_EQ(runCli("info --sample --bogus").code, 2);
    EXPECT_EQ(runCli("").code, 2);                          // no command
    EXPECT_EQ(runCli("--help").code, 0);
    const CliResult file = runCli("info /nonexistent/puzzle.bin");
    EXPECT_EQ(file.code, 1);
    EXPECT_TRUE(file.out.empty());
}
