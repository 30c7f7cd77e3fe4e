#include "cli/DifficultyReport.h"

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <iostream>
#include <thread>
#include <sstream>

namespace tessaro::cli {

namespace {

bool rated(const design::Difficulty& d, const analysis::CountResult& r) {
    return d.complete && r.complete && r.distinctUnlabelled > 0;
}

}  // namespace

SolveDifficulty solveDifficulty(const Puzzle& p, bool fromBox, const analysis::PackingAnalysis& a, int threads,
                                const std::atomic<bool>* cancel, bool progress, uint64_t nodeLimit) {
    if (!a.problems().empty() || (cancel != nullptr && cancel->load())) return {};
    // The search hears one flag: the caller's stop, or the limit passed.
    std::atomic<bool> stop{false};
    bool passed = false;
    const bool terminal = isatty(STDERR_FILENO) != 0;
    const auto start = std::chrono::steady_clock::now();
    double last = 0;
    bool shown = false;
    const auto show = [&](uint64_t nodes) {
        if (nodeLimit != 0 && nodes >= nodeLimit) passed = true;
        if (passed || (cancel != nullptr && cancel->load())) stop = true;
        const double t = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!progress || t < 1.0 || t - last < (terminal ? 1.0 : 10.0)) return;
        last = t;
        shown = true;
        std::cerr << (terminal ? "\r" : "") << "難易度を測定中… 探索ノード " << nodes << "、" << static_cast<long long>(t)
                  << " 秒（--no-difficulty で省けます）" << (terminal ? "\x1b[K" : "\n") << std::flush;
    };
    const design::Difficulty d =
        design::measureDifficulty(p, fromBox, threads > 0 ? threads : int(std::thread::hardware_concurrency()), &stop, show);
    if (shown && terminal) std::cerr << "\n";
    SolveDifficulty out;
    if (d.complete && (nodeLimit == 0 || d.searchNodes <= nodeLimit))
        out.measured = d;
    else if (passed || (nodeLimit != 0 && d.searchNodes > nodeLimit))
        out.overLimit = nodeLimit;
    return out;
}

nlohmann::json difficultyJson(const SolveDifficulty& sd, const analysis::CountResult& r) {
    if (sd.overLimit != 0)
        return {{"search_nodes", nullptr}, {"nodes_per_packing", nullptr}, {"rating", nullptr}, {"node_limit", sd.overLimit}};
    const std::optional<design::Difficulty>& d = sd.measured;
    if (!d) return nullptr;
    nlohmann::json j = {{"search_nodes", d->searchNodes}, {"nodes_per_packing", nullptr}, {"rating", nullptr}};
    if (rated(*d, r)) {
        const double per = design::nodesPerPacking(d->searchNodes, r.distinctUnlabelled);
        j["nodes_per_packing"] = per;
        j["rating"] = design::difficultyRating(per);
    }
    return j;
}

std::string difficultyLine(const SolveDifficulty& sd, const analysis::CountResult& r) {
    std::ostringstream out;
    if (sd.overLimit != 0) {
        out << "難易度: 評価なし（探索が上限の " << sd.overLimit
            << " ノードを超えました。--difficulty-nodes 0 で最後まで測ります）\n";
        return out.str();
    }
    const std::optional<design::Difficulty>& d = sd.measured;
    if (!d) return {};
    out << "難易度: ";
    if (rated(*d, r)) {
        const double per = design::nodesPerPacking(d->searchNodes, r.distinctUnlabelled);
        out << design::difficultyRating(per) << " / 10（探索ノード " << d->searchNodes << "、異なる詰め方あたり "
            << std::llround(per) << "）\n";
    } else {
        out << "評価なし（探索ノード " << d->searchNodes << "）\n";
    }
    return out.str();
}

}  // namespace tessaro::cli
