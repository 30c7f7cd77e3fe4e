#pragma once
// A .bin file read for the command line: the reader's messages become one line for stderr.

#include "model/Puzzle.h"

#include <optional>
#include <string>

namespace tessaro::cli {

struct LoadedPuzzle {
    Puzzle puzzle;
    std::string version;  // the reader's result, trimmed; "" for the sample
};

// The puzzle and the reader's trimmed version text, or nothing with the reason in `error`.
// The model is filled only from a file read whole; failures still go to Error_Log.TXT.
std::optional<LoadedPuzzle> readPuzzleFile(const std::string& path, std::string& error);

}  // namespace tessaro::cli
