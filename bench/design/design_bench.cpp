// The designer: candidates judged per second and the time to the first unique
// puzzle (medians over seeds, on one and two threads), the time to ten unique
// 3x3x3 puzzles of seven blocks on two threads; the hardest search against the
// hardest of 200 sampled puzzles, what it reaches per box, its judging rate on
// one and two threads; and how many lists of block sizes 50 designs show.
//
//   design_bench [--quick] [--hardest-seconds S] [--seeds N] [--samples N] [--part P]...
//     --quick: three seeds instead of seven for the sampling figures
//     --hardest-seconds: each hardest run (60); --seeds: of the hardest against sampling (5);
//     --samples: puzzles sampled to compare with (200); --min-cells: of their blocks (2); --part sampling|compare|reach|spread: only those parts
#include "design/Designer.h"
#include "design/HardestSearch.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include <sys/resource.h>

using namespace tessaro;
using namespace tessaro::design;

namespace {

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

struct Case {
    const char* name;
    DesignRequest request;
};

// minCells 2 where the default leaves too few shapes (3x3x3 in seven: the tricube and six tetracubes).
DesignRequest request(analysis::BoxSize box, int blocks, int maxCells, int empty, int minCells = 3) {
    DesignRequest s;
    s.minCells = minCells;
    s.box = box;
    s.blocks = blocks;
    s.maxCells = maxCells;
    s.empty = empty;
    s.count = 1;
    s.seconds = 120;
    return s;
}

}  // namespace

// User and system time of the whole process.
double cpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

std::vector<int> sizesOf(const Design& d) {
    std::vector<int> out;
    for (uint64_t m : d.blocks)
        if (m != 0) out.push_back(std::popcount(m));
    std::sort(out.begin(), out.end());
    return out;
}

void hardestFigures(double seconds, int seeds, int samples, int minCells) {
    std::printf("\nhardest search (%.0f s, 2 threads) against the hardest of %d sampled puzzles, 3x3x3, 7 blocks"
                " of %d cells or more\n",
                seconds, samples, minCells);
    std::printf("%5s %10s %14s %10s %9s %14s %9s %7s %6s\n", "seed", "sampled", "nodes/packing", "sampling s", "hardest",
                "nodes/packing", "judged", "unique", "beats");
    int beaten = 0;
    for (int seed = 1; seed <= seeds; ++seed) {
        DesignRequest s = request({3, 3, 3}, 7, 0, 0, minCells);
        s.seed = uint64_t(seed);
        s.threads = 2;
        s.count = samples;
        s.seconds = 1800;
        // --samples 0: the hardest search alone, to try its settings quickly.
        const DesignResult sampled = samples > 0 ? designPuzzles(s) : DesignResult{};
        s.count = 5;
        s.seconds = seconds;
        const HardestResult hard = hardestPuzzles(s);
        const double a = sampled.designs.empty() ? 0 : sampled.designs.front().difficulty.nodesPerPacking;
        const double b = hard.designs.empty() ? 0 : hard.designs.front().difficulty.nodesPerPacking;
        beaten += b > a ? 1 : 0;
        std::printf("%5d %4d (%3zu) %14.0f %10.1f %9d %14.0f %9llu %7llu %6s\n", seed,
                    sampled.designs.empty() ? 0 : sampled.designs.front().difficulty.rating, sampled.designs.size(), a,
                    sampled.seconds, hard.designs.empty() ? 0 : hard.designs.front().difficulty.rating, b,
                    static_cast<unsigned long long>(hard.tried), static_cast<unsigned long long>(hard.unique),
                    b > a ? "yes" : "no");
        std::fflush(stdout);
    }
    std::printf("hardest beats sampling on %d of %d seeds\n", beaten, seeds);
}

void reachFigures(double seconds) {
    std::printf("\nwhat the hardest search reaches (seed 1, %.0f s, 2 threads), and its judging rate on 1 and 2 threads\n",
                seconds);
    // Per CPU second as well as per second: on a loaded machine the wall clock hides whether threads serialise.
    std::printf("%-40s %7s %14s %12s %12s %7s %12s %12s\n", "request", "rating", "nodes/packing", "judged/s 1",
                "judged/s 2", "ratio", "per CPU s 1", "per CPU s 2");
    struct Reach {
        const char* name;
        DesignRequest request;
    };
    DesignRequest eight = request({3, 3, 3}, 8, 0, 0);
    eight.allowIdentical = true;  // eight different blocks of 3 or more cells need 31 cells
    const Reach reaches[] = {{"3x3x3, 5 blocks", request({3, 3, 3}, 5, 0, 0)},
                             {"3x3x3, 6 blocks", request({3, 3, 3}, 6, 0, 0)},
                             {"3x3x3, 7 blocks", request({3, 3, 3}, 7, 0, 0)},
                             {"3x3x3, 7 blocks of 2+", request({3, 3, 3}, 7, 0, 0, 2)},
                             {"3x3x3, 8 blocks (identical allowed)", eight},
                             {"4x4x4, 8 blocks", request({4, 4, 4}, 8, 0, 0)}};
    for (const Reach& r : reaches) {
        DesignRequest s = r.request;
        s.seed = 1;
        s.count = 5;
        s.seconds = seconds;
        double rate[3] = {0, 0, 0}, perCpu[3] = {0, 0, 0};
        HardestResult best;
        for (int threads : {1, 2}) {
            s.threads = threads;
            const double cpu = cpuSeconds();
            HardestResult h = hardestPuzzles(s);
            rate[threads] = double(h.tried) / std::max(h.seconds, 1e-9);
            perCpu[threads] = double(h.tried) / std::max(cpuSeconds() - cpu, 1e-9);
            if (threads == 2) best = std::move(h);
        }
        std::printf("%-40s %7d %14.0f %12.0f %12.0f %7.2f %12.0f %12.0f\n", r.name,
                    best.designs.empty() ? 0 : best.designs.front().difficulty.rating,
                    best.designs.empty() ? 0 : best.designs.front().difficulty.nodesPerPacking, rate[1], rate[2],
                    rate[2] / std::max(rate[1], 1e-9), perCpu[1], perCpu[2]);
        std::fflush(stdout);
    }
}

void spreadFigures() {
    std::printf("\nlists of block sizes among 50 designs (seed 21, 2 threads, at most 300 s)\n");
    std::printf("%-24s %8s %8s %10s\n", "request", "designs", "lists", "seconds");
    const Case cases[] = {{"3x3x3, 6 blocks", request({3, 3, 3}, 6, 0, 0)},
                          {"3x3x3, 7 blocks of 2+", request({3, 3, 3}, 7, 0, 0, 2)},
                          {"4x4x4, 8 blocks", request({4, 4, 4}, 8, 0, 0)},
                          {"4x4x4, 6 blocks", request({4, 4, 4}, 6, 0, 0)}};
    for (const Case& c : cases) {
        DesignRequest s = c.request;
        s.seed = 21;
        s.count = 50;
        s.threads = 2;
        s.seconds = 300;
        const DesignResult r = designPuzzles(s);
        std::set<std::vector<int>> lists;
        for (const Design& d : r.designs) lists.insert(sizesOf(d));
        std::printf("%-24s %8zu %8zu %10.1f\n", c.name, r.designs.size(), lists.size(), r.seconds);
        std::fflush(stdout);
    }
}

void samplingFigures(bool quick) {
    const int seeds = quick ? 3 : 7;
    const Case cases[] = {
        {"3x3x3, 6 blocks", request({3, 3, 3}, 6, 0, 0)},
        {"3x3x3, 7 blocks of 2 cells or more", request({3, 3, 3}, 7, 0, 0, 2)},
        {"4x4x4, 8 blocks of at most 10 cells", request({4, 4, 4}, 8, 10, 0)},
        {"4x4x4, 8 blocks, 4 empty cells", request({4, 4, 4}, 8, 0, 4)},
    };
    std::printf("%-38s %7s %16s %16s %9s\n", "case", "threads", "judged/s", "first unique s", "rating");
    for (const Case& c : cases)
        for (int threads : {1, 2}) {
            std::vector<double> rate, first, rating;
            for (int seed = 1; seed <= seeds; ++seed) {
                DesignRequest s = c.request;
                s.seed = uint64_t(seed);
                s.threads = threads;
                const DesignResult r = designPuzzles(s);
                rate.push_back(double(r.tried) / std::max(r.seconds, 1e-9));
                first.push_back(r.designs.empty() ? s.seconds : r.seconds);
                rating.push_back(r.designs.empty() ? 0 : r.designs.front().difficulty.rating);
            }
            std::printf("%-38s %7d %16.0f %16.4f %9.1f\n", c.name, threads, median(rate), median(first), median(rating));
            std::fflush(stdout);
        }

    DesignRequest ten = request({3, 3, 3}, 7, 0, 0, 2);
    ten.count = 10;
    ten.threads = 2;
    std::vector<double> times;
    for (int seed = 1; seed <= (quick ? 1 : 3); ++seed) {
        ten.seed = uint64_t(seed);
        const DesignResult r = designPuzzles(ten);
        times.push_back(r.seconds);
        std::printf("ten unique 3x3x3 puzzles of 7 blocks, 2 threads, seed %d: %zu found in %.2f s (%llu judged)\n",
                    seed, r.designs.size(), r.seconds, static_cast<unsigned long long>(r.tried));
    }
    std::printf("median: %.2f s\n", median(times));
}


int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // each line as it comes, also into a file
    bool quick = false;
    double hardestSeconds = 60;
    int hardestSeeds = 5, samples = 200, minCells = 2;
    std::set<std::string> parts;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quick") == 0) quick = true;
        else if (std::strcmp(argv[i], "--hardest-seconds") == 0 && i + 1 < argc) hardestSeconds = std::atof(argv[++i]);
        else if (std::strcmp(argv[i], "--seeds") == 0 && i + 1 < argc) hardestSeeds = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--samples") == 0 && i + 1 < argc) samples = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--min-cells") == 0 && i + 1 < argc) minCells = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--part") == 0 && i + 1 < argc) parts.insert(argv[++i]);
        else {
            std::fprintf(stderr, "usage: design_bench [--quick] [--hardest-seconds S] [--seeds N] [--samples N] [--min-cells N] "
                                 "[--part sampling|compare|reach|spread]...\n");
            return 2;
        }
    }
    const auto wanted = [&](const char* part) { return parts.empty() || parts.count(part) > 0; };
    if (wanted("sampling")) samplingFigures(quick);
    if (wanted("compare")) hardestFigures(hardestSeconds, hardestSeeds, samples, minCells);
    if (wanted("reach")) reachFigures(hardestSeconds);
    if (wanted("spread")) spreadFigures();
    return 0;
}
