// tessaro-cli export: blocks for 3D printing (STL, 3MF), pictures (PNG) and the
// printable sheet (PDF), written together or not at all.
#include "cli/CliCommand.h"
#include "cli/CountOption.h"
#include "cli/PuzzleSource.h"
#include "design/RatingText.h"
#include "export/Export.h"
#include "export/qt/QtPictures.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <iostream>
#include <memory>

namespace tessaro::cli {

namespace {

struct ExportOptions {
    PuzzleSourceOptions source;
    ExportRequest request;
};

}  // namespace

void registerExportCommand(CLI::App& app, CliContext& ctx) {
    auto opts = std::make_shared<ExportOptions>();
    ExportRequest& r = opts->request;
    CLI::App* cmd = app.add_subcommand("export", "ブロックの 3D プリント用データ、画像、印刷用シートを書き出す");
    addPuzzleSourceOptions(*cmd, opts->source);
    cmd->add_option("--stl", r.stlDir, "ブロックごとの STL（block1.stl …）を書くフォルダ")->type_name("DIR");
    cmd->add_option("--3mf", r.threeMfFile, "全ブロックを色付きで収めた 3MF ファイル")->type_name("FILE");
    cmd->add_option("--png", r.pngDir, "ブロックと箱の画像（block1.png … box.png）を書くフォルダ")->type_name("DIR");
    cmd->add_option("--pdf", r.pdfFile, "印刷用シートの PDF ファイル")->type_name("FILE");
    addDecimalOption(*cmd, "--cube-mm", r.sizes.cubeMm, "キューブ一つの大きさ（mm、既定 10）", 1, 1000, "MM");
    addDecimalOption(*cmd, "--clearance-mm", r.sizes.clearanceMm, "ブロックの外面ごとのすき間（mm、既定 0.2）", 0, 250,
                     "MM");
    addDecimalOption(*cmd, "--tray-mm", r.sizes.trayWallMm, "箱をトレイとして加え、その壁の厚さ（mm）", 0, 100, "MM");
    addDecimalOption(*cmd, "--bevel-mm", r.sizes.bevelMm, "ブロックの外側の角の面取り（mm、既定 0）", 0, 250, "MM");
    addDecimalOption(*cmd, "--bed-mm", r.bedMm, "3MF で部品を並べる造形台の一辺（mm、既定 200）", 10, 2000, "MM");
    addDecimalOption(*cmd, "--margin-mm", r.marginMm, "3MF で造形台の縁から空ける余白（mm、既定 5）", 0, 100, "MM");
    cmd->add_flag("--as-made", r.asMade, "ブロックを印刷向きに回さず、作ったままの向きで書き出す");
    addCountOption(*cmd, "--png-size", r.pngWidth, "画像の幅（ピクセル、既定 675）", 64, 4096);
    cmd->add_flag("--transparent", r.transparentPng, "画像の背景を透明にする");
    cmd->add_flag("--with-answer", r.withAnswer, "シートに詰め方（解答）のページを加える");
    cmd->add_option("--password", r.password, "解答パスワード")->type_name("TEXT");
    cmd->add_flag("--force", r.removeStale, "前の書き出しの、今回は書かないブロックのファイルを削除して書き出す");
    cmd->callback([opts, &ctx] {
        checkPuzzleSource(opts->source);
        const ExportRequest& req = opts->request;
        if (req.stlDir.empty() && req.threeMfFile.empty() && req.pngDir.empty() && req.pdfFile.empty())
            throw CLI::ValidationError("--stl、--3mf、--png、--pdf のどれかを指定してください");
        if (const std::string why = meshSizesRefusal(req.sizes); !why.empty()) throw CLI::ValidationError(why);
        // As Save As: the folder a file goes in must be there; a folder named for
        // --stl or --png is made, but not the folders above it.
        for (const std::string& target : {req.stlDir, req.threeMfFile, req.pngDir, req.pdfFile}) {
            if (target.empty()) continue;
            std::string path = target;
            while (path.size() > 1 && path.back() == '/') path.pop_back();
            const std::string folder = std::filesystem::path(path).parent_path().string();
            std::error_code ec;
            if (!folder.empty() && !std::filesystem::is_directory(folder, ec)) {
                std::cerr << "tessaro-cli: " << target << ": 書き出せません。フォルダ " << folder << " がありません。\n";
                ctx.exitCode = kExitUnreadable;
                return;
            }
        }

        const auto loaded = readCommandPuzzle(opts->source, ctx);
        if (!loaded) return;
        LoadedPuzzle source = *loaded;
        if (!opts->source.file.empty() && source.puzzle.G_sFile_Title.empty())
            source.puzzle.G_sFile_Title = std::filesystem::path(opts->source.file).filename().string();

        std::unique_ptr<GuiSession> gui;
        if (!req.pngDir.empty() || !req.pdfFile.empty()) gui = std::make_unique<GuiSession>();
        ExportRequest withNote = req;
        if (!req.pdfFile.empty()) withNote.sheetNote = design::sheetRatingLine(source.puzzle);
        QtPictureRenderer pictures;
        const ExportOutcome outcome = exportPuzzle(source.puzzle, withNote, &pictures);
        switch (outcome.status) {
        case ExportStatus::Written:
            for (const std::string& file : outcome.written) std::cout << file << "\n";
            for (const std::string& file : outcome.stale)
                std::cerr << "tessaro-cli: 前の書き出しのファイルを削除しました: " << file << "\n";
            if (!outcome.message.empty()) std::cerr << "tessaro-cli: " << outcome.message;
            for (const BlockPrint& block : outcome.prints) std::cerr << "tessaro-cli: " << overAirLine(block) << "\n";
            for (const std::string& warning : outcome.warnings) std::cerr << "tessaro-cli: 警告: " << warning << "\n";
            ctx.exitCode = kExitOk;
            return;
        case ExportStatus::Stale:
            std::cerr << "tessaro-cli: " << outcome.message << "（--force で削除して書き出します）\n";
            ctx.exitCode = kExitUnreadable;
            return;
        case ExportStatus::Refused:
            std::cerr << "tessaro-cli: " << outcome.message << "\n";
            ctx.exitCode = kExitUsage;
            return;
        case ExportStatus::Cancelled:
        case ExportStatus::Failed:
            std::cerr << "tessaro-cli: " << outcome.message << "\n";
            ctx.exitCode = kExitUnreadable;
            return;
        }
    });
}

}  // namespace tessaro::cli
