#pragma once
// Runs the built tessaro-cli as a user would, capturing its output and exit code.

#include "files/TestSupport.h"

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace tessaro::test {

struct CliResult {
    int code = -1;
    std::string out, err;
};

// args are passed through the shell as written; stderr is kept in dir.
inline CliResult runCli(const TempDir& dir, const std::string& args) {
    CliResult r;
    const std::string errFile = dir.file("stderr.txt");
    const std::string cmd = std::string("'") + TESSARO_CLI_PATH + "' " + args + " 2>'" + errFile + "'";
    FILE* pipe = popen(cmd.c_str(), "r");
    if (!pipe) return r;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) r.out.append(buf, n);
    const int status = pclose(pipe);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.err = readBytes(errFile);
    return r;
}

inline CliResult runCli(const std::string& args) {
    TempDir dir;
    return runCli(dir, args);
}

}  // namespace tessaro::test
