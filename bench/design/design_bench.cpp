// The designer: candidates judged per second and the time to the first unique
// puzzle (medians over seeds, on one and two threads), and the time to ten
// unique 3x3x3 puzzles of seven blocks on two threads.
//
//   design_bench [--quick]     (--quick: three seeds instead of seven)
#include "design/Designer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

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

DesignRequest request(analysis::BoxSize box, int blocks, int maxCells, int empty) {
    DesignRequest s;
    s.box = box;
    s.blocks = blocks;
    s.maxCells = maxCells;
    s.empty = empty;
    s.count = 1;
    s.seconds = 120;
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
    const int seeds = quick ? 3 : 7;
    const Case cases[] = {
        {"3x3x3, 6 blocks", request({3, 3, 3}, 6, 0, 0)},
        {"3x3x3, 7 blocks", request({3, 3, 3}, 7, 0, 0)},
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

    DesignRequest ten = request({3, 3, 3}, 7, 0, 0);
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
    return 0;
}
