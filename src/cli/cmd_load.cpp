// tessaro-cli load: runs the automatic loader headless, exactly as LOAD does in
// the window, and reports the outcome (optionally saving the final state).
#include "cli/CliCommand.h"
#include "cli/CountOption.h"
#include "cli/FileReportCapture.h"
#include "cli/RecordTexts.h"
#include "cli/StatusLine.h"
#include "cli/PuzzleJson.h"
#include "cli/PuzzleSource.h"
#include "cli/StopSignals.h"
#include "files/PuzzleFile.h"
#include "files/SaveFile.h"
#include "files/ShiftJis.h"
#include "model/Figure.h"
#include "solver/AutoLoader.h"

#include <CLI/CLI.hpp>

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>

namespace tessaro::cli {

namespace {

struct LoadOptions {
    PuzzleSourceOptions source;
    bool deadSpace = false;
    std::optional<uint64_t> maxFitTests;
    std::string out;
    std::optional<std::string> comment;
    std::optional<std::string> password;
    bool json = false;
    bool quiet = false;
    bool progress = false;
};

// Never yields to anything. Stops at the yield point before fit test N+1 for
// --max-fit-tests N, and shows a progress line on stderr while a search runs long.
class CliLoaderHost final : public LoaderHost {
public:
    using Clock = std::chrono::steady_clock;

    CliLoaderHost(std::optional<uint64_t> maxFitTests, bool progress, bool forced)
        : max_(maxFitTests), line_(progress, forced), start_(Clock::now()) {}

    bool yieldPoint(const LoaderModel&) override {
        ++yields_;
        tick();
        return StopSignals::stopped() || (max_ && yields_ > *max_);
    }

    // Yield points pass in batches up to the limit or the next look at the clock.
    uint64_t yieldPoints(const LoaderModel&) override {
        tick();
        if (StopSignals::stopped() || (max_ && yields_ >= *max_)) {
            ++yields_;
            return 0;
        }
        uint64_t k = kBatch;
        if (max_) k = std::min(k, *max_ - yields_);
        yields_ += k;
        return k;
    }

    void resultLine(const std::string& line) override { lines.push_back(line); }
    void message(const LoaderModel&, const std::string& title, const std::string& text, LoaderIcon) override {
        endTitle = title;
        endText = text;
    }

    // Ends the progress line, if one was shown.
    void finish() { line_.finish(); }

    std::vector<std::string> lines;
    std::string endTitle, endText;

private:
    // About a hundredth of a second of searching between looks at the clock.
    static constexpr uint64_t kBatch = uint64_t(1) << 22;

    void tick() {
        if (!line_.enabled()) return;
        const double total = std::chrono::duration<double>(Clock::now() - start_).count();
        if (!line_.due(total)) return;
        std::ostringstream line;
        line << "探索中… 適合テスト 約 " << yields_ << " 回、結果行 " << lines.size() << "、"
             << static_cast<long long>(total) << " 秒";
        line_.show(line.str());
    }

    std::optional<uint64_t> max_;
    StatusLine line_;
    Clock::time_point start_;
    uint64_t yields_ = 0;
};

const char* outcomeText(LoaderOutcome o) {
    switch (o) {
    case LoaderOutcome::Solved: return "完成（箱が埋まりました）";
    case LoaderOutcome::Exhausted: return "全ての順番を試し終えました";
    case LoaderOutcome::Stopped: return "停止しました";
    case LoaderOutcome::Nothing: return "セルを持つブロックがありません";
    case LoaderOutcome::Busy: break;
    }
    return "";
}

std::string summary(const Puzzle& p, LoaderOutcome outcome, const LoaderStats& stats, double seconds,
                    const CliLoaderHost& host) {
    std::ostringstream out;
    out << "結果: " << outcomeText(outcome) << "\n";
    if (!host.endText.empty()) out << "メッセージ: " << host.endTitle << " " << host.endText << "\n";
    out << "適合テスト: " << stats.fitTests << " 回\n";
    out << "試行: " << stats.attempts << " 回\n";
    out << "時間: " << seconds << " 秒\n";
    out << "充填: " << fncBox_Count(p.G_iBox) << " : " << p.G_iCell_Total << "\n";
    out << "ローテーション: " << p.GE_lRotate << "、順番";
    for (int16_t b : p.GE_iRotation) out << " " << b + 1;
    out << "\n";
    out << "結果行: " << host.lines.size() << " 行\n";
    const size_t shown = std::min<size_t>(host.lines.size(), 10);
    if (shown < host.lines.size()) out << "  （最後の " << shown << " 行）\n";
    for (size_t i = host.lines.size() - shown; i < host.lines.size(); ++i) out << "  " << host.lines[i] << "\n";
    return out.str();
}

}  // namespace

void registerLoadCommand(CLI::App& app, CliContext& ctx) {
    auto opts = std::make_shared<LoadOptions>();
    CLI::App* cmd = app.add_subcommand("load", "自動移動（LOAD）を実行する");
    addPuzzleSourceOptions(*cmd, opts->source);
    cmd->add_flag("--dead-space", opts->deadSpace, "デッド・スペース（八方塞がり）をチェックする");
    addCountOption(*cmd, "--max-fit-tests", opts->maxFitTests, "N 回の適合テストの後で停止する（STOP）");
    auto* out = cmd->add_option("--out", opts->out, "最後の状態をパズルファイルに保存する")->type_name("FILE");
    cmd->add_option("--comment", opts->comment, "保存するコメント（--out と共に、全角 20 文字まで）")
        ->needs(out)
        ->type_name("TEXT");
    cmd->add_option("--password", opts->password, "保存する解答パスワード（--out と共に、半角 16 文字まで）")
        ->needs(out)
        ->type_name("TEXT");
    cmd->add_flag("--json", opts->json, "結果を JSON で出力する");
    auto* quiet = cmd->add_flag("--quiet", opts->quiet, "進行状況を表示しない");
    cmd->add_flag("--progress", opts->progress, "端末でなくても進行状況を標準エラーに出す")->excludes(quiet);
    cmd->callback([opts, &ctx] {
        checkPuzzleSource(opts->source);
        checkRecordTexts(opts->comment, opts->password);
        auto loaded = readCommandPuzzle(opts->source, ctx);
        if (!loaded) return;
        if (!opts->out.empty()) {
            // Refuse a target that cannot be written before a long search, not after it.
            if (const auto refused = checkSaveTarget(opts->out)) {
                std::cerr << "tessaro-cli: " << opts->out << ": 保存できません（Line " << refused->label << ":"
                          << refused->description << "）\n";
                ctx.exitCode = kExitUnreadable;
                return;
            }
        }

        Puzzle& p = loaded->puzzle;
        CliLoaderHost host(opts->maxFitTests, !opts->quiet, opts->progress);
        AutoLoader loader;
        LoaderOptions options;
        options.checkDeadSpace = opts->deadSpace;
        const auto start = std::chrono::steady_clock::now();
        // Held through the save too, so that a first signal there cannot cut it short.
        const StopSignals stops({SIGINT, SIGTERM});
        const LoaderOutcome outcome = loader.cmdMove_Click(p, host, options);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        host.finish();
        if (StopSignals::stopped() && !opts->quiet)
            std::cerr << "tessaro-cli: " << (StopSignals::signal() == SIGINT ? "Ctrl+C" : "SIGTERM")
                      << " を受けて探索を停止しました\n";

        if (!opts->out.empty()) {
            p.G_iCell_Filled = fncBox_Count(p.G_iBox);
            if (opts->comment) p.G_sComment = std::string(trimSpaces(*opts->comment));
            if (opts->password) p.G_sPassword = std::string(trimSpaces(*opts->password));
            const WriteHold hold;
            const FileReportCapture capture;
            if (!subFile_put(p, opts->out)) {
                std::cerr << "tessaro-cli: " << opts->out << ": 保存できませんでした（" << capture.text() << "）\n";
                ctx.exitCode = kExitUnreadable;
                return;
            }
        }

        if (opts->json) {
            nlohmann::json j = {
                {"outcome", outcomeName(outcome)},
                {"fit_tests", loader.stats().fitTests},
                {"attempts", loader.stats().attempts},
                {"seconds", seconds},
                {"result_lines", host.lines},
                {"puzzle", puzzleToJson(p, loaded->version)},
            };
            std::cout << j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
        } else {
            std::cout << summary(p, outcome, loader.stats(), seconds, host);
        }
        ctx.exitCode = StopSignals::exitCode(kExitOk);
    });
}

}  // namespace tessaro::cli
