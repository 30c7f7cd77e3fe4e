#pragma once
// solve's report of which packings can be built in the open box.

#include "analysis/AssemblyCount.h"
#include "analysis/PackingAnalysis.h"

#include <nlohmann/json.hpp>

#include <atomic>
#include <optional>
#include <string>

namespace tessaro::cli {

// Walks every packing when the count is whole and found no problem; else nothing.
std::optional<analysis::AssemblyCounts> solveAssembly(const Puzzle& puzzle, bool fromBox,
                                                      const analysis::PackingAnalysis& analysis,
                                                      const analysis::CountResult& count, int threads,
                                                      const std::atomic<bool>* cancel);
// "assemblable" and "drop_only": the numbers, or null when they are not known.
void addAssemblyJson(nlohmann::json& j, const std::optional<analysis::AssemblyCounts>& counts);
std::string assemblyLine(const std::optional<analysis::AssemblyCounts>& counts);
// One packing's marks for --all: "assemblable", "drop_only", "up" and "level".
void addPackingAssembly(nlohmann::ordered_json& j, const analysis::AssemblyResult& r);

}  // namespace tessaro::cli
