#pragma once
// Text from a file, made safe to print on a terminal.

#include <string>
#include <string_view>

namespace tessaro::cli {

// Control characters shown, not obeyed: C0 and DEL as \xHH, so a comment cannot
// clear the screen or retitle the terminal. (Texts come from code page 932,
// which has no C1 controls.)
std::string escapeControls(std::string_view utf8);

}  // namespace tessaro::cli
