// tessaro-cli design and the difficulty in solve: what scripts rely on.
#include "cli/RunCli.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <filesystem>

using namespace tessaro::test;

TEST(CliDesign, WritesUniquePuzzlesAndNeverReplacesOne) {
    TempDir dir;
    const std::string out = dir.file("new");
    const CliResult r =
        runCli(dir, "design --box 3x2x2 --blocks 3 --count 2 --seed 5 --assemblable --json --out '" + out + "'");
    ASSERT_EQ(r.code, 0) << r.err;
    const nlohmann::json j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["found"], 2);
    ASSERT_EQ(j["puzzles"].size(), 2u);
    EXPECT_EQ(j["puzzles"][0]["file"], out + "/design-01.bin");
    int cells = 0;
    for (const auto& c : j["puzzles"][0]["cells"]) cells += c.get<int>();
    EXPECT_EQ(cells, 12);
    for (const auto& p : j["puzzles"]) {
        const nlohmann::json solved =
            nlohmann::json::parse(runCli(dir, "solve '" + p["file"].get<std::string>() + "' --json").out);
        EXPECT_EQ(solved["distinct_unlabelled"], 1);
        EXPECT_EQ(solved["solutions"], p["solutions"]);
        EXPECT_EQ(solved["difficulty"]["search_nodes"], p["search_nodes"]);
        EXPECT_EQ(solved["difficulty"]["rating"], p["rating"]);
        EXPECT_EQ(solved["assemblable"], 1);
        EXPECT_TRUE(p["assembly_level"].is_number());
    }

    const std::string before = readBytes(out + "/design-01.bin");
    const CliResult again = runCli(dir, "design --box 3x2x2 --blocks 3 --count 2 --seed 6 --out '" + out + "'");
    EXPECT_EQ(again.code, 1);
    EXPECT_NE(again.err.find("既にあります"), std::string::npos) << again.err;
    EXPECT_EQ(readBytes(out + "/design-01.bin"), before);
    EXPECT_FALSE(std::filesystem::exists(out + "/design-03.bin"));

    EXPECT_EQ(runCli(dir, "design --box 5x2x2 --blocks 3 --out x").code, 2);
    EXPECT_EQ(runCli(dir, "design --box 2x2x2 --blocks 8 --min-cells 2 --out x").code, 2);  // 16 cells needed
    EXPECT_EQ(runCli(dir, "design --out x").code, 2);
    EXPECT_EQ(runCli(dir, "design --sample --assemblable --out x").code, 2);
}

TEST(CliDesign, FromTheSampleAndTheDifficultyInSolve) {
    TempDir dir;
    // The sample's first packing has no unique neighbour one move away, and says so.
    const CliResult r = runCli(dir, "design --sample --max-moves 1 --json --out '" + dir.file("s") + "'");
    ASSERT_EQ(r.code, 0) << r.err;
    const nlohmann::json j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["start"], "first_packing");
    EXPECT_EQ(j["stopped"], "exhausted");
    EXPECT_EQ(j["moves_searched"], 1);
    EXPECT_TRUE(j["puzzles"].empty());
    const CliResult text = runCli(dir, "design --sample --max-moves 1 --out '" + dir.file("s") + "'");
    EXPECT_NE(text.out.find("1 セル以内の移動では、詰め方がただ一つになる形はありません"), std::string::npos) << text.out;
    EXPECT_FALSE(std::filesystem::exists(dir.file("s/design-01.bin")));

    // The sample: 156 distinct packings, so the rating is of the nodes per distinct packing.
    const nlohmann::json sample = nlohmann::json::parse(runCli(dir, "solve --sample --json").out);
    const auto& d = sample["difficulty"];
    EXPECT_DOUBLE_EQ(d["nodes_per_packing"].get<double>(), d["search_nodes"].get<double>() / 156);
    EXPECT_EQ(d["rating"], 3);
    EXPECT_FALSE(nlohmann::json::parse(runCli(dir, "solve --sample --json --no-difficulty").out).contains("difficulty"));
    // A count stopped by its limit gives nodes but no rating.
    const nlohmann::json limited = nlohmann::json::parse(runCli(dir, "solve --sample --json --limit 3").out);
    EXPECT_TRUE(limited["difficulty"]["rating"].is_null());
    // A search past its node limit is no rating at all, and says which limit it passed.
    const nlohmann::json capped = nlohmann::json::parse(runCli(dir, "solve --sample --json --difficulty-nodes 1000").out);
    EXPECT_TRUE(capped["difficulty"]["search_nodes"].is_null());
    EXPECT_TRUE(capped["difficulty"]["rating"].is_null());
    EXPECT_EQ(capped["difficulty"]["node_limit"], 1000);
}
