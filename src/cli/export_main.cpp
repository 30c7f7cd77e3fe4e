// tessaro-cli-export: `tessaro-cli export`, started by tessaro-cli with the same command line.
#include "app/ErrLog.h"
#include "cli/CliCommand.h"
#include "cli/CommandLine.h"


int main(int argc, char** argv) {
    using namespace tessaro::cli;
    CLI::App app{"Tessaro のコマンドライン・ツール", "tessaro-cli"};
    setUpCommandLine(app);
    app.require_subcommand(1);
    CliContext ctx;
    tessaro::logFileErrors();
    registerExportCommand(app, ctx);
    finishCommandLine(app);
    return runCommandLine(app, ctx, argc, argv);
}
