#include "ui/GiveUp.h"

#include "files/ShiftJis.h"

#include <string>
#include <string_view>

namespace tessaro {

namespace {

constexpr const char* kFight = "ファイト！";

}  // namespace

bool fncGiveUp(Dialogs& dlg, const Puzzle& p) {
    if (p.G_sFile_Version.empty()) {
        dlg.message(kFight, "このパズルは、サンプルです。自力で解いてください。", MsgIcon::Information);
        return false;
    }
    if (p.G_sPassword.empty()) {
        dlg.message(kFight, "パスワードが、設定されていません。自力で解いてください。",
                    MsgIcon::Information);
        return false;
    }
    return askAnswerPassword(dlg, p);
}

bool askAnswerPassword(Dialogs& dlg, const Puzzle& p) {
    if (dlg.message("悔しいけども．．．", "降参しますか？", MsgIcon::Question, MsgButtons::YesNo) !=
        MsgResult::Yes)
        return false;

    const std::string typed =
        dlg.input("参った", "解答パスワードを入力してください\r\n（半角英数字１０文字以内）");
    if (typed.empty()) return false;
    if (trimSpaces(typed) != p.G_sPassword) {
        dlg.message(kFight, "残念ながら、ご期待には応えられません。自力で解いてください。",
                    MsgIcon::Information);
        return false;
    }
    return true;
}

bool fncPassword_Check(Dialogs& dlg, const Puzzle& p) {
    const std::string typed =
        dlg.input("パスワード入力", "パスワードを入力してください\r\n（半角英数字１０文字以内）");
    if (typed.empty()) return false;
    if (trimSpaces(typed) != p.G_sPassword) {
        dlg.message("ごめんなさい！", "パスワードが違います。編集できません。", MsgIcon::Information);
        return false;
    }
    return true;
}

bool giveUpAndAnnounce(Dialogs& dlg, const Puzzle& p) {
    if (!fncGiveUp(dlg, p)) return false;
    dlg.message("神の恩恵、仏の御慈悲・・・",
                "今から、[ Reset ] ボタンを有効にします。\r\n"
                "[ Reset ] ボタンをクリックすると、作成された一番最初のブロック状態に戻ります。\r\n"
                "ブロックを選択して移動や回転をせずに [ Load ]を、クリックしてください 。",
                MsgIcon::Information);
    return true;
}

}  // namespace tessaro

namespace tessaro {

namespace {

constexpr int kPasswordField = 16;

std::string fullWidthNumber(int n) {
    std::string digits = std::to_string(n), out;
    for (char d : digits) {
        // U+FF10 + d: EF BC 90+d
        out += "\xEF\xBC";
        out += static_cast<char>(0x90 + (d - '0'));
    }
    return out;
}

}  // namespace

std::string passwordRefusal(std::string_view password) {
    int position = 0;
    for (size_t i = 0; i < password.size(); ++position) {
        const auto lead = static_cast<unsigned char>(password[i]);
        if (lead >= 0x80) {
            size_t len = 1;
            while (i + len < password.size() &&
                   (static_cast<unsigned char>(password[i + len]) & 0xC0) == 0x80)
                ++len;
            return "「" + std::string(password.substr(i, len)) +
                   "」は半角英数字ではないため、保存できません。";
        }
        ++i;
    }
    if (position > kPasswordField)
        return "パスワードは" + fullWidthNumber(kPasswordField) + "文字以内にしてください。";
    for (int pos = 1; pos <= position; ++pos) {
        const int c = static_cast<unsigned char>(password[pos - 1]);
        if (c + 127 + pos > 255) {
            std::string ch(1, static_cast<char>(c));
            if (c == 0x7F) ch = "DEL";
            return "「" + ch + "」は" + fullWidthNumber(128 - c) + "文字目までしか使えません（" +
                   fullWidthNumber(pos) + "文字目にあります）。";
        }
    }
    return {};
}

}  // namespace tessaro
