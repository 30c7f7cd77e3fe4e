#include "cli/CliCommand.h"

#include "app/ErrLog.h"
#include "cli/CommandLine.h"

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
    setUpCommandLine(app);
    app.require_subcommand(1);
    CliContext ctx;
    logFileErrors();
    for (RegisterCommand add : commands) add(app, ctx);
    finishCommandLine(app);
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
