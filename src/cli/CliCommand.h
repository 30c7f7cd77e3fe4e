#pragma once
// Every tessaro-cli subcommand registers itself on the app through one function
// listed in main.cpp; the command's callback leaves its exit code in the context.

#include "cli/PuzzleSource.h"

#include <CLI/CLI.hpp>

#include <optional>

namespace tessaro::cli {

// Exit codes shared by all commands.
constexpr int kExitOk = 0;
constexpr int kExitUnreadable = 1;  // a file that cannot be read or written
constexpr int kExitUsage = 2;

struct CliContext {
    int exitCode = kExitOk;
};

// The command's puzzle: bad usage throws; a file that cannot be read is told on
// stderr and leaves the unreadable exit code.
std::optional<LoadedPuzzle> readCommandPuzzle(const PuzzleSourceOptions& source, CliContext& ctx);

// Parses the command line, runs the chosen command and gives the exit code,
// also when the output could not be written.
int runCommandLine(CLI::App& app, CliContext& ctx, int argc, char** argv);

void registerInfoCommand(CLI::App& app, CliContext& ctx);
void registerLoadCommand(CLI::App& app, CliContext& ctx);
void registerSolveCommand(CLI::App& app, CliContext& ctx);
void registerExportCommand(CLI::App& app, CliContext& ctx);
void registerConvertCommand(CLI::App& app, CliContext& ctx);
void registerDesignCommand(CLI::App& app, CliContext& ctx);

}  // namespace tessaro::cli
