#include "HeavyBench.h"

#include "analysis/PackingAnalysis.h"
#include "files/PuzzleFile.h"
#include "model/BlockMasks.h"
#include "model/Figure.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
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

// The blocks' numbers shuffled: the same puzzle, counted the same, which should cost the same.
Puzzle renumbered(const Puzzle& p, const std::array<int, kBlocks>& order) {
    Puzzle out = p;
    const BlockMasks masks = blockMasks(p);
    for (int b = 0; b < kBlocks; ++b) setBlockMask(out, b, masks[size_t(order[size_t(b)])]);
    return out;
}

// The file's numbering first, then seven others drawn with a fixed seed.
std::vector<std::array<int, kBlocks>> numberings() {
    std::vector<std::array<int, kBlocks>> out(8);
    for (int b = 0; b < kBlocks; ++b) out[0][size_t(b)] = b;
    uint64_t state = 12345;
    for (size_t k = 1; k < out.size(); ++k) {
        out[k] = out[0];
        for (int i = kBlocks - 1; i > 0; --i) {
            state = state * 6364136223846793005ull + 1442695040888963407ull;
            std::swap(out[k][size_t(i)], out[k][size_t((state >> 33) % uint64_t(i + 1))]);
        }
    }
    return out;
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
    std::printf("%-24s %10s %9s %10s %9s %9s %9s %11s %8s %12s\n", "heavy puzzle", "packings", "distinct", "mirror",
                "file s", "worst s", "best s", "2 threads s", "speedup", "nodes");
    for (const fs::path& f : files) {
        const std::optional<Puzzle> p = readPuzzle(f);
        if (!p) {
            std::printf("%-24s unreadable\n", f.filename().c_str());
            continue;
        }
        analysis::CountResult r1, r2;
        const auto run = [&](const Puzzle& puzzle, int threads, analysis::CountResult& r) {
            const analysis::PackingAnalysis a(puzzle);
            analysis::CountOptions o;
            o.threads = threads;
            r = a.count(o);
        };
        double file = 0, worst = 0, best = 1e300;
        bool differ = false;
        for (const auto& order : numberings()) {
            const Puzzle q = renumbered(*p, order);
            analysis::CountResult r;
            const double t = fastest([&] { run(q, 1, r); });
                if (file == 0) file = t, r1 = r;
            worst = std::max(worst, t), best = std::min(best, t);
            differ = differ || r.solutions != r1.solutions || r.distinct != r1.distinct;
        }
        const double t2 = fastest([&] { run(*p, 2, r2); });
        differ = differ || r1.solutions != r2.solutions || r1.distinct != r2.distinct;
        char mirror[32] = "null";
        if (r1.distinctMirror) std::snprintf(mirror, sizeof mirror, "%llu", (unsigned long long)*r1.distinctMirror);
        std::printf("%-24s %10llu %9llu %10s %9.4f %9.4f %9.4f %11.4f %8.2f %12llu%s\n", f.stem().c_str(),
                    (unsigned long long)r1.solutions, (unsigned long long)r1.distinct, mirror, file, worst, best, t2,
                    file / t2, (unsigned long long)r1.nodes, differ ? "  COUNTS DIFFER" : "");
        std::fflush(stdout);
    }
    std::printf("(set-up and count, fastest run of several; file, worst and best of eight numberings of the blocks"
                " on one thread; speedup = file / 2 threads)\n\n");
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

int countOne(const std::string& file, const std::string& order, int threads, double progress) {
    const std::optional<Puzzle> p = readPuzzle(file);
    if (!p) return 1;
    std::array<int, kBlocks> perm{};
    for (int b = 0; b < kBlocks; ++b) perm[size_t(b)] = b < int(order.size()) ? order[size_t(b)] - '1' : b;
    const analysis::PackingAnalysis a(renumbered(*p, perm));
    analysis::CountOptions o;
    o.threads = threads;
    // Reports taken and dropped: what the progress's estimate costs the count.
    if (progress > 0) o.progress = [](const analysis::Progress&) {}, o.progressInterval = progress;
    const analysis::CountResult r = a.count(o);
    std::printf("%llu packings, %llu distinct, %llu nodes, %.4f s\n", (unsigned long long)r.solutions,
                (unsigned long long)r.distinct, (unsigned long long)r.nodes, r.seconds);
    return 0;
}

int heavyBench(const std::string& dir, const char* self) {
    heavyPuzzles(dir);
    return startUp(fs::absolute(self).parent_path());
}

}  // namespace tessaro::bench
