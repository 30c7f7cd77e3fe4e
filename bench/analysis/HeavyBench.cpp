#include "HeavyBench.h"

#include "analysis/PackingAnalysis.h"
#include "files/PuzzleFile.h"
#include "model/Figure.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace tessaro::bench {

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

double seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

// The fastest of at least three runs (half a second of them), or one run over two seconds.
template <class F>
double fastest(F&& f) {
    const auto start = Clock::now();
    double best = 1e300;
    for (int runs = 1;; ++runs) {
        const auto t0 = Clock::now();
        f();
        const auto t1 = Clock::now();
        best = std::min(best, seconds(t0, t1));
        if ((runs >= 3 && seconds(start, t1) >= 0.5) || best > 2.0) break;
    }
    return best;
}

// Wall seconds of one whole process, its output thrown away; negative when it fails.
double runProcess(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const auto t0 = Clock::now();
    pid_t pid = 0;
    const int err = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (err != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    const auto t1 = Clock::now();
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds(t0, t1) : -1;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void heavyPuzzles(const std::string& dir) {
    std::error_code ec;
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(dir, ec))
        if (e.path().extension() == ".bin") files.push_back(e.path());
    if (ec || files.empty()) {
        std::printf("heavy puzzles: none in %s, skipped\n\n", dir.c_str());
        return;
    }
    std::sort(files.begin(), files.end());
    std::printf("%-24s %10s %9s %10s %11s %11s %8s\n", "heavy puzzle", "packings", "distinct", "mirror", "1 thread s",
                "2 threads s", "speedup");
    for (const fs::path& f : files) {
        std::ifstream in(f, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        Puzzle p;
        if (decodeRecord(bytes, p).kind != DecodeResult::Kind::Read) {
            std::printf("%-24s unreadable\n", f.filename().c_str());
            continue;
        }
        analysis::CountResult r1, r2;
        const auto run = [&](int threads, analysis::CountResult& r) {
            const analysis::PackingAnalysis a(p);
            analysis::CountOptions o;
            o.threads = threads;
            r = a.count(o);
        };
        const double t1 = fastest([&] { run(1, r1); });
        const double t2 = fastest([&] { run(2, r2); });
        char mirror[32] = "null";
        if (r1.distinctMirror) std::snprintf(mirror, sizeof mirror, "%llu", (unsigned long long)*r1.distinctMirror);
        std::printf("%-24s %10llu %9llu %10s %11.4f %11.4f %8.2f%s\n", f.stem().c_str(),
                    (unsigned long long)r1.solutions, (unsigned long long)r1.distinct, mirror, t1, t2, t1 / t2,
                    r1.solutions != r2.solutions || r1.distinct != r2.distinct ? "  COUNTS DIFFER" : "");
        std::fflush(stdout);
    }
    std::printf("(set-up and count, fastest run of several)\n\n");
}

int startUp(const fs::path& bin) {
    const fs::path cli = bin / "tessaro-cli", reader = bin / "read_puzzle";
    if (!fs::exists(cli) || !fs::exists(reader)) {
        std::printf("start-up: tessaro-cli or read_puzzle not built, skipped\n");
        return 0;
    }
    const fs::path file = fs::temp_directory_path() / "tessaro_bench_sample.bin";
    if (!subFile_put(buildSamplePuzzle(), file.string())) {
        std::printf("start-up: could not write %s\n", file.c_str());
        return 1;
    }
    const std::vector<std::string> solve{cli.string(), "solve", file.string(), "--json", "--quiet", "--threads", "1"};
    const std::vector<std::string> read{reader.string(), file.string()};
    std::vector<double> a, b;
    for (int i = 0; i < 21; ++i) {
        a.push_back(runProcess(solve));
        b.push_back(runProcess(read));
    }
    fs::remove(file);
    if (*std::min_element(a.begin(), a.end()) < 0 || *std::min_element(b.begin(), b.end()) < 0) {
        std::printf("start-up: a run failed\n");
        return 1;
    }
    std::printf("start-up (sample puzzle, whole process, median of 21 alternated runs):\n"
                "  tessaro-cli solve --threads 1  %.2f ms (fastest %.2f)\n"
                "  plain reader                   %.2f ms (fastest %.2f)\n",
                1000 * median(a), 1000 * *std::min_element(a.begin(), a.end()), 1000 * median(b),
                1000 * *std::min_element(b.begin(), b.end()));
    return 0;
}

}  // namespace

int heavyBench(const std::string& dir, const char* self) {
    heavyPuzzles(dir);
    return startUp(fs::absolute(self).parent_path());
}

}  // namespace tessaro::bench
