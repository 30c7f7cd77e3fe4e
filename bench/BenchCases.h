#pragma once
// The puzzles every loader benchmark runs, so headless and window figures compare.

#include "model/Figure.h"
#include "solver/RandomCut.h"

#include <string>
#include <vector>

namespace tessaro {

struct BenchCase {
    std::string name;
    Puzzle puzzle;
    bool deadSpace;
};

// The sample and three 4x4x4 boxes cut into eight blocks (fixed seeds), each
// with the dead-space check off and on.
inline std::vector<BenchCase> loaderBenchCases() {
    std::vector<BenchCase> cases;
    cases.push_back({"sample", buildSamplePuzzle(), false});
    cases.push_back({"sample, dead space", buildSamplePuzzle(), true});
    for (uint64_t seed : {1, 2, 3}) {
        CutSpec cut;
        cut.seed = seed;
        const std::string name = "4x4x4 / 8 blocks, seed " + std::to_string(seed);
        cases.push_back({name, cutBox(cut), false});
        cases.push_back({name + ", dead", cutBox(cut), true});
    }
    return cases;
}

}  // namespace tessaro
