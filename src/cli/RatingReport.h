#pragma once
// The difficulty rating as solve reports it: in JSON for scripts, one line for people.

#include "analysis/PuzzleRating.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>

namespace tessaro::cli {

// {"search_nodes", "nodes_per_packing", "rating", "estimated", "range": [low, high] of the
// search nodes}; null when there is no rating (an incomplete count, or no packing).
nlohmann::json ratingJson(const std::optional<analysis::PuzzleRating>& r);
// One line of the summary, empty when there is no rating.
std::string ratingSummaryLine(const std::optional<analysis::PuzzleRating>& r);

}  // namespace tessaro::cli
