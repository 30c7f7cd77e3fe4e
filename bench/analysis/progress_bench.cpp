// The count's progress replayed: each puzzle counted on one thread with a
// report every so many nodes, then every report's share done and predicted end
// held against where the count really ended. The work done (nodes) is the
// clock, so the figures are the same on any machine; the wall clock's are
// printed beside them. The shared heavy puzzles count in a second or two, so
// each is also trimmed of a few more cells until its count takes a minute or so.
//
//   progress_bench [--quick] [--explore] [HEAVY_DIR]
//   (--quick: the shared puzzles only; --explore: only the estimated size of
//   each puzzle trimmed of 0 to 8 more cells, to choose the trims)
#include "HeavyBench.h"
#include "analysis/PackingAnalysis.h"
#include "files/PuzzleFile.h"
#include "model/BlockMasks.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

using namespace tessaro;
using bench::readPuzzle;
namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

// `cells` more cells taken off, one at a time from the largest block (the
// lowest number among equals), the highest cell whose loss leaves it in one piece.
analysis::BlockCells trimmed(const Puzzle& p, int cells) {
    analysis::BlockCells out;
    out.box = {p.G_iCells_X, p.G_iCells_Y, p.G_iCells_Z};
    out.shapes = blockMasks(p);
    for (int k = 0; k < cells; ++k) {
        size_t largest = 0;
        for (size_t b = 1; b < out.shapes.size(); ++b)
            if (std::popcount(out.shapes[b]) > std::popcount(out.shapes[largest])) largest = b;
        uint64_t& shape = out.shapes[largest];
        for (int c = 63; c >= 0; --c) {
            const uint64_t bit = uint64_t(1) << c;
            if ((shape & bit) != 0 && analysis::faceConnected(shape & ~bit)) {
                shape &= ~bit;
                break;
            }
        }
    }
    return out;
}

struct Report {
    uint64_t nodes;
    double done, seconds, remaining;
};

struct Figures {
    double worst = 0;  // the largest error of the predicted end, from a quarter of the way on
    double jump = 0;   // the largest rise of the share over a fortieth of the way
};

// `at(r)`: where report r stands on the clock; `end`: where the count ended.
template <class At>
Figures figures(const std::vector<Report>& reports, double end, At at) {
    Figures f;
    // The share a fortieth of the way back (about five seconds of a three-minute count).
    size_t back = 0;
    double before = 0;
    for (const Report& r : reports) {
        const double now = at(r);
        while (at(reports[back]) <= now - end / 40) before = reports[back++].done;
        f.jump = std::max(f.jump, r.done - before);
        if (now < end / 4 || r.done <= 0) continue;
        f.worst = std::max(f.worst, std::abs(now / r.done - end) / end);
    }
    return f;
}

// A heavy puzzle with `extra` more cells trimmed off.
struct Case {
    std::string file;
    int extra;
};

}  // namespace

int main(int argc, char** argv) {
    // The shared puzzles as they are, then four trimmed until they count for a minute or two.
    std::vector<Case> cases;
    const std::vector<Case> longer = {{"h09_trim_n8_s6_t9.bin", 5}, {"h07_trim_n8_s4_t8.bin", 6},
                                      {"h08_trim_n8_s6_t8.bin", 8}, {"h10_droptrim_n8_s7.bin", 8}};
    bool explore = false, quick = false;
    std::string dir = TESSARO_HEAVY_DIR;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--explore") == 0)
            explore = true;
        else if (std::strcmp(argv[i], "--quick") == 0)
            quick = true;
        else
            dir = argv[i];
    }
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir, ec))
        if (e.path().extension() == ".bin") files.push_back(e.path());
    std::sort(files.begin(), files.end());
    if (files.empty()) {
        std::printf("no puzzles in %s\n", dir.c_str());
        return 1;
    }

    if (explore) {
        for (const fs::path& f : files) {
            const std::optional<Puzzle> p = readPuzzle(f);
            if (!p) continue;
            for (int extra = 0; extra <= 8; ++extra) {
                const analysis::PackingAnalysis a(trimmed(*p, extra));
                if (!a.problems().empty()) break;
                analysis::EstimateOptions o;
                o.seconds = 1;
                const analysis::SearchEstimate e = a.estimate(o);
                std::printf("%-28s +%d  nodes about %.3g\n", f.filename().c_str(), extra, e.nodes.value);
                std::fflush(stdout);
            }
        }
        return 0;
    }

    for (const fs::path& f : files) cases.push_back({f.filename().string(), 0});
    if (!quick) cases.insert(cases.end(), longer.begin(), longer.end());
    std::printf("%-30s %12s %9s %9s %9s %9s %9s\n", "puzzle", "nodes", "reports", "worst %", "jump %",
                "worst % s", "seconds");
    for (const Case& c : cases) {
        const fs::path f = fs::path(dir) / c.file;
        const std::optional<Puzzle> p = readPuzzle(f);
        if (!p) {
            std::printf("%-30s unreadable or missing\n", c.file.c_str());
            continue;
        }
        const analysis::PackingAnalysis a(trimmed(*p, c.extra));
        // About as many reports as a count of a few minutes shows, four a second.
        analysis::EstimateOptions e;
        e.seconds = 0.5;
        const double estimated = a.estimate(e).nodes.value;
        std::vector<Report> reports;
        analysis::CountOptions o;
        o.threads = 1;
        o.progressNodes = std::max<uint64_t>(100, uint64_t(estimated / 600));
        o.progress = [&](const analysis::Progress& r) { reports.push_back({r.nodes, r.done, r.seconds, r.remaining}); };
        const analysis::CountResult r = a.count(o);
        const double n = double(r.nodes);
        const Figures byNodes = figures(reports, n, [](const Report& x) { return double(x.nodes); });
        const Figures byTime = figures(reports, r.seconds, [](const Report& x) { return x.seconds; });
        char name[64];
        std::snprintf(name, sizeof name, "%s +%d", c.file.c_str(), c.extra);
        std::printf("%-30s %12llu %9zu %9.1f %9.1f %9.1f %9.1f\n", name, static_cast<unsigned long long>(r.nodes),
                    reports.size(), 100 * byNodes.worst, 100 * byNodes.jump, 100 * byTime.worst, r.seconds);
        std::fflush(stdout);
    }
    std::printf("(one thread; worst %%: the largest error of the predicted end from a quarter of the way on, by the\n"
                " nodes, and by the wall clock in the column after; jump %%: the largest rise of the share between\n"
                " two reports)\n");
    return 0;
}
