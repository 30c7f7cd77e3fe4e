// tessaro-cli against hostile files, targets and signals: nothing raw reaches
// the terminal, numbers are refused plainly, and a stop by signal is saved.
#include "analysis/AnalysisTestUtil.h"
#include "app/AppEnv.h"
#include "cli/RunCli.h"
#include "files/PuzzleFile.h"
#include "files/SaveFile.h"
#include "files/TestSupport.h"
#include "model/Figure.h"

#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <thread>

using namespace tessaro;
using namespace tessaro::test;

namespace {

// The sample with one cell more on block 1: 28 cells never fit the 27 of the box,
// so LOAD searches every order for a very long time.
Puzzle endlessPuzzle() {
    Puzzle p = buildSamplePuzzle();
    EXPECT_EQ(p.G_iPiece[pieceIndex(0, 1, 0, 0)], 0);
    p.G_iPiece[pieceIndex(0, 1, 0, 0)] = p.G_iPiece_Made[pieceIndex(0, 1, 0, 0)] = 1;
    p.G_iCell_Total = fncPiece_CountAll(p);
    return p;
}

// Whether process `pid` has a handler for `signo` (its SigCgt mask).
bool catches(pid_t pid, int signo) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("SigCgt:"))
            return (std::stoull(line.substr(7), nullptr, 16) >> (signo - 1)) & 1;
    return false;
}

}  // namespace

TEST(CliSafety, InfoShowsControlCharactersEscaped) {
    TempDir dir;
    CapturedMessages msgs(dir.folder());
    Puzzle p = buildSamplePuzzle();
    p.G_sComment = "a\x1b[2Jb\rc\x07\x1b]0;x\x07";
    ASSERT_TRUE(subFile_put(p, dir.file("ctl.bin")));
    std::string bytes = readBytes(dir.file("ctl.bin"));
    bytes.replace(0, 8, "V\x1b[2J\x7f\t ");
    writeBytes(dir.file("ctl.bin"), bytes);

    const CliResult r = runCli(dir, "info '" + dir.file("ctl.bin") + "'");
    ASSERT_EQ(r.code, 0) << r.err;
    for (char c : r.out) {
        const auto u = static_cast<unsigned char>(c);
        ASSERT_TRUE(u == '\n' || (u >= 0x20 && u != 0x7F)) << "raw control character " << int(u);
    }
    EXPECT_NE(r.out.find("バージョン: V\\x1B[2J\\x7F\\x09"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("コメント: a\\x1B[2Jb\\x0Dc\\x07\\x1B]0;x\\x07"), std::string::npos) << r.out;
    // JSON keeps the text itself, escaped by JSON.
    const CliResult j = runCli(dir, "info '" + dir.file("ctl.bin") + "' --json");
    EXPECT_EQ(nlohmann::json::parse(j.out)["G_sComment"].get<std::string>().substr(0, 9), "a\x1b[2Jb\rc\x07");
}

TEST(CliSafety, CountsOutOfRangeAreRefusedPlainlyByLoadAndSolve) {
    TempDir dir;
    for (const char* option : {"load --sample --max-fit-tests", "solve --sample --limit", "solve --sample --threads"})
        for (const char* bad : {"-1", "lots", "18446744073709551616", "99999999999999999999999", "+5", "0x10", "1e3",
                                " 3", ""}) {
            const CliResult r = runCli(dir, std::string(option) + " '" + bad + "'");
            EXPECT_EQ(r.code, 2) << option << bad;
            EXPECT_EQ(r.out, "") << option << bad;
            const bool threads = std::string(option).ends_with("threads");
            EXPECT_NE(r.err.find(threads ? "0 から 256 までの整数" : "0 から 18446744073709551615 までの整数"),
                      std::string::npos)
                << r.err;
            EXPECT_LT(r.err.size(), 300u) << r.err;
        }
    const CliResult top = runCli(dir, "load --sample --max-fit-tests 18446744073709551615 --json --quiet");
    ASSERT_EQ(top.code, 0) << top.err;
    EXPECT_EQ(nlohmann::json::parse(top.out)["outcome"], "solved");
}

TEST(CliSafety, OutOntoAPipeOrUnderAFileSizeLimitFailsWithAMessage) {
    TempDir dir;
    CapturedMessages msgs(dir.folder());
    ASSERT_EQ(mkfifo(dir.file("pipe.bin").c_str(), 0600), 0);
    const CliResult pipe = runCli(dir, "load --sample --quiet --out '" + dir.file("pipe.bin") + "'");
    EXPECT_EQ(pipe.code, 1);
    EXPECT_EQ(pipe.out, "");  // refused before the search
    EXPECT_NE(pipe.err.find("名前付きパイプ"), std::string::npos) << pipe.err;
    struct stat st {};
    ASSERT_EQ(lstat(dir.file("pipe.bin").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));

    ASSERT_TRUE(subFile_put(buildSamplePuzzle(), dir.file("old.bin")));
    const std::string old = readBytes(dir.file("old.bin"));
    // The shell's file-size limit (a few blocks, less than one record) on the CLI alone.
    const std::string cmd = "ulimit -f 2; exec '" + std::string(TESSARO_CLI_PATH) +
                            "' load --sample --max-fit-tests 0 --quiet --out '" + dir.file("old.bin") + "' 2>'" +
                            dir.file("err.txt") + "' >/dev/null";
    const int status = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(readBytes(dir.file("err.txt")).find("保存できませんでした"), std::string::npos) << readBytes(dir.file("err.txt"));
    EXPECT_EQ(readBytes(dir.file("old.bin")), old);
    EXPECT_FALSE(std::filesystem::exists(dir.file(saveTempName("old.bin"))));
}

TEST(CliSafety, ASignalDuringLoadStopsLikeStopAndTheStateIsSaved) {
    TempDir dir;
    CapturedMessages msgs(dir.folder());
    ASSERT_TRUE(subFile_put(endlessPuzzle(), dir.file("endless.bin")));
    for (int signo : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signo);
        const std::string out = dir.file("stopped.bin"), json = dir.file("out.json");
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const int fd = open(json.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(fd, STDOUT_FILENO);
            execl(TESSARO_CLI_PATH, "tessaro-cli", "load", dir.file("endless.bin").c_str(), "--json", "--quiet",
                  "--out", out.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        // Once it catches the signal, let the search run a little, then send it.
        for (int i = 0; i < 500 && !catches(child, signo); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        kill(child, signo);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
        EXPECT_EQ(WEXITSTATUS(status), 128 + signo);  // as a shell reports an interrupted program

        const nlohmann::json j = nlohmann::json::parse(readBytes(json));
        EXPECT_EQ(j["outcome"], "stopped");
        Puzzle saved;
        ASSERT_NE(fncFile_get(saved, out), "");
        EXPECT_EQ(saved.GE_lRotate, j["puzzle"]["GE_lRotate"]);
        for (int b = 0; b < kBlocks; ++b)
            EXPECT_EQ(saved.G_Info_Piece[b].iNo, j["puzzle"]["G_Info_Piece"][b][0]);
        EXPECT_EQ(fncBox_Count(saved.G_iBox), saved.G_iCell_Filled);
    }
}

TEST(CliSafety, ASignalDuringSolveEndsTheCountWithWhatWasCounted) {
    TempDir dir;
    CapturedMessages msgs(dir.folder());
    // Eight dominoes in a 4×4×4 box: more packings than any run counts.
    std::vector<CellList> dominoes(8, CellList{{0, 0, 0}, {1, 0, 0}});
    ASSERT_TRUE(subFile_put(makePuzzle(4, 4, 4, dominoes), dir.file("many.bin")));
    for (int signo : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signo);
        const std::string json = dir.file("out.json");
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const int fd = open(json.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(fd, STDOUT_FILENO);
            execl(TESSARO_CLI_PATH, "tessaro-cli", "solve", dir.file("many.bin").c_str(), "--json", "--quiet",
                  "--threads", "1", static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int i = 0; i < 500 && !catches(child, signo); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        kill(child, signo);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
        EXPECT_EQ(WEXITSTATUS(status), 128 + signo);  // as a shell reports an interrupted program
        const nlohmann::json j = nlohmann::json::parse(readBytes(json));
        EXPECT_EQ(j["complete"], false);
        EXPECT_GT(j["solutions"].get<uint64_t>(), 0u);
    }
}
