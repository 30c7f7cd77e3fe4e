#pragma once
// Operations on the puzzle in hand: counting, turning, moving, loading.
// A block index outside 0..7 makes every operation do nothing: counts are 0,
// moves report refused (non-zero, so move loops end), loading reports CannotPlace.
// Truth values are -1 / 0 and refused moves return the blocking cell count,
// as the play handlers and the automatic loader expect.

#include "model/Puzzle.h"

#include <cstdint>

namespace tessaro {

// ---- counting ----
int16_t fncBox_Count(const Grid& grid);
int16_t fncPiece_Count(const Puzzle& p, int b);
int16_t fncPiece_CountAll(const Puzzle& p);
int16_t fncPiece_CountUsed(const Puzzle& p);
void subPiece_ClearAll(Puzzle& p);
void subPiece_SaveMade(Puzzle& p);

// ---- automatic loader globals ----
void subRotate_Shift(Puzzle& p);
int16_t fncHasDigits1to8(int32_t n);
// The model part of INIT: order 0..7, all counters 0, order code 12345678.
void subLoader_Init(Puzzle& p);

// ---- orientation ----
void subPiece_TurnZ(Puzzle& p, int b);
void subPiece_TurnX(Puzzle& p, int b);
void subPiece_TurnY(Puzzle& p, int b);
void subPiece_Restore(Puzzle& p, int b);
void subPiece_SetFace(Puzzle& p, int b, int face);
void subBox_TurnZ(Puzzle& p);
void subBox_TurnX(Puzzle& p);
void subBox_TurnY(Puzzle& p);
// Reset, step 1: every block back to its made cube.
void subPiece_ResetAll(Puzzle& p);

// Uniform single-precision numbers in [0, 1).
class UniformRandom {
public:
    virtual ~UniformRandom() = default;
    virtual float next() = 0;
};
// Seeded from the clock when constructed; one per Shuffle click or per save.
class ClockRandom final : public UniformRandom {
public:
    ClockRandom();
    float next() override;

private:
    uint64_t state_;
};
// Shuffle, step 2: four draws per block, in block order.
void subPiece_ShuffleAll(Puzzle& p, UniformRandom& rnd);

// ---- moves ----
int16_t fncPiece_XInc(Puzzle& p, int b);
int16_t fncPiece_XDec(Puzzle& p, int b);
int16_t fncPiece_YInc(Puzzle& p, int b);
int16_t fncPiece_YDec(Puzzle& p, int b);
int16_t fncPiece_ZInc(Puzzle& p, int b);
int16_t fncPiece_ZDec(Puzzle& p, int b);
void subPiece_MoveOrigin(Puzzle& p, int b);
void subPiece_ToLeft(Puzzle& p, int b);
void subPiece_ToTop(Puzzle& p, int b);
int16_t fncBox_XDec(Puzzle& p);
int16_t fncBox_YDec(Puzzle& p);
int16_t fncBox_ZDec(Puzzle& p);
void subBox_MoveOrigin(Puzzle& p);

// ---- loading ----
enum class LoadOutcome { AlreadyLoaded, CannotPlace, Loaded };
struct LoadResult {
    LoadOutcome outcome = LoadOutcome::CannotPlace;
    bool deadCell = false;   // only looked for when asked
    bool complete = false;   // the box now holds G_iCell_Total filled cells
    int16_t filled = 0;      // fncBox_Count(G_iBox) after a load
};
// The model part of cmdLoad_Click: checks in order, nothing but the scratch grid
// G_iWork changed when refused.
LoadResult loadPiece(Puzzle& p, int b, bool checkDeadSpace);

int16_t fncChkDedSpace(const Puzzle& p);
void subBox_UnloadPiece(Puzzle& p, int b);
void subBox_ErasePattern(Puzzle& p, int b);
void subPiece_ToGrid(const Puzzle& p, int b, Grid& grid);
void subPiece_ColorGrid(const Puzzle& p, int b, ColorGrid& colors);
// The model part of Clear: box grids, scratch grid and loaded flags emptied.
void clearBox(Puzzle& p);

// ---- the built-in sample ----
void subSample_Set(Puzzle& p);
// A fresh puzzle holding the sample: box 3x3x3, loader INIT, maxima, total, made state.
Puzzle buildSamplePuzzle();

}  // namespace tessaro
