#pragma once
// `tessaro-cli solve --all`: every distinct packing (blocks of one shape
// interchangeable, box rotations alike) as one JSON line, in the order the
// window's browser shows them.

#include "analysis/PackingAnalysis.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <ostream>

namespace tessaro::cli {

// Lines {"n": k, "blocks": [[[x, y, z], ...], ...]}, k from 1, eight block lists,
// block 1 first; stops after `limit` lines or once `cancel` is set.
void writeAllPackings(const analysis::PackingAnalysis& analysis, std::optional<uint64_t> limit,
                      const std::atomic<bool>& cancel, std::ostream& out);

}  // namespace tessaro::cli
