#include "cli/RecordTexts.h"

#include "cli/TerminalText.h"
#include "files/PuzzleFile.h"
#include "files/ShiftJis.h"

#include <CLI/CLI.hpp>

namespace tessaro::cli {

std::string commentRefusal(const std::string& text) {
    const std::string_view comment = trimSpaces(text);
    for (size_t i = 0; i < comment.size();) {
        size_t len = 1;
        while (i + len < comment.size() && (static_cast<unsigned char>(comment[i + len]) & 0xC0) == 0x80) ++len;
        const std::string ch(comment.substr(i, len));
        const auto lead = static_cast<unsigned char>(ch[0]);
        if (lead < 0x20 || lead == 0x7F)
            return "制御文字（" + escapeControls(ch) + "）はパズルファイルに保存できません";
        // The converter writes "?" for what the file cannot hold.
        if (ch != "?" && utf8ToCp932(ch).find('?') != std::string::npos)
            return "「" + ch + "」はパズルファイルに保存できない文字です";
        i += len;
    }
    const size_t bytes = utf8ToCp932(std::string(comment)).size();
    if (bytes > kCommentBytes)
        return "長すぎます。保存できるのは全角 20 文字（半角 40 文字）までで、今は半角 " + std::to_string(bytes) +
               " 文字分あります";
    return {};
}

std::string passwordRefusal(const std::string& text) {
    const std::string password(trimSpaces(text));
    if (const auto refused = checkPassword(password)) return refused->description;
    // The record keeps 16 characters; a longer password would not open the answer later.
    if (password.size() > kPasswordChars) return "パスワードは 16 文字以内にしてください。";
    return {};
}

void checkRecordTexts(const std::optional<std::string>& comment, const std::optional<std::string>& password) {
    if (comment)
        if (const std::string why = commentRefusal(*comment); !why.empty()) throw CLI::ValidationError("--comment", why);
    if (password)
        if (const std::string why = passwordRefusal(*password); !why.empty())
            throw CLI::ValidationError("--password", why);
}

}  // namespace tessaro::cli
