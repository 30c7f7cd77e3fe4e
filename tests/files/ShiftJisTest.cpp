#include "files/ShiftJis.h"

#include <gtest/gtest.h>

using namespace tessaro;

TEST(ShiftJis, ConvertsBothWaysIncludingExtensionRows)
{
    // "フォルダPath" as the settings file holds it.
    EXPECT_EQ(utf8ToCp932("フォルダPath"), "\x83\x74\x83\x48\x83\x8B\x83\x5F" "Path");
    // Circled digit, "㈱" and a vendor-row kanji exist only in code page 932, not in plain JIS.
    std::string ext = "①㈱髙";
    std::string bytes = utf8ToCp932(ext);
    EXPECT_EQ(bytes, "\x87\x40\x87\x8A\xFB\xFC");
    EXPECT_EQ(cp932ToUtf8(bytes), ext);
    // Half-width katakana are single bytes; ASCII passes unchanged.
    EXPECT_EQ(utf8ToCp932("ｱ A"), "\xB1 A");
    EXPECT_EQ(cp932ToUtf8("\xB1 A"), "ｱ A");
}

TEST(ShiftJis, UnconvertibleAndBrokenInputIsReplacedNotLost)
{
    // An emoji has no code page 932 code; what follows it survives.
    EXPECT_EQ(utf8ToCp932("a😀b"), "a?b");
    EXPECT_EQ(utf8ToCp932("a\xFF" "b"), "a?b");
    EXPECT_EQ(utf8ToCp932("a\xE3\x81"), "a?");
    // A lone lead byte at the end, and an unassigned double-byte code.
    EXPECT_EQ(cp932ToUtf8("ab\x82"), "ab\xEF\xBF\xBD");
    EXPECT_EQ(cp932ToUtf8("\x85\x40z"), "\xEF\xBF\xBDz");
}

TEST(ShiftJis, CutsAtCharacterBoundary)
{
    std::string s = utf8ToCp932("aあい");  // 1 + 2 + 2 bytes
    EXPECT_EQ(cutCp932(s, 5), s);
    EXPECT_EQ(cutCp932(s, 4), s.substr(0, 3));
    EXPECT_EQ(cutCp932(s, 2), "a");
    EXPECT_EQ(cutCp932(s, 0), "");
    // A dangling lead byte is dropped, never half a character kept.
    EXPECT_EQ(cutCp932("ab\x82", 10), "ab");
    EXPECT_EQ(cp932Field(s, 4), s.substr(0, 3) + " ");
    EXPECT_EQ(cp932Field("", 3), "   ");
}

TEST(ShiftJis, TrimRemovesAsciiSpacesOnly)
{
    EXPECT_EQ(trimSpaces("  ab c  "), "ab c");
    EXPECT_EQ(trimSpaces("    "), "");
    EXPECT_EQ(trimSpaces(""), "");
    EXPECT_EQ(trimSpaces("\tx\t"), "\tx\t");
    EXPECT_EQ(trimSpaces(" 　全角　 "), "　全角　");
}

TEST(ShiftJis, RecognisesUtf8)
{
    EXPECT_TRUE(isValidUtf8("plain ascii"));
    EXPECT_TRUE(isValidUtf8("フォルダ😀"));
    EXPECT_FALSE(isValidUtf8(utf8ToCp932("フォルダ")));
    EXPECT_FALSE(isValidUtf8("\xC0\xAF"));          // overlong
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));      // surrogate
    EXPECT_FALSE(isValidUtf8("\xE3\x81"));          // cut short
}
