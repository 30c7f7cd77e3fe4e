#pragma once
// The designer's loop: random cuts judged one after another (on several threads
// when asked) until enough puzzles with exactly one packing are found, the time
// is up or the caller cancels. Attempt k always draws from the same stream of
// the seed, and the designs kept are those of the lowest attempts, so a seed
// gives the same designs on any number of threads unless time or cancel cut in.

#include "design/DesignControl.h"
#include "design/DesignRequest.h"

namespace tessaro::design {

// Blocks the calling thread; progress is reported from it.
DesignResult designPuzzles(const DesignRequest& request, const DesignControl& control = {});

// Hardest first; equal ratings by more nodes, then by attempt.
void sortHardestFirst(std::vector<Design>& designs);

}  // namespace tessaro::design
