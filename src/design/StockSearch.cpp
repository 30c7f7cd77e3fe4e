#include "design/StockSearch.h"

#include "analysis/PackingAnalysis.h"
#include "design/CandidateJudge.h"
#include "design/CellMasks.h"
#include "design/Designer.h"
#include "design/WorkerPool.h"

#include <algorithm>
#include <bit>
#include <map>
#include <mutex>
#include <set>

namespace tessaro::design {

namespace {

using analysis::BoxSize;

struct Choice {
    int box = 0;  // index into the boxes judged
    uint32_t pieces = 0;  // bit per stock piece
};

// Sides sorted, so that a piece fits a box exactly when each side of its extent fits the box's.
std::array<int, 3> sides(BoxSize b) {
    std::array<int, 3> s{b.x, b.y, b.z};
    std::sort(s.begin(), s.end());
    return s;
}

bool fitsSomeWay(uint64_t piece, BoxSize box) {
    const std::array<int, 3> p = sides(analysis::extent(piece)), b = sides(box);
    return p[0] <= b[0] && p[1] <= b[1] && p[2] <= b[2];
}

}  // namespace

std::vector<uint64_t> stockOf(const Puzzle& puzzle) {
    std::vector<uint64_t> out(kBlocks, 0);
    for (int b = 0; b < kBlocks; ++b)
        for (int c = 0; c < kCells; ++c)
            if (puzzle.G_iPiece[size_t(b + kBlocks * c)] != 0) out[size_t(b)] |= cellBit(c);
    return out;
}

StockResult stockPuzzles(const StockRequest& request, const DesignControl& control) {
    StockResult result;
    std::vector<BoxSize> boxes;
    if (request.box) {
        boxes.push_back(*request.box);
    } else {
        // One box per shape: a box turned is the same puzzle.
        for (int x = 2; x <= kGrid; ++x)
            for (int y = x; y <= kGrid; ++y)
                for (int z = y; z <= kGrid; ++z) boxes.push_back({x, y, z});
    }
    const int n = int(std::min<size_t>(request.pieces.size(), kBlocks));
    std::vector<Choice> choices;
    for (int b = 0; b < int(boxes.size()); ++b) {
        // Pieces of one shape are interchangeable: one choice per set of shapes.
        std::set<std::vector<uint64_t>> shapeSets;
        for (uint32_t set = 1; set < (1u << n); ++set) {
            if (std::popcount(set) < 2) continue;
            int cells = 0;
            bool fits = true;
            std::vector<uint64_t> shapes;
            for (int i = 0; i < n && fits; ++i) {
                if ((set >> i & 1) == 0) continue;
                const uint64_t piece = request.pieces[size_t(i)];
                fits = piece != 0 && fitsSomeWay(piece, boxes[size_t(b)]);
                cells += std::popcount(piece);
                shapes.push_back(analysis::canonicalShape(piece));
            }
            if (!fits || cells != boxes[size_t(b)].cells()) continue;
            std::sort(shapes.begin(), shapes.end());
            if (shapeSets.insert(shapes).second) choices.push_back({b, set});
        }
    }
    result.choices = choices.size();
    if (choices.empty()) {
        result.stop = DesignStop::Exhausted;
        return result;
    }

    std::vector<Judge> judges;
    for (BoxSize b : boxes) judges.emplace_back(b);
    std::mutex mutex;
    std::vector<Design> found;
    std::atomic<size_t> next{0};
    std::atomic<uint64_t> finished{0};
    WorkerPool pool(request.threads, request.seconds, control);
    pool.run(
        [&](const std::atomic<bool>& stop) {
            for (size_t k; (k = next.fetch_add(1)) < choices.size();) {
                const Choice& c = choices[k];
                analysis::BlockCells cells;
                cells.box = boxes[size_t(c.box)];
                std::vector<int> used;
                for (int i = 0; i < n; ++i)
                    if (c.pieces >> i & 1) {
                        cells.shapes[used.size()] = request.pieces[size_t(i)];
                        used.push_back(i);
                    }
                const analysis::PackingAnalysis analysis(cells);
                std::optional<analysis::Packing> one;
                if (analysis.problems().empty()) {
                    one = analysis.findOne(&stop);
                    if (!one && stop.load()) return;
                }
                Design d;
                Judge::Outcome outcome = Judge::Outcome::NotUnique;
                if (one) {
                    outcome = judges[size_t(c.box)].judge(*one, request.minRating, &stop, d);
                    if (outcome == Judge::Outcome::Stopped) return;
                }
                finished.fetch_add(1);
                std::lock_guard lock(mutex);
                ++result.tried;
                if (!one) {
                    ++result.noPacking;
                } else if (outcome == Judge::Outcome::NotUnique) {
                    ++result.notUnique;
                } else if (outcome == Judge::Outcome::TooEasy) {
                    result.rejectTooEasy(d.difficulty.rating);
                } else {
                    d.pieces = used;
                    d.attempt = k;
                    found.push_back(d);
                    sortHardestFirst(found);
                    if (found.size() > size_t(request.count)) found.pop_back();
                }
            }
        },
        [&] {
            DesignProgress p;
            std::lock_guard lock(mutex);
            p.tried = result.tried;
            p.found = int(found.size());
            for (const Design& d : found) p.bestRating = std::max(p.bestRating, d.difficulty.rating);
            return p;
        });
    result.designs = std::move(found);
    // Handed on only now: until the end a harder choice may still push one out.
    if (control.found)
        for (const Design& d : result.designs) control.found(d);
    result.seconds = pool.seconds();
    result.stop = finished.load() == choices.size() ? DesignStop::Exhausted
                  : pool.cancelled()                ? DesignStop::Cancelled
                                                    : DesignStop::Time;
    return result;
}

}  // namespace tessaro::design
