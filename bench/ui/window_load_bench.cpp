// LOAD through the window against the same search headless: the window lets
// its events run and repaints while searching, and should cost the search
// little. Runs offscreen, with the window shown.
//
//   window_load_bench [--limit N] [--interval MS] [--repeat N]
//
// --limit stops each search after N fit tests (default 300 million), as the
// loader benchmark does; --interval sets how often events run (default 10 ms);
// --repeat runs each search that many times both ways and keeps the fastest
// of each (default 3), since a busy machine only ever adds time.

#include "BenchSupport.h"
#include "model/Figure.h"
#include "solver/AutoLoader.h"
#include "ui/frmMain.h"
#include "ui/testing/ScriptedDialogs.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace tessaro;

namespace {

using Clock = std::chrono::steady_clock;

struct Run {
    LoaderOutcome outcome;
    uint64_t fitTests;
    double seconds;
    uint64_t rounds = 0;
    double eventSeconds = 0;
};

Run headless(const BenchCase& c, uint64_t limit) {
    Puzzle p = c.puzzle;
    AutoLoader loader;
    BenchHost host(limit, true);
    LoaderOptions options;
    options.checkDeadSpace = c.deadSpace;
    const auto start = Clock::now();
    const LoaderOutcome outcome = loader.cmdMove_Click(p, host, options);
    return {outcome, loader.stats().fitTests, std::chrono::duration<double>(Clock::now() - start).count()};
}

Run inWindow(const BenchCase& c, uint64_t limit, std::chrono::microseconds interval) {
    ScriptedDialogs dlg;
    frmMain w(dlg);
    w.show();
    w.Form_Activate();
    w.m_puzzle = c.puzzle;
    w.subShowRotation();
    w.subDrawMain();
    w.mnuAautoMove->trigger();
    w.chkDedSpace->setChecked(c.deadSpace);
    w.setYieldInterval(interval);
    w.setFitTestLimit(limit);
    QApplication::processEvents();
    const auto start = Clock::now();
    w.cmdMove_Click();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return {w.lastOutcome(), w.lastStats().fitTests, seconds, w.lastEventRounds(), w.lastEventSeconds()};
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    uint64_t limit = 300'000'000;
    long intervalMs = 10;
    int repeat = 3;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--limit") == 0 && i + 1 < argc) {
            limit = std::strtoull(argv[++i], nullptr, 10);
        } else if (std::strcmp(argv[i], "--interval") == 0 && i + 1 < argc) {
            intervalMs = std::strtol(argv[++i], nullptr, 10);
        } else if (std::strcmp(argv[i], "--repeat") == 0 && i + 1 < argc) {
            repeat = std::max(1, std::atoi(argv[++i]));
        } else {
            std::fprintf(stderr, "usage: window_load_bench [--limit N] [--interval MS] [--repeat N]\n");
            return 2;
        }
    }

    const std::vector<BenchCase> cases = loaderBenchCases();

    std::printf("LOAD in the window (events every %ld ms) against headless, stop after %llu fit tests\n",
                intervalMs, static_cast<unsigned long long>(limit));
    std::printf("%-32s %-9s %12s %9s %9s %7s %7s %9s\n", "puzzle", "outcome", "fit tests", "headless", "window",
                "ratio", "rounds", "in events");
    double sumHeadless = 0, sumWindow = 0;
    for (const BenchCase& c : cases) {
        Run h = headless(c, limit);
        Run w = inWindow(c, limit, std::chrono::milliseconds(intervalMs));
        for (int r = 1; r < repeat; ++r) {
            const Run h2 = headless(c, limit);
            const Run w2 = inWindow(c, limit, std::chrono::milliseconds(intervalMs));
            if (h2.seconds < h.seconds) h = h2;
            if (w2.seconds < w.seconds) w = w2;
        }
        if (h.fitTests != w.fitTests || h.outcome != w.outcome)
            std::printf("  (different searches: headless %s %llu, window %s %llu)\n", outcomeName(h.outcome),
                        static_cast<unsigned long long>(h.fitTests), outcomeName(w.outcome),
                        static_cast<unsigned long long>(w.fitTests));
        std::printf("%-32s %-9s %12llu %8.3fs %8.3fs %7.3f %7llu %8.3fs\n", c.name.c_str(), outcomeName(w.outcome),
                    static_cast<unsigned long long>(w.fitTests), h.seconds, w.seconds,
                    h.seconds > 0 ? w.seconds / h.seconds : 0.0, static_cast<unsigned long long>(w.rounds),
                    w.eventSeconds);
        sumHeadless += h.seconds;
        sumWindow += w.seconds;
    }
    std::printf("%-32s %-9s %12s %8.3fs %8.3fs %7.3f\n", "all", "", "", sumHeadless, sumWindow,
                sumHeadless > 0 ? sumWindow / sumHeadless : 0.0);
    return 0;
}
