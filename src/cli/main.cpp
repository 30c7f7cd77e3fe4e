// tessaro-cli: the headless tool over the puzzle core.
#include "cli/CliCommand.h"
#include "cli/ExportProgram.h"

#include <string_view>

int main(int argc, char** argv) {
    using namespace tessaro::cli;
    if (argc > 1 && std::string_view(argv[1]) == "export") return runExportProgram(argc, argv);
    // Each command adds itself here.
    return runCommandLine(argc, argv,
                          {registerInfoCommand, registerLoadCommand, registerSolveCommand, listExportCommand,
                           registerConvertCommand, registerDesignCommand});
}
