#pragma once
// How many ways a puzzle packs, and whether the packing is unique.
//
// Every block that holds a cell takes part, turned by rotations only (no mirror
// images) and moved; blocks lie inside the box and do not overlap. Fewer block
// cells than box cells leave cells empty. Three counts:
//   solutions            every packing, blocks told apart by their numbers;
//   distinct             packings alike under a rotation of the box counted once;
//   distinct_unlabelled  as distinct, and blocks of the same shape interchangeable;
//   distinct_mirror      as distinct_unlabelled, and a packing and its mirror image
//                        counted once; only for blocks closed under mirroring (each
//                        block mirror-symmetric or as many of its mirror image).
// With the blocks loaded in the box kept in place, only the box rotations that
// map every kept block onto itself count.

#include "analysis/Geometry.h"
#include "analysis/TreeEstimate.h"
#include "model/BlockMasks.h"
#include "model/Puzzle.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tessaro::analysis {

enum class ProblemKind { BadBox, NoBlocks, TooManyCells, FitsNowhere, KeptMismatch };
// Stable names for scripts: bad_box, no_blocks, too_many_cells, fits_nowhere, kept_mismatch.
const char* problemKindName(ProblemKind kind);

// Found before any search; each one means there is no packing.
struct Problem {
    ProblemKind kind;
    int block = 0;  // 1..8 where one block is at fault, else 0
    std::string message;
};

struct BlockInfo {
    int number = 0;  // 1..8
    int cells = 0;
    int orientations = 0;  // distinct under the 24 rotations
    int placements = 0;    // orientations and positions inside the box (1 for a kept block)
    bool kept = false;
};

// The cells (bit x + 4y + 16z) that block index b covers; 0 for a block without cells.
using Packing = std::array<uint64_t, kBlocks>;

struct Progress {
    uint64_t solutions = 0;  // found so far
    double done = 0;         // share of the search finished, 0..1
    double seconds = 0;
    double remaining = -1;   // seconds still to go, once it can be told; < 0 before
    uint64_t nodes = 0;      // nodes the search has visited
};

// Handed the packings a count finds in batches: the cells of the blocks `first`
// (in an order of the search's, the same first blocks as often as it can) with
// each of `lasts`, the cells of one more block; writes each packing's bits to
// bits[i]. With no `lasts`, `first` alone is the packing, its bits in bits[0].
using PackingJudge = std::function<void(std::span<const uint64_t> first, std::span<const uint64_t> lasts, uint8_t* bits)>;

struct CountOptions {
    std::optional<uint64_t> limit;  // stop once this many packings are found
    int threads = 0;                // 0: every core
    const std::atomic<bool>* cancel = nullptr;
    // Called on the counting thread every progressInterval seconds while the search runs.
    std::function<void(const Progress&)> progress;
    double progressInterval = 0.25;
    // With one thread, a report every this many nodes instead (0: by time): a
    // trace that is the same on any machine.
    uint64_t progressNodes = 0;
    // Reported, a count with cells to spare foretold at this many nodes or more
    // splits its parts finer, so that the share done follows the work.
    uint64_t finerFrom = 2000000;
    // false: no finer parts for threads to share; for small searches run many times over.
    bool split = true;
    // Off: the search without its shortcuts, only to check that they change no count.
    bool shortcuts = true;
    // Sorts the packings into two classes, a bit each (PackingJudge), made once
    // per counting thread; CountResult::judged counts the distinct packings of
    // each class. The count then finds its packings one at a time, at some cost.
    std::function<PackingJudge()> judge;
};

struct SearchEstimate {
    Estimate solutions;  // as CountResult::solutions
    Estimate nodes;      // nodes the count's search visits
    // The whole tree was walked: `solutions` is the count itself.
    bool exact = false;
    // Some probes never reached a packing: `solutions` may lie far above its range,
    // whose low end is all that holds.
    bool bound = false;
    uint64_t probes = 0;
    double seconds = 0;
};

struct CountResult {
    uint64_t solutions = 0;
    uint64_t distinct = 0;
    uint64_t distinctUnlabelled = 0;
    std::optional<uint64_t> distinctMirror;  // nothing when the blocks are not closed under mirroring
    bool unique = false;    // complete and distinctUnlabelled == 1
    bool complete = false;  // false after a limit or cancel: the counts are lower bounds
    uint64_t nodes = 0;     // nodes the search visited (what estimate() foretells)
    int symmetry = 1;       // box rotations used
    double seconds = 0;
    std::optional<Packing> first;  // the first packing in search order
    // With CountOptions::judge and a whole count: of the distinct packings (as
    // distinctUnlabelled), those the judge gave bit 0 and those it gave bit 1.
    std::optional<std::array<uint64_t, 2>> judged;
};

// The blocks as cell sets: shapes[b] block b's cells anywhere (0: no block);
// a block `kept` stays in the box at keptCells[b], which must be its shape.
struct BlockCells {
    BoxSize box;
    BlockMasks shapes{};
    std::array<bool, kBlocks> kept{};
    BlockMasks keptCells{};
};

class PackingAnalysis {
public:
    explicit PackingAnalysis(const BlockCells& blocks);
    // fromBox: keep the blocks loaded in the box where they are and count the completions.
    explicit PackingAnalysis(const Puzzle& puzzle, bool fromBox = false);

    const std::vector<BlockInfo>& blocks() const;
    const std::vector<Problem>& problems() const;
    BoxSize box() const;
    int symmetry() const;

    // Blocks the calling thread; counts are the same for any thread count.
    CountResult count(const CountOptions& options = {}) const;
    // One packing (with fromBox: one completion of the blocks in the box), or
    // nothing when there is none or the search was cancelled.
    std::optional<Packing> findOne(const std::atomic<bool>* cancel = nullptr) const;
    // The size of count() told without running it: random probes of its
    // search (TreeEstimate.h), in milliseconds to a fraction of a second.
    SearchEstimate estimate(const EstimateOptions& options = {}) const;
    // What the difficulty search starts from: the count's parts that break the
    // box's symmetry (none when there are problems), and each kind's places.
    std::vector<SearchState> symmetryParts() const;
    const std::vector<std::vector<uint64_t>>& placementsByType() const;

    struct Data;

private:
    friend class DistinctPackings;
    std::shared_ptr<const Data> d_;
};

// The distinct packings (blocks of one shape interchangeable, box rotations
// alike) one at a time, found only as far as asked for: packing i is at hand
// as soon as the search reaches it, and every packing already seen at once.
class DistinctPackings {
public:
    explicit DistinctPackings(const PackingAnalysis& analysis);
    ~DistinctPackings();

    // Packing number `index` (from 0), or nothing when there are fewer or the search was cancelled.
    std::optional<Packing> at(size_t index, const std::atomic<bool>* cancel = nullptr);
    size_t found() const { return seen_.size(); }
    // Whether every distinct packing has been found.
    bool finished() const { return finished_; }

private:
    struct Walk;
    std::shared_ptr<const PackingAnalysis::Data> d_;
    std::unique_ptr<Walk> walk_;
    std::vector<Packing> seen_;
    bool finished_ = false;
};

}  // namespace tessaro::analysis
