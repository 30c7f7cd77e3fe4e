#pragma once
// `tessaro-cli export` runs in a program of its own, tessaro-cli-export: the
// pictures and the sheet need Qt and the 3MF file lib3mf, and loading those
// would slow every other command's start. The command line is handed over
// whole, so the exit code, the messages and Ctrl+C are the export's own.

#include "cli/CliCommand.h"

namespace tessaro::cli {

// Replaces this process with tessaro-cli-export, found beside this program or
// in the installed libexec folder; returns only after a failure, with its exit code.
int runExportProgram(int argc, char** argv);

// Lists `export` in tessaro-cli's help; the command itself never runs here.
void listExportCommand(CLI::App& app, CliContext& ctx);

}  // namespace tessaro::cli
