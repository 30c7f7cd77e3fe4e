#include "ui/GiveUp.h"

#include "ui/testing/ScriptedDialogs.h"

#include <gtest/gtest.h>

namespace tessaro {
namespace {

const char* const kGiveUpPrompt = "解答パスワードを入力してください\r\n（半角英数字１０文字以内）";
const char* const kWrong = "残念ながら、ご期待には応えられません。自力で解いてください。";

Puzzle opened(std::string password) {
    Puzzle p;
    p.G_sFile_Version = "Ver 1.0.0";
    p.G_sPassword = std::move(password);
    return p;
}

void expectMessage(const DialogRecord& s, const char* title, const char* text, MsgIcon icon,
                   MsgButtons buttons = MsgButtons::Ok) {
    EXPECT_EQ(s.kind, DialogRecord::Kind::Message);
    EXPECT_EQ(s.title, title);
    EXPECT_EQ(s.text, text);
    EXPECT_EQ(s.icon, icon);
    EXPECT_EQ(s.buttons, buttons);
}

TEST(GiveUp, RefusedForTheSampleAndForAFileWithoutPassword) {
    ScriptedDialogs dlg;
    Puzzle sample;
    sample.G_sPassword = "ABC";  // the sample never asks, whatever the password
    EXPECT_FALSE(fncGiveUp(dlg, sample));
    ASSERT_EQ(dlg.records().size(), 1u);
    expectMessage(dlg.records()[0], "ファイト！", "このパズルは、サンプルです。自力で解いてください。",
                  MsgIcon::Information);

    dlg.clear();
    EXPECT_FALSE(fncGiveUp(dlg, opened("")));
    ASSERT_EQ(dlg.records().size(), 1u);
    expectMessage(dlg.records()[0], "ファイト！", "パスワードが、設定されていません。自力で解いてください。",
                  MsgIcon::Information);
}

TEST(GiveUp, NoOrAnEmptyAnswerEndsSilently) {
    const Puzzle p = opened("ABC123");
    ScriptedDialogs dlg;
    dlg.answerMessage(MsgResult::No);
    EXPECT_FALSE(fncGiveUp(dlg, p));
    ASSERT_EQ(dlg.records().size(), 1u);
    expectMessage(dlg.records()[0], "悔しいけども．．．", "降参しますか？", MsgIcon::Question,
                  MsgButtons::YesNo);

    // Cancelling the input box arrives as the empty text.
    ScriptedDialogs dlg2;
    dlg2.answerMessage(MsgResult::Yes);
    dlg2.answerInput("");
    EXPECT_FALSE(fncGiveUp(dlg2, p));
    ASSERT_EQ(dlg2.records().size(), 2u);
    EXPECT_EQ(dlg2.records()[1].kind, DialogRecord::Kind::Input);
    EXPECT_EQ(dlg2.records()[1].title, "参った");
    EXPECT_EQ(dlg2.records()[1].text, kGiveUpPrompt);
    EXPECT_EQ(dlg2.records()[1].defaultText, "");
    EXPECT_EQ(dlg.unscripted() + dlg2.unscripted(), 0);
}

TEST(GiveUp, PasswordIsExactCaseButBlanksAroundItDoNotCount) {
    const Puzzle p = opened("AbC123");
    for (const char* wrong : {"abc123", "ABC123", "AbC12", "AbC1234", "   ", "Ab C123"}) {
        ScriptedDialogs dlg;
        dlg.answerMessage(MsgResult::Yes);
        dlg.answerInput(wrong);
        EXPECT_FALSE(fncGiveUp(dlg, p)) << wrong;
        ASSERT_EQ(dlg.records().size(), 3u) << wrong;
        expectMessage(dlg.records()[2], "ファイト！", kWrong, MsgIcon::Information);
    }
    for (const char* right : {"AbC123", "  AbC123", "AbC123   ", " AbC123 "}) {
        ScriptedDialogs dlg;
        dlg.answerMessage(MsgResult::Yes);
        dlg.answerInput(right);
        EXPECT_TRUE(fncGiveUp(dlg, p)) << right;
        EXPECT_EQ(dlg.records().size(), 2u) << right;
        EXPECT_EQ(dlg.unscripted(), 0);
    }
}

TEST(GiveUp, SuccessAnnouncesReset) {
    const Puzzle p = opened("X9");
    ScriptedDialogs dlg;
    dlg.answerMessage(MsgResult::Yes);
    dlg.answerInput(" X9");
    EXPECT_TRUE(giveUpAndAnnounce(dlg, p));
    ASSERT_EQ(dlg.records().size(), 3u);
    expectMessage(dlg.records()[2], "神の恩恵、仏の御慈悲・・・",
                  "今から、[ Reset ] ボタンを有効にします。\r\n"
                  "[ Reset ] ボタンをクリックすると、作成された一番最初のブロック状態に戻ります。\r\n"
                  "ブロックを選択して移動や回転をせずに [ Load ]を、クリックしてください 。",
                  MsgIcon::Information);

    // A failed give-up announces nothing.
    ScriptedDialogs dlg2;
    dlg2.answerMessage(MsgResult::Yes);
    dlg2.answerInput("x9");
    EXPECT_FALSE(giveUpAndAnnounce(dlg2, p));
    ASSERT_EQ(dlg2.records().size(), 3u);
    EXPECT_EQ(dlg2.records()[2].text, kWrong);
    EXPECT_EQ(dlg.unscripted() + dlg2.unscripted(), 0);
}

TEST(PasswordCheck, AsksOnceAndRefusesAWrongPassword) {
    const Puzzle p = opened("Key7");
    ScriptedDialogs dlg;
    dlg.answerInput(" Key7 ");
    EXPECT_TRUE(fncPassword_Check(dlg, p));
    ASSERT_EQ(dlg.records().size(), 1u);
    EXPECT_EQ(dlg.records()[0].kind, DialogRecord::Kind::Input);
    EXPECT_EQ(dlg.records()[0].title, "パスワード入力");
    EXPECT_EQ(dlg.records()[0].text, "パスワードを入力してください\r\n（半角英数字１０文字以内）");
    EXPECT_EQ(dlg.records()[0].defaultText, "");

    ScriptedDialogs empty;
    empty.answerInput("");
    EXPECT_FALSE(fncPassword_Check(empty, p));
    EXPECT_EQ(empty.records().size(), 1u);

    ScriptedDialogs wrong;
    wrong.answerInput("key7");
    EXPECT_FALSE(fncPassword_Check(wrong, p));
    ASSERT_EQ(wrong.records().size(), 2u);
    expectMessage(wrong.records()[1], "ごめんなさい！", "パスワードが違います。編集できません。",
                  MsgIcon::Information);
    EXPECT_EQ(dlg.unscripted() + empty.unscripted() + wrong.unscripted(), 0);
}

}  // namespace
}  // namespace tessaro

namespace tessaro {
namespace {

TEST(PasswordRefusal, OnlyWhatTheRecordCanHoldIsAccepted) {
    // Every code fits at position 1..(128 - code); "p" and below fit everywhere.
    for (const char* ok : {"", "ABCDEFGHIJ", "0123456789abcdef", "pppppppppppppppp", "zzzzzz",
                           "wwwwwwwww", "vvvvvvvvvv", "a b", "~"})
        EXPECT_EQ(passwordRefusal(ok), "") << ok;
    EXPECT_EQ(passwordRefusal("abcdefz"), "「z」は６文字目までしか使えません（７文字目にあります）。");
    EXPECT_EQ(passwordRefusal("qqqqqqqqqqqqqqqq"),
              "「q」は１５文字目までしか使えません（１６文字目にあります）。");
    EXPECT_NE(passwordRefusal("wwwwwwwwww"), "");
    EXPECT_EQ(passwordRefusal("0123456789ABCDEFG"), "パスワードは１６文字以内にしてください。");
    EXPECT_EQ(passwordRefusal("abcあ"), "「あ」は半角英数字ではないため、保存できません。");
    EXPECT_EQ(passwordRefusal("ｱ"), "「ｱ」は半角英数字ではないため、保存できません。");
}

}  // namespace
}  // namespace tessaro
