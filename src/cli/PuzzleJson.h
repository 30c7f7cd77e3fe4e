#pragma once
// The puzzle as one JSON object keyed by the model's names; every array flat, in file element order.

#include "model/Puzzle.h"

#include <nlohmann/json.hpp>

#include <string>

namespace tessaro::cli {

nlohmann::json puzzleToJson(const Puzzle& p, const std::string& version);

}  // namespace tessaro::cli
