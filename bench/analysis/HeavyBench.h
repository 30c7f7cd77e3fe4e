#pragma once
// The shared heavy puzzles, each counted whole (set-up included) on one and two
// threads, and the start-up figure: a small puzzle's `tessaro-cli solve` as a
// whole process against a program that only reads the file.

#include "files/PuzzleFile.h"
#include "model/Figure.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

namespace tessaro::bench {

// dir: the heavy puzzles' folder (skipped with a note when missing); self: argv[0],
// whose folder holds tessaro-cli and the reader. Returns the exit code.
// A benchmark puzzle, or nothing when the file is not a whole record.
inline std::optional<Puzzle> readPuzzle(const std::filesystem::path& f) {
    std::ifstream in(f, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Puzzle p;
    if (decodeRecord(bytes, p).kind != DecodeResult::Kind::Read) return std::nullopt;
    return p;
}

int heavyBench(const std::string& dir, const char* self);
// One count of one file on `threads` threads, its blocks renumbered by `order`
// (new block i is the file's block order[i], digits 1..8): for instruction counts;
// `progress` > 0: with progress reports every so many seconds, as the command line
// always asks for them (under callgrind, scaled by its slowdown).
int countOne(const std::string& file, const std::string& order, int threads, double progress = 0);

}  // namespace tessaro::bench
