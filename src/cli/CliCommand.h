#pragma once
// Every tessaro-cli subcommand registers itself on the app through one function
// listed in main.cpp; the command's callback leaves its exit code in the context.
// Only the files that build commands include <CLI/CLI.hpp>: it is costly to compile.

#include "cli/PuzzleSource.h"

#include <initializer_list>
#include <optional>

namespace CLI {
class App;
}

namespace tessaro::cli {

// Exit codes shared by all commands.
constexpr int kExitOk = 0;
constexpr int kExitUnreadable = 1;  // a file that cannot be read or written
constexpr int kExitUsage = 2;

struct CliContext {
    int exitCode = kExitOk;
};

using RegisterCommand = void (*)(CLI::App& app, CliContext& ctx);

// The command's puzzle: bad usage throws; a file that cannot be read is told on
// stderr and leaves the unreadable exit code.
std::optional<LoadedPuzzle> readCommandPuzzle(const PuzzleSourceOptions& source, CliContext& ctx);

// Registers the commands, parses the command line, runs the chosen command and
// gives the exit code, also when the output could not be written.
int runCommandLine(int argc, char** argv, std::initializer_list<RegisterCommand> commands);

void registerInfoCommand(CLI::App& app, CliContext& ctx);
void registerLoadCommand(CLI::App& app, CliContext& ctx);
void registerSolveCommand(CLI::App& app, CliContext& ctx);
void registerExportCommand(CLI::App& app, CliContext& ctx);
void registerConvertCommand(CLI::App& app, CliContext& ctx);
void registerDesignCommand(CLI::App& app, CliContext& ctx);

}  // namespace tessaro::cli
