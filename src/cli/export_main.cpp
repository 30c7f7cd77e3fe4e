// tessaro-cli-export: `tessaro-cli export`, started by tessaro-cli with the same command line.
#include "app/ErrLog.h"
#include "cli/CliCommand.h"

#include <iostream>

int main(int argc, char** argv) {
    using namespace tessaro::cli;
    CLI::App app{"Tessaro のコマンドライン・ツール", "tessaro-cli"};
    app.require_subcommand(1);
    CliContext ctx;
    tessaro::logFileErrors();
    registerExportCommand(app, ctx);
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
