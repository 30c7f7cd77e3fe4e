// The assembly check on the shared heavy puzzles: the packings that can be built
// and those built by drops alone, the time of one check per packing (the check
// alone and the count's judge), and what judging every packing adds to the count
// (one thread, the best of three runs each, in the thread's processor time: a
// busy machine changes it less than the clock on the wall).
//   assembly_bench [HEAVY_DIR]
// One count alone, plain or judged, once: for an instruction counter on a
// noisy machine (valgrind --tool=callgrind, perf stat -e instructions).
//   assembly_bench --once FILE plain|judged
#include "analysis/AssemblyCount.h"
#include "analysis/PackingAnalysis.h"
#include "files/PuzzleFile.h"

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string_view>
#include <vector>

using namespace tessaro;
using namespace tessaro::analysis;

namespace {

double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

// Seconds per call of `one` over the sample, repeated for a fair time; `begin` starts each round afresh.
template <class B, class F>
double perPacking(const std::vector<Packing>& sample, B&& begin, F&& one) {
    int rounds = 0;
    const double t0 = cpuSeconds();
    do {
        begin();
        for (const Packing& pk : sample) one(pk);
        ++rounds;
    } while (cpuSeconds() - t0 < 0.3);
    return (cpuSeconds() - t0) / double(std::max<size_t>(1, sample.size() * size_t(rounds)));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string_view(argv[1]) == "--once") {
        std::ifstream in(argv[2], std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        Puzzle p;
        if (decodeRecord(bytes, p).kind != DecodeResult::Kind::Read) {
            std::printf("cannot read %s\n", argv[2]);
            return 1;
        }
        const PackingAnalysis analysis(p);
        CountOptions options;
        options.threads = 1;
        const bool judged = std::string_view(argv[3]) == "judged";
        if (judged) judgeAssembly(options, analysis.box());
        const CountResult r = analysis.count(options);
        const std::optional<AssemblyCounts> built = assemblyCounts(r);
        std::printf("%llu distinct", (unsigned long long)r.distinctUnlabelled);
        if (built) std::printf(", %llu assemblable, %llu drop only", (unsigned long long)built->assemblable,
                               (unsigned long long)built->dropOnly);
        std::printf("\n");
        return 0;
    }
    const std::filesystem::path dir = argc > 1 ? argv[1] : TESSARO_HEAVY_DIR;
    if (!std::filesystem::is_directory(dir)) {
        std::printf("no heavy puzzles at %s\n", dir.c_str());
        return 0;
    }
    std::vector<std::filesystem::path> files;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        if (e.path().extension() == ".bin") files.push_back(e.path());
    std::sort(files.begin(), files.end());
    std::printf("%-26s %10s %10s %10s %9s %9s %9s %9s %8s\n", "puzzle", "distinct", "assembl.", "drop only",
                "count s", "judged s", "check us", "judge us", "cost");
    for (const auto& f : files) {
        std::ifstream in(f, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        Puzzle p;
        if (decodeRecord(bytes, p).kind != DecodeResult::Kind::Read) continue;
        const PackingAnalysis analysis(p);
        CountOptions plain;
        plain.threads = 1;
        CountOptions judged = plain;
        judgeAssembly(judged, analysis.box());
        CountResult count, withJudge;
        double countSeconds = 1e9, judgedSeconds = 1e9;
        for (int run = 0; run < 3; ++run) {
            double t = cpuSeconds();
            count = analysis.count(plain);
            countSeconds = std::min(countSeconds, cpuSeconds() - t);
            t = cpuSeconds();
            withJudge = analysis.count(judged);
            judgedSeconds = std::min(judgedSeconds, cpuSeconds() - t);
        }
        const std::optional<AssemblyCounts> built = assemblyCounts(withJudge);

        // One check alone, on the first packings the browser would show.
        DistinctPackings some(analysis);
        std::vector<Packing> sample;
        for (size_t i = 0; i < 2000; ++i) {
            const auto pk = some.at(i);
            if (!pk) break;
            sample.push_back(*pk);
        }
        const AssemblyCheck check(analysis.box());
        std::optional<AssemblyJudge> judge;
        uint64_t yes = 0;
        const double checkSeconds =
            perPacking(sample, [] {}, [&](const Packing& pk) { yes += check.verdict(pk).assemblable; });
        // Afresh each round: what the judge kept from the round before would flatter it.
        const double judgeSeconds = perPacking(
            sample, [&] { judge.emplace(analysis.box()); }, [&](const Packing& pk) { yes += (*judge)(pk).assemblable; });
        const bool agreed = std::all_of(sample.begin(), sample.end(), [&](const Packing& pk) {
            const AssemblyVerdict a = check.verdict(pk), b = (*judge)(pk);
            return a.assemblable == b.assemblable && a.dropOnly == b.dropOnly;
        });
        std::printf("%-26s %10llu %10llu %10llu %9.3f %9.3f %9.2f %9.2f %7.0f%%%s%s\n", f.stem().c_str(),
                    (unsigned long long)count.distinctUnlabelled, built ? (unsigned long long)built->assemblable : 0ull,
                    built ? (unsigned long long)built->dropOnly : 0ull, countSeconds, judgedSeconds,
                    checkSeconds * 1e6, judgeSeconds * 1e6, 100 * (judgedSeconds - countSeconds) / countSeconds,
                    built ? "" : "  (no counts!)", withJudge.distinctUnlabelled == count.distinctUnlabelled ? "" : "  (the count differs!)");
        if (!agreed) std::printf("  (the judge and the check disagree on the sample!)\n");
    }
    return 0;
}
