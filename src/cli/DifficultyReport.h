#pragma once
// The difficulty as solve reports it: the plain search's figures, and the
// rating only when both the count and the search ran to their end.

#include "analysis/PackingAnalysis.h"
#include "design/Difficulty.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>

namespace tessaro::cli {

// Nodes the search may visit before solve gives up measuring (0: no limit).
// The plain search can take minutes where the count takes a fraction of a
// second, and solve must not turn slow by default.
constexpr uint64_t kDefaultDifficultyNodes = 5'000'000;

struct SolveDifficulty {
    std::optional<design::Difficulty> measured;  // a search run to its end
    uint64_t overLimit = 0;                      // the limit, when the search passed it
};

// The search for a counted puzzle; nothing measured when it has problems, it
// was stopped or it passed `nodeLimit`. With `progress`, a line on stderr while a long search runs.
SolveDifficulty solveDifficulty(const Puzzle& p, bool fromBox, const analysis::PackingAnalysis& a, int threads,
                                const std::atomic<bool>* cancel, bool progress, uint64_t nodeLimit);

// {"search_nodes": N, "nodes_per_packing": X, "rating": R}, null for what is not known;
// "node_limit" when the search passed it; null when nothing was measured.
nlohmann::json difficultyJson(const SolveDifficulty& d, const analysis::CountResult& r);
// One line of the summary, empty when nothing was measured.
std::string difficultyLine(const SolveDifficulty& d, const analysis::CountResult& r);

}  // namespace tessaro::cli
