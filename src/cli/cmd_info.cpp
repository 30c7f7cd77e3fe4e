// tessaro-cli info: prints the puzzle, as a readable summary or as JSON.
#include "cli/CliCommand.h"
#include "cli/PuzzleJson.h"
#include "cli/PuzzleSource.h"
#include "cli/TerminalText.h"
#include "model/Figure.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>
#include <sstream>

namespace tessaro::cli {

namespace {

struct InfoOptions {
    PuzzleSourceOptions source;
    bool json = false;
};

std::string summary(const Puzzle& p, const std::string& version) {
    std::ostringstream out;
    // Texts from the file may hold control characters: shown escaped, never sent raw to the terminal.
    out << "バージョン: " << (version.empty() ? "（なし）" : escapeControls(version)) << "\n";
    if (!p.G_sComment.empty()) out << "コメント: " << escapeControls(p.G_sComment) << "\n";
    out << "箱: " << p.G_iCells_X << "×" << p.G_iCells_Y << "×" << p.G_iCells_Z << "（"
        << p.G_iCells_X * p.G_iCells_Y * p.G_iCells_Z << " セル）\n";
    out << "ブロック: " << fncPiece_CountUsed(p) << " 個、セル合計 " << fncPiece_CountAll(p) << "\n";
    for (int b = 0; b < kBlocks; ++b) {
        const int n = fncPiece_Count(p, b);
        out << "  " << b + 1 << ": " << n << " セル";
        if (n == 0) out << "（空）";
        if (p.G_iLoaded[b] != 0) out << "  装填済み";
        out << "\n";
    }
    out << "充填: " << fncBox_Count(p.G_iBox) << " : " << p.G_iCell_Total;
    if (p.G_iCell_Filled != 0) out << "（保存時 " << p.G_iCell_Filled << "）";
    out << "\n";
    out << "自動移動: 順番";
    for (int16_t b : p.GE_iRotation) out << " " << b + 1;
    out << "、ローテーション " << p.GE_lRotate << "\n";
    for (int b = 0; b < kBlocks; ++b) {
        const InfoPiece& r = p.G_Info_Piece[b];
        out << "  " << b + 1 << ": No " << r.iNo << "、面 " << r.iFace_ct << "、Z回転 " << r.iTurn_CtZ << "\n";
    }
    return out.str();
}

}  // namespace

void registerInfoCommand(CLI::App& app, CliContext& ctx) {
    auto opts = std::make_shared<InfoOptions>();
    CLI::App* cmd = app.add_subcommand("info", "パズルの内容を表示する");
    addPuzzleSourceOptions(*cmd, opts->source);
    cmd->add_flag("--json", opts->json, "モデルの全項目を JSON で出力する");
    cmd->callback([opts, &ctx] {
        const auto loaded = readCommandPuzzle(opts->source, ctx);
        if (!loaded) return;
        if (opts->json)
            std::cout << puzzleToJson(loaded->puzzle, loaded->version)
                             .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)
                      << "\n";
        else
            std::cout << summary(loaded->puzzle, loaded->version);
        ctx.exitCode = kExitOk;
    });
}

}  // namespace tessaro::cli
