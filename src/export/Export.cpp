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

ExportOutcome refused(std::string message) { return {ExportStatus::Refused, std::move(message), {}, {}, false, {}, {}}; }
ExportOutcome failed(std::string message) { return {ExportStatus::Failed, std::move(message), {}, {}, false, {}, {}}; }
ExportOutcome cancelled() { return {ExportStatus::Cancelled, {}, {}, {}, false, {}, {}}; }

// "150", "0.2": millimetres as a maker writes them.
std::string mmText(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", v);
    std::string s = buf;
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.') s.pop_back();
    return s;
}

// Every name an export gives a block's STL: block5.stl, block5-a.stl, block5-ab.stl.
bool blockStlName(const std::string& name) {
    if (!name.starts_with("block") || !name.ends_with(".stl")) return false;
    const std::string stem = name.substr(5, name.size() - 9);
    const size_t dash = stem.find('-');
    const std::string number = stem.substr(0, dash);
    if (number.empty() || !std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    if (dash == std::string::npos) return true;
    const std::string letters = stem.substr(dash + 1);
    return !letters.empty() && std::all_of(letters.begin(), letters.end(), [](char c) { return c >= 'a' && c <= 'z'; });
}

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
    for (int b = 0; b < kBlocks; ++b) {
        const int parts = blockParts(p, b);
        if (parts <= 1) continue;
        std::string names;
        for (int k = 0; k < parts; ++k) {
            if (k) names += "、";
            names += partFileName(b, k, parts);
        }
        out.push_back("ブロック " + std::to_string(b + 1) + " は面でつながっていないため、" + std::to_string(parts) +
                      " 個の部品（" + names + "）に分けて書き出しました。辺や角だけで接するキューブは別の部品です。");
    }
    return out;
}

std::string overAirLine(const BlockPrint& b) {
    auto area = [](double v) { return std::to_string(static_cast<long>(std::lround(v))) + " mm²"; };
    return "ブロック " + std::to_string(b.block + 1) + "：サポートが要る面 " + area(b.overAir) + "（作ったままの向きでは " +
           area(b.overAirAsMade) + "）";
}

bool answerOpen(const Puzzle& p, const std::optional<std::string>& password) {
    if (p.G_sPassword.empty()) return true;
    return password && trimSpaces(*password) == p.G_sPassword;
}

std::vector<std::string> exportTargets(const Puzzle& p, const ExportRequest& r) {
    std::vector<std::string> out;
    if (!r.stlDir.empty()) {
        for (int b = 0; b < kBlocks; ++b) {
            const int parts = blockParts(p, b);
            for (int k = 0; k < parts; ++k) out.push_back(r.stlDir + "/" + partFileName(b, k, parts) + ".stl");
        }
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
            const bool numbered = ext == ".stl" ? blockStlName(name)
                                  : name.size() > 5 + ext.size() && name.starts_with("block") && name.ends_with(ext) &&
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

ExportOutcome exportPuzzle(const Puzzle& p, const ExportRequest& r, PictureRenderer* pictures,
                           const ExportControl& control) {
    const bool wantsMeshes = !r.stlDir.empty() || !r.threeMfFile.empty();
    const bool wantsPictures = !r.pngDir.empty() || !r.pdfFile.empty();
    if (!wantsMeshes && !wantsPictures) return refused("書き出す形式を一つ以上選んでください。");
    if (const std::string why = meshSizesRefusal(r.sizes); !why.empty()) return refused(why);
    if (!(r.bedMm >= 10 && r.bedMm <= 2000)) return refused("造形台の大きさは 10 mm から 2000 mm の間で指定してください。");
    if (!(r.marginMm >= 0 && r.marginMm <= 100)) return refused("造形台の余白は 0 mm から 100 mm の間で指定してください。");
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
        return {ExportStatus::Stale, text, {}, stale, false, {}, {}};
    }

    // The steps a progress bar counts: the blocks, each file made, the packing, the writing.
    const bool needsPacking = (!r.pngDir.empty() && open) || (!r.pdfFile.empty() && r.withAnswer);
    const int blocks = fncPiece_CountUsed(p);
    const int total = (wantsMeshes ? 1 : 0) + !r.stlDir.empty() + !r.threeMfFile.empty() + (needsPacking ? 1 : 0) +
                      (r.pngDir.empty() ? 0 : blocks + 1) + !r.pdfFile.empty() + 1;
    int done = 0;
    auto step = [&] {
        ++done;
        if (control.progress) control.progress(done, total);
        return !control.cancelled();
    };
    if (control.cancelled()) return cancelled();

    // Everything is made in memory first and written together at the end.
    StagedFiles staged;
    std::string error;
    std::string bytes;

    const double bedSide = r.bedMm - 2 * r.marginMm;
    PrintSet prints;
    if (wantsMeshes) {
        prints = printParts(p, r.sizes, r.asMade, bedSide);
        if (!step()) return cancelled();
    }
    Mesh tray = trayMesh(p, r.sizes);
    std::vector<std::string> warnings;

    std::string threeMfBytes;
    if (!r.threeMfFile.empty()) {
        std::vector<MeshObject> all;
        for (const PrintPart& part : prints.parts) all.push_back({part.name, pieceColor(part.block + 1, 0), part.mesh, {}});
        if (!tray.empty()) all.push_back({"トレイ", 0xF0F0F0, tray, {}});
        const BedFit fit = layOutOnBed(all, r.bedMm, r.marginMm);
        if (!fit.fits()) {
            // The parts too large for the bed are the ones to name; else those left over.
            const bool large = !fit.tooLarge.empty();
            std::string names;
            for (const std::string& name : large ? fit.tooLarge : fit.left) {
                const auto o = std::find_if(all.begin(), all.end(), [&](const MeshObject& m) { return m.name == name; });
                const Bounds b = meshBounds(o->mesh);
                names += (names.empty() ? "" : "、") + name + "（" + mmText(b.max.x - b.min.x) + " × " +
                         mmText(b.max.y - b.min.y) + " mm）";
            }
            return refused("3MF の部品が " + mmText(r.bedMm) + " mm 角の造形台（縁の余白 " + mmText(r.marginMm) +
                           " mm）に収まりません。" + (large ? "造形台より大きい部品：" : "並べきれない部品：") + names +
                           "。全部を並べるには " + mmText(fit.bedNeeded) + " mm 角以上の造形台が要ります。");
        }
        if (!threeMf(all, threeMfBytes, error)) return failed(exportFileError(r.threeMfFile, error));
        if (!step()) return cancelled();
    }
    if (!r.stlDir.empty()) {
        if (!staged.prepareFolder(r.stlDir, error)) return failed(error);
        for (const PrintPart& part : prints.parts)
            staged.add(r.stlDir + "/" + part.file + ".stl", binaryStl(part.mesh, "Tessaro " + part.file));
        if (!tray.empty()) staged.add(r.stlDir + "/tray.stl", binaryStl(tray, "Tessaro tray"));
        // Without a 3MF no layout says so: a part wider than the bed is named here.
        if (r.threeMfFile.empty()) {
            std::vector<std::pair<std::string, Mesh*>> all;
            for (PrintPart& part : prints.parts) all.emplace_back(part.name, &part.mesh);
            if (!tray.empty()) all.emplace_back("トレイ", &tray);
            for (const auto& [name, mesh] : all) {
                const Bounds b = meshBounds(*mesh);
                const double w = b.max.x - b.min.x, d = b.max.y - b.min.y;
                if (std::max(w, d) > bedSide + 1e-9)
                    warnings.push_back(name + "（" + mmText(w) + " × " + mmText(d) + " mm）は " + mmText(r.bedMm) +
                                       " mm 角の造形台（縁の余白 " + mmText(r.marginMm) + " mm）に載りません。");
            }
        }
        if (!step()) return cancelled();
    }
    if (!r.threeMfFile.empty()) staged.add(r.threeMfFile, std::move(threeMfBytes));

    // A packing is the answer: shown only when the password allows it.
    std::optional<Puzzle> packing;
    if (needsPacking) {
        packing = firstPacking(p);
        if (!step()) return cancelled();
    }

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
            if (!step()) return cancelled();
        }
        const Puzzle& box = packing ? *packing : p;
        const std::string target = r.pngDir + "/box.png";
        if (!pictures->renderPng(box.G_iBox, box.G_lBox_Color, mainViewParam(120, 120), r.pngWidth, r.transparentPng,
                                 bytes, error))
            return failed(exportFileError(target, error));
        staged.add(target, std::move(bytes));
        if (!step()) return cancelled();
    }
    if (!r.pdfFile.empty()) {
        std::optional<std::optional<Puzzle>> answer;
        if (r.withAnswer) answer = packing;
        const SheetContent content{r.sheetNote, r.sizes, r.bedMm};
        if (!pictures->renderSheet(p, answer, content, bytes, error)) return failed(exportFileError(r.pdfFile, error));
        staged.add(r.pdfFile, std::move(bytes));
        if (!step()) return cancelled();
    }

    if (!staged.commit(error)) return failed(error);
    step();
    // Only once the new set is in place; the caller names them.
    ExportOutcome out{ExportStatus::Written, {}, staged.targets(), {}, packing.has_value(), {}, prints.blocks};
    for (const std::string& file : stale) {
        if (std::remove(file.c_str()) == 0)
            out.stale.push_back(file);
        else
            out.message += file + ": 前のファイルを削除できませんでした（" + std::strerror(errno) + "）\n";
    }
    if (wantsMeshes) out.warnings = looseBlockWarnings(p);
    out.warnings.insert(out.warnings.end(), warnings.begin(), warnings.end());
    return out;
}

}  // namespace tessaro
