#pragma once
// How many of a puzzle's distinct packings (blocks of one shape alike, box
// rotations alike) can be built in the open box with some face up, and how many
// by straight drops alone: judged within the count, packing by packing.

#include "analysis/AssemblyJudge.h"
#include "analysis/PackingAnalysis.h"

#include <cstdint>
#include <optional>

namespace tessaro::analysis {

struct AssemblyCounts {
    uint64_t assemblable = 0;  // built with some face up
    uint64_t dropOnly = 0;     // built by straight drops alone
};

// Makes count() judge every packing (one AssemblyJudge per thread).
void judgeAssembly(CountOptions& options, BoxSize box);
// From a count so made: nothing when it was not whole.
std::optional<AssemblyCounts> assemblyCounts(const CountResult& count);

}  // namespace tessaro::analysis
