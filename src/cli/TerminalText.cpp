#include "cli/TerminalText.h"

#include <cstdio>

namespace tessaro::cli {

std::string escapeControls(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    char buf[8];
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7F) {
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

}  // namespace tessaro::cli
