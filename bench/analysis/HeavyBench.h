#pragma once
// The shared heavy puzzles, each counted whole (set-up included) on one and two
// threads, and the start-up figure: a small puzzle's `tessaro-cli solve` as a
// whole process against a program that only reads the file.

#include <string>

namespace tessaro::bench {

// dir: the heavy puzzles' folder (skipped with a note when missing); self: argv[0],
// whose folder holds tessaro-cli and the reader. Returns the exit code.
int heavyBench(const std::string& dir, const char* self);

}  // namespace tessaro::bench
