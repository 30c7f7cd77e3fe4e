#include "ui/FilePrompts.h"

#include "files/PuzzleFile.h"
#include "ui/GiveUp.h"

#include "GiveUpScript.h"

#include <gtest/gtest.h>

namespace tessaro {
namespace {

using test::GiveUpScript;
using test::Shown;

const char* const kTitle = "名前を付けて保存";
const char* const kCommentPrompt = "コメントを入力してください\r\n（全角２０文字以内）";
const char* const kPasswordPrompt =
    "解答パスワードを入力してください\r\n（半角英数字１０文字以内）\r\n"
    "パスワードを設定しないと、ブロックの再編集が出来なくなります。\r\n"
    "また、「参った・・・」で、解答を拝めなくなります。";

Puzzle withTexts() {
    Puzzle p;
    p.G_sComment = "前のコメント";
    p.G_sPassword = "OLD1";
    return p;
}

TEST(SaveAsPrompts, CommentThenPasswordWithTheCurrentTextsAsDefaults) {
    Puzzle p = withTexts();
    GiveUpScript dlg;
    dlg.typed = {" 新しいパズル ", "  NEW2 "};
    const auto comment = askCommentAndPassword(dlg, p);
    ASSERT_TRUE(comment);
    EXPECT_EQ(*comment, " 新しいパズル ");  // kept as typed; the file trims it
    EXPECT_EQ(p.G_sPassword, "NEW2");
    EXPECT_EQ(p.G_sComment, "前のコメント");  // set by the command only when it goes on to write
    ASSERT_EQ(dlg.shown.size(), 2u);
    EXPECT_EQ(dlg.shown[0].title, kTitle);
    EXPECT_EQ(dlg.shown[0].text, kCommentPrompt);
    EXPECT_EQ(dlg.shown[0].defaultText, "前のコメント");
    EXPECT_EQ(dlg.shown[1].title, kTitle);
    EXPECT_EQ(dlg.shown[1].text, kPasswordPrompt);
    EXPECT_EQ(dlg.shown[1].defaultText, "OLD1");
}

TEST(SaveAsPrompts, EmptyCommentEndsAndEmptyPasswordGoesOn) {
    Puzzle p = withTexts();
    GiveUpScript dlg;
    dlg.typed = {""};
    EXPECT_FALSE(askCommentAndPassword(dlg, p));
    EXPECT_EQ(dlg.shown.size(), 1u);
    EXPECT_EQ(p, withTexts());

    GiveUpScript dlg2;
    dlg2.typed = {"c", ""};
    EXPECT_TRUE(askCommentAndPassword(dlg2, p));
    EXPECT_EQ(p.G_sPassword, "");
    EXPECT_EQ(dlg2.shown.size(), 2u);
}

TEST(SaveAsPrompts, UnstorablePasswordIsExplainedAndAskedAgain) {
    Puzzle p = withTexts();
    GiveUpScript dlg;
    dlg.typed = {"c", "abcdefz", "パス", "abcdeZ"};
    EXPECT_TRUE(askCommentAndPassword(dlg, p));
    EXPECT_EQ(p.G_sPassword, "abcdeZ");
    ASSERT_EQ(dlg.shown.size(), 6u);
    EXPECT_EQ(dlg.shown[2].kind, Shown::Message);
    EXPECT_EQ(dlg.shown[2].title, kTitle);
    EXPECT_EQ(dlg.shown[2].icon, MsgIcon::Exclamation);
    EXPECT_EQ(dlg.shown[2].text,
              "このパスワードは、パズルファイルに保存できません。\r\n"
              "「z」は６文字目までしか使えません（７文字目にあります）。\r\n"
              "別のパスワードを入力してください。");
    EXPECT_EQ(dlg.shown[3].text, kPasswordPrompt);
    EXPECT_EQ(dlg.shown[3].defaultText, "abcdefz");
    EXPECT_NE(dlg.shown[4].text.find("「パ」は半角英数字ではないため"), std::string::npos);

    // No answer after a refusal ends the command; the old password stays.
    Puzzle q = withTexts();
    GiveUpScript dlg2;
    dlg2.typed = {"c", "0123456789ABCDEFGH", ""};
    EXPECT_FALSE(askCommentAndPassword(dlg2, q));
    EXPECT_EQ(q, withTexts());
    ASSERT_EQ(dlg2.shown.size(), 4u);
    EXPECT_NE(dlg2.shown[2].text.find("１６文字以内"), std::string::npos);
}

TEST(SaveAsPrompts, RefusalAgreesWithTheWriter) {
    // Every printable ASCII character at every position of the record's field.
    for (int c = 0x21; c <= 0x7E; ++c) {
        for (int pos = 1; pos <= 16; ++pos) {
            std::string pw(static_cast<size_t>(pos - 1), 'A');
            pw += static_cast<char>(c);
            EXPECT_EQ(passwordRefusal(pw).empty(), !checkPassword(pw).has_value()) << pw;
        }
    }
    EXPECT_TRUE(checkPassword("ÿ").has_value());
    EXPECT_FALSE(passwordRefusal("ÿ").empty());
}

}  // namespace
}  // namespace tessaro
