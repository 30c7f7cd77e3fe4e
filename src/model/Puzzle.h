#pragma once
// The one puzzle in hand. Arrays are flat and ordered with the first index
// fastest, so memory order is the order of the .bin record.

#include <array>
#include <cstdint>
#include <string>

namespace tessaro {

constexpr int kBlocks = 8;
constexpr int kGrid = 4;
constexpr int kCells = kGrid * kGrid * kGrid;  // 64

using Grid = std::array<int16_t, kCells>;              // (x, y, z)
using ColorGrid = std::array<int32_t, kCells * 3>;     // (x, y, z, shade)
using PieceCubes = std::array<int16_t, kBlocks * kCells>;  // (block, x, y, z)

constexpr int cellIndex(int x, int y, int z) { return x + kGrid * (y + kGrid * z); }
constexpr int pieceIndex(int b, int x, int y, int z) { return b + kBlocks * cellIndex(x, y, z); }
constexpr int colorIndex(int x, int y, int z, int shade) { return cellIndex(x, y, z) + kCells * shade; }
constexpr bool validBlock(int b) { return b >= 0 && b < kBlocks; }

struct InfoPiece {
    int16_t iNo = 0;
    int16_t iFace_ct = 0;
    int16_t iTurn_CtZ = 0;
    bool operator==(const InfoPiece&) const = default;
};

// Block colour table, indexed number + 9 * shade (0 base, 1 light, 2 dark); 0x00BBGGRR.
constexpr std::array<int32_t, 27> G_lPiece_Color = {
    // base
    0x000000, 0xC0C0C0, 0x0000FF, 0x0080FF, 0x00FFFF, 0x00FF00, 0xFFFF00, 0xFF0000, 0xFF00FF,
    // light
    0x000000, 0xE0E0E0, 0xC0C0FF, 0x80C0FF, 0xC0FFFF, 0xC0FFC0, 0xFFFFC0, 0xFFC0C0, 0xFFC0FF,
    // dark
    0x000000, 0x808080, 0x0000C0, 0x0040C0, 0x00C0C0, 0x00C000, 0xC0C000, 0x800000, 0x800080,
};
constexpr int32_t pieceColor(int number, int shade) { return G_lPiece_Color[number + 9 * shade]; }

struct Puzzle {
    PieceCubes G_iPiece{};
    PieceCubes G_iPiece_Made{};
    Grid G_iBox{};
    Grid G_iBox_No{};
    ColorGrid G_lBox_Color{};
    Grid G_iWork{};
    std::array<int16_t, kBlocks> G_iLoaded{};
    int16_t G_iCells_X = 0, G_iCells_Y = 0, G_iCells_Z = 0;
    int16_t G_iMax_X = 0, G_iMax_Y = 0, G_iMax_Z = 0;
    int16_t G_iCell_Total = 0;
    int16_t G_iCell_Filled = 0;
    std::array<InfoPiece, kBlocks> G_Info_Piece{};
    std::array<int16_t, kBlocks> GE_iRotation{};
    int32_t GE_lRotate = 0;

    // Texts of the puzzle in hand, held as UTF-8.
    std::string G_sComment;
    std::string G_sPassword;
    std::string G_sFile_Version;
    std::string G_sFile_Title;

    // The box's cells along each axis, with the highest index along each that goes with them.
    void setBoxCells(int x, int y, int z) {
        G_iCells_X = int16_t(x), G_iCells_Y = int16_t(y), G_iCells_Z = int16_t(z);
        G_iMax_X = int16_t(x - 1), G_iMax_Y = int16_t(y - 1), G_iMax_Z = int16_t(z - 1);
    }
    int16_t piece(int b, int x, int y, int z) const { return G_iPiece[pieceIndex(b, x, y, z)]; }
    int16_t& piece(int b, int x, int y, int z) { return G_iPiece[pieceIndex(b, x, y, z)]; }

    bool operator==(const Puzzle&) const = default;
};

}  // namespace tessaro
