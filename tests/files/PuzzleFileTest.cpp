#include "files/PuzzleFile.h"

#include "app/AppEnv.h"
#include "app/ErrLog.h"
#include "files/PuzzleTestData.h"
#include "files/ShiftJis.h"
#include "files/TestSupport.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <set>
#include <tuple>

using namespace tessaro;
using namespace tessaro::test;
namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

class PuzzleFileTest : public ::testing::Test {
protected:
    TempDir dir;
    CapturedMessages msgs{dir.folder()};

    std::string log() const { return cp932ToUtf8(readBytes(dir.file("Error_Log.TXT"))); }
    std::vector<std::string> logLines() const
    {
        std::vector<std::string> lines;
        std::string all = log();
        size_t pos = 0, end;
        while ((end = all.find("\r\n", pos)) != std::string::npos) {
            lines.push_back(all.substr(pos, end - pos));
            pos = end + 2;
        }
        return lines;
    }
    // The log line without its time stamp ("yyyy/mm/dd hh:nn:ss ").
    std::string lastEntry() const
    {
        auto lines = logLines();
        return lines.empty() ? std::string() : lines.back().substr(20);
    }
    std::string save(const Puzzle& p, const std::string& name, float draw = 0.5f)
    {
        ScriptedRandom rnd({draw});
        std::string path = dir.file(name);
        EXPECT_TRUE(subFile_put(p, path, rnd));
        return readBytes(path);
    }
    // Entries in the folder other than the log: a failed save must leave no temp file.
    std::vector<std::string> files() const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir.path()))
            if (e.path().filename() != "Error_Log.TXT")
                names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

int16_t int16At(const std::string& b, size_t at)
{
    return static_cast<int16_t>(static_cast<uint8_t>(b[at]) | (static_cast<uint8_t>(b[at + 1]) << 8));
}

void setInt16(std::string& b, size_t at, int16_t v)
{
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>((static_cast<uint16_t>(v) >> 8) & 0xFF);
}

// What reading leaves unchanged in the target model, copied so a whole-struct comparison works.
Puzzle readInto(const Puzzle& like)
{
    Puzzle target;
    target.G_iWork = like.G_iWork;
    target.G_sFile_Title = like.G_sFile_Title;
    target.G_sFile_Version = like.G_sFile_Version;
    return target;
}

}  // namespace

TEST_F(PuzzleFileTest, RoundTripGivesTheSameModelAndOnlyTheKeyAndPasswordBytesChange)
{
    Puzzle p = richPuzzle();
    p.G_iWork[5] = 3;  // scratch, never stored
    std::string a = dir.file("a.bin"), b = dir.file("b.bin");
    ASSERT_TRUE(subFile_put(p, a));
    ASSERT_TRUE(subFile_put(p, b));
    std::string ba = readBytes(a), bb = readBytes(b);
    ASSERT_EQ(ba.size(), kRecordSize);
    ASSERT_EQ(bb.size(), kRecordSize);
    EXPECT_EQ(ba.substr(0, 16), bb.substr(0, 16));
    EXPECT_EQ(ba.substr(48), bb.substr(48));
    EXPECT_NE(ba.substr(16, 16), bb.substr(16, 16));  // a fresh key at every save

    for (const std::string& path : {a, b}) {
        Puzzle got = readInto(p);
        EXPECT_EQ(fncFile_get(got, path), std::string(trimSpaces(G_sVersion)));
        EXPECT_EQ(got, p);
    }
    EXPECT_TRUE(msgs.list.empty());
    EXPECT_EQ(files(), (std::vector<std::string>{"a.bin", "b.bin"}));
}

TEST_F(PuzzleFileTest, FieldsLieAtTheirOffsetsInElementOrder)
{
    Puzzle p;
    p.G_iCells_X = 4;
    p.G_iCells_Y = 3;
    p.G_iCells_Z = 2;
    p.G_iPiece_Made[pieceIndex(5, 1, 2, 3)] = 1;
    p.G_iPiece[pieceIndex(2, 3, 0, 1)] = 1;
    p.G_iBox[cellIndex(1, 2, 3)] = 2;
    p.G_iBox_No[cellIndex(3, 1, 2)] = 7;
    p.G_lBox_Color[colorIndex(2, 1, 3, 2)] = 0x11223344;
    p.G_iCell_Total = 0x1234;  // stale: the record holds the real counts
    p.G_iCell_Filled = 0x0102;
    p.G_iLoaded[6] = 1;
    p.GE_lRotate = 0x05060708;
    p.GE_iRotation[3] = 5;
    p.G_Info_Piece[5] = {6, 4, 3};
    p.G_sComment = "ab";
    p.G_sPassword = "AZ";
    std::string b = save(p, "layout.bin", 0.5f);  // every key byte 128
    ASSERT_EQ(b.size(), 3254u);

    std::string version(trimSpaces(G_sVersion));
    EXPECT_EQ(b.substr(0, 16), version + std::string(16 - version.size(), ' '));
    EXPECT_EQ(b[0], 'V');
    EXPECT_EQ(b.substr(16, 16), std::string(16, '\x80'));
    EXPECT_EQ(static_cast<uint8_t>(b[32]), ('A' + 127 + 1) ^ 128);
    EXPECT_EQ(static_cast<uint8_t>(b[33]), ('Z' + 127 + 2) ^ 128);
    EXPECT_EQ(static_cast<uint8_t>(b[47]), (' ' + 127 + 16) ^ 128);

    // Every integer of the two cube arrays is 0 except the one set, found by the index arithmetic.
    for (size_t at = 48; at < 2096; at += 2) {
        bool set = at == 48 + 2 * (5 + 8 * 1 + 32 * 2 + 128 * 3) || at == 1072 + 2 * (2 + 8 * 3 + 32 * 0 + 128 * 1);
        EXPECT_EQ(int16At(b, at), set ? 1 : 0) << "offset " << at;
    }
    EXPECT_EQ(b.substr(2096, 40), "ab" + std::string(38, ' '));
    EXPECT_EQ(int16At(b, 2136), 4);
    EXPECT_EQ(int16At(b, 2138), 3);
    EXPECT_EQ(int16At(b, 2140), 2);
    EXPECT_EQ(int16At(b, 2142 + 2 * (1 + 4 * 2 + 16 * 3)), 2);
    EXPECT_EQ(int16At(b, 2270 + 2 * (3 + 4 * 1 + 16 * 2)), 7);
    EXPECT_EQ(b.substr(2398 + 4 * (2 + 4 * 1 + 16 * 3 + 64 * 2), 4), "\x44\x33\x22\x11");
    EXPECT_EQ(int16At(b, 3166), 1);  // one block cell
    EXPECT_EQ(int16At(b, 3168), 2);  // the box cell marked 2
    EXPECT_EQ(int16At(b, 3170 + 2 * 6), 1);
    EXPECT_EQ(b.substr(3186, 4), "\x08\x07\x06\x05");
    EXPECT_EQ(int16At(b, 3190 + 2 * 3), 5);
    EXPECT_EQ(int16At(b, 3206 + 6 * 5), 6);
    EXPECT_EQ(int16At(b, 3206 + 6 * 5 + 2), 4);
    EXPECT_EQ(int16At(b, 3206 + 6 * 5 + 4), 3);
    // Nothing else is set anywhere in the box, colour, flag, order and record fields.
    int nonZero = 0;
    for (size_t at = 2142; at < 3254; ++at)
        nonZero += b[at] != 0;
    EXPECT_EQ(nonZero, 1 + 1 + 4 + 1 + 1 + 1 + 4 + 1 + 3);
}

TEST_F(PuzzleFileTest, KeyBytesStayIn64To191)
{
    ScriptedRandom edges({0.0f, std::nextafter(1.0f, 0.0f), 0.5f, 0.25f, 0.999f, 0.0078125f});
    ASSERT_TRUE(subFile_put(richPuzzle(), dir.file("edges.bin"), edges));
    std::string key = readBytes(dir.file("edges.bin")).substr(16, 16);
    EXPECT_EQ(static_cast<uint8_t>(key[0]), 64);
    EXPECT_EQ(static_cast<uint8_t>(key[1]), 191);
    EXPECT_EQ(static_cast<uint8_t>(key[2]), 128);
    EXPECT_EQ(static_cast<uint8_t>(key[3]), 96);
    EXPECT_EQ(static_cast<uint8_t>(key[4]), 191);
    EXPECT_EQ(static_cast<uint8_t>(key[5]), 65);

    // The clock-seeded source: every byte in range, and the draws not all alike.
    std::set<int> seen;
    for (int n = 0; n < 40; ++n) {
        ASSERT_TRUE(subFile_put(richPuzzle(), dir.file("k.bin")));
        for (char c : readBytes(dir.file("k.bin")).substr(16, 16)) {
            int k = static_cast<uint8_t>(c);
            ASSERT_GE(k, 64);
            ASSERT_LE(k, 191);
            seen.insert(k);
        }
    }
    EXPECT_GT(seen.size(), 100u);
}

TEST_F(PuzzleFileTest, PasswordsStoredAndRefused)
{
    Puzzle p = richPuzzle();
    // An empty password is 16 scrambled spaces.
    p.G_sPassword = "   ";
    ScriptedRandom rnd({0.1f, 0.9f, 0.3f});
    ASSERT_TRUE(subFile_put(p, dir.file("e.bin"), rnd));
    std::string b = readBytes(dir.file("e.bin"));
    for (int i = 1; i <= 16; ++i)
        EXPECT_EQ(static_cast<uint8_t>(b[31 + i]), (32 + 127 + i) ^ static_cast<uint8_t>(b[15 + i])) << i;
    Puzzle got;
    ASSERT_FALSE(fncFile_get(got, dir.file("e.bin")).empty());
    EXPECT_EQ(got.G_sPassword, "");

    struct Case {
        std::string stored, readBack;
    };
    for (const Case& c : std::vector<Case>{
             {"AB12CD34EF", "AB12CD34EF"},
             {"abcdez", "abcdez"},                  // z fits up to position 6
             {std::string(16, 'p'), std::string(16, 'p')},  // 112 fits everywhere
             {"  pass word  ", "pass word"},
             {"ABCDEFGHIJKLMNOPQRST", "ABCDEFGHIJKLMNOP"},  // the field holds 16
             {"ABCDEFGHIJKLMNOPあ", "ABCDEFGHIJKLMNOP"},    // what is cut away is not checked
         }) {
        p.G_sPassword = c.stored;
        ASSERT_TRUE(subFile_put(p, dir.file("p.bin"))) << c.stored;
        Puzzle r;
        ASSERT_FALSE(fncFile_get(r, dir.file("p.bin")).empty());
        EXPECT_EQ(r.G_sPassword, c.readBack);
    }
    EXPECT_TRUE(msgs.list.empty());

    for (const std::string& bad : {std::string("abcdefz"), std::string("AAAAAAAAAw"), std::string("パス"),
                                   std::string("ABｱ"), std::string("AB\xFF")}) {
        EXPECT_TRUE(checkPassword(bad).has_value()) << bad;
        p.G_sPassword = bad;
        EXPECT_FALSE(subFile_put(p, dir.file("refused.bin"))) << bad;
        EXPECT_FALSE(fs::exists(dir.file("refused.bin")));
        EXPECT_TRUE(lastEntry().starts_with("frmMain.subFile_put() 6 Line 120:")) << lastEntry();
    }
    EXPECT_NE(lastEntry().find("3 文字目"), std::string::npos);
    EXPECT_EQ(msgs.list.size(), 5u);
    EXPECT_EQ(msgs.list[0].title, "frmMain.subFile_put() 6");
    EXPECT_TRUE(msgs.list[0].text.starts_with("Error Line 120:オーバーフローしました。"));
}

TEST_F(PuzzleFileTest, CommentsAreCutAtACharacterBoundaryAndTrimmedOfAsciiSpacesOnly)
{
    Puzzle p = richPuzzle();
    std::string twenty;
    for (int i = 0; i < 20; ++i)
        twenty += "あいうえおかきくけこ"s.substr(3 * (i % 10), 3);
    struct Case {
        std::string comment, readBack;
    };
    for (const Case& c : std::vector<Case>{
             {twenty, twenty},
             {twenty + "さしすせそ", twenty},
             {"Puzzle7", "Puzzle7"},
             {"   padded   ", "padded"},
             {std::string(39, 'x') + "あ", std::string(39, 'x')},
             {"　全角スペース　", "　全角スペース　"},
             {"", ""},
         }) {
        p.G_sComment = c.comment;
        std::string b = save(p, "c.bin");
        std::string field = b.substr(rec::kComment, 40);
        Puzzle got;
        ASSERT_FALSE(fncFile_get(got, dir.file("c.bin")).empty());
        EXPECT_EQ(got.G_sComment, c.readBack);
        EXPECT_EQ(field, cp932Field(utf8ToCp932(c.readBack), 40)) << c.comment;
    }
    p.G_sComment = twenty;
    EXPECT_EQ(save(p, "c.bin").substr(rec::kComment, 40), utf8ToCp932(twenty));  // exactly full
}

TEST_F(PuzzleFileTest, NotAPuzzleFileGivesNgVersionAndLeavesTheModel)
{
    Puzzle good = richPuzzle();
    std::string record = save(good, "good.bin");
    for (const std::string& bytes : {std::string(), std::string("V123456789"), std::string(15, 'V'),
                                     "X" + record.substr(1), "v" + record.substr(1), std::string(3254, '\0')}) {
        writeBytes(dir.file("x.bin"), bytes);
        Puzzle model = richPuzzle();
        model.G_iWork[0] = 1;
        Puzzle before = model;
        EXPECT_EQ(fncFile_get(model, dir.file("x.bin")), "NG Version") << bytes.size();
        EXPECT_EQ(model, before);
    }
    EXPECT_TRUE(msgs.list.empty());
    EXPECT_FALSE(fs::exists(dir.file("Error_Log.TXT")));
}

TEST_F(PuzzleFileTest, ForeignFilesThatFollowTheLayoutAreRead)
{
    Puzzle p = richPuzzle();
    std::string b = save(p, "f.bin");
    // Another writer's version text, a key outside 64..191 with the password
    // scrambled to match, a box cell of 2 counted in the filled cells, and a tail.
    std::string v = "VX 9.9";
    b.replace(0, 16, v + std::string(16 - v.size(), ' '));
    for (int i = 1; i <= 16; ++i) {
        int c = i <= 3 ? "Key"[i - 1] : ' ';
        b[15 + i] = static_cast<char>(i * 7);
        b[31 + i] = static_cast<char>(((c + 127 + i) & 0xFF) ^ (i * 7));
    }
    setInt16(b, rec::kBox, 2);
    setInt16(b, rec::kCellFilled, static_cast<int16_t>(p.G_iCell_Filled + 2 - p.G_iBox[0]));
    b.replace(rec::kBoxColor, 4, std::string("\xFF\xFF\xFF\x00", 4));
    b += "trailing bytes are ignored";
    writeBytes(dir.file("f.bin"), b);
    Puzzle got;
    EXPECT_EQ(fncFile_get(got, dir.file("f.bin")), "VX 9.9") << log();
    EXPECT_EQ(got.G_sPassword, "Key");
    EXPECT_EQ(got.G_iBox[0], 2);
    EXPECT_EQ(got.G_lBox_Color[0], 0xFFFFFF);
    EXPECT_EQ(got.G_iCell_Filled, fncBox_Count(got.G_iBox));
    EXPECT_EQ(got.G_iPiece, p.G_iPiece);
    EXPECT_TRUE(msgs.list.empty());
}

TEST_F(PuzzleFileTest, DamagedOrImpossibleFieldsAreRefusedWithTheirLabelAndTheModelKept)
{
    const std::string good = save(richPuzzle(), "good.bin");
    struct Case {
        size_t at;
        int16_t value;
        int label;
    };
    const std::vector<Case> cases = {
        {rec::kPieceMade + 2 * 100, 2, 130},  {rec::kPiece + 2 * 511, -1, 140},   {rec::kCellsX, 1, 160},
        {rec::kCellsY, 5, 170},               {rec::kCellsZ, 0, 180},             {rec::kBox + 2 * 63, 3, 190},
        {rec::kBox, -1, 190},                 {rec::kBoxNo + 2 * 7, 9, 200},      {rec::kBoxNo, -2, 200},
        {rec::kLoaded + 2 * 7, 2, 240},       {rec::kRotate + 2, -1, 250},        {rec::kRotation + 2 * 4, 8, 260},
        {rec::kRotation, -1, 260},            {rec::kInfoPiece + 6 * 7, 9, 270},  {rec::kInfoPiece + 2, 6, 270},
        {rec::kInfoPiece + 6 * 3 + 4, 4, 270}, {rec::kInfoPiece + 4, -1, 270},
    };
    auto expectRefused = [&](const std::string& bytes, int label, int number) {
        writeBytes(dir.file("bad.bin"), bytes);
        Puzzle model = richPuzzle();
        model.G_sComment = "before";
        Puzzle before = model;
        size_t logged = logLines().size();
        EXPECT_EQ(fncFile_get(model, dir.file("bad.bin")), "");
        EXPECT_EQ(model, before);
        ASSERT_EQ(logLines().size(), logged + 1);
        std::string expect = "frmMain.fncFile_get() " + std::to_string(number) + " Line " + std::to_string(label) + ":";
        EXPECT_TRUE(lastEntry().starts_with(expect)) << lastEntry();
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.at);
        std::string bytes = good;
        setInt16(bytes, c.at, c.value);
        expectRefused(bytes, c.label, 321);
    }
    // A file that ends early: the first field it cannot fill names the step.
    for (auto [length, label] : std::vector<std::pair<size_t, int>>{
             {16, 120}, {31, 120}, {32, 121}, {47, 121}, {48, 130}, {1500, 140}, {2100, 150}, {2137, 160},
             {2139, 170}, {2141, 180}, {2200, 190}, {2300, 200}, {3000, 210}, {3167, 220}, {3169, 230},
             {3180, 240}, {3189, 250}, {3200, 260}, {3253, 270}}) {
        SCOPED_TRACE(length);
        expectRefused(good.substr(0, length), label, 62);
    }
    // A damaged password byte decodes below 0.
    std::string bytes = good;
    bytes[32 + 4] = bytes[16 + 4];
    expectRefused(bytes, 121, 5);
    EXPECT_NE(lastEntry().find("5 文字目"), std::string::npos);
    // A password stored with a control character (ESC at position 2) could never be typed.
    bytes = good;
    bytes[32 + 1] = static_cast<char>((0x1B + 127 + 2) ^ static_cast<uint8_t>(bytes[16 + 1]));
    expectRefused(bytes, 121, 5);
    EXPECT_NE(lastEntry().find("2 文字目が制御文字"), std::string::npos) << lastEntry();
    // Counters that lie, named: a total the blocks do not have (the loader would
    // search for ever), a filled count the box does not hold, a colour no block has.
    const int16_t total = int16At(good, rec::kCellTotal), filled = int16At(good, rec::kCellFilled);
    for (auto [at, value, label, name] : std::vector<std::tuple<size_t, int16_t, int, std::string>>{
             {rec::kCellTotal, 32767, 220, "G_iCell_Total = 32767"},
             {rec::kCellTotal, static_cast<int16_t>(total - 1), 220, "G_iCell_Total"},
             {rec::kCellFilled, static_cast<int16_t>(filled + 1), 230, "G_iCell_Filled"},
             {rec::kCellFilled, 0, 230, "G_iCell_Filled = 0"},
             {rec::kBoxColor + 4 * 65 + 2, 0x0100, 210, "G_lBox_Color(1, 0, 0, 1) = 16777216"}}) {
        bytes = good;
        setInt16(bytes, at, value);
        expectRefused(bytes, label, 321);
        EXPECT_NE(lastEntry().find(name), std::string::npos) << lastEntry();
    }
    // A missing file and a folder in its place.
    Puzzle model = richPuzzle(), before = model;
    EXPECT_EQ(fncFile_get(model, dir.file("missing.bin")), "");
    EXPECT_TRUE(lastEntry().starts_with("frmMain.fncFile_get() 53 Line 100:")) << lastEntry();
    EXPECT_EQ(fncFile_get(model, dir.path()), "");
    EXPECT_TRUE(lastEntry().starts_with("frmMain.fncFile_get() 75 Line 100:")) << lastEntry();
    EXPECT_EQ(model, before);
    // Each error was also shown, titled with the place.
    ASSERT_FALSE(msgs.list.empty());
    EXPECT_EQ(msgs.list.back().title, "frmMain.fncFile_get() 75");
    EXPECT_TRUE(msgs.list.back().text.starts_with("Error Line 100:"));
}

TEST_F(PuzzleFileTest, AFailedSaveLeavesTheOldFileByteForByte)
{
    Puzzle p = richPuzzle();
    const std::string target = dir.file("keep.bin");
    const std::string old = save(p, "keep.bin");
    Puzzle changed = p;
    changed.G_iCells_X = 2;
    changed.G_sComment = "changed";

    // A password the format cannot hold: refused before the file is touched.
    changed.G_sPassword = "abcdefgz";
    EXPECT_FALSE(subFile_put(changed, target));
    EXPECT_EQ(readBytes(target), old);

    // The file size limit stops the write in the middle of the cube fields.
    changed.G_sPassword = "OK";
    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool written = subFile_put(changed, target);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_TRUE(lastEntry().starts_with("frmMain.subFile_put() 61 Line 130:")) << lastEntry();
    EXPECT_EQ(readBytes(target), old);
    EXPECT_EQ(files(), std::vector<std::string>{"keep.bin"});

    // A folder that has gone away, and a folder where the file should be.
    TempDir gone;
    std::string lost = gone.file("x.bin");
    fs::remove_all(gone.path());
    EXPECT_FALSE(subFile_put(changed, lost));
    EXPECT_TRUE(lastEntry().starts_with("frmMain.subFile_put() 76 Line 100:")) << lastEntry();
    fs::create_directory(dir.file("folder.bin"));
    EXPECT_FALSE(subFile_put(changed, dir.file("folder.bin")));
    EXPECT_TRUE(lastEntry().starts_with("frmMain.subFile_put() 75 Line 100:")) << lastEntry();
    EXPECT_EQ(readBytes(target), old);
    EXPECT_EQ(files(), (std::vector<std::string>{"folder.bin", "keep.bin"}));

    // A read-only file stays, though its folder would take a new one (root included).
    fs::permissions(target, fs::perms::owner_read);
    EXPECT_FALSE(subFile_put(changed, target));
    EXPECT_TRUE(lastEntry().starts_with("frmMain.subFile_put() 70 Line 100:")) << lastEntry();
    EXPECT_EQ(readBytes(target), old);
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);

    // Whatever failed, a good save still replaces the file whole.
    ASSERT_TRUE(subFile_put(changed, target));
    Puzzle got;
    ASSERT_FALSE(fncFile_get(got, target).empty());
    EXPECT_EQ(got.G_iCells_X, 2);
    EXPECT_EQ(got.G_sComment, "changed");
}

TEST_F(PuzzleFileTest, SavingReplacesALongerFileAndKeepsItsPermissionsAndLinks)
{
    std::string target = dir.file("long.bin");
    writeBytes(target, std::string(5000, 'V'));
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(subFile_put(richPuzzle(), target));
    EXPECT_EQ(fs::file_size(target), kRecordSize);
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    fs::create_symlink("long.bin", dir.file("link.bin"));
    Puzzle p = richPuzzle();
    p.G_sComment = "via link";
    ASSERT_TRUE(subFile_put(p, dir.file("link.bin")));
    EXPECT_TRUE(fs::is_symlink(dir.file("link.bin")));
    Puzzle got;
    ASSERT_FALSE(fncFile_get(got, target).empty());
    EXPECT_EQ(got.G_sComment, "via link");
}
