#pragma once
// A long command's progress on stderr, from its first second on: rewritten in
// place at most once a second on a terminal; elsewhere (a log, a pipe) only when
// asked for (--progress), a new line every ten seconds.

#include <string>

namespace tessaro::cli {

class StatusLine {
public:
    explicit StatusLine(bool enabled, bool forced = false);
    bool enabled() const { return enabled_; }
    // Whether a line is due at `seconds` into the work; if so, the caller shows one.
    bool due(double seconds);
    void show(const std::string& line);
    // Ends a line left open on a terminal.
    void finish();

private:
    bool enabled_;
    bool terminal_;
    bool shown_ = false;
    double last_ = -100;
};

}  // namespace tessaro::cli
