#include "cli/SolveAll.h"

#include "analysis/Assembly.h"
#include "cli/AssemblyReport.h"

#include <nlohmann/json.hpp>

#include <bit>

namespace tessaro::cli {

void writeAllPackings(const analysis::PackingAnalysis& analysis, std::optional<uint64_t> limit,
                      const std::atomic<bool>& cancel, std::ostream& out) {
    analysis::DistinctPackings walk(analysis);
    const analysis::AssemblyCheck check(analysis.box());
    for (size_t i = 0; !limit || i < *limit; ++i) {
        const auto packing = walk.at(i, &cancel);
        if (!packing) break;
        nlohmann::json blocks = nlohmann::json::array();
        for (uint64_t cells : *packing) {
            nlohmann::json list = nlohmann::json::array();
            for (; cells != 0; cells &= cells - 1) {
                const int c = std::countr_zero(cells);
                list.push_back({c & 3, (c >> 2) & 3, c >> 4});
            }
            blocks.push_back(std::move(list));
        }
        nlohmann::ordered_json line{{"n", i + 1}, {"blocks", std::move(blocks)}};
        addPackingAssembly(line, check.check(*packing));
        out << line.dump() << "\n";
    }
}

}  // namespace tessaro::cli
