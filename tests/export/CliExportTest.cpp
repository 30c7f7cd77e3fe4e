// tessaro-cli export as a script runs it: the files it names, and its exit codes.
#include "ExportTempDir.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>
#include <string>

namespace fs = std::filesystem;

namespace {

struct CliRun {
    int code = -1;
    std::string out, err;
};

CliRun cli(const std::string& args, const std::string& env = {}) {
    CliRun r;
    const fs::path errFile = fs::temp_directory_path() / ("tessaro-cli-err-" + std::to_string(getpid()));
    const std::string cmd = env + " " + std::string(TESSARO_CLI_PATH) + " export " + args + " 2>" + errFile.string();
    FILE* f = popen(cmd.c_str(), "r");
    std::array<char, 512> buf;
    while (fgets(buf.data(), buf.size(), f)) r.out += buf.data();
    const int status = pclose(f);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(errFile);
    r.err.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    fs::remove(errFile);
    return r;
}

}  // namespace

TEST(CliExport, WritesWhatItNamesAndExitsWithTheUsualCodes) {
    const fs::path dir = fs::temp_directory_path() / ("tessaro-cli-export-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string d = dir.string();

    CliRun r = cli("--sample --stl " + d + "/stl --3mf " + d + "/all.3mf --pdf " + d + "/s.pdf --tray-mm 2");
    EXPECT_EQ(r.code, 0);
    for (const char* f : {"/stl/block1.stl", "/stl/block7.stl", "/stl/tray.stl", "/all.3mf", "/s.pdf"}) {
        EXPECT_TRUE(fs::exists(d + f)) << f;
        EXPECT_NE(r.out.find(d + f), std::string::npos) << f;
    }
    EXPECT_FALSE(fs::exists(d + "/stl/block8.stl"));  // the sample's block 8 is empty

    EXPECT_EQ(cli("--sample --stl " + d + "/x --cube-mm -1").code, 2);
    EXPECT_EQ(cli("--sample --stl " + d + "/x --bevel-mm 3").code, 2);
    EXPECT_EQ(cli("--sample --stl " + d + "/x --clearance-mm 5").code, 2);
    EXPECT_EQ(cli("--sample").code, 2);                              // nothing to write
    EXPECT_EQ(cli(d + "/none.bin --stl " + d + "/x").code, 1);       // unreadable puzzle
    EXPECT_EQ(cli("--sample --3mf " + d + "/stl/block1.stl/a.3mf").code, 1);  // a file in the way
    EXPECT_FALSE(fs::exists(d + "/x"));
    fs::remove_all(dir);
}

TEST(CliExport, ReportsEachBlocksAreaOverAirAndWarnsOfLooseBlocks) {
    const fs::path dir = fs::temp_directory_path() / ("tessaro-cli-warn-" + std::to_string(getpid()));
    const std::string d = dir.string();
    fs::create_directories(dir);  // a file's folder must be there, as for Save As
    // The pictures start Qt, which left to itself complains of a missing runtime folder.
    const CliRun r = cli("--sample --3mf " + d + "/a.3mf --png " + d + "/png --clearance-mm 0 --bevel-mm 1",
                         "env -u XDG_RUNTIME_DIR");
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.err,
              "tessaro-cli: ブロック 1：サポートが要る面 0 mm²（作ったままの向きでは 0 mm²）\n"
              "tessaro-cli: ブロック 2：サポートが要る面 0 mm²（作ったままの向きでは 144 mm²）\n"
              "tessaro-cli: ブロック 3：サポートが要る面 0 mm²（作ったままの向きでは 224 mm²）\n"
              "tessaro-cli: ブロック 4：サポートが要る面 0 mm²（作ったままの向きでは 144 mm²）\n"
              "tessaro-cli: ブロック 5：サポートが要る面 0 mm²（作ったままの向きでは 64 mm²）\n"
              "tessaro-cli: ブロック 6：サポートが要る面 0 mm²（作ったままの向きでは 64 mm²）\n"
              "tessaro-cli: ブロック 7：サポートが要る面 0 mm²（作ったままの向きでは 72 mm²）\n"
              "tessaro-cli: 警告: ブロック 5 は面でつながっていないため、2 個の部品（block5-a、block5-b）に分けて書き出しました。"
              "辺や角だけで接するキューブは別の部品です。\n"
              "tessaro-cli: 警告: ブロック 6 は面でつながっていないため、2 個の部品（block6-a、block6-b）に分けて書き出しました。"
              "辺や角だけで接するキューブは別の部品です。\n");
    fs::remove_all(dir);
}

TEST(CliExport, AFailedWriteIsOneLineNamingTheTargetAndLeftOverBlockFilesNeedForce) {
    const tessaro::test::TempDir dir;
    const std::string& d = dir.path();

    // Under a file-size limit: the target and the reason in the program's words, nothing else.
    const std::string limited = "ulimit -f 16; exec '" + std::string(TESSARO_CLI_PATH) + "' export --sample --png '" +
                                d + "/png' 2>'" + d + "/err.txt' >/dev/null";
    const int status = std::system(limited.c_str());
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 1);
    std::ifstream errFile(d + "/err.txt");
    std::vector<std::string> lines;
    for (std::string line; std::getline(errFile, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].starts_with("tessaro-cli: " + d + "/")) << lines[0];
    EXPECT_NE(lines[0].find(": 書き出せません。ファイルサイズの上限を超えるため書き込めません。"), std::string::npos)
        << lines[0];
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"err.txt"});

    // block8.stl of an earlier 8-block export: refused and kept, removed with --force and named.
    fs::create_directories(d + "/stl");
    std::ofstream(d + "/stl/block8.stl") << "old";
    CliRun r = cli("--sample --stl " + d + "/stl");
    EXPECT_EQ(r.code, 1);
    EXPECT_FALSE(fs::exists(d + "/stl/block1.stl"));
    EXPECT_TRUE(fs::exists(d + "/stl/block8.stl"));
    r = cli("--sample --stl " + d + "/stl --force");
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(fs::exists(d + "/stl/block7.stl"));
    EXPECT_FALSE(fs::exists(d + "/stl/block8.stl"));
}
