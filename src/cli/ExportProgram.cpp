#include "cli/ExportProgram.h"

#include <CLI/CLI.hpp>

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <vector>

namespace tessaro::cli {

namespace fs = std::filesystem;

int runExportProgram(int, char** argv) {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    const fs::path here = ec ? fs::path(argv[0]).parent_path() : self.parent_path();
    const std::vector<fs::path> places = {here / "tessaro-cli-export",
                                          here / TESSARO_EXPORT_FROM_PROGRAMS / "tessaro-cli-export"};
    for (const fs::path& p : places) {
        if (access(p.c_str(), X_OK) != 0) continue;
        execv(p.c_str(), argv);
        std::cerr << "tessaro-cli: " << p.string() << " を起動できませんでした（" << std::strerror(errno) << "）\n";
        return kExitUnreadable;
    }
    std::cerr << "tessaro-cli: 書き出し用のプログラム tessaro-cli-export が見つかりません（" << places[0].string()
              << "、" << places[1].lexically_normal().string() << "）\n";
    return kExitUnreadable;
}

void listExportCommand(CLI::App& app, CliContext&) {
    app.add_subcommand("export", "ブロックの 3D プリント用データ、画像、印刷用シートを書き出す")->allow_extras();
}

}  // namespace tessaro::cli
