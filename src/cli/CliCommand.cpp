#include "cli/CliCommand.h"

#include "app/ErrLog.h"

#include <CLI/CLI.hpp>

#include <iostream>

namespace tessaro::cli {

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

int runCommandLine(int argc, char** argv, std::initializer_list<RegisterCommand> commands) {
    CLI::App app{"Tessaro のコマンドライン・ツール", "tessaro-cli"};
    app.require_subcommand(1);
    CliContext ctx;
    logFileErrors();
    for (RegisterCommand add : commands) add(app, ctx);
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
