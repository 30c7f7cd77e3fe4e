#pragma once
// solve's report of which packings can be built in the open box.

#include "analysis/AssemblyCount.h"
#include "analysis/PackingAnalysis.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>

namespace tessaro::cli {

// "assemblable" and "drop_only": the numbers, or null when they are not known.
void addAssemblyJson(nlohmann::json& j, const std::optional<analysis::AssemblyCounts>& counts);
std::string assemblyLine(const std::optional<analysis::AssemblyCounts>& counts);
// One packing's marks for --all: "assemblable", "drop_only", "up" and "level".
void addPackingAssembly(nlohmann::ordered_json& j, const analysis::AssemblyResult& r);

}  // namespace tessaro::cli
