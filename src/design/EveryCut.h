#pragma once
// Every cut of a small body, when there are few: the designer then judges each
// once and knows when it has seen them all, instead of sampling forever.

#include "design/Design.h"
#include "design/DesignRequest.h"

#include <optional>
#include <vector>

namespace tessaro::design {

// The cuts meeting the request's sizes and shape rules, one per class of the
// box's rotations and blocks of one shape, in a fixed order; nothing when the
// enumeration would take more than `budget` steps.
std::optional<std::vector<Blocks>> everyCut(const DesignRequest& request, uint64_t budget = 200'000);

}  // namespace tessaro::design
