// Fuzzing the other format's reader: XML (plain or gzip) of voxel shapes and problems.
//
// Every input must be read as a sound puzzle or refused with one printable
// line; a puzzle read is written out and read back the same; nothing may
// crash, hang or trip a sanitizer. Standalone, it mutates good and hostile
// files itself: xmpuzzle_fuzz [--iterations N | --seconds S] [--seed N];
// with clang and -DTESSARO_LIBFUZZER=ON, xmpuzzle_fuzz_libfuzzer.
#include "analysis/Geometry.h"
#include "files/ShiftJis.h"
#include "formats/Gzip.h"
#include "formats/XmPuzzle.h"
#include "FuzzDriver.h"
#include "model/Figure.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

using namespace tessaro;

namespace {

[[noreturn]] void broken(const std::string& input, const std::string& what)
{
    const std::string path = "xmpuzzle_fuzz_failure.xml";
    std::ofstream(path, std::ios::binary).write(input.data(), static_cast<std::streamsize>(input.size()));
    std::fprintf(stderr, "xmpuzzle_fuzz: %s (input kept in %s)\n", what.c_str(), path.c_str());
    std::abort();
}

void check(bool ok, const std::string& input, const std::string& what)
{
    if (!ok) broken(input, what);
}

// Printable on a terminal: UTF-8, no C0 control, no DEL.
bool printable(const std::string& s)
{
    for (const char c : s)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
    return isValidUtf8(s);
}

std::vector<uint64_t> blockShapes(const Puzzle& p)
{
    std::vector<uint64_t> out(kBlocks);
    for (int b = 0; b < kBlocks; ++b) {
        uint64_t mask = 0;
        for (int i = 0; i < kCells; ++i)
            if (p.G_iPiece_Made[size_t(b + kBlocks * i)]) mask |= uint64_t(1) << i;
        out[size_t(b)] = mask ? analysis::canonicalShape(mask) : 0;
    }
    return out;
}

uint64_t g_outcomes[3];  // read, asked for a problem, refused

void fuzzOne(const std::string& bytes, int problem)
{
    const formats::XmReadResult r = formats::readXmPuzzle(bytes, problem);
    if (!r.puzzle) {
        ++g_outcomes[r.needsProblemChoice ? 1 : 2];
        check(!r.error.empty() && printable(r.error), bytes, "a refusal that is empty or not printable: " + r.error);
        check(r.error.size() < 600, bytes, "a refusal longer than a line: " + r.error);
        if (r.needsProblemChoice) check(problem == 0 && r.problems.size() > 1, bytes, "a choice among fewer than two");
        for (const std::string& name : r.problems) check(printable(name), bytes, "a problem name not printable");
        return;
    }
    ++g_outcomes[0];
    const Puzzle& p = *r.puzzle;
    for (int16_t n : {p.G_iCells_X, p.G_iCells_Y, p.G_iCells_Z}) check(n >= 2 && n <= kGrid, bytes, "a box side outside 2..4");
    check(p.G_iCell_Total == fncPiece_CountAll(p), bytes, "a total that lies");
    check(p.G_iCell_Total <= p.G_iCells_X * p.G_iCells_Y * p.G_iCells_Z, bytes, "more block cells than box cells");
    check(p.G_iPiece == p.G_iPiece_Made, bytes, "blocks not as made");
    check(printable(p.G_sComment) && utf8ToCp932(p.G_sComment).size() <= 40, bytes, "a comment the file cannot hold");
    for (int b = 0; b < kBlocks; ++b) {
        uint64_t mask = 0;
        for (int i = 0; i < kCells; ++i)
            if (p.G_iPiece[size_t(b + kBlocks * i)]) mask |= uint64_t(1) << i;
        if (!mask) continue;
        const analysis::BoxSize s = analysis::extent(mask);
        check(s.x <= p.G_iCells_X && s.y <= p.G_iCells_Y && s.z <= p.G_iCells_Z, bytes, "a block larger than the box");
    }

    // Out and back: the same blocks under the same numbers, the same comment.
    const formats::XmReadResult back = formats::readXmPuzzle(formats::xmPuzzleText(p, false), 0);
    check(back.puzzle.has_value(), bytes, "a puzzle read cannot be read again after writing: " + back.error);
    check(blockShapes(*back.puzzle) == blockShapes(p), bytes, "a round trip changed the blocks or their numbers");
    check(back.puzzle->G_sComment == p.G_sComment, bytes, "a round trip changed the comment");
}

void fuzzInput(const std::string& bytes)
{
    fuzzOne(bytes, 0);
    fuzzOne(bytes, 2);
}

}  // namespace

#ifdef TESSARO_LIBFUZZER

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzInput(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}

#else

namespace {

std::vector<std::string> seeds()
{
    Puzzle spare = buildSamplePuzzle();
    for (int i = 0; i < kCells; ++i) spare.G_iPiece[size_t(5 + kBlocks * i)] = 0;
    spare.G_iCell_Total = fncPiece_CountAll(spare);
    spare.G_sComment = "見本";
    subPiece_SaveMade(spare);
    return {
        formats::xmPuzzleText(buildSamplePuzzle(), false),
        formats::xmPuzzleText(spare, false),
        R"(<?xml version="1.0"?>
<puzzle version="2"><gridType type="0"/><colors/><shapes>
 <voxel x="2" y="2" z="2" name="Box" type="0">########</voxel>
 <voxel x="5" y="1" z="1" name="Domino" type="0">_#1#2__</voxel>
 <voxel x="2" y="2" z="1" name="x&#27;]0;t&#7;" type="0"><![CDATA[###_]]></voxel>
</shapes><problems>
 <problem name="four"><shapes><shape id="1" count="4"/></shapes><result id="0"/><bitmap/></problem>
 <problem name="two"><shapes><shape id="2" min="2" max="2"/></shapes><result id="0"/></problem>
</problems><comment popup="">&lt;c&gt;</comment><!-- x --></puzzle>)",
    };
}

// Pieces a hostile file is made of, for insertion anywhere.
const char* const kTokens[] = {
    "<voxel x=\"4\" y=\"4\" z=\"4\" name=\"B9\">", "</voxel>", "<shape id=\"1\" count=\"",
    "<problem>", "</problem>", "9223372036854775806", "18446744073709551616", "-1", "0", "+3", "3.0", "\"\"",
    "&#27;", "&#x7F;", "&amp;", "&bogus;", "\xFF\xFE", "<![CDATA[", "]]>", "<!--", "-->", "<?x ?>",
    "<!DOCTYPE p [<!ENTITY e \"x\">]>", "<a>", "</a>", "#", "_", "+", " count=\"abc\"", " min=\"1\" max=\"2\"",
    "B1,2", "B4", "Tessaro", "<result id=\"0\"/>", "<gridType type=\"1\"/>",
};

std::string mutate(const std::vector<std::string>& pool, std::mt19937_64& gen)
{
    auto pick = [&](size_t n) { return size_t(std::uniform_int_distribution<size_t>(0, n - 1)(gen)); };
    std::string b = pool[pick(pool.size())];
    const int steps = 1 + int(pick(5));
    for (int s = 0; s < steps && !b.empty(); ++s) {
        switch (pick(7)) {
        case 0: b[pick(b.size())] ^= char(1 << pick(8)); break;
        case 1: b.resize(pick(b.size() + 1)); break;
        case 2: b.insert(pick(b.size() + 1), kTokens[pick(std::size(kTokens))]); break;
        case 3: {  // a digit or a cell changed where the numbers and shapes are
            const size_t at = pick(b.size());
            b[at] = "0123456789#_+\"<>/="[pick(18)];
            break;
        }
        case 4: {  // a stretch repeated: many shapes, problems or nested elements
            const size_t at = pick(b.size()), len = std::min(b.size() - at, pick(120) + 1);
            const std::string part = b.substr(at, len);
            for (size_t k = pick(20); k > 0 && b.size() < 200000; --k) b.insert(at, part);
            break;
        }
        case 5: {  // spliced from another input
            const std::string& o = pool[pick(pool.size())];
            const size_t at = pick(b.size()), len = std::min(o.size(), pick(200) + 1);
            b.replace(at, std::min(len, b.size() - at), o.substr(pick(o.size() - len + 1), len));
            break;
        }
        default: b.erase(pick(b.size()), pick(40)); break;
        }
    }
    return b;
}

}  // namespace

int main(int argc, char** argv)
{
    const auto run = test::FuzzRun::parse(argc, argv, "xmpuzzle_fuzz [--iterations N | --seconds S] [--seed N]");
    if (!run) return 2;
    std::mt19937_64 gen(run->seed());
    std::vector<std::string> pool = seeds();
    uint64_t n = 0;
    for (; run->due(n, 256); ++n) {
        std::string input = mutate(pool, gen);
        if (gen() % 8 == 0) {  // compressed, now and then damaged
            input = formats::gzip(input);
            if (gen() % 2) input[gen() % input.size()] ^= char(1 << (gen() % 8));
        }
        fuzzInput(input);
        // Inputs that were read join the pool, so mutations go deeper over time.
        if (pool.size() < 128 && !formats::isGzip(input) && formats::readXmPuzzle(input, 0).puzzle) pool.push_back(input);
    }
    run->report("xmpuzzle_fuzz", n,
                std::to_string(g_outcomes[0]) + " read, " + std::to_string(g_outcomes[1]) + " asked for a problem, " +
                    std::to_string(g_outcomes[2]) + " refused");
    return 0;
}

#endif
