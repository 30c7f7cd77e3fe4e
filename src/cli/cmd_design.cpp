// tessaro-cli design: new puzzles with exactly one packing, cut from a box, or
// the nearest such variants of a given puzzle; written as Save As writes them.
#include "app/AppEnv.h"
#include "cli/CliCommand.h"
#include "cli/CountOption.h"
#include "cli/FileReportCapture.h"
#include "cli/RecordTexts.h"
#include "cli/StatusLine.h"
#include "cli/StopSignals.h"
#include "design/DesignFiles.h"
#include "design/HardestSearch.h"
#include "design/Designer.h"
#include "design/NearestUnique.h"
#include "design/StockSearch.h"
#include "files/FileError.h"
#include "files/PuzzleFile.h"
#include "files/ShiftJis.h"

#include <CLI/CLI.hpp>

#include <nlohmann/json.hpp>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <iomanip>
#include <iostream>
#include <memory>
#include <mutex>
#include <regex>
#include <sstream>

namespace tessaro::cli {

namespace {

using namespace tessaro::design;

struct DesignOptions {
    std::string box;
    int blocks = 0;
    int minCells = 0;  // 0: not given (3 and no straight tricube; 2 for --from)
    bool noFlat = false;
    int maxCells = 0;
    int empty = 0;
    bool allowIdentical = false;
    int count = 5;
    double seconds = 60;
    int minRating = 1;
    uint64_t seed = 1;
    uint64_t threads = 1;
    std::string from;
    bool sample = false;
    bool pieces = false;  // the source's blocks are a stock of pieces
    std::string piecesFile;
    int maxMoves = 4;
    std::string out;
    std::optional<std::string> comment;
    std::optional<std::string> password;
    bool json = false;
    bool quiet = false;
    bool hardest = false;
    bool progress = false;
    bool assemblable = false;
    int minLevel = 0;
};

// The longest search asked for: a week.
constexpr double kMaxSeconds = 7 * 24 * 3600;

analysis::BoxSize parseBox(const std::string& text) {
    // As the file holds a box: 2 to 4 cells a side.
    static const std::regex form(R"(([2-4])[xX×]([2-4])[xX×]([2-4]))");
    std::smatch m;
    if (!std::regex_match(text, m, form))
        throw CLI::ValidationError("--box", "箱は 3x3x3 のように、各辺 2 から 4 で指定してください");
    return {std::stoi(m[1]), std::stoi(m[2]), std::stoi(m[3])};
}

// The designer's progress line.
class DesignProgressLine {
public:
    DesignProgressLine(bool enabled, bool forced) : line_(enabled, forced) {}
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

// Cells counted from 1, as the window's panels count them.
std::string cellText(int c) {
    return "(" + std::to_string((c & 3) + 1) + "," + std::to_string(((c >> 2) & 3) + 1) + "," +
           std::to_string((c >> 4) + 1) + ")";
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

// Why fewer puzzles than asked came out of a stock, in plain words.
std::string stockShortfall(const StockResult& r, const DesignOptions& o) {
    std::ostringstream out;
    if (r.choices == 0)
        return (o.box.empty() ? std::string("2 個以上のブロックのセル数の和が、どの箱（各辺 2〜4）のセル数とも合いません。")
                              : "2 個以上のブロックで、" + o.box + " の箱に入ってセル数の和が合う組はありません。") +
               "\n";
    if (r.stop == DesignStop::Cancelled)
        out << "中断しました。";
    else if (r.stop == DesignStop::Time)
        out << o.seconds << " 秒で打ち切りました。";
    out << "箱とセル数の合うブロックの組 " << r.choices << " 通りのうち、調べた " << r.tried << " 通りは、詰められない "
        << r.noPacking << "、詰め方が二つ以上 " << r.notUnique;
    if (r.tooEasy > 0) out << "、難易度が足りない " << r.tooEasy << "（最高 " << r.bestRejectedRating << "）";
    out << "、見つけた " << r.designs.size() << " 通りです。";
    if (r.stop == DesignStop::Exhausted && r.designs.empty()) out << "詰め方がただ一つになる組はありません。";
    return out.str() + "\n";
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
        if (r.notAssemblable > 0)
            out << "、開いた箱に" << (o.minLevel > 0 ? "求める手数で" : "") << "組み立てられない " << r.notAssemblable
                << " 個";
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

std::string boxText(analysis::BoxSize b) {
    return std::to_string(b.x) + "x" + std::to_string(b.y) + "x" + std::to_string(b.z);
}

// The stock's pieces a design uses, numbered as the file's blocks.
std::string piecesText(const Design& d) {
    std::string out;
    for (int i : d.pieces) out += (out.empty() ? "" : "・") + std::to_string(i + 1);
    return out;
}

nlohmann::json designJson(const Design& d, const std::string& file, bool nearest) {
    nlohmann::json cells = nlohmann::json::array();
    for (uint64_t m : d.blocks)
        if (m != 0) cells.push_back(std::popcount(m));
    nlohmann::json j = {{"file", file},
                        {"rating", d.difficulty.rating},
                        {"search_nodes", std::llround(d.difficulty.searchNodes)},
                        {"nodes_per_packing", d.difficulty.nodesPerPacking},
                        {"estimated", d.difficulty.estimated},
                        {"solutions", d.solutions},
                        {"cells", cells},
                        {"assembly_level", d.assemblyLevel >= 0 ? nlohmann::json(d.assemblyLevel) : nlohmann::json(nullptr)}};
    if (!d.pieces.empty()) {
        nlohmann::json used = nlohmann::json::array();
        for (int i : d.pieces) used.push_back(i + 1);
        j["box"] = boxText(d.box);
        j["pieces"] = used;
    } else if (!nearest) {
        j["seed"] = d.seed;
        j["attempt"] = d.attempt;
    } else {
        nlohmann::json moves = nlohmann::json::array();
        for (const CellMove& m : d.moves)
            moves.push_back({{"cell", {(m.cell & 3) + 1, ((m.cell >> 2) & 3) + 1, (m.cell >> 4) + 1}},
                             {"from", m.from + 1},
                             {"to", m.to + 1}});
        j["moves"] = moves;
    }
    return j;
}

// Makes the output folder (one level) when missing; "" or the reason.
std::string prepareOut(const std::string& dir, bool& made) {
    made = false;
    struct stat st {};
    if (stat(dir.c_str(), &st) == 0) return S_ISDIR(st.st_mode) ? "" : "フォルダではありません。";
    if (errno != ENOENT) return ioError(0, errno, false).description;
    if (mkdir(dir.c_str(), 0777) != 0) return ioError(0, errno, true).description;
    made = true;
    return {};
}

// A design the writer could not keep, and why.
struct Unwritten {
    Design design;
    std::string path, why;
};

void run(const DesignOptions& o, CliContext& ctx, const std::optional<Puzzle>& source) {
    bool madeDir = false;
    if (const std::string why = prepareOut(o.out, madeDir); !why.empty()) {
        std::cerr << "tessaro-cli: " << o.out << ": 出力先にできません（" << why << "）\n";
        ctx.exitCode = kExitUnreadable;
        return;
    }
    if (const auto why = folderRefusal(o.out)) {
        std::cerr << "tessaro-cli: " << o.out << ": 保存できません（" << *why << "）\n";
        if (madeDir) rmdir(o.out.c_str());
        ctx.exitCode = kExitUnreadable;
        return;
    }

    std::optional<std::string> comment;
    if (o.comment && !trimSpaces(*o.comment).empty()) comment = std::string(trimSpaces(*o.comment));
    std::string password = o.password ? std::string(trimSpaces(*o.password)) : std::string();
    // A variant keeps its puzzle's password; puzzles of a stock are new ones.
    const bool nearest = source && !o.pieces;
    if (nearest && !o.password) password = source->G_sPassword;

    // Each design is written as soon as it is found, so a stop, a kill or a
    // full disk later loses nothing already found.
    DesignWriter writer(o.out, comment, password);
    std::mutex writing;
    std::vector<std::pair<Design, std::string>> written;
    std::vector<Unwritten> unwritten;
    DesignProgressLine line(!o.quiet, o.progress);
    DesignControl control;
    control.cancel = &StopSignals::stopped();
    control.progress = [&line, nearest](const DesignProgress& p) { line.show(p, nearest); };
    control.found = [&](const Design& found) {
        Design d = found;
        if (source) d.seed = o.seed;
        const std::lock_guard lock(writing);
        const WriteHold hold;
        const FileReportCapture capture;
        const WrittenFile f = writer.write(d);
        if (f.ok)
            written.emplace_back(d, f.path);
        else
            unwritten.push_back({d, f.path, capture.text()});
    };
    const StopSignals stops({SIGINT, SIGTERM});

    DesignResult result;
    NearestResult near;
    HardestResult hardest;
    StockResult stock;
    // What every kind of search takes alike from the options.
    const auto common = [&o](auto& request) {
        request.count = o.count;
        request.seconds = o.seconds;
        request.minRating = o.minRating;
        request.threads = int(o.threads);
    };
    if (o.pieces) {
        StockRequest request;
        request.pieces = stockOf(*source);
        if (!o.box.empty()) request.box = parseBox(o.box);
        common(request);
        stock = stockPuzzles(request, control);
        result = stock;
    } else if (source) {
        NearestRequest request;
        request.source = *source;
        request.maxMoves = o.maxMoves;
        request.minCells = o.minCells > 0 ? o.minCells : 2;
        common(request);
        near = nearestUnique(request, control);
        result = near;
    } else {
        DesignRequest request;
        request.box = parseBox(o.box);
        request.blocks = o.blocks;
        setPieceRules(request, o);
        request.maxCells = o.maxCells;
        request.empty = o.empty;
        request.allowIdentical = o.allowIdentical;
        common(request);
        request.seed = o.seed;
        request.assemblable = o.assemblable;
        request.minLevel = o.minLevel;
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
                  << " を受けて設計を停止しました（見つけた分は保存してあります）\n";
    for (const Unwritten& u : unwritten) {
        std::cerr << "tessaro-cli: " << u.path << ": 保存できませんでした（" << u.why << "）。この形（難易度 "
                  << u.design.difficulty.rating;
        if (!source && !o.hardest)
            std::cerr << "、--seed " << u.design.seed << " の " << u.design.attempt + 1 << " 番目の試行";
        std::cerr << "）は保存されていません\n";
    }
    if (written.empty() && madeDir) rmdir(o.out.c_str());
    const size_t found = written.size() + unwritten.size();

    if (o.json) {
        nlohmann::json puzzles = nlohmann::json::array();
        for (const auto& [d, path] : written) puzzles.push_back(designJson(d, path, nearest));
        nlohmann::json lost = nlohmann::json::array();
        for (const Unwritten& u : unwritten) {
            nlohmann::json j = designJson(u.design, u.path, nearest);
            j["error"] = u.why;
            lost.push_back(j);
        }
        nlohmann::json j = {{"found", found},
                            {"tried", result.tried},
                            {"seconds", result.seconds},
                            {"stopped", stopName(result.stop)},
                            {"puzzles", puzzles},
                            {"unwritten", lost}};
        if (o.pieces) j["choices"] = stock.choices;
        if (nearest) {
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
        if (nearest && !near.noPacking)
            out << "出発点: " << (near.fromMade ? "作成時の置き場所" : "最初に見つかった詰め方") << "\n";
        out << "見つけた数: " << found << "（試した形 " << result.tried << "、" << std::setprecision(3)
            << result.seconds << " 秒）\n";
        if (!unwritten.empty()) out << "保存できなかった数: " << unwritten.size() << "\n";
        for (const auto& [d, path] : written) {
            out << path << "  難易度 " << d.difficulty.rating << "（探索ノード " << (d.difficulty.estimated ? "約 " : "")
                << std::llround(d.difficulty.searchNodes) << "）";
            if (!d.pieces.empty()) out << "  箱 " << boxText(d.box) << "、ブロック " << piecesText(d);
            out << "\n";
            for (const CellMove& m : d.moves)
                out << "    セル " << cellText(m.cell) << ": ブロック " << m.from + 1 << " → ブロック " << m.to + 1 << "\n";
            if (nearest && d.moves.empty()) out << "    （そのままで詰め方はただ一つです）\n";
        }
        if (found < size_t(o.count))
            out << (o.pieces ? stockShortfall(stock, o) : shortfall(result, o, nearest ? &near : nullptr));
        std::cout << out.str();
    }
    ctx.exitCode = unwritten.empty() ? StopSignals::exitCode(kExitOk) : kExitUnreadable;
}

}  // namespace

void registerDesignCommand(CLI::App& app, CliContext& ctx) {
    auto o = std::make_shared<DesignOptions>();
    CLI::App* cmd = app.add_subcommand("design", "詰め方がただ一つのパズルを作る");
    auto* box = cmd->add_option("--box", o->box, "箱の大きさ（例 3x3x3、各辺 2〜4）")->type_name("XxYxZ");
    auto* blocks = addCountOption(*cmd, "--blocks", o->blocks, "ブロックの数（1〜8）", 1, kBlocks);
    auto* minCellsOpt = addCountOption(*cmd, "--min-cells", o->minCells,
                   "ブロックのセル数の下限（既定 3。3 以上ではまっすぐな 3 セルも除く。--from では既定 2）", 1, kCells);
    auto* hardestFlag = cmd->add_flag("--hardest", o->hardest, "時間いっぱい、より難しい形へ切り方を変えて探す（難しい順に保存）");
    auto* noFlat = cmd->add_flag("--no-flat", o->noFlat, "どのブロックも三方向に広がる形にする");
    auto* maxCells =
        addCountOption(*cmd, "--max-cells", o->maxCells, "ブロックのセル数の上限（既定 箱のセル数）", 1, kCells);
    auto* empty = addCountOption(*cmd, "--empty", o->empty, "空けておくセルの数", 0, kCells - 1);
    auto* identical = cmd->add_flag("--allow-identical", o->allowIdentical, "同じ形のブロックを許す");
    auto* from = cmd->add_option("--from", o->from, "このパズルに近い、詰め方がただ一つの形を探す")->type_name("FILE");
    auto* sample = cmd->add_flag("--sample", o->sample, "組み込みのサンプルを使う（--from や --pieces のファイルの代わり）");
    auto* pieces = cmd->add_option("--pieces", o->piecesFile,
                                   "このパズルのブロックから選んで、詰め方がただ一つになる箱と組を探す（--sample ならサンプルのブロック）")
                       ->type_name("FILE")
                       ->expected(0, 1);
    auto* moves = addCountOption(*cmd, "--max-moves", o->maxMoves, "動かすセルの数の上限（--from、既定 4）", 0, kCells);
    addCountOption(*cmd, "--count", o->count, "求める数（1〜99、既定 5）", 1, 99);
    addDecimalOption(*cmd, "--seconds", o->seconds, "探す時間の上限（秒、既定 60）", 0, kMaxSeconds, "SECONDS", true);
    addCountOption(*cmd, "--min-rating", o->minRating, "難易度の下限（1〜10）", 1, 10);
    addCountOption(*cmd, "--seed", o->seed, "乱数の種（既定 1）", 0, UINT64_MAX);
    addCountOption(*cmd, "--threads", o->threads, "スレッド数（0〜256、0 は全てのコア、既定 1）", 0, kMaxThreads);
    cmd->add_option("--out", o->out, "保存先のフォルダ")->required()->type_name("DIR");
    cmd->add_option("--comment", o->comment, "保存するコメント（全角 20 文字まで、既定: 箱、ブロック数、難易度）")
        ->type_name("TEXT");
    cmd->add_option("--password", o->password, "保存する解答パスワード（半角 16 文字まで）")->type_name("TEXT");
    cmd->add_flag("--json", o->json, "結果を JSON で出力する");
    auto* quiet = cmd->add_flag("--quiet", o->quiet, "進行状況を表示しない");
    cmd->add_flag("--progress", o->progress, "端末でなくても進行状況を標準エラーに出す")->excludes(quiet);
    auto* assemblable = cmd->add_flag("--assemblable", o->assemblable, "開いた箱に上から組み立てられるものだけを残す");
    auto* minLevel = addCountOption(*cmd, "--min-level", o->minLevel,
                                    "組み立てで、まっすぐ落とす以外に要る手数の下限（0〜64、--assemblable を含む）", 0, 64);
    blocks->needs(box);
    for (CLI::Option* opt : {blocks, maxCells, empty, identical, noFlat, hardestFlag, assemblable, minLevel}) {
        opt->excludes(from);
        opt->excludes(sample);
        opt->excludes(pieces);
    }
    box->excludes(from);
    from->excludes(sample);
    from->excludes(pieces);
    moves->excludes(box);
    moves->excludes(pieces);
    minCellsOpt->excludes(pieces);
    cmd->callback([o, &ctx, pieces] {
        o->pieces = pieces->count() > 0;
        if (o->box.empty() && o->from.empty() && !o->sample && !o->pieces)
            throw CLI::ValidationError("--box と --blocks、--from、--pieces のどれかを指定してください");
        if (!o->box.empty() && o->blocks == 0 && !o->pieces) throw CLI::ValidationError("--box には --blocks も指定してください");
        if (!o->box.empty() && o->sample && !o->pieces) throw CLI::ValidationError("--box と --sample は同時に指定できません");
        if (o->pieces && o->piecesFile.empty() && !o->sample)
            throw CLI::ValidationError("--pieces にはパズルのファイルを指定してください（組み込みのサンプルなら --sample）");
        if (o->pieces && !o->piecesFile.empty() && o->sample)
            throw CLI::ValidationError("--pieces のファイルと --sample は同時に指定できません");
        checkRecordTexts(o->comment, o->password);
        std::optional<Puzzle> source;
        if (o->pieces) {
            if (!o->box.empty()) parseBox(o->box);
            auto loaded = readCommandPuzzle(PuzzleSourceOptions{o->piecesFile, o->sample}, ctx);
            if (!loaded) return;
            int blocks = 0;
            for (uint64_t m : stockOf(loaded->puzzle)) blocks += m != 0 ? 1 : 0;
            if (blocks < 2) {
                std::cerr << "tessaro-cli: " << (o->sample ? std::string("サンプル") : o->piecesFile)
                          << ": ブロックが " << blocks << " 個しかなく、組を作れません（2 個以上要ります）\n";
                ctx.exitCode = kExitUnreadable;
                return;
            }
            source = loaded->puzzle;
        } else if (!o->box.empty()) {
            DesignRequest request;
            request.box = parseBox(o->box);
            request.blocks = o->blocks;
            setPieceRules(request, *o);
            request.maxCells = o->maxCells;
            request.empty = o->empty;
            request.allowIdentical = o->allowIdentical;
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
