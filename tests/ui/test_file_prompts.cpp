#include "ui/FilePrompts.h"

#include "files/PuzzleFile.h"
#include "ui/GiveUp.h"

#include "ui/testing/ScriptedDialogs.h"

#include <gtest/gtest.h>

namespace tessaro {
namespace {

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
    ScriptedDialogs dlg;
    dlg.answerInput(" 新しいパズル ");
    dlg.answerInput("  NEW2 ");
    const auto comment = askCommentAndPassword(dlg, p);
    ASSERT_TRUE(comment);
    EXPECT_EQ(*comment, " 新しいパズル ");  // kept as typed; the file trims it
    EXPECT_EQ(p.G_sPassword, "NEW2");
    EXPECT_EQ(p.G_sComment, "前のコメント");  // set by the command only when it goes on to write
    ASSERT_EQ(dlg.records().size(), 2u);
    EXPECT_EQ(dlg.records()[0].title, kTitle);
    EXPECT_EQ(dlg.records()[0].text, kCommentPrompt);
    EXPECT_EQ(dlg.records()[0].defaultText, "前のコメント");
    EXPECT_EQ(dlg.records()[1].title, kTitle);
    EXPECT_EQ(dlg.records()[1].text, kPasswordPrompt);
    EXPECT_EQ(dlg.records()[1].defaultText, "OLD1");
    EXPECT_EQ(dlg.unscripted(), 0);
}

TEST(SaveAsPrompts, EmptyCommentEndsAndEmptyPasswordGoesOn) {
    Puzzle p = withTexts();
    ScriptedDialogs dlg;
    dlg.answerInput("");
    EXPECT_FALSE(askCommentAndPassword(dlg, p));
    EXPECT_EQ(dlg.records().size(), 1u);
    EXPECT_EQ(p, withTexts());

    ScriptedDialogs dlg2;
    dlg2.answerInput("c");
    dlg2.answerInput("");
    EXPECT_TRUE(askCommentAndPassword(dlg2, p));
    EXPECT_EQ(p.G_sPassword, "");
    EXPECT_EQ(dlg2.records().size(), 2u);
    EXPECT_EQ(dlg.unscripted() + dlg2.unscripted(), 0);
}

TEST(SaveAsPrompts, UnstorablePasswordIsExplainedAndAskedAgain) {
    Puzzle p = withTexts();
    ScriptedDialogs dlg;
    dlg.answerInput("c");
    dlg.answerInput("abcdefz");
    dlg.answerInput("パス");
    dlg.answerInput("abcdeZ");
    EXPECT_TRUE(askCommentAndPassword(dlg, p));
    EXPECT_EQ(p.G_sPassword, "abcdeZ");
    ASSERT_EQ(dlg.records().size(), 6u);
    EXPECT_EQ(dlg.records()[2].kind, DialogRecord::Kind::Message);
    EXPECT_EQ(dlg.records()[2].title, kTitle);
    EXPECT_EQ(dlg.records()[2].icon, MsgIcon::Exclamation);
    EXPECT_EQ(dlg.records()[2].text,
              "このパスワードは、パズルファイルに保存できません。\r\n"
              "「z」は６文字目までしか使えません（７文字目にあります）。\r\n"
              "別のパスワードを入力してください。");
    EXPECT_EQ(dlg.records()[3].text, kPasswordPrompt);
    EXPECT_EQ(dlg.records()[3].defaultText, "abcdefz");
    EXPECT_NE(dlg.records()[4].text.find("「パ」は半角英数字ではないため"), std::string::npos);

    // No answer after a refusal ends the command; the old password stays.
    Puzzle q = withTexts();
    ScriptedDialogs dlg2;
    dlg2.answerInput("c");
    dlg2.answerInput("0123456789ABCDEFGH");
    dlg2.answerInput("");
    EXPECT_FALSE(askCommentAndPassword(dlg2, q));
    EXPECT_EQ(q, withTexts());
    ASSERT_EQ(dlg2.records().size(), 4u);
    EXPECT_NE(dlg2.records()[2].text.find("１６文字以内"), std::string::npos);
    EXPECT_EQ(dlg.unscripted() + dlg2.unscripted(), 0);
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
