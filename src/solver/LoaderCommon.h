#pragma once
// Pieces both walks of the automatic loader share: the panel data, the result
// line, the order-code advance and the positions that pass at once.

#include "model/Puzzle.h"
#include "solver/LoaderHost.h"

#include <array>
#include <cstdint>
#include <string>

namespace tessaro {

// Highest index of a block that holds a cell in G_iPiece, -1 when none does.
int highestUsedBlock(const Puzzle& p);

// Decimal text with the sign position: " 5", "-5".
std::string signedText(int value);
// The result line for positions 0..last, as lblAtOnce shows it.
std::string resultLineText(const Puzzle& p, int last);
// lblSum: "count : total".
std::string sumText(int count, int total);

// True when n's decimal text holds each digit 1..8 (fncHasDigits1to8, as a bool).
bool hasDigits1to8(int64_t n);
// The order code that "add one while the digits 1..8 are not all there" reaches
// from `code`; 64-bit because the walk may pass the 32-bit range.
int64_t nextOrderCode(int32_t code);
// The highest code the loader works with.
constexpr int32_t kLastOrderCode = 87654321;

// Entries of the order list at positions 0..last that pass at once without
// touching their block: an index outside 0..7, or a block with cells that already
// stands at an earlier position. `hasCells` tells which blocks hold cells.
std::array<bool, kBlocks> passingPositions(const std::array<int16_t, kBlocks>& order, int last,
                                           const std::array<bool, kBlocks>& hasCells);

// The block colour of an order entry, 0 for an entry that names no block.
int32_t entryColor(int entry);

// The model behind LoaderModel for a walk that works on the Puzzle itself.
class DirectModel final : public LoaderModel {
public:
    explicit DirectModel(const Puzzle& p) : p_(p) {}
    const Puzzle& puzzle() const override { return p_; }

private:
    const Puzzle& p_;
};

}  // namespace tessaro
