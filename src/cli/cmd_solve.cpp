// tessaro-cli solve: counts every packing of a puzzle, the distinct ones and the
// uniqueness verdict, after the checks that tell what rules a packing out.
#include "analysis/PackingAnalysis.h"
#include "analysis/PuzzleRating.h"
#include "cli/AssemblyReport.h"
#include "cli/CliCommand.h"
#include "cli/CountOption.h"
#include "cli/PuzzleSource.h"
#include "cli/RatingReport.h"
#include "cli/SolveEstimate.h"
#include "cli/SolveAll.h"
#include "cli/StatusLine.h"
#include "cli/StopSignals.h"

#include <CLI/CLI.hpp>

#include <nlohmann/json.hpp>

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <bit>
#include <chrono>
#include <iomanip>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>

namespace tessaro::cli {

namespace {

using namespace tessaro::analysis;

struct SolveOptions {
    PuzzleSourceOptions source;
    std::optional<uint64_t> limit;
    bool fromBox = false;
    std::optional<uint64_t> threads;
    bool json = false;
    bool quiet = false;
    bool estimate = false;
    bool noDifficulty = false;
    bool noAssembly = false;
    std::optional<uint64_t> difficultyNodes;
    bool all = false;
    bool progress = false;
};

// The count's progress line.
class ProgressLine {
public:
    ProgressLine(bool enabled, bool forced) : line_(enabled, forced) {}

    void show(const Progress& p) {
        if (!line_.due(p.seconds)) return;
        std::ostringstream line;
        line << "探索中… 詰め方 " << p.solutions << " 通り、約 " << int(p.done * 100) << "%、"
             << static_cast<long long>(p.seconds) << " 秒";
        if (p.remaining >= 0) line << "、残り 約 " << durationText(p.remaining);
        line_.show(line.str());
    }
    void finish() { line_.finish(); }

private:
    StatusLine line_;
};

nlohmann::json cellsJson(uint64_t cells) {
    nlohmann::json out = nlohmann::json::array();
    for (; cells != 0; cells &= cells - 1) {
        const int c = std::countr_zero(cells);
        out.push_back({c & 3, (c >> 2) & 3, c >> 4});
    }
    return out;
}

nlohmann::json toJson(const PackingAnalysis& a, const CountResult& r) {
    nlohmann::json blocks = nlohmann::json::array();
    for (const BlockInfo& b : a.blocks())
        blocks.push_back({{"number", b.number}, {"cells", b.cells}, {"orientations", b.orientations},
                          {"placements", b.placements}});
    nlohmann::json problems = nlohmann::json::array();
    for (const Problem& p : a.problems()) {
        nlohmann::json j = {{"kind", problemKindName(p.kind)}, {"message", p.message}};
        if (p.block != 0) j["block"] = p.block;
        problems.push_back(j);
    }
    nlohmann::json first = nullptr;
    if (r.first) {
        first = nlohmann::json::array();
        for (uint64_t cells : *r.first) first.push_back(cellsJson(cells));
    }
    return {
        {"solutions", r.solutions},
        {"distinct", r.distinct},
        {"distinct_unlabelled", r.distinctUnlabelled},
        {"distinct_mirror", r.distinctMirror ? nlohmann::json(*r.distinctMirror) : nlohmann::json(nullptr)},
        {"unique", r.unique},
        {"complete", r.complete},
        {"symmetry", r.symmetry},
        {"seconds", r.seconds},
        {"blocks", blocks},
        {"problems", problems},
        {"first", first},
    };
}

// The box's layers side by side, back (z = 0) first; a block's number per cell, '.' for an empty one.
std::string drawLayers(const Packing& packing, BoxSize box) {
    const int width = std::max(box.x, 3);
    std::ostringstream out;
    out << " ";
    for (int z = 0; z < box.z; ++z) {
        std::string head = "z=" + std::to_string(z);
        head.resize(size_t(width), ' ');
        out << " " << head;
    }
    out << "\n";
    for (int y = 0; y < box.y; ++y) {
        out << " ";
        for (int z = 0; z < box.z; ++z) {
            std::string row;
            for (int x = 0; x < box.x; ++x) {
                char ch = '.';
                for (int b = 0; b < kBlocks; ++b)
                    if (packing[b] & bitOf(x, y, z)) ch = char('1' + b);
                row += ch;
            }
            row.resize(size_t(width), ' ');
            out << " " << row;
        }
        out << "\n";
    }
    return out.str();
}

std::string summary(const PackingAnalysis& a, const CountResult& r, bool fromBox) {
    const BoxSize box = a.box();
    std::ostringstream out;
    int cells = 0;
    for (const BlockInfo& b : a.blocks()) cells += b.cells;
    out << "箱: " << box.x << "×" << box.y << "×" << box.z << "（" << box.cells() << " セル）、ブロック "
        << a.blocks().size() << " 個（" << cells << " セル）\n";
    if (fromBox) {
        out << "箱の中のブロックを固定:";
        bool any = false;
        for (const BlockInfo& b : a.blocks())
            if (b.kept) out << " " << b.number, any = true;
        out << (any ? "\n" : " なし\n");
    }
    out << "ブロック  セル  向き  置き方\n";
    for (const BlockInfo& b : a.blocks()) {
        char line[64];
        std::snprintf(line, sizeof line, "  %d      %4d  %4d  %6d\n", b.number, b.cells, b.orientations, b.placements);
        out << line;
    }
    if (!a.problems().empty()) {
        out << "問題:\n";
        for (const Problem& p : a.problems()) out << "  " << p.message << "\n";
    }
    const char* bound = r.complete ? "" : "以上";
    out << "詰め方（ブロックを区別）: " << r.solutions << " 通り" << bound << "\n";
    out << "異なる詰め方（箱の回転を除く）: " << r.distinct << " 通り" << bound << "\n";
    out << "異なる詰め方（同じ形のブロックも区別しない）: " << r.distinctUnlabelled << " 通り" << bound << "\n";
    out << "判定: ";
    if (!r.complete)
        out << "途中で止めたため、数は下限です";
    else if (r.solutions == 0)
        out << "詰め方はありません";
    else if (r.unique)
        out << "詰め方はただ一つです";
    else
        out << "詰め方は " << r.distinctUnlabelled << " 通りあります";
    out << "\n";
    out << "箱の回転: " << r.symmetry << " 通り\n";
    std::ostringstream seconds;
    seconds << std::setprecision(3) << r.seconds;  // three figures: 0.0364, 201
    out << "時間: " << seconds.str() << " 秒\n";
    if (r.first) out << "最初の詰め方（層 z ごと、上が y = 0）:\n" << drawLayers(*r.first, box);
    return out.str();
}

}  // namespace

void registerSolveCommand(CLI::App& app, CliContext& ctx) {
    auto opts = std::make_shared<SolveOptions>();
    CLI::App* cmd = app.add_subcommand("solve", "全ての詰め方を数え、唯一解かどうかを判定する");
    addPuzzleSourceOptions(*cmd, opts->source);
    auto* limit = addCountOption(*cmd, "--limit", opts->limit, "N 通り見つけたら止める（数は下限になる）");
    cmd->add_flag("--from-box", opts->fromBox, "箱の中のブロックをそのままにして、残りの詰め方を数える");
    addCountOption(*cmd, "--threads", opts->threads, "スレッド数（0〜256、0 は全てのコア）", kMaxThreads);
    cmd->add_flag("--json", opts->json, "結果を JSON で出力する");
    auto* quiet = cmd->add_flag("--quiet", opts->quiet, "進行状況を表示しない");
    cmd->add_flag("--progress", opts->progress, "端末でなくても進行状況を標準エラーに出す")->excludes(quiet);
    auto* estimate = cmd->add_flag("--estimate", opts->estimate, "数えずに、詰め方の数と探索の大きさを推定する");
    estimate->excludes(limit);
    cmd->add_flag("--no-difficulty", opts->noDifficulty, "難易度を測らない");
    addCountOption(*cmd, "--difficulty-nodes", opts->difficultyNodes,
                   "難易度の探索をこのノード数まで数え切る（超えるときは推定、0 は常に数え切る、既定 " +
                       std::to_string(kExactRatingNodes) + "）");
    cmd->add_flag("--no-assembly", opts->noAssembly, "開いた箱に組み立てられるかを調べない");
    cmd->add_flag("--all", opts->all, "異なる詰め方を全て、1 行に 1 つの JSON で出力する")->excludes(estimate);
    cmd->callback([opts, &ctx] {
        auto loaded = readCommandPuzzle(opts->source, ctx);
        if (!loaded) return;
        const PackingAnalysis analysis(loaded->puzzle, opts->fromBox);
        if (opts->fromBox && std::none_of(analysis.blocks().begin(), analysis.blocks().end(),
                                          [](const BlockInfo& b) { return b.kept; }))
            std::cerr << "tessaro-cli: 箱の中に装填済みのブロックがありません。--from-box は空の箱から数えます\n";
        if (opts->estimate) {
            printSolveEstimate(analysis, opts->json, std::cout);
            return;
        }
        if (opts->all) {
            const StopSignals interrupts({SIGINT, SIGTERM});
            writeAllPackings(analysis, opts->limit, StopSignals::stopped(), std::cout);
            ctx.exitCode = StopSignals::exitCode(kExitOk);
            return;
        }
        ProgressLine progress(!opts->quiet, opts->progress);
        CountOptions options;
        options.limit = opts->limit;
        options.threads = static_cast<int>(opts->threads.value_or(0));
        options.cancel = &StopSignals::stopped();
        options.progress = [&progress](const Progress& p) { progress.show(p); };
        if (!opts->noAssembly) judgeAssembly(options, analysis.box());
        CountResult result;
        std::optional<PuzzleRating> rating;
        std::optional<AssemblyCounts> assembly;
        {
            const StopSignals interrupts({SIGINT, SIGTERM});
            result = analysis.count(options);
            progress.finish();
            assembly = assemblyCounts(result);
            if (!opts->noDifficulty) {
                RatingOptions ro;
                ro.exactNodes = opts->difficultyNodes.value_or(kExactRatingNodes);
                rating = rateCounted(analysis, result, ro);
            }
        }
        if (opts->json) {
            nlohmann::json j = toJson(analysis, result);
            if (!opts->noDifficulty) j["difficulty"] = ratingJson(rating);
            if (!opts->noAssembly) addAssemblyJson(j, assembly);
            std::cout << j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
        } else {
            std::cout << summary(analysis, result, opts->fromBox) << assemblyLine(assembly) << ratingSummaryLine(rating);
        }
        // Stopped by a signal: the partial count is out, and the exit code says it was cut short.
        ctx.exitCode = StopSignals::exitCode(kExitOk);
    });
}

}  // namespace tessaro::cli
