// tessaro-cli design and the difficulty in solve: what scripts rely on.
#include "AnalysisTestUtil.h"
#include "cli/RunCli.h"
#include "files/PuzzleFile.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <regex>
#include <thread>

using namespace tessaro::test;

namespace {

// Every file in `dir`: design files that read as puzzles, nothing hidden left behind.
int readableDesigns(const std::string& dir) {
    int n = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir)) {
        const std::string name = e.path().filename().string();
        EXPECT_NE(name[0], '.') << "temporary file left: " << name;
        tessaro::Puzzle p;
        EXPECT_FALSE(tessaro::fncFile_get(p, e.path().string()).empty()) << name;
        ++n;
    }
    return n;
}

}  // namespace

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
        // The file's own comment carries the same rating.
        const nlohmann::json info =
            nlohmann::json::parse(runCli(dir, "info '" + p["file"].get<std::string>() + "' --json").out);
        const std::string comment = info["G_sComment"];
        EXPECT_TRUE(comment.ends_with("難易度" + std::to_string(p["rating"].get<int>()))) << comment;
    }

    // Names taken are passed over, never replaced.
    const std::string before = readBytes(out + "/design-01.bin");
    writeBytes(out + "/design-04.bin", "mine");
    const CliResult again = runCli(dir, "design --box 3x2x2 --blocks 3 --count 2 --seed 6 --json --out '" + out + "'");
    ASSERT_EQ(again.code, 0) << again.err;
    const nlohmann::json more = nlohmann::json::parse(again.out);
    ASSERT_EQ(more["puzzles"].size(), 2u);
    EXPECT_EQ(more["puzzles"][0]["file"], out + "/design-03.bin");
    EXPECT_EQ(more["puzzles"][1]["file"], out + "/design-05.bin");
    EXPECT_EQ(readBytes(out + "/design-01.bin"), before);
    EXPECT_EQ(readBytes(out + "/design-04.bin"), "mine");

    EXPECT_EQ(runCli(dir, "design --box 5x2x2 --blocks 3 --out x").code, 2);
    EXPECT_EQ(runCli(dir, "design --box 2x2x2 --blocks 8 --min-cells 2 --out x").code, 2);  // 16 cells needed
    // Four blocks of two cells are one shape: refused unless blocks of one shape are allowed.
    EXPECT_EQ(runCli(dir, "design --box 2x2x2 --blocks 4 --min-cells 2 --out x").code, 2);
    EXPECT_NE(runCli(dir, "design --box 2x2x2 --blocks 4 --min-cells 2 --allow-identical --seconds 5 --out '" +
                              dir.file("same") + "'")
                  .code,
              2);
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

    // Moved cells are counted from 1, as the window counts them.
    const tessaro::Puzzle bars = makePuzzle(3, 2, 2,
                                            {{{0, 0, 0}, {1, 0, 0}, {2, 0, 0}},
                                             {{0, 1, 0}, {1, 1, 0}, {2, 1, 0}},
                                             {{0, 0, 1}, {1, 0, 1}, {0, 1, 1}},
                                             {{2, 0, 1}, {1, 1, 1}, {2, 1, 1}}});
    ASSERT_TRUE(tessaro::subFile_put(bars, dir.file("bars.bin")));
    const std::string near = "design --from '" + dir.file("bars.bin") + "' --max-moves 1 --count 99 --out '";
    const nlohmann::json moved = nlohmann::json::parse(runCli(dir, near + dir.file("m") + "' --json").out);
    ASSERT_FALSE(moved["puzzles"].empty());
    for (const auto& p : moved["puzzles"])
        for (const auto& m : p["moves"]) {
            const int x = m["cell"][0], y = m["cell"][1], z = m["cell"][2];
            EXPECT_TRUE(x >= 1 && x <= 3 && y >= 1 && y <= 2 && z >= 1 && z <= 2) << m;
        }
    const std::string listed = runCli(dir, near + dir.file("t") + "'").out;
    const std::regex cell(R"(セル \((\d),(\d),(\d)\))");
    int cells = 0;
    for (auto it = std::sregex_iterator(listed.begin(), listed.end(), cell); it != std::sregex_iterator(); ++it, ++cells)
        EXPECT_TRUE((*it)[1] != "0" && (*it)[2] != "0" && (*it)[3] != "0") << it->str();
    EXPECT_GT(cells, 0) << listed;

    // The sample: 156 distinct packings, so the rating is of the nodes per distinct packing.
    const nlohmann::json sample = nlohmann::json::parse(runCli(dir, "solve --sample --json").out);
    const auto& d = sample["difficulty"];
    EXPECT_DOUBLE_EQ(d["nodes_per_packing"].get<double>(), d["search_nodes"].get<double>() / 156);
    EXPECT_EQ(d["rating"], 1);
    EXPECT_EQ(d["estimated"], false);
    EXPECT_EQ(d["range"], nlohmann::json::array({d["search_nodes"], d["search_nodes"]}));
    EXPECT_FALSE(nlohmann::json::parse(runCli(dir, "solve --sample --json --no-difficulty").out).contains("difficulty"));
    // A count stopped by its limit has no rating.
    const nlohmann::json limited = nlohmann::json::parse(runCli(dir, "solve --sample --json --limit 3").out);
    EXPECT_TRUE(limited["difficulty"].is_null());
    // A search past its node budget is estimated, and its range holds the exact figure.
    const nlohmann::json capped = nlohmann::json::parse(runCli(dir, "solve --sample --json --difficulty-nodes 1000").out);
    const auto& e = capped["difficulty"];
    EXPECT_EQ(e["estimated"], true);
    EXPECT_EQ(e["rating"], d["rating"]);
    EXPECT_LE(e["range"][0], d["search_nodes"]);
    EXPECT_GE(e["range"][1], d["search_nodes"]);
}

TEST(CliDesign, WhatWasFoundIsKeptThroughASecondSignalAndAFullDisk) {
    TempDir dir;
    // Two signals close together soon after the first design is written.
    for (int delayMs : {0, 3}) {
        const std::string out = dir.file("sig" + std::to_string(delayMs));
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (freopen("/dev/null", "w", stdout) == nullptr) _exit(126);
            execl(TESSARO_CLI_PATH, "tessaro-cli", "design", "--box", "3x3x3", "--blocks", "6", "--count", "99",
                  "--seconds", "120", "--quiet", "--out", out.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int i = 0; i < 1200 && !std::filesystem::exists(out + "/design-01.bin"); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        kill(child, SIGTERM);
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        kill(child, SIGTERM);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) ? WTERMSIG(status) == SIGTERM : WEXITSTATUS(status) == 128 + SIGTERM) << status;
        EXPECT_GE(readableDesigns(out), 1);
    }

    // Under a file-size limit below one record every write fails: each design is named, with the reason.
    const std::string out = dir.file("full");
    const std::string cmd = "ulimit -f 2; exec '" + std::string(TESSARO_CLI_PATH) +
                            "' design --box 3x2x2 --blocks 3 --count 2 --seed 5 --json --out '" + out + "' 2>'" +
                            dir.file("err.txt") + "' >'" + dir.file("out.json") + "'";
    const int status = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 1);
    const std::string err = readBytes(dir.file("err.txt"));
    // Both tried the first free name, and each says which design it was.
    EXPECT_NE(err.find("design-01.bin: 保存できませんでした（Line 130:"), std::string::npos) << err;
    size_t named = 0;
    for (size_t at = 0; (at = err.find("番目の試行）は保存されていません", at)) != std::string::npos; ++at) ++named;
    EXPECT_EQ(named, 2u) << err;
    EXPECT_NE(err.find("--seed 5 の "), std::string::npos) << err;
    EXPECT_EQ(err.find("Error"), std::string::npos) << err;
    const nlohmann::json j = nlohmann::json::parse(readBytes(dir.file("out.json")));
    EXPECT_EQ(j["found"], 2);
    EXPECT_TRUE(j["puzzles"].empty());
    ASSERT_EQ(j["unwritten"].size(), 2u);
    EXPECT_FALSE(j["unwritten"][0]["error"].get<std::string>().empty());
    EXPECT_FALSE(std::filesystem::exists(out)) << "an empty folder made for nothing";
}

TEST(CliDesign, BoxesForTheSamplesBlocksAndPlainRefusals) {
    TempDir dir;
    const CliResult r = runCli(dir, "design --pieces --sample --json --out '" + dir.file("p") + "'");
    ASSERT_EQ(r.code, 0) << r.err;
    const nlohmann::json j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["stopped"], "exhausted");
    ASSERT_FALSE(j["puzzles"].empty());
    for (const auto& p : j["puzzles"]) {
        const nlohmann::json solved =
            nlohmann::json::parse(runCli(dir, "solve '" + p["file"].get<std::string>() + "' --json").out);
        EXPECT_EQ(solved["distinct_unlabelled"], 1);
        EXPECT_GE(p["pieces"].size(), 2u);
        EXPECT_TRUE(p["box"].is_string());
    }
    // No choice of them fills 2x3x4: said plainly, nothing written.
    const CliResult none = runCli(dir, "design --pieces --sample --box 2x3x4 --out '" + dir.file("q") + "'");
    EXPECT_EQ(none.code, 0) << none.err;
    EXPECT_NE(none.out.find("2x3x4 の箱に入ってセル数の和が合う組はありません"), std::string::npos) << none.out;
    EXPECT_FALSE(std::filesystem::exists(dir.file("q")));
    // A file that is no puzzle, and a puzzle of one block: refused with the reason.
    writeBytes(dir.file("bad.bin"), "not a puzzle");
    const CliResult bad = runCli(dir, "design --pieces '" + dir.file("bad.bin") + "' --out '" + dir.file("r") + "'");
    EXPECT_EQ(bad.code, 1);
    EXPECT_NE(bad.err.find("bad.bin"), std::string::npos) << bad.err;
    ASSERT_TRUE(tessaro::subFile_put(makePuzzle(2, 2, 2, {{{0, 0, 0}, {1, 0, 0}}}), dir.file("one.bin")));
    const CliResult one = runCli(dir, "design --pieces '" + dir.file("one.bin") + "' --out '" + dir.file("r") + "'");
    EXPECT_EQ(one.code, 1);
    EXPECT_NE(one.err.find("ブロックが 1 個しかなく"), std::string::npos) << one.err;
    EXPECT_EQ(runCli(dir, "design --pieces --out x").code, 2);
    EXPECT_EQ(runCli(dir, "design --pieces --sample --blocks 3 --out x").code, 2);
}
