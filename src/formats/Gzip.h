#pragma once
// gzip streams in memory, for puzzle files of other programs.

#include <optional>
#include <string>
#include <string_view>

namespace tessaro::formats {

bool isGzip(std::string_view bytes);

// The stream's content, or nothing with the reason in `error`. Content longer
// than `limit` is refused, so a small hostile file cannot fill the memory.
std::optional<std::string> gunzip(std::string_view bytes, size_t limit, std::string& error);

std::string gzip(std::string_view text);

}  // namespace tessaro::formats
