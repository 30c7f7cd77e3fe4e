// The conventions every tessaro-cli command keeps: one Japanese voice for bad
// usage, one reading of numbers, one check of the texts a file holds.
#include "cli/CountOption.h"
#include "cli/RunCli.h"
#include "cli/StatusLine.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

using namespace tessaro::test;

namespace {

// One line beginning with the program's name, then where to find the usage; no English from the parser.
void expectJapaneseRefusal(const CliResult& r, const std::string& args) {
    EXPECT_EQ(r.code, 2) << args;
    EXPECT_EQ(r.out, "") << args;
    EXPECT_TRUE(r.err.starts_with("tessaro-cli: ")) << args << "\n" << r.err;
    for (const char* english : {"Run with", "not in range", "Value", "required", "excludes", "expected", "Could not"})
        EXPECT_EQ(r.err.find(english), std::string::npos) << args << "\n" << r.err;
}

}  // namespace

TEST(CliConventions, UsageErrorsSpeakJapaneseAndNameWhatWasWrong) {
    TempDir dir;
    const CliResult unknown = runCli(dir, "frobnicate");
    expectJapaneseRefusal(unknown, "frobnicate");
    EXPECT_NE(unknown.err.find("frobnicate というコマンドはありません"), std::string::npos) << unknown.err;
    const CliResult conflict = runCli(dir, "solve --sample --estimate --all");
    expectJapaneseRefusal(conflict, "--estimate --all");
    EXPECT_NE(conflict.err.find("同時に指定できません"), std::string::npos) << conflict.err;
    for (const char* args : {"", "info", "info --sample --bogus", "design --box 3x3x3 --blocks 4", "convert a.bin",
                             "design --box 3x3x3 --blocks 4 --out", "load --sample --comment x"})
        expectJapaneseRefusal(runCli(dir, args), args);

    const CliResult version = runCli(dir, "--version");
    EXPECT_EQ(version.code, 0);
    EXPECT_TRUE(version.out.starts_with("tessaro-cli (Tessaro) " TESSARO_VERSION "\n")) << version.out;
    // --help names the kinds of values as a user reads them.
    const CliResult help = runCli(dir, "design --help");
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("--threads N"), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("--seconds SECONDS"), std::string::npos) << help.out;
    EXPECT_EQ(help.out.find("TEXT:"), std::string::npos) << help.out;
}

TEST(CliConventions, EveryNumberIsReadOneWay) {
    TempDir dir;
    const std::string out = " --out '" + dir.file("d") + "'";
    const std::string design = "design --box 2x2x2 --blocks 2";
    for (const std::string& args :
         {design + " --seconds -1", design + " --seconds 0", design + " --seconds abc", design + " --seconds inf",
          design + " --seconds nan", design + " --seconds 1e3", design + " --seed -1",
          design + " --seed 18446744073709551616", design + " --seed 0x10", design + " --seed ' 7'",
          design + " --count 0x2", design + " --blocks abc", design + " --threads 257", design + " --box 1x4x4",
          std::string("convert a.bin b.bin --problem ' 2'"), std::string("convert a.bin b.bin --problem 0x2"),
          std::string("export --sample --stl x --cube-mm 1e1"), std::string("solve --sample --threads 257")}) {
        const CliResult r = runCli(dir, args + out);
        expectJapaneseRefusal(r, args);
        EXPECT_LT(r.err.size(), 400u) << r.err;
    }
    // --threads has one range in every command, said the same way.
    const std::string solve = runCli(dir, "solve --sample --threads 257").err;
    const std::string designed = runCli(dir, design + " --threads 257" + out).err;
    const auto firstLine = [](const std::string& err) { return err.substr(0, err.find('\n')); };
    EXPECT_EQ(firstLine(solve).substr(solve.find("「")), firstLine(designed).substr(designed.find("「")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("d")));

    // The largest seed and a fraction of a second are numbers like any other.
    const CliResult top = runCli(dir, design + " --seed 18446744073709551615 --seconds 0.5 --count 1 --json" + out);
    EXPECT_EQ(top.code, 0) << top.err;
    EXPECT_EQ(nlohmann::json::parse(top.out)["found"], 1);

    EXPECT_EQ(tessaro::cli::parseDecimal(".5"), 0.5);
    for (const char* bad : {".", "1.2.3", "-1", "1e3", "inf", "nan", " 1", "0x1"})
        EXPECT_FALSE(tessaro::cli::parseDecimal(bad)) << bad;
}

// Built by appending: g++ 12 at -O2 warns falsely of overflow on a literal plus a temporary.
std::string quoted(std::string head, const std::string& path) {
    head.append("'").append(path).append("'");
    return head;
}

TEST(CliConventions, CommentsAndPasswordsTheFileCannotHoldAreRefusedByEveryCommand) {
    TempDir dir;
    ASSERT_EQ(runCli(dir, quoted("load --sample --max-fit-tests 0 --quiet --out ", dir.file("s.bin"))).code, 0);
    const std::string in = quoted("", dir.file("s.bin")) + " ";
    const std::vector<std::string> commands = {
        quoted("load --sample --max-fit-tests 0 --quiet --out ", dir.file("l.bin")),
        quoted("convert " + in, dir.file("c.bin")),
        quoted("design --box 2x2x2 --blocks 2 --count 1 --out ", dir.file("d")),
    };
    for (const std::string& text :
         {std::string("--comment '😀テスト'"), std::string("--comment '") + std::string(23, 'x') + "あいうえおかきくけ'",
          std::string("--comment 'a\tb'"), std::string("--password abcdefghijklmnopq"),
          std::string("--password 'パス'")}) {
        std::string first;
        for (const std::string& cmd : commands) {
            const CliResult r = runCli(dir, cmd + " " + text);
            expectJapaneseRefusal(r, cmd + " " + text);
            // The same refusal, whatever the command.
            if (first.empty()) first = r.err.substr(0, r.err.find('\n'));
            EXPECT_EQ(r.err.substr(0, r.err.find('\n')), first) << cmd;
        }
    }
    for (const char* made : {"l.bin", "c.bin", "d"}) EXPECT_FALSE(std::filesystem::exists(dir.file(made))) << made;
    // Twenty full-width characters are what the file holds, and are kept whole.
    const std::string twenty = "あいうえおかきくけこさしすせそたちつてと";
    ASSERT_EQ(runCli(dir, "convert " + in + "'" + dir.file("c.bin") + "' --comment '" + twenty + "'").code, 0);
    EXPECT_EQ(nlohmann::json::parse(runCli(dir, "info --json '" + dir.file("c.bin") + "'").out)["G_sComment"], twenty);
}

TEST(CliConventions, OptionsThatCannotBeMetAreSaidSo) {
    TempDir dir;
    // A sheet or a 3MF file into a folder that is not there: refused, the folder not made.
    for (const char* option : {"--pdf", "--3mf", "--stl"}) {
        const std::string target = dir.file("missing/x.out");
        const CliResult r = runCli(dir, std::string("export --sample ") + option + " '" + target + "'");
        EXPECT_EQ(r.code, 1) << option;
        EXPECT_NE(r.err.find("フォルダ " + dir.file("missing") + " がありません"), std::string::npos) << r.err;
        EXPECT_FALSE(std::filesystem::exists(dir.file("missing"))) << option;
    }
    // --from-box with nothing in the box counts from the empty box, and says so.
    const CliResult empty = runCli(dir, "solve --sample --from-box --no-difficulty --json");
    EXPECT_EQ(empty.code, 0) << empty.err;
    EXPECT_NE(empty.err.find("装填済みのブロックがありません"), std::string::npos) << empty.err;
    EXPECT_EQ(nlohmann::json::parse(empty.out)["complete"], true);

    // Progress goes to stderr on a terminal, elsewhere only when asked for.
    ASSERT_EQ(isatty(STDERR_FILENO), 0);
    EXPECT_FALSE(tessaro::cli::StatusLine(true).enabled());
    EXPECT_TRUE(tessaro::cli::StatusLine(true, true).enabled());
    EXPECT_FALSE(tessaro::cli::StatusLine(false, true).enabled());
}
