// The window's export against its event loop: how long the window went without
// turning its loop (the longest gap between beats of a 5 ms timer) while
// 書き出し… wrote every format with the answer page, and how long it took.
//
//   window_export_bench [PUZZLE.bin] [--repeat N]
//
// Without a file the sample is exported. Runs offscreen.

#include "files/PuzzleFile.h"
#include "model/Figure.h"
#include "ui/ExportDialog.h"
#include "ui/testing/ScriptedDialogs.h"

#include <QApplication>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

using namespace tessaro;
using Clock = std::chrono::steady_clock;

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Puzzle p = buildSamplePuzzle();
    std::string name = "sample";
    int repeat = 3;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--repeat" && i + 1 < argc) {
            repeat = std::max(1, std::atoi(argv[++i]));
            continue;
        }
        std::ifstream in(arg, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (decodeRecord(bytes, p).kind != DecodeResult::Kind::Read) {
            std::fprintf(stderr, "window_export_bench: %s: not a puzzle file\n", arg.c_str());
            return 1;
        }
        name = std::filesystem::path(arg).filename().string();
    }
    char tmpl[] = "/tmp/tessaro-export-bench-XXXXXX";
    const std::string dir = mkdtemp(tmpl);
    std::printf("%-28s %10s %12s %8s\n", "puzzle", "export s", "longest gap", "beats");
    for (int run = 0; run < repeat; ++run) {
        std::filesystem::remove_all(dir);
        std::filesystem::create_directory(dir);
        WindowExportChoice c;
        c.folder = dir;
        c.png = true;
        c.withAnswer = true;
        c.sizes.trayWallMm = 2;
        Clock::time_point last = Clock::now();
        double longest = 0;
        long beats = 0;
        QTimer beat;
        QObject::connect(&beat, &QTimer::timeout, [&] {
            const Clock::time_point now = Clock::now();
            longest = std::max(longest, std::chrono::duration<double>(now - last).count());
            last = now;
            ++beats;
        });
        ScriptedDialogs dlg;
        const Clock::time_point start = Clock::now();
        beat.start(5);
        last = Clock::now();
        const bool written = runWindowExport(p, dlg, c);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        longest = std::max(longest, std::chrono::duration<double>(Clock::now() - last).count());
        beat.stop();
        std::printf("%-28s %10.3f %10.0f ms %8ld%s\n", name.c_str(), seconds, longest * 1000, beats,
                    written ? "" : "  (not written)");
    }
    std::filesystem::remove_all(dir);
    return 0;
}
