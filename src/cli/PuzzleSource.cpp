#include "cli/PuzzleSource.h"

#include "cli/CliCommand.h"

#include "cli/PuzzleFileRead.h"
#include "model/Figure.h"

#include <iostream>

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

std::optional<LoadedPuzzle> readCommandPuzzle(const PuzzleSourceOptions& source, CliContext& ctx) {
    checkPuzzleSource(source);
    std::string error;
    auto loaded = readPuzzleSource(source, error);
    if (!loaded) {
        std::cerr << "tessaro-cli: " << error << "\n";
        ctx.exitCode = kExitUnreadable;
    }
    return loaded;
}

int runCommandLine(CLI::App& app, CliContext& ctx, int argc, char** argv) {
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        return code == 0 ? kExitOk : kExitUsage;
    }
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "tessaro-cli: 出力を書き込めませんでした\n";
        return kExitUnreadable;
    }
    return ctx.exitCode;
}

}  // namespace tessaro::cli
