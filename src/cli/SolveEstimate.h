#pragma once
// tessaro-cli solve --estimate: the size of the count foretold by random
// probes of its search, without counting.

#include "analysis/PackingAnalysis.h"

#include <ostream>

namespace tessaro::cli {

void printSolveEstimate(const analysis::PackingAnalysis& analysis, bool json, std::ostream& out);

}  // namespace tessaro::cli
