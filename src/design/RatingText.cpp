#include "design/RatingText.h"

#include "analysis/PackingAnalysis.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace tessaro::design {

namespace {

// 12345 -> "12,345": the figures run to millions.
std::string grouped(uint64_t n) {
    std::string digits = std::to_string(n), out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

}  // namespace

std::string ratingMeaning(int rating) {
    static const char* const kMeanings[] = {
        "ほぼ一本道",         "少し試せば詰まる",   "何度か置き直す",     "手ごたえがある",
        "考えどころが多い",   "かなり手こずる",     "見通しが要る",       "とても難しい",
        "非常に難しい",       "最難関",
    };
    return kMeanings[std::clamp(rating, 1, 10) - 1];
}

std::string ratingLine(int rating, double nodesPerPacking) {
    return "難易度 " + std::to_string(rating) + " / 10：" + ratingMeaning(rating) + "（詰め方一つに探索 " +
           grouped(uint64_t(std::llround(nodesPerPacking))) + " 手）";
}

std::optional<Rating> ratingOf(const Difficulty& d, bool countComplete, uint64_t distinctPackings) {
    if (!d.complete || !countComplete || distinctPackings == 0) return std::nullopt;
    Rating r;
    r.nodesPerPacking = nodesPerPacking(d.searchNodes, distinctPackings);
    r.rating = difficultyRating(r.nodesPerPacking);
    return r;
}

std::optional<Rating> rateWithin(const Puzzle& p, double seconds) {
    const analysis::PackingAnalysis analysis(p);
    if (!analysis.problems().empty()) return std::nullopt;
    std::atomic<bool> cancel{false};
    std::mutex mutex;
    std::condition_variable wake;
    bool done = false;
    // Sets the cancel flag when the budget is spent; the searches notice it at once.
    std::thread watch([&] {
        std::unique_lock lock(mutex);
        if (!wake.wait_for(lock, std::chrono::duration<double>(seconds), [&] { return done; })) cancel = true;
    });
    analysis::CountOptions options;
    options.cancel = &cancel;
    const analysis::CountResult count = analysis.count(options);
    std::optional<Rating> out;
    if (count.complete && count.distinctUnlabelled > 0) {
        const int threads = int(std::max(1u, std::thread::hardware_concurrency()));
        out = ratingOf(measureDifficulty(p, false, threads, &cancel), true, count.distinctUnlabelled);
    }
    {
        std::lock_guard lock(mutex);
        done = true;
    }
    wake.notify_one();
    watch.join();
    return out;
}

std::string sheetRatingLine(const Puzzle& p) {
    const std::optional<Rating> r = rateWithin(p, 1.0);
    return r ? ratingLine(r->rating, r->nodesPerPacking) : std::string();
}

}  // namespace tessaro::design
