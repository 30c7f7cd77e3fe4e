#pragma once
// The comment and the password a command saves into a puzzle file, checked one
// way for every command before any work starts: what the file cannot hold is
// refused (bad usage), never cut short or written as "?".

#include <optional>
#include <string>

namespace tessaro::cli {

// Why the file cannot hold `comment` (trimmed), or "".
std::string commentRefusal(const std::string& comment);
// Why the file cannot hold `password` (trimmed), or "".
std::string passwordRefusal(const std::string& password);

// Throws CLI::ValidationError naming --comment or --password.
void checkRecordTexts(const std::optional<std::string>& comment, const std::optional<std::string>& password);

}  // namespace tessaro::cli
