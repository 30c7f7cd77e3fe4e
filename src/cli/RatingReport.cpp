#include "cli/RatingReport.h"

#include <cmath>
#include <sstream>

namespace tessaro::cli {

nlohmann::json ratingJson(const std::optional<analysis::PuzzleRating>& r) {
    if (!r) return nullptr;
    return {{"search_nodes", std::llround(r->searchNodes)},
            {"nodes_per_packing", r->nodesPerPacking},
            {"rating", r->rating},
            {"estimated", r->estimated},
            {"range", {std::llround(r->low), std::llround(r->high)}}};
}

std::string ratingSummaryLine(const std::optional<analysis::PuzzleRating>& r) {
    if (!r) return {};
    std::ostringstream out;
    out << "難易度: " << r->rating << " / 10（探索ノード " << (r->estimated ? "約 " : "") << std::llround(r->searchNodes);
    if (r->estimated) out << "、推定の幅 " << std::llround(r->low) << "〜" << std::llround(r->high);
    out << "、異なる詰め方あたり " << std::llround(r->nodesPerPacking) << "）\n";
    return out.str();
}

}  // namespace tessaro::cli
