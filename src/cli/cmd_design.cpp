// tessaro-cli design: new puzzles with exactly one packing, cut from a box, or
// the nearest such variants of a given puzzle; written as Save As writes them.
#include "app/AppEnv.h"
#include "cli/CliCommand.h"
#include "cli/StatusLine.h"
#include "cli/StopSignals.h"
#include "design/DesignFiles.h"
#include "design/HardestSearch.h"
#include "design/Designer.h"
#include "design/NearestUnique.h"
#include "files/PuzzleFile.h"
#include "files/ShiftJis.h"

#include <nlohmann/json.hpp>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstring>
#include <iomanip>
#include <iostream>
#include <memory>
#include <regex>
#include <sstream>

namespace tessaro::cli {

namespace {

using namespace tessaro::design;

struct DesignOptions {
    std::string box;
    int blocks = 0;
    int minCells = 0;  // 0: not given (3 cells and no straight tricube; 2 for --from)
    bool noFlat = false;
    int maxCells = 0;
    int empty = 0;
    bool allowIdentical = false;
    int count = 5;
    double seconds = 60;
    int minRating = 1;
    uint64_t seed = 1;
    int threads = 1;
    std::string from;
    bool sample = false;
    int maxMoves = 4;
    std::string out;
    std::optional<std::string> comment;
    std::optional<std::string> password;
    bool json = false;
    bool quiet = false;
    bool hardest = false;
};

analysis::BoxSize parseBox(const std::string& text) {
    static const std::regex form(R"(([1-4])[xX×]([1-4])[xX×]([1-4]))");
    std::smatch m;
    if (!std::regex_match(text, m, form))
        throw CLI::ValidationError("--box", "箱は 3x3x3 のように、各辺 1 から 4 で指定してください");
    return {std::stoi(m[1]), std::stoi(m[2]), std::stoi(m[3])};
}

// The designer's progress line.
class DesignProgressLine {
public:
    explicit DesignProgressLine(bool enabled) : line_(enabled) {}
    void show(const DesignProgress& p, bool nearest) {
        if (!line_.due(p.seconds)) return;
        std::ostringstream line;
        line << "設計中… 試した形 " << p.tried << "、見つけた数 " << p.found;
        if (p.found > 0) line << "、最高難易度 " << p.bestRating;
        if (nearest) line << "、移動 " << p.depth << " セル";
        line << "、" << static_cast<long long>(p.seconds) << " 秒";
        line_.show(line.str());
    }
    void finish() { line_.finish(); }

private:
    StatusLine line_;
};

void setPieceRules(DesignRequest& request, const DesignOptions& o) {
    if (o.minCells > 0) request.minCells = o.minCells;
    request.noFlat = o.noFlat;
}

std::string cellText(int c) {
    return "(" + std::to_string(c & 3) + "," + std::to_string((c >> 2) & 3) + "," + std::to_string(c >> 4) + ")";
}

const char* stopName(DesignStop s) {
    switch (s) {
    case DesignStop::Found: return "found";
    case DesignStop::Time: return "time";
    case DesignStop::Cancelled: return "cancelled";
    case DesignStop::Exhausted: return "exhausted";
    }
    return "";
}

// Why fewer puzzles than asked came out, in plain words.
std::string shortfall(const DesignResult& r, const DesignOptions& o, const NearestResult* near) {
    std::ostringstream out;
    if (near != nullptr && near->noPacking) return "このパズルには詰め方がないため、近い形を探せません。\n";
    if (r.stop == DesignStop::Cancelled)
        out << "中断しました。";
    else if (r.stop == DesignStop::Time)
        out << o.seconds << " 秒で打ち切りました。";
    if (near != nullptr) {
        if (r.stop == DesignStop::Exhausted && r.designs.empty())
            out << o.maxMoves << " セル以内の移動では、詰め方がただ一つになる形はありません"
                << (o.minRating > 1 ? "（難易度 " + std::to_string(o.minRating) + " 以上）" : std::string()) << "。";
        else if (r.stop == DesignStop::Exhausted)
            out << o.maxMoves << " セル以内の移動で見つかるのはこれで全部です。";
        else if (r.designs.empty())
            out << near->movesSearched << " セルまでの移動は全て調べましたが、見つかりませんでした。";
    } else {
        out << "試した形 " << r.tried << " 個のうち、詰め方が二つ以上 " << r.notUnique << " 個";
        if (r.tooEasy > 0) out << "、難易度が足りない " << r.tooEasy << " 個（最高 " << r.bestRejectedRating << "）";
        if (r.duplicates > 0) out << "、見つけた形と同じ " << r.duplicates << " 個";
        if (!r.designs.empty()) out << "、見つけた " << r.designs.size() << " 個";
        out << "。";
        if (r.stop == DesignStop::Exhausted)
            out << "この条件で切り分けられる形 " << r.everyCut << " 通りを全て調べました。";
        if (r.cutsFailed + r.identical > 0)
            out << "切り分けられなかった形 " << r.cutsFailed + r.identical << " 個（同じ形のブロック "
                << r.identical << " 個を含む）。";
    }
    if (near != nullptr && r.tooEasy == 0 && r.bestRejectedRating > 0)
        out << "難易度が足りない形がありました（最高 " << r.bestRejectedRating << "）。";
    return out.str() + "\n";
}

nlohmann::json designJson(const Design& d, const std::string& file, bool nearest) {
    nlohmann::json cells = nlohmann::json::array();
    for (uint64_t m : d.blocks)
        if (m != 0) cells.push_back(std::popcount(m));
    nlohmann::json j = {{"file", file},
                        {"rating", d.rating},
                        {"search_nodes", d.difficulty.searchNodes},
                        {"nodes_per_packing", d.nodesPerPacking},
                        {"solutions", d.solutions},
                        {"cells", cells}};
    if (!nearest) {
        j["seed"] = d.seed;
        j["attempt"] = d.attempt;
    } else {
        nlohmann::json moves = nlohmann::json::array();
        for (const CellMove& m : d.moves)
            moves.push_back({{"cell", {m.cell & 3, (m.cell >> 2) & 3, m.cell >> 4}}, {"from", m.from + 1}, {"to", m.to + 1}});
        j["moves"] = moves;
    }
    return j;
}

// Makes the output folder (one level) when missing; "" or the reason.
std::string prepareOut(const std::string& dir, bool& made) {
    made = false;
    struct stat st {};
    if (stat(dir.c_str(), &st) == 0) return S_ISDIR(st.st_mode) ? "" : "フォルダではありません";
    if (errno != ENOENT) return std::strerror(errno);
    if (mkdir(dir.c_str(), 0777) != 0) return std::strerror(errno);
    made = true;
    return {};
}

void run(const DesignOptions& o, CliContext& ctx, const std::optional<Puzzle>& source) {
    bool madeDir = false;
    if (const std::string why = prepareOut(o.out, madeDir); !why.empty()) {
        std::cerr << "tessaro-cli: " << o.out << ": 出力先にできません（" << why << "）\n";
        ctx.exitCode = kExitUnreadable;
        return;
    }
    std::string why;
    if (const auto refused = refusedTarget(o.out, size_t(o.count), why)) {
        std::cerr << "tessaro-cli: " << *refused << ": 保存できません（" << why << "）\n";
        ctx.exitCode = kExitUnreadable;
        return;
    }

    DesignProgressLine line(!o.quiet);
    DesignControl control;
    control.cancel = &StopSignals::stopped();
    control.progress = [&line, nearest = source.has_value()](const DesignProgress& p) { line.show(p, nearest); };
    const StopSignals stops({SIGINT, SIGTERM});

    DesignResult result;
    NearestResult near;
    HardestResult hardest;
    std::string password = o.password ? std::string(trimSpaces(*o.password)) : std::string();
    if (source) {
        NearestRequest request;
        request.source = *source;
        request.maxMoves = o.maxMoves;
        request.minCells = o.minCells > 0 ? o.minCells : 2;
        request.count = o.count;
        request.seconds = o.seconds;
        request.minRating = o.minRating;
        request.threads = o.threads;
        near = nearestUnique(request, control);
        for (Design& d : near.designs) d.seed = o.seed;
        result = near;
        if (!o.password) password = source->G_sPassword;
    } else {
        DesignRequest request;
        request.box = parseBox(o.box);
        request.blocks = o.blocks;
        setPieceRules(request, o);
        request.maxCells = o.maxCells;
        request.empty = o.empty;
        request.allowIdentical = o.allowIdentical;
        request.count = o.count;
        request.seconds = o.seconds;
        request.minRating = o.minRating;
        request.seed = o.seed;
        request.threads = o.threads;
        if (o.hardest) {
            hardest = hardestPuzzles(request, control);
            result = hardest;
        } else {
            result = designPuzzles(request, control);
        }
    }
    line.finish();
    if (o.hardest && !o.quiet) {
        // How the best rating rose, for judging whether more time would pay.
        std::ostringstream h;
        for (const HardestStep& s : hardest.history)
            h << "  " << std::fixed << std::setprecision(1) << s.seconds << " 秒: 難易度 " << s.rating << "（詰め方一つに探索 "
              << std::setprecision(0) << s.nodesPerPacking << " 手）\n";
        std::cerr << "最高難易度の推移（採用した手 " << hardest.accepted << "）:\n" << h.str();
    }
    if (StopSignals::stopped() && !o.quiet)
        std::cerr << "tessaro-cli: " << (StopSignals::signal() == SIGINT ? "Ctrl+C" : "SIGTERM")
                  << " を受けて設計を停止しました（見つけた分は保存します）\n";

    std::optional<std::string> comment;
    if (o.comment && !trimSpaces(*o.comment).empty()) comment = std::string(trimSpaces(*o.comment));
    std::string reported;
    setMessageHandler([&reported](const std::string&, const std::string& text) {
        if (reported.empty()) reported = text;
    });
    const std::vector<WrittenFile> files = writeDesigns(result.designs, o.out, comment, password);
    setMessageHandler(nullptr);
    for (const WrittenFile& f : files)
        if (!f.ok) {
            std::cerr << "tessaro-cli: " << f.path << ": 保存できませんでした（"
                      << (f.error.empty() ? reported : f.error) << "）\n";
            ctx.exitCode = kExitUnreadable;
        }
    if (files.empty() && madeDir) rmdir(o.out.c_str());

    if (o.json) {
        nlohmann::json puzzles = nlohmann::json::array();
        for (size_t i = 0; i < files.size() && files[i].ok; ++i) puzzles.push_back(designJson(result.designs[i], files[i].path, source.has_value()));
        nlohmann::json j = {{"found", result.designs.size()},
                            {"tried", result.tried},
                            {"seconds", result.seconds},
                            {"stopped", stopName(result.stop)},
                            {"puzzles", puzzles}};
        if (source) {
            j["start"] = near.noPacking ? "none" : near.fromMade ? "made" : "first_packing";
            j["moves_searched"] = near.movesSearched;
        }
        if (o.hardest) {
            nlohmann::json history = nlohmann::json::array();
            for (const HardestStep& s : hardest.history)
                history.push_back({{"seconds", s.seconds}, {"rating", s.rating}, {"nodes_per_packing", s.nodesPerPacking}});
            j["history"] = history;
            j["accepted"] = hardest.accepted;
        }
        std::cout << j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
    } else {
        std::ostringstream out;
        if (source && !near.noPacking)
            out << "出発点: " << (near.fromMade ? "作成時の置き場所" : "最初に見つかった詰め方") << "\n";
        out << "見つけた数: " << result.designs.size() << "（試した形 " << result.tried << "、" << std::setprecision(3)
            << result.seconds << " 秒）\n";
        for (size_t i = 0; i < files.size() && files[i].ok; ++i) {
            const Design& d = result.designs[i];
            out << files[i].path << "  難易度 " << d.rating << "（探索ノード " << d.difficulty.searchNodes << "）\n";
            for (const CellMove& m : d.moves)
                out << "    セル " << cellText(m.cell) << ": ブロック " << m.from + 1 << " → ブロック " << m.to + 1 << "\n";
            if (source && d.moves.empty()) out << "    （そのままで詰め方はただ一つです）\n";
        }
        if (result.designs.size() < size_t(o.count)) out << shortfall(result, o, source ? &near : nullptr);
        std::cout << out.str();
    }
    if (ctx.exitCode != kExitUnreadable) ctx.exitCode = kExitOk;
}

}  // namespace

void registerDesignCommand(CLI::App& app, CliContext& ctx) {
    auto o = std::make_shared<DesignOptions>();
    CLI::App* cmd = app.add_subcommand("design", "詰め方がただ一つのパズルを作る");
    auto* box = cmd->add_option("--box", o->box, "箱の大きさ（例 3x3x3）");
    auto* blocks = cmd->add_option("--blocks", o->blocks, "ブロックの数")->check(CLI::Range(1, kBlocks));
    cmd->add_option("--min-cells", o->minCells, "ブロックのセル数の下限（既定 3。3 以上ではまっすぐな 3 セルも除く。--from では既定 2）")
        ->check(CLI::Range(1, kCells));
    auto* hardestFlag = cmd->add_flag("--hardest", o->hardest, "時間いっぱい、より難しい形へ切り方を変えて探す（難しい順に保存）");
    auto* noFlat = cmd->add_flag("--no-flat", o->noFlat, "どのブロックも三方向に広がる形にする");
    auto* maxCells = cmd->add_option("--max-cells", o->maxCells, "ブロックのセル数の上限（既定 箱のセル数）")->check(CLI::Range(1, kCells));
    auto* empty = cmd->add_option("--empty", o->empty, "空けておくセルの数")->check(CLI::Range(0, kCells - 1));
    auto* identical = cmd->add_flag("--allow-identical", o->allowIdentical, "同じ形のブロックを許す");
    auto* from = cmd->add_option("--from", o->from, "このパズルに近い、詰め方がただ一つの形を探す");
    auto* sample = cmd->add_flag("--sample", o->sample, "組み込みのサンプルに近い形を探す（--from の代わり）");
    auto* moves = cmd->add_option("--max-moves", o->maxMoves, "動かすセルの数の上限（--from、既定 4）")->check(CLI::Range(0, kCells));
    cmd->add_option("--count", o->count, "求める数（既定 5）")->check(CLI::Range(1, 99));
    cmd->add_option("--seconds", o->seconds, "探す時間の上限（秒、既定 60）")->check(CLI::PositiveNumber);
    cmd->add_option("--min-rating", o->minRating, "難易度の下限（1〜10）")->check(CLI::Range(1, 10));
    cmd->add_option("--seed", o->seed, "乱数の種（既定 1）");
    cmd->add_option("--threads", o->threads, "スレッド数（0 は全てのコア、既定 1）")->check(CLI::Range(0, 64));
    cmd->add_option("--out", o->out, "保存先のフォルダ")->required();
    cmd->add_option("--comment", o->comment, "保存するコメント（既定: 箱、ブロック数、難易度）");
    cmd->add_option("--password", o->password, "保存する解答パスワード");
    cmd->add_flag("--json", o->json, "結果を JSON で出力する");
    cmd->add_flag("--quiet", o->quiet, "進行状況を表示しない");
    box->needs(blocks);
    blocks->needs(box);
    for (CLI::Option* opt : {box, blocks, maxCells, empty, identical, noFlat, hardestFlag}) {
        opt->excludes(from);
        opt->excludes(sample);
    }
    from->excludes(sample);
    moves->excludes(box);
    cmd->callback([o, &ctx] {
        if (o->box.empty() && o->from.empty() && !o->sample)
            throw CLI::ValidationError("--box と --blocks、または --from のどちらかを指定してください");
        if (o->password) {
            if (const auto refused = checkPassword(*o->password))
                throw CLI::ValidationError("--password", refused->description);
            if (trimSpaces(*o->password).size() > kPasswordChars)
                throw CLI::ValidationError("--password", "パスワードは 16 文字以内にしてください。");
        }
        std::optional<Puzzle> source;
        if (!o->box.empty()) {
            DesignRequest request;
            request.box = parseBox(o->box);
            request.blocks = o->blocks;
            setPieceRules(request, *o);
            request.maxCells = o->maxCells;
            request.empty = o->empty;
            request.minRating = o->minRating;
            if (const std::string why = requestProblem(request); !why.empty()) throw CLI::ValidationError(why);
        } else {
            PuzzleSourceOptions src{o->from, o->sample};
            auto loaded = readCommandPuzzle(src, ctx);
            if (!loaded) return;
            source = loaded->puzzle;
        }
        run(*o, ctx, source);
    });
}

}  // namespace tessaro::cli
