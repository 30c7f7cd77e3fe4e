#pragma once
// The questions of the file commands that need no window: the comment and
// answer password asked by "パズルに名前を付けて保存".

#include "model/Puzzle.h"
#include "ui/Dialogs.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaro {

// Save As, steps 1 and 2. Returns the comment as typed, or nothing when the
// command ends: an empty comment (also Cancel), or no answer to a repeated
// password prompt. G_sPassword takes the trimmed answer as soon as the file
// can hold it; a password it cannot hold is explained and asked again, so
// nothing gets shuffled or written with a password that would be lost.
// A comment with a character the file cannot hold is refused the same way,
// naming the character, and asked again with the typed text as its default.
std::optional<std::string> askCommentAndPassword(Dialogs& dlg, Puzzle& p);

// The name a writer saves under, from the name chosen in its save dialog: kept
// when it ends in one of the writer's own endings (".bin"), else with the first
// of them added, asking before a file of that name is replaced. Nothing, after
// saying why, when it ends as a file of another format does: one format's
// content never goes under another's name.
std::optional<std::string> nameForWriter(Dialogs& dlg, const std::string& title, const std::string& chosen,
                                         const std::vector<std::string>& own);

// The first character of a UTF-8 text that code page 932 has no code for, or "".
std::string firstCharNotInCp932(std::string_view utf8);

}  // namespace tessaro
