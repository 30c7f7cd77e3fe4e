// The difficulty rating's cost beyond the count, on the shared heavy puzzles
// and the classic dissections: count seconds, rating seconds, search nodes
// (exact or estimated, with the exact figure beside when --exact is given) and the rating.
#include "analysis/DifficultySearch.h"
#include "analysis/PuzzleRating.h"
#include "files/PuzzleFile.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <ctime>
#include <string>
#include <vector>

namespace {

using namespace tessaro;
using namespace tessaro::analysis;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

double since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

// Seconds of processor time this thread has used: the machine may be shared.
double cpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

std::vector<fs::path> binsIn(const fs::path& dir) {
    std::vector<fs::path> out;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir, ec))
        if (e.path().extension() == ".bin") out.push_back(e.path());
    std::sort(out.begin(), out.end());
    return out;
}

void benchOne(const fs::path& file, bool exact) {
    Puzzle p{};
    if (const std::string v = fncFile_get(p, file.string()); v.empty()) {
        std::printf("%-28s unreadable\n", file.filename().c_str());
        return;
    }
    const PackingAnalysis a(p);
    CountOptions co;
    co.threads = 1;
    auto t = Clock::now();
    const CountResult r = a.count(co);
    const double countSeconds = since(t);
    // The fastest of three: the rating is a few milliseconds and the machine is shared.
    double ratingSeconds = 1e9, ratingCpu = 1e9;
    std::optional<PuzzleRating> rating;
    for (int k = 0; k < 3; ++k) {
        t = Clock::now();
        const double c0 = cpuSeconds();
        rating = rateCounted(a, r);
        ratingCpu = std::min(ratingCpu, cpuSeconds() - c0);
        ratingSeconds = std::min(ratingSeconds, since(t));
    }
    std::printf("%-26s %8llu distinct  count %6.3f s  rating %6.1f ms (cpu %5.1f)", file.filename().c_str(),
                (unsigned long long)r.distinctUnlabelled, countSeconds, ratingSeconds * 1000, ratingCpu * 1000);
    if (!rating) {
        std::printf("  no rating\n");
        return;
    }
    std::printf("  nodes %12.0f%s [%.0f, %.0f]  per packing %10.1f  rating %2d", rating->searchNodes,
                rating->estimated ? " (est)" : "      ", rating->low, rating->high, rating->nodesPerPacking, rating->rating);
    if (exact && rating->estimated) {
        DifficultySearch search(a.placementsByType(), a.symmetryParts());
        t = Clock::now();
        const auto full = search.count(UINT64_MAX);
        std::printf("  exact %12.0f (%d, %.1f s)", full->nodes, ratingOfNodes(full->nodes / double(r.distinctUnlabelled)),
                    since(t));
    }
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
    bool exact = false;
    std::vector<fs::path> dirs;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--exact") == 0)
            exact = true;
        else
            dirs.emplace_back(argv[i]);
    }
    if (dirs.empty()) dirs = {TESSARO_CLASSIC_DIR, TESSARO_HEAVY_DIR};
    for (const fs::path& dir : dirs) {
        std::printf("%s\n", dir.c_str());
        for (const fs::path& f : binsIn(dir)) benchOne(f, exact);
    }
    return 0;
}
