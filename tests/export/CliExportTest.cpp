// tessaro-cli export as a script runs it: the files it names, and its exit codes.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
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

TEST(CliExport, WarnsOfLooseBlocksAndNothingElse) {
    const fs::path dir = fs::temp_directory_path() / ("tessaro-cli-warn-" + std::to_string(getpid()));
    const std::string d = dir.string();
    // The pictures start Qt, which left to itself complains of a missing runtime folder.
    const CliRun r = cli("--sample --3mf " + d + "/a.3mf --png " + d + "/png --clearance-mm 0 --bevel-mm 1",
                         "env -u XDG_RUNTIME_DIR");
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.err,
              "tessaro-cli: 警告: ブロック 5 は面でつながっていません。印刷すると 2 個に分かれます。\n"
              "tessaro-cli: 警告: ブロック 6 は面でつながっていません。印刷すると 2 個に分かれます。\n");
    fs::remove_all(dir);
}
