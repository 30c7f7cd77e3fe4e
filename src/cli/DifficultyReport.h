#pragma once
// The difficulty as solve reports it: the plain search's figures, and the
// rating only when both the count and the search ran to their end.

#include "analysis/PackingAnalysis.h"
#include "design/Difficulty.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>

namespace tessaro::cli {

// The search for a counted puzzle; nothing when it has problems or it was stopped.
// With `progress`, a line on stderr while a long search runs.
std::optional<design::Difficulty> solveDifficulty(const Puzzle& p, bool fromBox, const analysis::PackingAnalysis& a,
                                                  int threads, const std::atomic<bool>* cancel, bool progress);

// {"search_nodes": N, "nodes_per_packing": X, "rating": R}, null for what is not known.
nlohmann::json difficultyJson(const std::optional<design::Difficulty>& d, const analysis::CountResult& r);
// One line of the summary, empty when nothing was measured.
std::string difficultyLine(const std::optional<design::Difficulty>& d, const analysis::CountResult& r);

}  // namespace tessaro::cli
