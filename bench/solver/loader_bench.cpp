// The automatic loader's speed: runs LOAD headless on the sample and on 4x4x4 boxes
// cut into eight blocks, and prints fit tests, time and fit tests per second.
//
//   loader_bench [--limit N] [--per-call] [--reference]
//
// --limit stops each search after N fit tests (default 300 million); --per-call
// makes the host answer every yield point itself (as a host that does not batch
// them); --reference times the plain step-by-step walk instead (use a small limit).
#include "BenchSupport.h"
#include "model/Figure.h"
#include "solver/AutoLoader.h"
#include "solver/ReferenceLoader.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace tessaro;

namespace {

template <class Loader>
void runCase(const BenchCase& c, uint64_t limit, bool batched) {
    Loader loader;
    Puzzle p = c.puzzle;
    BenchHost host(limit, batched);
    LoaderOptions options;
    options.checkDeadSpace = c.deadSpace;
    const auto start = std::chrono::steady_clock::now();
    const LoaderOutcome outcome = loader.cmdMove_Click(p, host, options);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const LoaderStats& s = loader.stats();
    std::printf("%-32s %-9s %14llu fit tests %9llu attempts %9.3f s %8.1f M fit tests/s\n", c.name.c_str(),
                outcomeName(outcome), static_cast<unsigned long long>(s.fitTests),
                static_cast<unsigned long long>(s.attempts), seconds, seconds > 0 ? s.fitTests / seconds / 1e6 : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
    uint64_t limit = 300'000'000;
    bool reference = false;
    bool batched = true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--limit") == 0 && i + 1 < argc)
            limit = std::strtoull(argv[++i], nullptr, 10);
        else if (std::strcmp(argv[i], "--per-call") == 0)
            batched = false;
        else if (std::strcmp(argv[i], "--reference") == 0)
            reference = true;
        else {
            std::fprintf(stderr, "usage: loader_bench [--limit N] [--per-call] [--reference]\n");
            return 2;
        }
    }

    const std::vector<BenchCase> cases = loaderBenchCases();

    std::printf("%s, %s, stop after %llu fit tests\n", reference ? "plain walk" : "mask engine",
                batched ? "yield points batched" : "a host call per yield point", static_cast<unsigned long long>(limit));
    for (const BenchCase& c : cases) {
        if (reference)
            runCase<ReferenceLoader>(c, limit, batched);
        else
            runCase<AutoLoader>(c, limit, batched);
    }
    return 0;
}
