#include "analysis/RatingText.h"

#include <algorithm>
#include <cmath>

namespace tessaro::analysis {

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

std::string ratingLine(const PuzzleRating& r) {
    return "難易度 " + std::to_string(r.rating) + " / 10：" + ratingMeaning(r.rating) + "（詰め方一つに探索 " +
           (r.estimated ? "約 " : "") + grouped(uint64_t(std::llround(r.nodesPerPacking))) + " 手）";
}

}  // namespace tessaro::analysis
