#pragma once
// The judgement of one candidate: exactly one packing up to the box's rotations
// and blocks of one shape (the `distinct_unlabelled` of solve, counted by the
// same analysis and stopped at the second distinct packing), then its rating,
// the same call solve and the window make.

#include "design/DesignRequest.h"

#include "analysis/PackingAnalysis.h"

#include <memory>
#include <optional>

namespace tessaro::design {

// A puzzle made of blocks in their places, as the body maker leaves it: each
// block's made and current cube hold its cells where they are, box empty,
// loader as after INIT.
Puzzle puzzleFromBlocks(analysis::BoxSize box, const Blocks& blocks);

enum class Uniqueness { Unique, NotUnique, NoPacking, Stopped };

class Judge {
public:
    explicit Judge(analysis::BoxSize box);
    ~Judge();

    // A second packing found cheaply: one or two neighbouring blocks laid
    // differently over their own cells and the empty ones, the rest in place,
    // and no rotation of the box making it the same packing. False proves nothing.
    bool obviousSecondPacking(const Blocks& blocks) const;
    // Exact, by the analysis; Stopped when `cancel` was set first.
    Uniqueness uniqueness(const Blocks& blocks, const std::atomic<bool>* cancel) const;

    // The same for two arrangements exactly when a rotation of the box and
    // exchanging blocks of one shape turn one into the other.
    std::vector<std::pair<uint64_t, uint64_t>> canonicalKey(const Blocks& blocks) const;

    enum class Outcome { Accepted, NotUnique, TooEasy, Stopped, Bounded };
    // The whole judgement: uniqueness, then (when unique) the rating, kept when
    // at least minRating. `design` gets the figures either way. The rating takes
    // milliseconds and is not cancelled: a unique puzzle found in time is rated.
    // With `above` >= 0 the rating comes first (as it would be if unique), and a
    // candidate rated below `above` nodes per packing is Bounded, never proved unique.
    Outcome judge(const Blocks& blocks, int minRating, const std::atomic<bool>* cancel, Design& design,
                  double above = -1) const;

private:
    bool sameUnderRotation(const Blocks& a, const Blocks& b) const;
    Uniqueness uniqueness(const analysis::PackingAnalysis& a, const std::atomic<bool>* cancel) const;
    analysis::BoxSize box_;
    std::vector<analysis::BoxSymmetry> symmetries_;
};

}  // namespace tessaro::design
