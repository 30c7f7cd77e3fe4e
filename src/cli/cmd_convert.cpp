// tessaro-cli convert: a puzzle from one format into another, chosen by the file names' endings.
#include "cli/CliCommand.h"
#include "cli/CountOption.h"
#include "cli/FileReportCapture.h"
#include "cli/PuzzleFileRead.h"
#include "cli/RecordTexts.h"
#include "files/PuzzleFile.h"
#include "files/SaveFile.h"
#include "files/ShiftJis.h"
#include "formats/XmPuzzle.h"
#include "model/Figure.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <iostream>
#include <memory>

namespace tessaro::cli {

namespace {

struct ConvertOptions {
    std::string in, out;
    int problem = 0;
    bool current = false;
    std::optional<std::string> comment;
    std::optional<std::string> password;
};

enum class Format { Bin, Xm };

Format formatOf(const std::string& path, const char* which)
{
    std::string lower = path;
    for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
    if (lower.ends_with(".bin")) return Format::Bin;
    if (formats::isXmPuzzleName(path)) return Format::Xm;
    throw CLI::ValidationError(std::string(which) + " の形式が名前の末尾から分かりません（.bin, .xmpuzzle, .xml）");
}

// One line on stderr and the exit code, for a file that cannot be read or written.
void failed(CliContext& ctx, const std::string& line, int code = kExitUnreadable)
{
    std::cerr << "tessaro-cli: " << line << "\n";
    ctx.exitCode = code;
}

}  // namespace

void registerConvertCommand(CLI::App& app, CliContext& ctx)
{
    auto opts = std::make_shared<ConvertOptions>();
    CLI::App* cmd = app.add_subcommand("convert", "パズルを別の形式に変換する（.bin, .xmpuzzle, .xml）");
    cmd->add_option("IN", opts->in, "読み込むファイル")->required()->type_name("FILE");
    cmd->add_option("OUT", opts->out, "書き出すファイル")->required()->type_name("FILE");
    addCountOption(*cmd, "--problem", opts->problem, "読み込む問題の番号（1 から、問題が複数あるとき）", 1, 1000000);
    cmd->add_flag("--current", opts->current, "ブロックを作成時の向きでなく、いまの向きで書き出す");
    cmd->add_option("--comment", opts->comment, ".bin に保存するコメント（全角 20 文字まで）")->type_name("TEXT");
    cmd->add_option("--password", opts->password, ".bin に保存する解答のパスワード（半角 16 文字まで）")
        ->type_name("TEXT");
    cmd->callback([opts, &ctx] {
        const Format from = formatOf(opts->in, "IN");
        const Format to = formatOf(opts->out, "OUT");
        if (opts->problem != 0 && from != Format::Xm)
            throw CLI::ValidationError("--problem は .xmpuzzle / .xml を読み込むときだけ指定できます");
        checkRecordTexts(opts->comment, opts->password);

        Puzzle p;
        bool made = false;
        if (from == Format::Xm) {
            const formats::XmReadResult read = formats::readXmPuzzleFile(opts->in, opts->problem);
            if (!read.puzzle) {
                if (read.needsProblemChoice)
                    return failed(ctx,
                                  opts->in + ": " + read.error + "（--problem 1〜" +
                                      std::to_string(read.problems.size()) + "）",
                                  kExitUsage);
                return failed(ctx, opts->in + ": " + read.error);
            }
            p = *read.puzzle;
            made = true;
        } else {
            std::string error;
            auto loaded = readPuzzleFile(opts->in, error);
            if (!loaded) return failed(ctx, error);
            p = loaded->puzzle;
        }
        if (opts->comment) p.G_sComment = std::string(trimSpaces(*opts->comment));
        if (opts->password) p.G_sPassword = std::string(trimSpaces(*opts->password));

        if (to == Format::Xm) {
            const std::string bytes = formats::xmPuzzleBytes(p, opts->current, opts->out);
            if (bytes.empty()) return failed(ctx, opts->in + ": ブロックが 1 つもありません。");
            const LabelledStretch whole{0, bytes.size(), 100};
            if (const auto error = saveBytes(
                    opts->out, {reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()}, {&whole, 1}))
                return failed(ctx, opts->out + ": 保存できませんでした（" + error->description + "）");
        } else {
            // As Save As keeps a made puzzle: made cubes kept, the blocks shuffled.
            if (made) {
                ClockRandom rnd;
                subPiece_ShuffleAll(p, rnd);
            }
            p.G_iCell_Filled = fncBox_Count(p.G_iBox);
            const FileReportCapture capture;
            if (!subFile_put(p, opts->out))
                return failed(ctx, opts->out + ": 保存できませんでした（" + capture.text() + "）");
        }
        std::cout << opts->in << " → " << opts->out << "（箱 " << p.G_iCells_X << "×" << p.G_iCells_Y << "×"
                  << p.G_iCells_Z << "、ブロック " << fncPiece_CountUsed(p) << " 個）\n";
        ctx.exitCode = kExitOk;
    });
}

}  // namespace tessaro::cli
