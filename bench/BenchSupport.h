#pragma once
// What every loader benchmark shares: its puzzles, so headless and window figures
// compare, and a host that never yields.

#include "model/Figure.h"
#include "solver/LoaderHost.h"
#include "solver/RandomCut.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tessaro {

struct BenchCase {
    std::string name;
    Puzzle puzzle;
    bool deadSpace;
};

// Never yields to anything; stops after `limit` fit tests like --max-fit-tests.
class BenchHost final : public LoaderHost {
public:
    BenchHost(uint64_t limit, bool batched) : limit_(limit), batched_(batched) {}
    bool yieldPoint(const LoaderModel&) override { return ++yields_ > limit_; }
    uint64_t yieldPoints(const LoaderModel& model) override {
        if (!batched_) return yieldPoint(model) ? 0 : 1;
        // Everything up to the limit passes quietly; the call after it stops.
        if (yields_ >= limit_) return 0;
        const uint64_t k = limit_ - yields_;
        yields_ = limit_;
        return k;
    }

private:
    uint64_t limit_;
    bool batched_;
    uint64_t yields_ = 0;
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
