#include "export/Export.h"

#include "analysis/PackingAnalysis.h"
#include "analysis/PackingPlace.h"

#include "export/BedLayout.h"
#include "export/MeshFiles.h"
#include "export/StagedFiles.h"
#include "files/ShiftJis.h"
#include "model/Figure.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace tessaro {

namespace {

std::string blockFile(const std::string& folder, int b, const char* ext) {
    return folder + "/block" + std::to_string(b + 1) + ext;
}

ExportOutcome refused(std::string message) { return {ExportStatus::Refused, std::move(message), {}, {}, false, {}}; }
ExportOutcome failed(std::string message) { return {ExportStatus::Failed, std::move(message), {}, {}, false, {}}; }

}  // namespace

std::optional<Puzzle> firstPacking(const Puzzle& p) {
    if (p.G_iCell_Total > 0 && fncBox_Count(p.G_iBox) == p.G_iCell_Total) return p;
    const analysis::PackingAnalysis analysis(p);
    if (!analysis.problems().empty()) return std::nullopt;
    const auto packing = analysis.findOne();
    if (!packing) return std::nullopt;
    return analysis::withPackingInBox(p, *packing);
}

void blockScene(const Puzzle& p, int b, Grid& grid, ColorGrid& colors) {
    grid.fill(0);
    colors.fill(0);
    if (!validBlock(b)) return;
    int lo[3] = {kGrid, kGrid, kGrid};
    for (int z = 0; z < kGrid; ++z)
        for (int y = 0; y < kGrid; ++y)
            for (int x = 0; x < kGrid; ++x)
                if (p.piece(b, x, y, z) != 0) {
                    lo[0] = std::min(lo[0], x);
                    lo[1] = std::min(lo[1], y);
                    lo[2] = std::min(lo[2], z);
                }
    for (int z = lo[2]; z < kGrid; ++z)
        for (int y = lo[1]; y < kGrid; ++y)
            for (int x = lo[0]; x < kGrid; ++x) {
                if (p.piece(b, x, y, z) == 0) continue;
                const int c = cellIndex(x - lo[0], y - lo[1], z - lo[2]);
                grid[c] = 1;
                for (int shade = 0; shade < 3; ++shade) colors[c + kCells * shade] = pieceColor(b + 1, shade);
            }
}

int32_t textColorOn(int32_t background) {
    auto linear = [](int byte) {
        const double c = byte / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    const double l = 0.2126 * linear(background & 0xFF) + 0.7152 * linear((background >> 8) & 0xFF) +
                     0.0722 * linear((background >> 16) & 0xFF);
    return (l + 0.05) / 0.05 >= 1.05 / (l + 0.05) ? 0x000000 : 0xFFFFFF;
}

std::vector<std::string> looseBlockWarnings(const Puzzle& p) {
    std::vector<std::string> out;
    for (int b = 0; b < kBlocks; ++b)
        if (const int parts = blockParts(p, b); parts > 1)
            out.push_back("ブロック " + std::to_string(b + 1) + " は面でつながっていません。印刷すると " +
                          std::to_string(parts) + " 個に分かれます。");
    return out;
}

bool answerOpen(const Puzzle& p, const std::optional<std::string>& password) {
    if (p.G_sPassword.empty()) return true;
    return password && trimSpaces(*password) == p.G_sPassword;
}

std::vector<std::string> exportTargets(const Puzzle& p, const ExportRequest& r) {
    std::vector<std::string> out;
    if (!r.stlDir.empty()) {
        for (int b = 0; b < kBlocks; ++b)
            if (fncPiece_Count(p, b) != 0) out.push_back(blockFile(r.stlDir, b, ".stl"));
        if (!trayMesh(p, r.sizes).empty()) out.push_back(r.stlDir + "/tray.stl");
    }
    if (!r.threeMfFile.empty()) out.push_back(r.threeMfFile);
    if (!r.pngDir.empty()) {
        for (int b = 0; b < kBlocks; ++b)
            if (fncPiece_Count(p, b) != 0) out.push_back(blockFile(r.pngDir, b, ".png"));
        out.push_back(r.pngDir + "/box.png");
    }
    if (!r.pdfFile.empty()) out.push_back(r.pdfFile);
    return out;
}

std::vector<std::string> staleExportFiles(const Puzzle& p, const ExportRequest& r) {
    const std::vector<std::string> targets = exportTargets(p, r);
    std::vector<std::string> out;
    auto look = [&](const std::string& folder, const std::string& ext, const char* single) {
        if (folder.empty()) return;
        std::error_code ec;
        std::vector<std::string> found;
        for (const auto& e : std::filesystem::directory_iterator(folder, ec)) {
            const std::string name = e.path().filename().string();
            const bool numbered = name.size() > 5 + ext.size() && name.starts_with("block") && name.ends_with(ext) &&
                                  std::all_of(name.begin() + 5, name.end() - static_cast<long>(ext.size()),
                                              [](char c) { return c >= '0' && c <= '9'; });
            if (!numbered && name != single) continue;
            if (e.is_directory(ec)) continue;
            const std::string path = folder + "/" + name;
            if (std::find(targets.begin(), targets.end(), path) == targets.end()) found.push_back(path);
        }
        std::sort(found.begin(), found.end());
        out.insert(out.end(), found.begin(), found.end());
    };
    look(r.stlDir, ".stl", "tray.stl");
    look(r.pngDir, ".png", "box.png");
    return out;
}

ExportOutcome exportPuzzle(const Puzzle& p, const ExportRequest& r, PictureRenderer* pictures) {
    const bool wantsMeshes = !r.stlDir.empty() || !r.threeMfFile.empty();
    const bool wantsPictures = !r.pngDir.empty() || !r.pdfFile.empty();
    if (!wantsMeshes && !wantsPictures) return refused("書き出す形式を一つ以上選んでください。");
    if (const std::string why = meshSizesRefusal(r.sizes); !why.empty()) return refused(why);
    if (!(r.bedMm >= 10 && r.bedMm <= 2000)) return refused("造形台の大きさは 10 mm から 2000 mm の間で指定してください。");
    if (r.pngWidth < 64 || r.pngWidth > 4096) return refused("画像の幅は 64 から 4096 ピクセルの間で指定してください。");
    if (fncPiece_CountAll(p) == 0) return refused("セルを持つブロックがありません。");
    if (r.password && !p.G_sPassword.empty() && !answerOpen(p, r.password)) return refused("パスワードが違います。");
    const bool open = answerOpen(p, r.password);
    if (r.withAnswer && !r.pdfFile.empty() && !open)
        return refused("このパズルには解答パスワードがあります。解答を含めるにはパスワードが必要です。");
    if (wantsPictures && !pictures) return refused("画像と PDF はこの環境では書き出せません。");
    const std::vector<std::string> stale = staleExportFiles(p, r);
    if (!stale.empty() && !r.removeStale) {
        std::string text = "書き出し先に、この書き出しでは書かない前のファイルがあります：";
        for (size_t i = 0; i < stale.size(); ++i) text += (i ? "、" : "") + stale[i];
        return {ExportStatus::Stale, text, {}, stale, false, {}};
    }

    // Everything is made in memory first and written together at the end.
    StagedFiles staged;
    std::string error;
    std::string bytes;

    std::array<Mesh, kBlocks> meshes;
    if (wantsMeshes)
        for (int b = 0; b < kBlocks; ++b)
            if (fncPiece_Count(p, b) != 0) meshes[static_cast<size_t>(b)] = blockMesh(p, b, r.sizes);
    Mesh tray = trayMesh(p, r.sizes);

    if (!r.stlDir.empty()) {
        if (!staged.prepareFolder(r.stlDir, error)) return failed(error);
        for (int b = 0; b < kBlocks; ++b)
            if (fncPiece_Count(p, b) != 0)
                staged.add(blockFile(r.stlDir, b, ".stl"),
                           binaryStl(meshes[static_cast<size_t>(b)], "Tessaro block " + std::to_string(b + 1)));
        if (!tray.empty()) staged.add(r.stlDir + "/tray.stl", binaryStl(tray, "Tessaro tray"));
    }
    int beds = 0;
    if (!r.threeMfFile.empty()) {
        std::vector<MeshObject> all;
        for (int b = 0; b < kBlocks; ++b)
            if (!meshes[static_cast<size_t>(b)].empty())
                all.push_back({"ブロック " + std::to_string(b + 1), pieceColor(b + 1, 0), meshes[static_cast<size_t>(b)], {}});
        if (!tray.empty()) all.push_back({"トレイ", 0xF0F0F0, tray, {}});
        beds = arrangeOnBeds(all, r.bedMm);
        if (!threeMf(all, bytes, error)) return failed(exportFileError(r.threeMfFile, error));
        staged.add(r.threeMfFile, std::move(bytes));
    }

    // A packing is the answer: shown only when the password allows it.
    std::optional<Puzzle> packing;
    const bool needsPacking = (!r.pngDir.empty() && open) || (!r.pdfFile.empty() && r.withAnswer);
    if (needsPacking) packing = firstPacking(p);

    if (!r.pngDir.empty()) {
        if (!staged.prepareFolder(r.pngDir, error)) return failed(error);
        for (int b = 0; b < kBlocks; ++b) {
            if (fncPiece_Count(p, b) == 0) continue;
            Grid grid;
            ColorGrid colors;
            blockScene(p, b, grid, colors);
            const std::string target = blockFile(r.pngDir, b, ".png");
            if (!pictures->renderPng(grid, colors, kPieceViewParam, r.pngWidth, r.transparentPng, bytes, error))
                return failed(exportFileError(target, error));
            staged.add(target, std::move(bytes));
        }
        const Puzzle& box = packing ? *packing : p;
        const std::string target = r.pngDir + "/box.png";
        if (!pictures->renderPng(box.G_iBox, box.G_lBox_Color, mainViewParam(120, 120), r.pngWidth, r.transparentPng,
                                 bytes, error))
            return failed(exportFileError(target, error));
        staged.add(target, std::move(bytes));
    }
    if (!r.pdfFile.empty()) {
        std::optional<std::optional<Puzzle>> answer;
        if (r.withAnswer) answer = packing;
        if (!pictures->renderSheet(p, answer, r.sheetNote, bytes, error)) return failed(exportFileError(r.pdfFile, error));
        staged.add(r.pdfFile, std::move(bytes));
    }

    if (!staged.commit(error)) return failed(error);
    // Only once the new set is in place; the caller names them.
    ExportOutcome out{ExportStatus::Written, {}, staged.targets(), {}, packing.has_value(), {}};
    for (const std::string& file : stale) {
        if (std::remove(file.c_str()) == 0)
            out.stale.push_back(file);
        else
            out.message += file + ": 前のファイルを削除できませんでした（" + std::strerror(errno) + "）\n";
    }
    if (wantsMeshes) out.warnings = looseBlockWarnings(p);
    if (beds > 1) {
        std::string mm = std::to_string(r.bedMm);
        mm.erase(mm.find_last_not_of('0') + 1);
        if (mm.back() == '.') mm.pop_back();
        out.warnings.push_back("3MF の部品は " + mm + " mm 角の造形台に収まらず、" + std::to_string(beds) +
                               " 台分に並べました。");
    }
    return out;
}

}  // namespace tessaro
