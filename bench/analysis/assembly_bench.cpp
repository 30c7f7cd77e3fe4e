// The assembly check on the shared heavy puzzles: the time of one check per
// packing, the packings that can be built and those built by drops alone, and the
// walk's cost against the count it goes with (one thread each).
//   assembly_bench [HEAVY_DIR]
#include "analysis/AssemblyCount.h"
#include "analysis/PackingAnalysis.h"
#include "files/PuzzleFile.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

using namespace tessaro;
using namespace tessaro::analysis;

namespace {

using Clock = std::chrono::steady_clock;

double since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

}  // namespace

int main(int argc, char** argv) {
    const std::filesystem::path dir = argc > 1 ? argv[1] : TESSARO_HEAVY_DIR;
    if (!std::filesystem::is_directory(dir)) {
        std::printf("no heavy puzzles at %s\n", dir.c_str());
        return 0;
    }
    std::vector<std::filesystem::path> files;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        if (e.path().extension() == ".bin") files.push_back(e.path());
    std::sort(files.begin(), files.end());
    std::printf("%-26s %10s %10s %10s %9s %9s %9s %8s %8s\n", "puzzle", "distinct", "assembl.", "drop only",
                "count s", "walk s", "check us", "walk/cnt", "chk/cnt");
    for (const auto& f : files) {
        std::ifstream in(f, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        Puzzle p;
        if (decodeRecord(bytes, p).kind != DecodeResult::Kind::Read) continue;
        const PackingAnalysis analysis(p);
        CountOptions one;
        one.threads = 1;
        const CountResult count = analysis.count(one);
        const AssemblyCounts walk = countAssemblies(p, false, 1);

        // The check alone, on the first packings the browser would show.
        DistinctPackings some(analysis);
        std::vector<Packing> sample;
        for (size_t i = 0; i < 2000; ++i) {
            const auto pk = some.at(i);
            if (!pk) break;
            sample.push_back(*pk);
        }
        const AssemblyCheck check(analysis.box());
        uint64_t built = 0;
        int rounds = 0;
        const auto t0 = Clock::now();
        do {
            for (const Packing& pk : sample) built += check.verdict(pk).assemblable;
            ++rounds;
        } while (since(t0) < 0.3);
        const double perCheck = since(t0) / double(std::max<size_t>(1, sample.size() * size_t(rounds)));
        const double checks = perCheck * double(walk.packings);
        std::printf("%-26s %10llu %10llu %10llu %9.3f %9.3f %9.2f %7.0f%% %7.0f%%%s\n", f.stem().c_str(),
                    (unsigned long long)walk.distinct, (unsigned long long)walk.assemblable,
                    (unsigned long long)walk.dropOnly, count.seconds, walk.seconds, perCheck * 1e6,
                    100 * walk.seconds / count.seconds, 100 * checks / count.seconds,
                    walk.distinct == count.distinctUnlabelled ? "" : "  (distinct differs from the count!)");
        if (built == 0 && !sample.empty()) std::printf("  (no sampled packing can be built)\n");
    }
    return 0;
}
