#include "cli/StatusLine.h"

#include <unistd.h>

#include <iostream>

namespace tessaro::cli {

StatusLine::StatusLine(bool enabled, bool forced)
    : enabled_(false), terminal_(isatty(STDERR_FILENO) != 0) {
    enabled_ = enabled && (terminal_ || forced);
}

bool StatusLine::due(double seconds) {
    if (!enabled_ || seconds < 1.0 || seconds - last_ < (terminal_ ? 1.0 : 10.0)) return false;
    last_ = seconds;
    return true;
}

void StatusLine::show(const std::string& line) {
    shown_ = true;
    if (terminal_)
        std::cerr << "\r" << line << "\x1b[K" << std::flush;
    else
        std::cerr << line << "\n";
}

void StatusLine::finish() {
    if (shown_ && terminal_) std::cerr << "\n";
}

}  // namespace tessaro::cli
