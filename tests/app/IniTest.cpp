#include "app/Ini.h"

#include "files/ShiftJis.h"
#include "files/TestSupport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

using namespace tessaro;
using namespace tessaro::test;

namespace {

class IniTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string file = dir.file("Init.ini");
    std::string get(const std::string& text, bool shiftJis = true)
    {
        writeBytes(file, shiftJis ? utf8ToCp932(text) : text);
        return fncIni_get(kIniSection, kIniDataKey, file);
    }
};

}  // namespace

TEST_F(IniTest, FindsTheKeyLikeTheProfileFunctions)
{
    EXPECT_EQ(get("[フォルダPath]\r\nDATA_Folda_Path=/srv/puzzles\r\n"), "/srv/puzzles");
    // Odd case and blanks around names and value; LF-only lines.
    EXPECT_EQ(get("  [ フォルダpath ]  \n\t data_folda_PATH \t=  /srv/p q  \n"), "/srv/p q");
    // Other sections and keys are ignored; the first matching section and key count.
    EXPECT_EQ(get("[Other]\r\nDATA_Folda_Path=/wrong\r\n[フォルダPath]\r\nX=1\r\nDATA_Folda_Path=/right\r\n"
                  "DATA_Folda_Path=/second\r\n[フォルダPath]\r\nDATA_Folda_Path=/third\r\n"),
              "/right");
    EXPECT_EQ(get("[フォルダPath]\r\n[Next]\r\nDATA_Folda_Path=/wrong\r\n"), "");
    // One pair of enclosing quotes goes; a zero byte ends the value.
    EXPECT_EQ(get("[フォルダPath]\r\nDATA_Folda_Path=\"/with space \"\r\n"), "/with space ");
    EXPECT_EQ(get("[フォルダPath]\r\nDATA_Folda_Path=/a" + std::string(1, '\0') + "/b\r\n"), "/a");
    // A Japanese value arrives as UTF-8.
    EXPECT_EQ(get("[フォルダPath]\r\nDATA_Folda_Path=/home/利用者/パズル\r\n"), "/home/利用者/パズル");
}

TEST_F(IniTest, EmptyWhenAnythingIsMissing)
{
    EXPECT_EQ(get("[フォルダPath]\r\n"), "");
    EXPECT_EQ(get("[フォルダPath]\r\nDATA_Folda_Path=\r\n"), "");
    EXPECT_EQ(get("DATA_Folda_Path=/no/section\r\n"), "");
    EXPECT_EQ(get("[フォルダ]\r\nDATA_Folda_Path=/wrong/section\r\n"), "");
    EXPECT_EQ(get(""), "");
    EXPECT_EQ(fncIni_get(kIniSection, kIniDataKey, dir.file("missing.ini")), "");
}

TEST_F(IniTest, ValuesKeepAtMost126BytesOfTheFile)
{
    std::string longValue(200, 'a');
    EXPECT_EQ(get("[フォルダPath]\r\nDATA_Folda_Path=" + longValue + "\r\n"), std::string(126, 'a'));
    // Counted in Shift-JIS bytes and cut at a character boundary.
    std::string jp = std::string(125, 'b') + "あい";
    EXPECT_EQ(get("[フォルダPath]\r\nDATA_Folda_Path=" + jp + "\r\n"), std::string(125, 'b'));
    EXPECT_EQ(get("[フォルダPath]\r\nDATA_Folda_Path=" + std::string(124, 'b') + "あい\r\n"),
              std::string(124, 'b') + "あ");
    // In a UTF-8 file the same value is counted in UTF-8 bytes.
    EXPECT_EQ(get("[フォルダPath]\r\nDATA_Folda_Path=" + std::string(124, 'b') + "あ\r\n", false),
              std::string(124, 'b'));
}

TEST_F(IniTest, Utf8FilesWorkToo)
{
    EXPECT_EQ(get("[フォルダPath]\nDATA_Folda_Path=/utf8/データ\n", false), "/utf8/データ");
    EXPECT_EQ(get("\xEF\xBB\xBF[フォルダPath]\r\nDATA_Folda_Path=/bom\r\n", false), "/bom");
}

TEST_F(IniTest, AHugeFileIsReadOnlyAsFarAsASettingsFileGoes)
{
    // 6 GB, sparse: the key near the start is found without reading it all;
    // one behind the first MiB is not there.
    writeBytes(file, utf8ToCp932("[フォルダPath]\r\nDATA_Folda_Path=/near\r\n"));
    std::filesystem::resize_file(file, 6ull << 30);
    EXPECT_EQ(fncIni_get(kIniSection, kIniDataKey, file), "/near");

    std::string far = utf8ToCp932("[フォルダPath]\r\n") + std::string(kIniReadLimit, '\n') + "DATA_Folda_Path=/far\r\n";
    EXPECT_EQ(get(far, false), "");
    // A line cut by the limit is not read as a shorter value.
    std::string cut = utf8ToCp932("[フォルダPath]\r\n") + std::string(kIniReadLimit - 40, ';') + "\nDATA_Folda_Path=/" +
                      std::string(100, 'x') + "\r\n";
    EXPECT_EQ(get(cut, false), "");
}

TEST_F(IniTest, ABomBeforeShiftJisDoesNotMakeItUtf8)
{
    EXPECT_EQ(get("\xEF\xBB\xBF" + utf8ToCp932("[フォルダPath]\r\nDATA_Folda_Path=/データ\r\n"), false), "/データ");
}

TEST_F(IniTest, APipeOrFolderInItsPlaceReadsAsNoValue)
{
    ASSERT_EQ(mkfifo(dir.file("pipe.ini").c_str(), 0600), 0);
    EXPECT_EQ(fncIni_get(kIniSection, kIniDataKey, dir.file("pipe.ini")), "");  // does not block
    EXPECT_EQ(fncIni_get(kIniSection, kIniDataKey, dir.path()), "");
}

TEST_F(IniTest, WritingOneKeyKeepsEveryOtherLineAndTheEncoding)
{
    const std::string original = utf8ToCp932("; 設定\r\n[フォルダPath]\r\nDATA_Folda_Path=/home/利用者\r\n");
    writeBytes(file, original);
    // A new section goes at the end, in Shift-JIS like the rest.
    ASSERT_TRUE(fncIni_put("解析", "CHECK", "1", file));
    EXPECT_EQ(readBytes(file), original + "\r\n" + utf8ToCp932("[解析]\r\nCHECK=1\r\n"));
    EXPECT_EQ(fncIni_get(kIniSection, kIniDataKey, file), "/home/利用者");
    // The key found again (other case and blanks) is replaced where it stands.
    writeBytes(file, readBytes(file) + "[Other]\r\nCHECK=7\r\n");
    ASSERT_TRUE(fncIni_put(" 解析 ", "check", "0", file));
    EXPECT_EQ(fncIni_get("解析", "CHECK", file), "0");
    EXPECT_EQ(fncIni_get("Other", "CHECK", file), "7");
    // A missing key joins its section before the next one; UTF-8 files stay UTF-8, LF stays LF.
    writeBytes(file, "[解析]\nA=1\n\n[Next]\nB=2\n");
    ASSERT_TRUE(fncIni_put("解析", "C", "3", file));
    EXPECT_EQ(readBytes(file), "[解析]\nA=1\nC=3\n\n[Next]\nB=2\n");
    // An all-ASCII file takes the new section in Shift-JIS.
    writeBytes(file, "[A]\r\nK=1\r\n");
    ASSERT_TRUE(fncIni_put("解析", "CHECK", "1", file));
    EXPECT_EQ(readBytes(file), "[A]\r\nK=1\r\n\r\n" + utf8ToCp932("[解析]\r\nCHECK=1\r\n"));
    // A missing file becomes a Shift-JIS file with the one key.
    ASSERT_TRUE(fncIni_put("解析", "CHECK", "1", dir.file("new.ini")));
    EXPECT_EQ(readBytes(dir.file("new.ini")), utf8ToCp932("[解析]\r\nCHECK=1\r\n"));
}

TEST_F(IniTest, AFileThatCannotBeWrittenStaysAsItWas)
{
    writeBytes(file, "[A]\r\nK=1\r\n");
    chmod(file.c_str(), 0444);
    EXPECT_FALSE(fncIni_put("A", "K", "2", file));
    EXPECT_EQ(readBytes(file), "[A]\r\nK=1\r\n");
    EXPECT_FALSE(fncIni_put("A", "K", "2", dir.path()));  // a folder in its place
}
