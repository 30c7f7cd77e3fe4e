#pragma once
// The difficulty rating as the user reads it: the number out of ten with a few
// words on what it means.

#include "analysis/PuzzleRating.h"

#include <string>

namespace tessaro::analysis {

// What a rating means in a few words: "ほぼ一本道" ... "最難関".
std::string ratingMeaning(int rating);

// "難易度 5 / 10：考えどころが多い（詰め方一つに探索 2,345 手）", "約" before an estimated figure.
std::string ratingLine(const PuzzleRating& r);

}  // namespace tessaro::analysis
