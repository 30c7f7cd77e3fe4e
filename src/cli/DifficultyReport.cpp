#include "cli/DifficultyReport.h"

#include <cmath>
#include <sstream>

namespace tessaro::cli {

namespace {

bool rated(const design::Difficulty& d, const analysis::CountResult& r) {
    return d.complete && r.complete && r.distinctUnlabelled > 0;
}

}  // namespace

std::optional<design::Difficulty> solveDifficulty(const Puzzle& p, bool fromBox, const analysis::PackingAnalysis& a, int threads,
                                                  const std::atomic<bool>* cancel) {
    if (!a.problems().empty() || (cancel != nullptr && cancel->load())) return std::nullopt;
    const design::Difficulty d = design::measureDifficulty(p, fromBox, threads, cancel);
    if (!d.complete) return std::nullopt;
    return d;
}

nlohmann::json difficultyJson(const std::optional<design::Difficulty>& d, const analysis::CountResult& r) {
    if (!d) return nullptr;
    nlohmann::json j = {{"search_nodes", d->searchNodes}, {"nodes_per_packing", nullptr}, {"rating", nullptr}};
    if (rated(*d, r)) {
        const double per = design::nodesPerPacking(d->searchNodes, r.distinctUnlabelled);
        j["nodes_per_packing"] = per;
        j["rating"] = design::difficultyRating(per);
    }
    return j;
}

std::string difficultyLine(const std::optional<design::Difficulty>& d, const analysis::CountResult& r) {
    if (!d) return {};
    std::ostringstream out;
    out << "難易度: ";
    if (rated(*d, r)) {
        const double per = design::nodesPerPacking(d->searchNodes, r.distinctUnlabelled);
        out << design::difficultyRating(per) << " / 10（探索ノード " << d->searchNodes << "、異なる詰め方あたり "
            << std::llround(per) << "）\n";
    } else {
        out << "評価なし（探索ノード " << d->searchNodes << "）\n";
    }
    return out.str();
}

}  // namespace tessaro::cli
