#include "design/PieceRules.h"

#include "design/CellMasks.h"

#include <algorithm>
#include <bit>
#include <set>

namespace tessaro::design {

namespace {

int maxCellsOf(const DesignRequest& r) { return r.maxCells > 0 ? r.maxCells : r.box.cells(); }

// Placements tried while growing the shapes of the next size; past it the
// larger sizes count as plentiful, so nothing is refused on a guess.
constexpr size_t kGrowthBudget = 400'000;

}  // namespace

bool pieceAllowed(const DesignRequest& request, uint64_t cells) {
    const int n = std::popcount(cells);
    if (n < request.minCells || n > maxCellsOf(request)) return false;
    const analysis::BoxSize e = analysis::extent(cells);
    if (request.minCells >= 3 && n == 3 && std::max({e.x, e.y, e.z}) == 3) return false;
    if (request.noFlat && std::min({e.x, e.y, e.z}) < 2) return false;
    return true;
}

ShapeSupply shapeSupply(const DesignRequest& request) {
    ShapeSupply s;
    const int top = std::min(maxCellsOf(request), request.box.cells());
    s.bySize.assign(size_t(top) + 1, 0);
    const uint64_t box = analysis::boxCells(request.box);
    std::set<uint64_t> level{1};  // every shape of the current size fitting the box
    size_t work = 0;
    for (int size = 1; size <= top; ++size) {
        int allowed = 0;
        for (uint64_t shape : level)
            if (pieceAllowed(request, shape)) ++allowed;
        s.bySize[size_t(size)] = std::min(allowed, kBlocks);
        s.known = size;
        if (size == top) break;
        // Enough is known once the sizes so far could give every block its own
        // shape; the rest would only matter for the largest blocks.
        int total = 0;
        for (int k = request.minCells; k <= size; ++k) total += s.bySize[size_t(k)];
        if (total >= request.blocks && size >= request.minCells + 1) break;
        std::set<uint64_t> next;
        for (uint64_t shape : level)
            for (uint64_t m : analysis::placementsOf(shape, request.box, 0)) {
                for (uint64_t add = faceNeighbours(m) & box & ~m; add != 0; add &= add - 1)
                    next.insert(analysis::canonicalShape(m | (add & (~add + 1))));
                if (++work > kGrowthBudget) return s;
            }
        level = std::move(next);
    }
    return s;
}

std::string shapeProblem(const DesignRequest& request) {
    const ShapeSupply s = shapeSupply(request);
    const int body = request.box.cells() - request.empty;
    const auto sizesText = [&] {
        std::string t = std::to_string(request.minCells) + " セル以上の" + (request.noFlat ? "立体的な形" : "形");
        if (request.minCells == 3 && !request.noFlat) t += "（まっすぐな 3 セルを除く）";
        return t;
    };
    int smallest = 0;
    for (int k = request.minCells; k <= s.known && smallest == 0; ++k)
        if (s.bySize[size_t(k)] > 0) smallest = k;
    if (request.allowIdentical) {
        if (smallest > 0 && smallest * request.blocks > body)
            return "ブロック " + std::to_string(request.blocks) + " 個には " + std::to_string(smallest * request.blocks) +
                   " セル以上が要りますが、使えるセルは " + std::to_string(body) + " です。";
        return {};
    }
    int need = 0, left = request.blocks, kinds = 0;
    for (int k = request.minCells; k <= s.known && left > 0; ++k) {
        const int take = std::min(left, s.bySize[size_t(k)]);
        need += take * k;
        left -= take;
        kinds += s.bySize[size_t(k)];
    }
    const bool everySize = s.known == int(s.bySize.size()) - 1;
    // Sizes not counted still need at least one cell more than the last counted.
    if (left > 0 && !everySize) need += left * (s.known + 1), left = 0;
    if (left > 0 && everySize)
        return "この箱に入る" + sizesText() + "は " + std::to_string(kinds) + " 種類しかなく、ブロック " +
               std::to_string(request.blocks) + " 個を別々の形にできません。";
    if (left == 0 && need > body)
        return "ブロック " + std::to_string(request.blocks) + " 個をどれも別の形にするには、" + sizesText() + "では " +
               std::to_string(need) + " セル以上が要りますが、使えるセルは " + std::to_string(body) + " です。";
    return {};
}

std::vector<SizeList> sizeLists(const DesignRequest& request, size_t limit) {
    const ShapeSupply s = shapeSupply(request);
    const int body = request.box.cells() - request.empty;
    const int top = std::min(maxCellsOf(request), body);
    const auto supply = [&](int size) {
        if (request.allowIdentical || size > s.known) return kBlocks;
        return s.bySize[size_t(size)];
    };
    std::vector<SizeList> out;
    SizeList list{};
    // Sizes ascending: position i gets a size no smaller than position i-1's.
    const auto fill = [&](auto&& self, int i, int from, int left, int sameRun) -> void {
        if (out.size() >= limit) return;
        const int n = request.blocks;
        if (i == n) {
            if (left == 0) out.push_back(list);
            return;
        }
        for (int size = from; size <= top && size * (n - i) <= left; ++size) {
            const int run = size == from && i > 0 && list[size_t(i - 1)] == size ? sameRun + 1 : 1;
            if (run > supply(size)) continue;
            if (size + (n - i - 1) * top < left) continue;
            list[size_t(i)] = size;
            self(self, i + 1, size, left - size, run);
        }
    };
    fill(fill, 0, request.minCells, body, 0);
    return out;
}

}  // namespace tessaro::design
