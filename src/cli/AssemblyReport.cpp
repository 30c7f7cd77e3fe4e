#include "cli/AssemblyReport.h"

namespace tessaro::cli {

void addAssemblyJson(nlohmann::json& j, const std::optional<analysis::AssemblyCounts>& counts) {
    j["assemblable"] = counts ? nlohmann::json(counts->assemblable) : nlohmann::json(nullptr);
    j["drop_only"] = counts ? nlohmann::json(counts->dropOnly) : nlohmann::json(nullptr);
}

std::string assemblyLine(const std::optional<analysis::AssemblyCounts>& counts) {
    if (!counts) return "";
    return "開いた箱に組み立てられる詰め方: " + std::to_string(counts->assemblable) +
           " 通り（まっすぐ落とすだけで入るもの " + std::to_string(counts->dropOnly) + " 通り）\n";
}

void addPackingAssembly(nlohmann::ordered_json& j, const analysis::AssemblyResult& r) {
    j["assemblable"] = r.assemblable;
    j["drop_only"] = r.dropOnly;
    j["up"] = r.assemblable ? nlohmann::ordered_json(analysis::upFaceName(r.up)) : nlohmann::ordered_json(nullptr);
    j["level"] = r.assemblable ? nlohmann::ordered_json(r.level) : nlohmann::ordered_json(nullptr);
}

}  // namespace tessaro::cli
