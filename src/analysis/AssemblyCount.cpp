#include "analysis/AssemblyCount.h"

#include <memory>

namespace tessaro::analysis {

void judgeAssembly(CountOptions& options, BoxSize box) {
    options.judge = [box] {
        auto judge = std::make_shared<AssemblyJudge>(box);
        return [judge](std::span<const uint64_t> first, std::span<const uint64_t> lasts, uint8_t* bits) {
            judge->each(first, lasts, bits);
        };
    };
}

std::optional<AssemblyCounts> assemblyCounts(const CountResult& count) {
    if (!count.complete || !count.judged) return std::nullopt;
    return AssemblyCounts{(*count.judged)[0], (*count.judged)[1]};
}

}  // namespace tessaro::analysis
