#include "cli/PuzzleSource.h"

#include "cli/CliCommand.h"
#include "cli/CommandLine.h"

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
    } catch (const CLI::Success& e) {
        app.exit(e);  // --help, --version
        return kExitOk;
    } catch (const CLI::ParseError& e) {
        std::cerr << "tessaro-cli: " << usageErrorText(app, e) << "\n";
        const CLI::App* cmd = nullptr;
        for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; }))
            if (sub->parsed()) cmd = sub;
        std::cerr << "使い方は tessaro-cli " << (cmd ? cmd->get_name() + " " : std::string()) << "--help で表示します。\n";
        return kExitUsage;
    }
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "tessaro-cli: 出力を書き込めませんでした\n";
        return kExitUnreadable;
    }
    return ctx.exitCode;
}

}  // namespace tessaro::cli
