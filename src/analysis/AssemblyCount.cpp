#include "analysis/AssemblyCount.h"

#include <memory>

namespace tessaro::analysis {

void judgeAssembly(CountOptions& options, BoxSize box) {
    options.judge = [box] {
        auto judge = std::make_shared<AssemblyJudge>(box);
        return [judge](std::span<const uint64_t> blocks) {
            const AssemblyVerdict v = (*judge)(blocks);
            return (v.assemblable ? 1u : 0u) | (v.dropOnly ? 2u : 0u);
        };
    };
}

std::optional<AssemblyCounts> assemblyCounts(const CountResult& count) {
    if (!count.complete || !count.judged) return std::nullopt;
    return AssemblyCounts{(*count.judged)[0], (*count.judged)[1]};
}

}  // namespace tessaro::analysis
