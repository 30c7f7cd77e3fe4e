#pragma once
// The automatic loader: LOAD (cmdMove_Click), INIT (cmdInit_Click) and the panel
// data (subShowRotation), shared by the window and tessaro-cli.
//
// The search keeps the block cubes as 64-bit masks with every placement
// precomputed; what it shows and what it leaves in the Puzzle is exactly what the
// plain step-by-step walk (ReferenceLoader.h) produces.

#include "model/Puzzle.h"
#include "solver/LoaderHost.h"

#include <cstdint>
#include <memory>

namespace tessaro {

enum class LoaderOutcome {
    Solved,     // the box is full; the solution stays in the box and the counters
    Exhausted,  // every order code was tried
    Stopped,    // a stop request at a yield point; the next LOAD continues from the counters
    Nothing,    // no block holds a cell: nothing was done
    Busy,       // LOAD while a search runs (from inside a host callback): ignored
};
// "solved", "exhausted", "stopped", "nothing", "busy".
const char* outcomeName(LoaderOutcome outcome);

struct LoaderOptions {
    bool checkDeadSpace = false;  // chkDedSpace = 1
    int currentPiece = 0;         // the window's m_iPiece, re-shown when it is taken out
};

struct LoaderStats {
    uint64_t fitTests = 0;  // fit tests performed
    uint64_t attempts = 0;  // times an attempt began (box cleared, blocks to the origin)
};

// INIT (cmdInit_Click): order 0..7, counters 0, order code 12345678, then the panel.
void cmdInit_Click(Puzzle& p, LoaderHost& host);
// subShowRotation: the panel from the puzzle as it stands.
void subShowRotation(const Puzzle& p, LoaderHost& host);

// The end messages, exactly as shown.
extern const char* const kSolvedTitle;     // "♪おめでとう♪"
extern const char* const kSolvedText;      // "☆グレイト☆　お疲れさまでした"
extern const char* const kExhaustedTitle;  // "残念"
extern const char* const kExhaustedText;   // "ローテーション一周しました。アルゴリズムを見直そう"

class AutoLoader {
public:
    AutoLoader();
    ~AutoLoader();
    AutoLoader(const AutoLoader&) = delete;
    AutoLoader& operator=(const AutoLoader&) = delete;

    // LOAD. Runs the whole search inside the call, reporting to host. The host must
    // not change the puzzle while the search runs (the engine reads it only at the
    // start); a nested call from a callback returns Busy and does nothing.
    LoaderOutcome cmdMove_Click(Puzzle& p, LoaderHost& host, const LoaderOptions& options = {});

    bool running() const { return running_; }
    // Figures of the last search (set when it returns).
    const LoaderStats& stats() const { return stats_; }

private:
    struct Engine;
    std::unique_ptr<Engine> engine_;
    LoaderStats stats_;
    bool running_ = false;
};

}  // namespace tessaro
