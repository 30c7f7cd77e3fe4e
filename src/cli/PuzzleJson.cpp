#include "cli/PuzzleJson.h"

namespace tessaro::cli {

namespace {

template <typename T, std::size_t N>
nlohmann::json flat(const std::array<T, N>& a) {
    nlohmann::json out = nlohmann::json::array();
    for (const T& v : a) out.push_back(v);
    return out;
}

}  // namespace

nlohmann::json puzzleToJson(const Puzzle& p, const std::string& version) {
    nlohmann::json info = nlohmann::json::array();
    for (const InfoPiece& r : p.G_Info_Piece) info.push_back({r.iNo, r.iFace_ct, r.iTurn_CtZ});
    return {
        {"version", version},
        {"G_sComment", p.G_sComment},
        {"G_sPassword", p.G_sPassword},
        {"G_iCells_X", p.G_iCells_X},
        {"G_iCells_Y", p.G_iCells_Y},
        {"G_iCells_Z", p.G_iCells_Z},
        {"G_iPiece_Made", flat(p.G_iPiece_Made)},
        {"G_iPiece", flat(p.G_iPiece)},
        {"G_iBox", flat(p.G_iBox)},
        {"G_iBox_No", flat(p.G_iBox_No)},
        {"G_lBox_Color", flat(p.G_lBox_Color)},
        {"G_iCell_Total", p.G_iCell_Total},
        {"G_iCell_Filled", p.G_iCell_Filled},
        {"G_iLoaded", flat(p.G_iLoaded)},
        {"GE_lRotate", p.GE_lRotate},
        {"GE_iRotation", flat(p.GE_iRotation)},
        {"G_Info_Piece", info},
    };
}

}  // namespace tessaro::cli
