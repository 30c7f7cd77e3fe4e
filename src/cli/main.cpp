// tessaro-cli: the headless tool over the puzzle core.
#include "app/ErrLog.h"
#include "cli/CliCommand.h"
#include "cli/CommandLine.h"
#include "cli/ExportProgram.h"

#include <iostream>
#include <string_view>

int main(int argc, char** argv) {
    using namespace tessaro::cli;
    if (argc > 1 && std::string_view(argv[1]) == "export") return runExportProgram(argc, argv);
    CLI::App app{"Tessaro のコマンドライン・ツール", "tessaro-cli"};
    setUpCommandLine(app);
    app.require_subcommand(1);
    CliContext ctx;
    tessaro::logFileErrors();

    // Each command adds itself here.
    registerInfoCommand(app, ctx);
    registerLoadCommand(app, ctx);
    registerSolveCommand(app, ctx);
    listExportCommand(app);
    registerConvertCommand(app, ctx);
    registerDesignCommand(app, ctx);
    finishCommandLine(app);
    return runCommandLine(app, ctx, argc, argv);
}
