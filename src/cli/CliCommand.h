#pragma once
// Every tessaro-cli subcommand registers itself on the app through one function
// listed in main.cpp; the command's callback leaves its exit code in the context.

#include <CLI/CLI.hpp>

namespace tessaro::cli {

// Exit codes shared by all commands.
constexpr int kExitOk = 0;
constexpr int kExitUnreadable = 1;  // a file that cannot be read or written
constexpr int kExitUsage = 2;

struct CliContext {
    int exitCode = kExitOk;
};

void registerInfoCommand(CLI::App& app, CliContext& ctx);
void registerLoadCommand(CLI::App& app, CliContext& ctx);
void registerSolveCommand(CLI::App& app, CliContext& ctx);
void registerExportCommand(CLI::App& app, CliContext& ctx);

}  // namespace tessaro::cli
