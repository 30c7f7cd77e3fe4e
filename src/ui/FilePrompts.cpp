#include "ui/FilePrompts.h"

#include "files/PuzzleFile.h"
#include "files/ShiftJis.h"
#include "ui/GiveUp.h"

#include <algorithm>
#include <filesystem>

namespace tessaro {

namespace {

constexpr const char* kSaveAsTitle = "名前を付けて保存";
constexpr const char* kPasswordPrompt =
    "解答パスワードを入力してください\r\n"
    "（半角英数字１０文字以内）\r\n"
    "パスワードを設定しないと、ブロックの再編集が出来なくなります。\r\n"
    "また、「参った・・・」で、解答を拝めなくなります。";

constexpr const char* kCommentPrompt = "コメントを入力してください\r\n（全角２０文字以内）";

// Every ending a file of this program is written with, by any of its writers.
const char* const kKnownEndings[] = {".bin", ".xmpuzzle", ".xml", ".stl", ".3mf", ".png", ".pdf"};

std::string lowerCase(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

}  // namespace

std::optional<std::string> nameForWriter(Dialogs& dlg, const std::string& title, const std::string& chosen,
                                         const std::vector<std::string>& own) {
    namespace fs = std::filesystem;
    const std::string ending = lowerCase(fs::path(chosen).extension().string());
    if (std::find(own.begin(), own.end(), ending) != own.end()) return chosen;
    std::string owned;
    for (const std::string& e : own) owned += (owned.empty() ? "" : " か ") + e;
    if (std::find(std::begin(kKnownEndings), std::end(kKnownEndings), ending) != std::end(kKnownEndings)) {
        dlg.message(title,
                    "「" + fs::path(chosen).filename().string() + "」は、ほかの形式（" + ending +
                        "）のファイルの名前です。\r\n名前の末尾を " + owned +
                        " にしてください。\r\nファイルには何も書き込んでいません。",
                    MsgIcon::Exclamation);
        return std::nullopt;
    }
    // The dialog asked about the name as typed; the name written is another.
    const std::string path = chosen + own.front();
    std::error_code ec;
    if (fs::exists(fs::symlink_status(path, ec)) &&
        dlg.message(title, fs::path(path).filename().string() + " は既に存在します。\r\n置き換えますか?",
                    MsgIcon::Exclamation, MsgButtons::YesNoDefaultNo) != MsgResult::Yes)
        return std::nullopt;
    return path;
}

std::string firstCharNotInCp932(std::string_view utf8) {
    for (size_t i = 0; i < utf8.size();) {
        size_t len = 1;
        while (i + len < utf8.size() && (static_cast<unsigned char>(utf8[i + len]) & 0xC0) == 0x80) ++len;
        const std::string_view ch = utf8.substr(i, len);
        // The converter writes "?" for what it cannot hold.
        if (ch != "?" && utf8ToCp932(ch).find('?') != std::string::npos) return std::string(ch);
        i += len;
    }
    return {};
}

std::optional<std::string> askCommentAndPassword(Dialogs& dlg, Puzzle& p) {
    std::string comment = dlg.input(kSaveAsTitle, kCommentPrompt, p.G_sComment);
    for (;;) {
        if (comment.empty()) return std::nullopt;
        const std::string bad = firstCharNotInCp932(comment);
        const size_t bytes = utf8ToCp932(comment).size();
        if (bad.empty() && bytes <= kCommentBytes) break;
        // The file would hold "?" in its place, or cut the comment short: say
        // so while it can be changed.
        if (!bad.empty())
            dlg.message(kSaveAsTitle,
                        "「" + bad + "」は、パズルファイルに保存できない文字です。\r\n別のコメントを入力してください。",
                        MsgIcon::Exclamation);
        else
            dlg.message(kSaveAsTitle,
                        "コメントが長すぎます。パズルファイルに保存できるのは、全角２０文字（半角４０文字）までです。\r\n"
                        "今のコメントは、半角 " +
                            std::to_string(bytes) + " 文字分あります。短くしてください。",
                        MsgIcon::Exclamation);
        comment = dlg.input(kSaveAsTitle, kCommentPrompt, comment);
    }

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
