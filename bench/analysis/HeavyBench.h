#pragma once
// The shared heavy puzzles, each counted whole (set-up included) on one and two
// threads, and the start-up figure: a small puzzle's `tessaro-cli solve` as a
// whole process against a program that only reads the file.

#include <string>

namespace tessaro::bench {

// dir: the heavy puzzles' folder (skipped with a note when missing); self: argv[0],
// whose folder holds tessaro-cli and the reader. Returns the exit code.
int heavyBench(const std::string& dir, const char* self);
// One count of one file on `threads` threads, its blocks renumbered by `order`
// (new block i is the file's block order[i], digits 1..8): for instruction counts;
// `progress` > 0: with progress reports every so many seconds, as the command line
// always asks for them (under callgrind, scaled by its slowdown).
int countOne(const std::string& file, const std::string& order, int threads, double progress = 0);

}  // namespace tessaro::bench
