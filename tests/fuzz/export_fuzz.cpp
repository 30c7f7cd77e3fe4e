// Fuzzing the export: a puzzle record, read as the window reads it, exported to
// every format (STL, 3MF, PNG, PDF) into a temporary folder.
//
// Every record that is read must export whole or be refused with a reason
// (never fail on a writable folder), every block and tray mesh must be closed
// and consistently wound, and nothing may crash, hang or trip a sanitizer.
// Bytes after the record choose the sizes. Standalone, it exports random
// puzzles: export_fuzz [--iterations N] [--seed N]; with clang and
// -DTESSARO_LIBFUZZER=ON, export_fuzz_libfuzzer takes the records libFuzzer makes.
#include "app/AppEnv.h"
#include "export/BlockMesh.h"
#include "export/Export.h"
#include "export/qt/QtPictures.h"
#include "files/PuzzleFile.h"
#include "files/PuzzleTestData.h"
#include "model/Figure.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>

using namespace tessaro;

namespace {

[[noreturn]] void broken(const std::string& input, const std::string& what) {
    const std::string path = "export_fuzz_failure.bin";
    std::ofstream(path, std::ios::binary).write(input.data(), static_cast<std::streamsize>(input.size()));
    std::fprintf(stderr, "export_fuzz: %s (input kept in %s)\n", what.c_str(), path.c_str());
    std::abort();
}

// Every directed edge once and its reverse once.
bool closed(const Mesh& mesh) {
    std::map<std::pair<uint32_t, uint32_t>, int> edges;
    for (const auto& t : mesh.triangles)
        for (size_t k = 0; k < 3; ++k) {
            if (t[k] >= mesh.vertices.size()) return false;
            ++edges[{t[k], t[(k + 1) % 3]}];
        }
    for (const auto& [e, n] : edges) {
        const auto back = edges.find({e.second, e.first});
        if (n != 1 || back == edges.end() || back->second != 1) return false;
    }
    return true;
}

// Made once, removed at exit (a plain array: it outlives every destructor); in
// memory where there is a tmpfs, as every export syncs its files.
const char* folder() {
    static char dir[] = "/dev/shm/export-fuzz-XXXXXX";
    static const bool made = [] {
        if (!mkdtemp(dir) && !mkdtemp(std::strcpy(dir, "/tmp/export-fuzz-XXXXXX"))) std::abort();
        std::atexit([] { std::filesystem::remove_all(dir); });
        return true;
    }();
    (void)made;
    return dir;
}

uint64_t g_written = 0, g_refused = 0;

void fuzzExport(const std::string& bytes) {
    static GuiSession gui;
    static QtPictureRenderer pictures;
    Puzzle p;
    if (decodeRecord(bytes, p).kind != DecodeResult::Kind::Read) return;

    ExportRequest r;
    // Clearance above 0 (touching edges come apart), up to the largest the sizes allow.
    const auto extra = [&](size_t i) { return bytes.size() > kRecordSize + i ? uint8_t(bytes[kRecordSize + i]) : 0; };
    r.sizes.cubeMm = 2.0 + extra(0) % 40;
    r.sizes.clearanceMm = 0.05 + (extra(1) % 10) * 0.05;
    r.sizes.trayWallMm = (extra(2) % 4) * 0.8;
    r.withAnswer = extra(3) & 1;
    r.transparentPng = extra(3) & 2;
    if (!p.G_sPassword.empty() && (extra(3) & 4)) r.password = p.G_sPassword;
    // The answer (a packing search, minutes for some large boxes) only for boxes up to 3×3×3.
    if (p.G_iCells_X * p.G_iCells_Y * p.G_iCells_Z > 27) {
        if (p.G_sPassword.empty()) p.G_sPassword = "shut";
        r.password.reset();
        r.withAnswer = false;
    }
    r.pngWidth = 64;
    r.removeStale = true;  // the folder keeps the last input's files
    r.stlDir = std::string(folder()) + "/stl";
    r.threeMfFile = std::string(folder()) + "/all.3mf";
    r.pngDir = std::string(folder()) + "/png";
    r.pdfFile = std::string(folder()) + "/sheet.pdf";
    if (!meshSizesRefusal(r.sizes).empty()) return;

    for (int b = 0; b < kBlocks; ++b) {
        const Mesh m = blockMesh(p, b, r.sizes);
        if (m.empty() != (fncPiece_Count(p, b) == 0)) broken(bytes, "a block's mesh and its cells disagree");
        if (!m.empty() && !closed(m)) broken(bytes, "block " + std::to_string(b + 1) + " is not closed");
    }
    const Mesh tray = trayMesh(p, r.sizes);
    if (!tray.empty() && !closed(tray)) broken(bytes, "the tray is not closed");

    const ExportOutcome out = exportPuzzle(p, r, &pictures);
    if (out.status == ExportStatus::Written) {
        ++g_written;
        if (out.written != exportTargets(p, r)) broken(bytes, "written files differ from the targets");
        for (const std::string& f : out.written)
            if (!std::filesystem::is_regular_file(f) || std::filesystem::file_size(f) == 0)
                broken(bytes, f + " is missing or empty");
    } else if (out.status == ExportStatus::Refused && !out.message.empty()) {
        ++g_refused;
    } else {
        broken(bytes, "export failed: " + out.message);
    }
}

}  // namespace

#ifdef TESSARO_LIBFUZZER

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzExport(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}

#else

int main(int argc, char** argv) {
    uint64_t iterations = 200, seed = 1;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string opt = argv[i];
        if (opt == "--iterations")
            iterations = std::strtoull(argv[i + 1], nullptr, 10);
        else if (opt == "--seed")
            seed = std::strtoull(argv[i + 1], nullptr, 10);
        else {
            std::fprintf(stderr, "usage: export_fuzz [--iterations N] [--seed N]\n");
            return 2;
        }
    }
    std::mt19937_64 gen(seed);
    auto pick = [&](int n) { return static_cast<int>(std::uniform_int_distribution<int>(0, n - 1)(gen)); };
    for (uint64_t n = 0; n < iterations; ++n) {
        // A random box and blocks of random cells, some dense, some sparse, some empty.
        Puzzle p = n == 0 ? buildSamplePuzzle() : n == 1 ? test::richPuzzle() : Puzzle{};
        if (n > 1) {
            const int x = 2 + pick(3), y = 2 + pick(3), z = 2 + pick(3);
            p.setBoxCells(x, y, z);
            for (int b = 0; b < kBlocks; ++b) {
                const int density = pick(4) == 0 ? 0 : 1 + pick(60);
                for (int z = 0; z < kGrid; ++z)
                    for (int y = 0; y < kGrid; ++y)
                        for (int x = 0; x < kGrid; ++x)
                            if (pick(100) < density) p.G_iPiece[pieceIndex(b, x, y, z)] = 1;
            }
            p.G_iPiece_Made = p.G_iPiece;
            if (pick(3) == 0) p.G_sPassword = "key";
        }
        p.G_iCell_Total = int16_t(fncPiece_CountAll(p));
        p.G_iCell_Filled = int16_t(fncBox_Count(p.G_iBox));
        test::ScriptedRandom rnd({0.5f});
        Record record{};
        if (encodeRecord(p, G_sVersion, rnd, record)) continue;
        std::string bytes(record.begin(), record.end());
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>(pick(256)));
        fuzzExport(bytes);
    }
    std::printf("export_fuzz: %llu puzzles (%llu written, %llu refused), seed %llu: no fault\n",
                static_cast<unsigned long long>(iterations), static_cast<unsigned long long>(g_written),
                static_cast<unsigned long long>(g_refused), static_cast<unsigned long long>(seed));
    return 0;
}

#endif
