// Counting every packing: the analysis against the dancing-links yardstick, side
// by side, on the sample, the sample with a block taken out (its cells stay
// empty) and 4x4x4 boxes cut into 6 to 8 blocks (fixed seeds); then the shared
// heavy puzzles (set-up included, 1 and 2 threads) and the start-up figure.
//
//   analysis_bench [--quick] [--heavy-only] [HEAVY_DIR]
//   analysis_bench --count FILE [ORDER] [THREADS] [progress[:SECONDS]]   (one count, for callgrind;
//   progress: with reports every 0.25 s or every SECONDS)
//   (--quick: skip the yardstick on the slow cases; HEAVY_DIR: the heavy
//   puzzles' folder, by default the one next to the source tree)
#include "DancingLinks.h"
#include "HeavyBench.h"
#include "analysis/PackingAnalysis.h"
#include "model/Figure.h"
#include "solver/RandomCut.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

using namespace tessaro;

namespace {

using Clock = std::chrono::steady_clock;

struct Case {
    std::string name;
    Puzzle puzzle;
};

// Seconds of the fastest run, repeated for half a second (three runs at least,
// unless one takes more than a second): other work on the machine only ever adds time.
template <class F>
double timeIt(F&& f) {
    int runs = 0;
    const auto start = Clock::now();
    double best = 1e300;
    for (;;) {
        const auto t0 = Clock::now();
        f();
        const auto t1 = Clock::now();
        best = std::min(best, std::chrono::duration<double>(t1 - t0).count());
        ++runs;
        const double spent = std::chrono::duration<double>(t1 - start).count();
        if ((runs >= 3 && spent >= 0.5) || best > 1.0) break;
    }
    return best;
}

std::vector<Case> cases() {
    std::vector<Case> out;
    out.push_back({"sample 3x3x3", buildSamplePuzzle()});
    Puzzle missing = buildSamplePuzzle();
    for (int c = 0; c < kCells; ++c) missing.G_iPiece[6 + kBlocks * c] = 0;  // block 7, four cells
    missing.G_iCell_Total = fncPiece_CountAll(missing);
    out.push_back({"sample without block 7", missing});
    const struct {
        int blocks;
        uint64_t seed;
    } cuts[] = {{6, 1}, {6, 2}, {7, 1}, {7, 2}, {8, 1}, {8, 2}, {8, 3}};
    for (const auto& c : cuts) {
        CutSpec spec;
        spec.blocks = c.blocks;
        spec.seed = c.seed;
        out.push_back({"4x4x4 / " + std::to_string(c.blocks) + " blocks, seed " + std::to_string(c.seed), cutBox(spec)});
    }
    // Seven of the eight blocks: the eighth block's cells stay empty.
    for (uint64_t seed : {1, 2}) {
        CutSpec spec;
        spec.seed = seed;
        Puzzle p = cutBox(spec);
        for (int c = 0; c < kCells; ++c) p.G_iPiece[7 + kBlocks * c] = 0;
        p.G_iCell_Total = fncPiece_CountAll(p);
        out.push_back({"4x4x4 / 8 - 1 blocks, seed " + std::to_string(seed), p});
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "--count") == 0)
        return bench::countOne(argv[2], argc > 3 ? argv[3] : "12345678", argc > 4 ? std::atoi(argv[4]) : 1,
                               argc > 5 && std::strncmp(argv[5], "progress", 8) == 0
                                   ? (argv[5][8] == ':' ? std::atof(argv[5] + 9) : 0.25)
                                   : 0);
    bool quick = false, heavyOnly = false;
    std::string heavyDir = TESSARO_HEAVY_DIR;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quick") == 0)
            quick = true;
        else if (std::strcmp(argv[i], "--heavy-only") == 0)
            heavyOnly = true;
        else
            heavyDir = argv[i];
    }
    if (heavyOnly) return bench::heavyBench(heavyDir, argv[0]);
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    std::printf("%-26s %12s %9s %11s %11s %10s %12s %11s %8s\n", "puzzle", "packings", "distinct", "unlabelled",
                "1 thread s", "threads s", "yardstick", "yardstick s", "ratio");
    for (const Case& c : cases()) {
        const analysis::PackingAnalysis a(c.puzzle);
        analysis::CountOptions one;
        one.threads = 1;
        analysis::CountResult r;
        const double t1 = timeIt([&] { r = a.count(one); });
        analysis::CountOptions all;
        all.threads = int(cores);
        const double tn = timeIt([&] { a.count(all); });
        uint64_t dlx = 0;
        double td = 0;
        const bool slow = quick && t1 > 0.05;
        if (!slow) td = timeIt([&] { dlx = bench::dancingLinksCount(c.puzzle); });
        char yard[32] = "-", yardTime[32] = "-", ratio[32] = "-";
        if (!slow) {
            std::snprintf(yard, sizeof yard, "%llu", static_cast<unsigned long long>(dlx));
            std::snprintf(yardTime, sizeof yardTime, "%.5f", td);
            std::snprintf(ratio, sizeof ratio, "%.1f", td / t1);
        }
        std::printf("%-26s %12llu %9llu %11llu %11.5f %10.5f %12s %11s %8s%s\n", c.name.c_str(),
                    static_cast<unsigned long long>(r.solutions), static_cast<unsigned long long>(r.distinct),
                    static_cast<unsigned long long>(r.distinctUnlabelled), t1, tn, yard, yardTime, ratio,
                    !slow && dlx != r.solutions ? "  COUNTS DIFFER" : "");
        std::fflush(stdout);
    }
    std::printf("(fastest run of several; ratio = yardstick time / 1-thread time; %u threads)\n\n", cores);
    return bench::heavyBench(heavyDir, argv[0]);
}
