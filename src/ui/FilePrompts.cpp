#include "ui/FilePrompts.h"

#include "files/ShiftJis.h"
#include "ui/GiveUp.h"

namespace tessaro {

namespace {

constexpr const char* kSaveAsTitle = "名前を付けて保存";
constexpr const char* kPasswordPrompt =
    "解答パスワードを入力してください\r\n"
    "（半角英数字１０文字以内）\r\n"
    "パスワードを設定しないと、ブロックの再編集が出来なくなります。\r\n"
    "また、「参った・・・」で、解答を拝めなくなります。";

}  // namespace

std::optional<std::string> askCommentAndPassword(Dialogs& dlg, Puzzle& p) {
    std::string comment =
        dlg.input(kSaveAsTitle, "コメントを入力してください\r\n（全角２０文字以内）", p.G_sComment);
    if (comment.empty()) return std::nullopt;

    // An empty first answer (also Cancel) means no password: the save goes on.
    std::string answer = dlg.input(kSaveAsTitle, kPasswordPrompt, p.G_sPassword);
    for (;;) {
        std::string password(trimSpaces(answer));
        const std::string why = passwordRefusal(password);
        if (why.empty()) {
            p.G_sPassword = std::move(password);
            return comment;
        }
        dlg.message(kSaveAsTitle,
                    "このパスワードは、パズルファイルに保存できません。\r\n" + why +
                        "\r\n別のパスワードを入力してください。",
                    MsgIcon::Exclamation);
        // After a refusal, giving no answer ends the command rather than
        // silently saving a puzzle without its answer password.
        answer = dlg.input(kSaveAsTitle, kPasswordPrompt, password);
        if (answer.empty()) return std::nullopt;
    }
}

}  // namespace tessaro
