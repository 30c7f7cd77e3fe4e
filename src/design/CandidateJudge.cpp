#include "design/CandidateJudge.h"

#include "analysis/PackingAnalysis.h"
#include "analysis/PackingPlace.h"
#include "analysis/PuzzleRating.h"
#include "design/CellMasks.h"
#include "model/Figure.h"

#include <algorithm>
#include <bit>

namespace tessaro::design {

using analysis::BoxSize;

Puzzle puzzleFromBlocks(BoxSize box, const Blocks& blocks) {
    Puzzle p{};
    p.G_iCells_X = int16_t(box.x), p.G_iCells_Y = int16_t(box.y), p.G_iCells_Z = int16_t(box.z);
    p.G_iMax_X = int16_t(box.x - 1), p.G_iMax_Y = int16_t(box.y - 1), p.G_iMax_Z = int16_t(box.z - 1);
    for (int b = 0; b < kBlocks; ++b) analysis::setBlockCells(p, b, blocks[b]);
    subPiece_SaveMade(p);
    subLoader_Init(p);
    p.G_iCell_Total = fncPiece_CountAll(p);
    return p;
}

Judge::Judge(BoxSize box) : box_(box), symmetries_(analysis::boxSymmetries(box)) {}
Judge::~Judge() = default;

bool Judge::sameUnderRotation(const Blocks& a, const Blocks& b) const {
    // Blocks of one shape are interchangeable: compare (shape, cells) pairs as sets.
    using Key = std::vector<std::pair<uint64_t, uint64_t>>;
    const auto key = [](const Blocks& blocks, const analysis::BoxSymmetry* g) {
        Key k;
        for (uint64_t m : blocks)
            if (m != 0) k.emplace_back(analysis::canonicalShape(m), g != nullptr ? g->apply(m) : m);
        std::sort(k.begin(), k.end());
        return k;
    };
    const Key target = key(b, nullptr);
    for (const analysis::BoxSymmetry& g : symmetries_)
        if (key(a, &g) == target) return true;
    return false;
}

std::vector<std::pair<uint64_t, uint64_t>> Judge::canonicalKey(const Blocks& blocks) const {
    std::vector<std::pair<uint64_t, uint64_t>> best;
    for (const analysis::BoxSymmetry& g : symmetries_) {
        std::vector<std::pair<uint64_t, uint64_t>> k;
        for (uint64_t m : blocks)
            if (m != 0) k.emplace_back(analysis::canonicalShape(m), g.apply(m));
        std::sort(k.begin(), k.end());
        if (best.empty() || k < best) best = std::move(k);
    }
    return best;
}

bool Judge::obviousSecondPacking(const Blocks& blocks) const {
    uint64_t empty = analysis::boxCells(box_);
    for (uint64_t m : blocks) empty &= ~m;
    const auto tryRelay = [&](int i, int j, uint64_t room) {
        // Block i at another place in `room`; block j (if any) must then be exactly the rest.
        const uint64_t shapeJ = j >= 0 ? analysis::canonicalShape(blocks[j]) : 0;
        for (uint64_t m : analysis::placementsOf(blocks[i], box_, ~room)) {
            if (m == blocks[i]) continue;
            Blocks other = blocks;
            other[i] = m;
            if (j >= 0) {
                const uint64_t rest = room & ~m;
                if (analysis::canonicalShape(rest) != shapeJ) continue;
                other[j] = rest;
            }
            if (!sameUnderRotation(blocks, other)) return true;
        }
        return false;
    };
    for (int i = 0; i < kBlocks; ++i) {
        if (blocks[i] == 0) continue;
        if (empty != 0 && tryRelay(i, -1, blocks[i] | empty)) return true;
        for (int j = i + 1; j < kBlocks; ++j)
            if (blocks[j] != 0 && (faceNeighbours(blocks[i]) & blocks[j]) != 0 &&
                tryRelay(i, j, blocks[i] | blocks[j]))
                return true;
    }
    return false;
}

Uniqueness Judge::uniqueness(const analysis::PackingAnalysis& a, const std::atomic<bool>* cancel) const {
    if (!a.problems().empty()) return Uniqueness::NoPacking;
    analysis::DistinctPackings walk(a);
    if (walk.at(1, cancel)) return Uniqueness::NotUnique;
    if (!walk.finished()) return Uniqueness::Stopped;
    return walk.found() == 1 ? Uniqueness::Unique : Uniqueness::NoPacking;
}

Uniqueness Judge::uniqueness(const Blocks& blocks, const std::atomic<bool>* cancel) const {
    return uniqueness(analysis::PackingAnalysis(puzzleFromBlocks(box_, blocks)), cancel);
}

Judge::Outcome Judge::judge(const Blocks& blocks, int minRating, const std::atomic<bool>* cancel,
                            Design& design, double above) const {
    design.box = box_;
    design.blocks = blocks;
    if (obviousSecondPacking(blocks)) return Outcome::NotUnique;
    const analysis::PackingAnalysis a(puzzleFromBlocks(box_, blocks));
    if (!a.problems().empty()) return Outcome::NotUnique;
    std::optional<analysis::PuzzleRating> rating;
    if (above >= 0) {
        // One packing would be the rating's divisor: below the bound it cannot matter.
        rating = analysis::rateWithPackings(a, 1);
        design.difficulty = *rating;
        if (rating->nodesPerPacking < above) return Outcome::Bounded;
    }
    switch (uniqueness(a, cancel)) {
    case Uniqueness::Unique: break;
    case Uniqueness::Stopped: return Outcome::Stopped;
    default: return Outcome::NotUnique;
    }
    analysis::CountOptions once;
    once.threads = 1;
    once.split = false;
    const analysis::CountResult count = a.count(once);
    if (!rating) rating = analysis::rateCounted(a, count);
    if (!rating) return Outcome::NotUnique;
    design.difficulty = *rating;
    design.solutions = count.solutions;
    return design.difficulty.rating >= minRating ? Outcome::Accepted : Outcome::TooEasy;
}

}  // namespace tessaro::design
