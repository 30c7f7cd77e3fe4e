#pragma once
// Puzzles and random sources shared by the file tests.

#include "model/Figure.h"
#include "model/Puzzle.h"

#include <vector>

namespace tessaro::test {

// Replays the given draws, then repeats the last one.
class ScriptedRandom final : public UniformRandom {
public:
    explicit ScriptedRandom(std::vector<float> draws) : draws_(std::move(draws)) {}
    float next() override
    {
        float r = draws_[pos_];
        if (pos_ + 1 < draws_.size())
            ++pos_;
        return r;
    }

private:
    std::vector<float> draws_;
    size_t pos_ = 0;
};

// A 4x3x2 puzzle in the middle of play: seven blocks, two of them loaded, a
// body cell marked 2, a loader state away from INIT, a Japanese comment with
// extension-row characters and a password.
inline Puzzle richPuzzle()
{
    Puzzle p;
    p.setBoxCells(4, 3, 2);
    for (int b = 0; b < 7; ++b)
        for (int z = 0; z < 2; ++z)
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < 4; ++x) {
                    if ((x + 2 * y + 3 * z + b) % 5 == 0)
                        p.G_iPiece_Made[pieceIndex(b, x, y, z)] = 1;
                    if ((3 * x + y + z + b) % 4 == 0)
                        p.G_iPiece[pieceIndex(b, x, y, z)] = 1;
                }
    for (int b : {0, 2}) {
        p.G_iLoaded[b] = 1;
        for (int z = 0; z < 2; ++z)
            for (int y = 0; y < 3; ++y)
                for (int x = 0; x < 4; ++x)
                    if (p.piece(b, x, y, z) && !p.G_iBox[cellIndex(x, y, z)]) {
                        p.G_iBox[cellIndex(x, y, z)] = 1;
                        p.G_iBox_No[cellIndex(x, y, z)] = static_cast<int16_t>(b + 1);
                        for (int s = 0; s < 3; ++s)
                            p.G_lBox_Color[colorIndex(x, y, z, s)] = pieceColor(b + 1, s);
                    }
    }
    p.G_iBox[cellIndex(3, 2, 1)] = 2;
    p.G_iBox_No[cellIndex(0, 0, 3)] = 8;  // a stale number outside the box
    // What a save stores: the cells of the blocks and the box's count (the body cell counts 2).
    p.G_iCell_Total = fncPiece_CountAll(p);
    p.G_iCell_Filled = fncBox_Count(p.G_iBox);
    p.GE_lRotate = 12345687;
    p.GE_iRotation = {1, 0, 2, 3, 4, 5, 7, 6};
    for (int b = 0; b < kBlocks; ++b)
        p.G_Info_Piece[b] = {static_cast<int16_t>(b % 9), static_cast<int16_t>(b % 6), static_cast<int16_t>(b % 4)};
    p.G_sComment = "立方体パズル①㈱ 髙橋作";
    p.G_sPassword = "Tessa9pq";
    return p;
}

}  // namespace tessaro::test
