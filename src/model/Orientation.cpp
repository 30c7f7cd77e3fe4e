// Quarter turns of blocks and of the box contents, face setting, Reset and Shuffle.
#include "model/Figure.h"
#include "model/SplitMix.h"

#include <chrono>

namespace tessaro {

namespace {

// Where the new cell (x, y, z) takes its value from, for each axis.
struct Source {
    int x, y, z;
};
Source fromTurnZ(int x, int y, int z) { return {y, 3 - x, z}; }
Source fromTurnX(int x, int y, int z) { return {x, 3 - z, y}; }
Source fromTurnY(int x, int y, int z) { return {3 - z, y, x}; }

template <typename From>
void turnPiece(Puzzle& p, int b, From from) {
    if (!validBlock(b)) return;
    // Two passes through the scratch grid so no cell is read after being overwritten.
    for (int z = 0; z < kGrid; ++z)
        for (int y = 0; y < kGrid; ++y)
            for (int x = 0; x < kGrid; ++x) {
                const Source s = from(x, y, z);
                p.G_iWork[cellIndex(x, y, z)] = p.piece(b, s.x, s.y, s.z);
            }
    for (int z = 0; z < kGrid; ++z)
        for (int y = 0; y < kGrid; ++y)
            for (int x = 0; x < kGrid; ++x) p.piece(b, x, y, z) = p.G_iWork[cellIndex(x, y, z)];
}

template <typename From>
void turnBox(Puzzle& p, From from) {
    Grid numbers{};
    ColorGrid colors{};
    for (int z = 0; z < kGrid; ++z)
        for (int y = 0; y < kGrid; ++y)
            for (int x = 0; x < kGrid; ++x) {
                const Source s = from(x, y, z);
                const int to = cellIndex(x, y, z);
                const int src = cellIndex(s.x, s.y, s.z);
                p.G_iWork[to] = p.G_iBox[src];
                numbers[to] = p.G_iBox_No[src];
                for (int shade = 0; shade < 3; ++shade)
                    colors[to + kCells * shade] = p.G_lBox_Color[src + kCells * shade];
            }
    p.G_iBox = p.G_iWork;
    p.G_iBox_No = numbers;
    p.G_lBox_Color = colors;
}

int drawBelow(UniformRandom& rnd, int n) {
    float r = rnd.next();
    // An injected generator that strays outside [0, 1) must not pick a face or count out of range.
    if (!(r >= 0.0f && r < 1.0f)) r = 0.0f;
    const int v = static_cast<int>(r * static_cast<float>(n));
    return v < n ? v : n - 1;
}

}  // namespace

void subPiece_TurnZ(Puzzle& p, int b) { turnPiece(p, b, fromTurnZ); }
void subPiece_TurnX(Puzzle& p, int b) { turnPiece(p, b, fromTurnX); }
void subPiece_TurnY(Puzzle& p, int b) { turnPiece(p, b, fromTurnY); }

void subBox_TurnZ(Puzzle& p) { turnBox(p, fromTurnZ); }
void subBox_TurnX(Puzzle& p) { turnBox(p, fromTurnX); }
void subBox_TurnY(Puzzle& p) { turnBox(p, fromTurnY); }

void subPiece_Restore(Puzzle& p, int b) {
    if (!validBlock(b)) return;
    for (int c = 0; c < kCells; ++c) p.G_iPiece[b + kBlocks * c] = p.G_iPiece_Made[b + kBlocks * c];
}

void subPiece_SetFace(Puzzle& p, int b, int face) {
    if (!validBlock(b) || face < 0 || face > 5) return;
    subPiece_Restore(p, b);
    switch (face) {
    case 1:
        for (int i = 0; i < 3; ++i) subPiece_TurnX(p, b);
        break;
    case 2:
        subPiece_TurnY(p, b);
        break;
    case 3:
        subPiece_TurnX(p, b);
        break;
    case 4:
        for (int i = 0; i < 3; ++i) subPiece_TurnY(p, b);
        break;
    case 5:
        subPiece_TurnY(p, b);
        subPiece_TurnY(p, b);
        break;
    default:
        break;
    }
    subPiece_MoveOrigin(p, b);
}

void subPiece_ResetAll(Puzzle& p) { p.G_iPiece = p.G_iPiece_Made; }

ClockRandom::ClockRandom() {
    const auto a = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    const auto s = std::chrono::system_clock::now().time_since_epoch().count();
    state_ = static_cast<uint64_t>(a) ^ (static_cast<uint64_t>(s) * 0x9E3779B97F4A7C15ull);
}

float ClockRandom::next() { return unitFloat(splitMix64(state_)); }

void subPiece_ShuffleAll(Puzzle& p, UniformRandom& rnd) {
    for (int b = 0; b < kBlocks; ++b) {
        subPiece_SetFace(p, b, drawBelow(rnd, 6));
        int n = drawBelow(rnd, 4);
        for (int i = 0; i <= n; ++i) subPiece_TurnZ(p, b);
        n = drawBelow(rnd, 4);
        for (int i = 0; i <= n; ++i) subPiece_TurnX(p, b);
        n = drawBelow(rnd, 4);
        for (int i = 0; i <= n; ++i) subPiece_TurnY(p, b);
        subPiece_MoveOrigin(p, b);
    }
}

}  // namespace tessaro
