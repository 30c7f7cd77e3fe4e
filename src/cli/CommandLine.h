#pragma once
// The conventions every tessaro-cli command shares: help in Japanese with option
// types a user reads (N, SECONDS, FILE), --version from the build, and usage
// errors as one Japanese line with the program's name before it.

#include <CLI/CLI.hpp>

#include <string>

namespace tessaro::cli {

// "tessaro-cli (Tessaro) 1.0.0" and the copyright line, no line break at the end.
std::string versionText(const std::string& program);

// Japanese help labels, --version and --help-all on the top-level app; call
// before adding the commands, which inherit the labels.
void setUpCommandLine(CLI::App& app);

// After the commands are added: their help options and arguments shown as the rest.
void finishCommandLine(CLI::App& app);

// The one line (without the program's name) that tells what was wrong on the
// command line; `app` is the top-level app that threw `e`.
std::string usageErrorText(const CLI::App& app, const CLI::ParseError& e);

}  // namespace tessaro::cli
