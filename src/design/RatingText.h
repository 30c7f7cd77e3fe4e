#pragma once
// The difficulty rating as the user reads it: the number out of ten with one
// line on what it means, and a rating taken within a time budget for places
// that must not wait long (the printable sheet).

#include "design/Difficulty.h"
#include "model/Puzzle.h"

#include <optional>
#include <string>

namespace tessaro::design {

// What a rating means in a few words: "ほぼ一本道" ... "最難関".
std::string ratingMeaning(int rating);

// "難易度 5 / 10：考えどころが多い（詰め方一つに探索 2,345 手）"
std::string ratingLine(int rating, double nodesPerPacking);

struct Rating {
    int rating = 0;
    double nodesPerPacking = 0;
};

// The rating of a puzzle whose difficulty search ran to its end over a complete count.
std::optional<Rating> ratingOf(const Difficulty& d, bool countComplete, uint64_t distinctPackings);

// Count and difficulty together, given up after `seconds`: nothing when the
// puzzle has problems, no packing, or the budget ran out.
std::optional<Rating> rateWithin(const Puzzle& p, double seconds);

// The sheet's rating line when the rating comes within a second (the export
// must not wait on a long search): the line, or "" to leave it out.
std::string sheetRatingLine(const Puzzle& p);

}  // namespace tessaro::design
