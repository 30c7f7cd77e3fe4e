#pragma once
// The puzzle a command works on: a .bin file named on the command line, or the built-in sample.

#include "cli/PuzzleFileRead.h"

#include <optional>
#include <string>

namespace CLI {
class App;
}

namespace tessaro::cli {

struct PuzzleSourceOptions {
    std::string file;
    bool sample = false;
};

// Adds the positional FILE and the --sample flag; exactly one of them must be given.
void addPuzzleSourceOptions(CLI::App& cmd, PuzzleSourceOptions& opts);
// Throws CLI::ValidationError (bad usage) unless exactly one source was given.
void checkPuzzleSource(const PuzzleSourceOptions& opts);

// The puzzle, or nothing with a message for stderr in `error`.
std::optional<LoadedPuzzle> readPuzzleSource(const PuzzleSourceOptions& opts, std::string& error);

}  // namespace tessaro::cli
