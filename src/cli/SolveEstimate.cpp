#include "cli/SolveEstimate.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <string>

namespace tessaro::cli {

namespace {

using namespace tessaro::analysis;

// Whole numbers while they fit the JSON readers' integers.
nlohmann::json number(double v) {
    if (v < 9.0e15) return uint64_t(std::llround(v));
    return v;
}

std::string numberText(double v) {
    char buf[48];
    if (v < 1e7) {
        std::snprintf(buf, sizeof buf, "%.0f", v);
    } else {
        const int exp = int(std::floor(std::log10(v)));
        std::snprintf(buf, sizeof buf, "%.2f×10^%d", v / std::pow(10.0, exp), exp);
    }
    return buf;
}

}  // namespace

void printSolveEstimate(const PackingAnalysis& analysis, bool json, std::ostream& out) {
    EstimateOptions options;
    options.seconds = 0.5;
    const SearchEstimate e = analysis.estimate(options);
    if (json) {
        nlohmann::json problems = nlohmann::json::array();
        for (const Problem& p : analysis.problems()) {
            nlohmann::json j = {{"kind", problemKindName(p.kind)}, {"message", p.message}};
            if (p.block != 0) j["block"] = p.block;
            problems.push_back(j);
        }
        // A bound has no upper end that can be trusted: null there.
        const nlohmann::json high = e.bound ? nlohmann::json(nullptr) : number(e.solutions.high);
        const nlohmann::json j = {
            {"estimated_solutions", number(e.solutions.value)},
            {"estimated_solutions_range", {number(e.solutions.low), high}},
            {"estimate_kind", e.exact ? "exact" : e.bound ? "lower_bound" : "range"},
            {"estimated_nodes", number(e.nodes.value)},
            {"estimated_nodes_range", {number(e.nodes.low), number(e.nodes.high)}},
            {"probes", e.probes},
            {"seconds", e.seconds},
            {"problems", problems},
        };
        out << j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
        return;
    }
    for (const Problem& p : analysis.problems()) out << p.message << "\n";
    if (e.exact) {
        out << "推定（探索の木が小さく、全てを数えたので正確な値）\n";
        out << "詰め方（ブロックを区別）: " << numberText(e.solutions.value) << " 通り\n";
    } else if (e.bound) {
        out << "推定（数えずに、ランダムな試行 " << e.probes << " 回から。詰め方に届かない試行が多く、下限のみ）\n";
        out << "詰め方（ブロックを区別）: " << numberText(e.solutions.low) << " 通り以上（上限は分かりません）\n";
    } else {
        out << "推定（数えずに、ランダムな試行 " << e.probes << " 回から。範囲は試行のばらつきから）\n";
        out << "詰め方（ブロックを区別）: 約 " << numberText(e.solutions.value) << " 通り（" << numberText(e.solutions.low)
            << " ～ " << numberText(e.solutions.high) << "）\n";
    }
    out << "探索の大きさ: 約 " << numberText(e.nodes.value) << " ノード（" << numberText(e.nodes.low) << " ～ "
        << numberText(e.nodes.high) << "）\n";
}

}  // namespace tessaro::cli
