// tessaro-cli-export: `tessaro-cli export`, started by tessaro-cli with the same command line.
#include "cli/CliCommand.h"

int main(int argc, char** argv) {
    using namespace tessaro::cli;
    return runCommandLine(argc, argv, {registerExportCommand});
}
