#include "cli/PuzzleSource.h"

#include "model/Figure.h"

#include <CLI/CLI.hpp>

namespace tessaro::cli {

void addPuzzleSourceOptions(CLI::App& cmd, PuzzleSourceOptions& opts) {
    auto* file = cmd.add_option("FILE", opts.file, "パズルファイル（.bin）");
    auto* sample = cmd.add_flag("--sample", opts.sample, "組み込みのサンプル（3×3×3）を使う");
    file->excludes(sample);
    sample->excludes(file);
}

void checkPuzzleSource(const PuzzleSourceOptions& opts) {
    if (opts.file.empty() && !opts.sample)
        throw CLI::ValidationError("FILE または --sample のどちらかを指定してください");
}

std::optional<LoadedPuzzle> readPuzzleSource(const PuzzleSourceOptions& opts, std::string& error) {
    if (opts.sample) return LoadedPuzzle{buildSamplePuzzle(), ""};
    return readPuzzleFile(opts.file, error);
}

}  // namespace tessaro::cli
