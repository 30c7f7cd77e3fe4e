#pragma once
// LOAD done the plain way: the steps walked one by one on the Puzzle's own arrays
// with the model's operations. Slow, and the yardstick the fast engine is held to;
// the engine also falls back to it for puzzles its masks cannot hold.

#include "model/Puzzle.h"
#include "solver/AutoLoader.h"
#include "solver/LoaderHost.h"

namespace tessaro {

// One LOAD, without the guard against entering twice.
LoaderOutcome referenceWalk(Puzzle& p, LoaderHost& host, const LoaderOptions& options, LoaderStats& stats);

class ReferenceLoader {
public:
    LoaderOutcome cmdMove_Click(Puzzle& p, LoaderHost& host, const LoaderOptions& options = {});
    bool running() const { return running_; }
    const LoaderStats& stats() const { return stats_; }

private:
    LoaderStats stats_;
    bool running_ = false;
};

}  // namespace tessaro
