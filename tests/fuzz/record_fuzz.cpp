// Fuzzing the readers: the puzzle record and the settings file.
//
// Every input must be read whole and sound, or refused with a reason and the
// model untouched; nothing may crash, hang or trip a sanitizer. Built as a
// standalone driver that mutates good records itself:
//     record_fuzz [--iterations N | --seconds S] [--seed N] [--keep DIR]
// and, with clang and -DTESSARO_LIBFUZZER=ON, as a libFuzzer target
// (record_fuzz_libfuzzer) over the same checks.
#include "app/AppEnv.h"
#include "app/Ini.h"
#include "files/PuzzleFile.h"
#include "files/PuzzleTestData.h"
#include "FuzzDriver.h"
#include "files/ShiftJis.h"
#include "model/Figure.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

using namespace tessaro;

namespace {

[[noreturn]] void broken(const std::string& input, const char* what)
{
    const char* keep = std::getenv("RECORD_FUZZ_KEEP");
    std::string path = std::string(keep ? keep : ".") + "/record_fuzz_failure.bin";
    std::ofstream(path, std::ios::binary).write(input.data(), static_cast<std::streamsize>(input.size()));
    std::fprintf(stderr, "record_fuzz: %s (input kept in %s)\n", what, path.c_str());
    std::abort();
}

void check(bool ok, const std::string& input, const char* what)
{
    if (!ok)
        broken(input, what);
}

const Puzzle& sentinel()
{
    static const Puzzle s = [] {
        Puzzle p = test::richPuzzle();
        p.G_sComment = "sentinel";
        p.G_iWork[3] = 1;
        return p;
    }();
    return s;
}

uint64_t g_outcomes[3];  // read, NG Version, refused

// One record: read whole and sound, or refused with the model as it was.
void fuzzRecord(const std::string& bytes)
{
    Puzzle model = sentinel();
    DecodeResult r = decodeRecord(bytes, model);
    ++g_outcomes[static_cast<int>(r.kind)];
    if (r.kind != DecodeResult::Kind::Read) {
        check(model == sentinel(), bytes, "a refused record changed the model");
        if (r.kind == DecodeResult::Kind::Error) {
            check(!r.error.description.empty(), bytes, "a refusal without a reason");
            check(r.error.label >= 100 && r.error.label <= 270 && r.error.number > 0, bytes, "a refusal without its step");
        } else {
            check(bytes.size() < 16 || bytes[0] != 'V', bytes, "NG Version for a record beginning with V");
        }
        return;
    }
    check(bytes.size() >= kRecordSize, bytes, "a short record was read");
    for (int16_t n : {model.G_iCells_X, model.G_iCells_Y, model.G_iCells_Z})
        check(n >= 2 && n <= kGrid, bytes, "a box size outside 2..4");
    check(model.G_iMax_X == model.G_iCells_X - 1 && model.G_iMax_Z == model.G_iCells_Z - 1, bytes, "maxima not derived");
    check(model.G_iCell_Total == fncPiece_CountAll(model), bytes, "a total that lies");
    check(model.G_iCell_Filled == fncBox_Count(model.G_iBox), bytes, "a filled count that lies");
    for (char c : model.G_sPassword)
        check(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F, bytes, "a control character in the password");
    for (int32_t c : model.G_lBox_Color)
        check(c >= 0 && c <= 0xFFFFFF, bytes, "a colour outside 24 bits");
    check(model.G_iWork == sentinel().G_iWork, bytes, "the scratch grid was read");
    check(isValidUtf8(model.G_sComment) && isValidUtf8(r.version), bytes, "texts not UTF-8");

    // Written again and read back, it is the same puzzle.
    test::ScriptedRandom rnd({0.25f});
    Record back{};
    check(!encodeRecord(model, r.version, rnd, back).has_value(), bytes, "a record read cannot be written");
    Puzzle again = sentinel();
    DecodeResult r2 = decodeRecord(std::string_view(reinterpret_cast<const char*>(back.data()), back.size()), again);
    check(r2.kind == DecodeResult::Kind::Read, bytes, "a record written from a read one is refused");
    if (model.G_sComment.find("\xEF\xBF\xBD") != std::string::npos)
        again.G_sComment = model.G_sComment;  // a byte no CP932 character has comes back as "?"
    check(again == model, bytes, "a round trip changed the puzzle");
}

// The same bytes as a settings file: any value, never a failure.
void fuzzIni(const std::string& bytes, const std::string& file)
{
    std::ofstream(file, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    std::string v = fncIni_get(kIniSection, kIniDataKey, file);
    check(isValidUtf8(v), bytes, "a settings value that is not UTF-8");
    check(utf8ToCp932(v).size() <= 126 || v.size() <= 126, bytes, "a settings value longer than its buffer");
}

std::string iniFile()
{
    static const std::string file = [] {
        char tmpl[] = "/tmp/record-fuzz-XXXXXX";
        int fd = mkstemp(tmpl);
        if (fd >= 0)
            close(fd);
        return std::string(tmpl);
    }();
    return file;
}

}  // namespace

#ifdef TESSARO_LIBFUZZER

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string bytes(reinterpret_cast<const char*>(data), size);
    fuzzRecord(bytes);
    fuzzIni(bytes, iniFile());
    return 0;
}

#else

namespace {

std::vector<std::string> seeds()
{
    std::vector<std::string> out;
    Puzzle sample = buildSamplePuzzle();
    Puzzle rich = test::richPuzzle();
    Puzzle loaded = sample;
    loaded.G_sPassword = "Key42";
    loaded.G_sComment = "途中の状態";
    for (Puzzle* p : {&sample, &rich, &loaded}) {
        test::ScriptedRandom rnd({0.1f, 0.6f, 0.9f});
        Record r{};
        encodeRecord(*p, G_sVersion, rnd, r);
        out.emplace_back(r.begin(), r.end());
    }
    out.push_back(utf8ToCp932("[フォルダPath]\r\nDATA_Folda_Path=/srv/パズル\r\n"));
    out.push_back("\xEF\xBB\xBF[フォルダPath]\nDATA_Folda_Path=\"/x\"\n");
    return out;
}

void setInt16(std::string& b, size_t at, int v)
{
    if (at + 1 < b.size()) {
        b[at] = static_cast<char>(v & 0xFF);
        b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
    }
}

// Puts the two counters right, so that mutations reach the checks behind them.
void repairCounters(std::string& b)
{
    if (b.size() < kRecordSize)
        return;
    int total = 0, filled = 0;
    for (size_t i = 0; i < 512; ++i)
        total += static_cast<int16_t>(static_cast<uint8_t>(b[rec::kPiece + 2 * i]) | (static_cast<uint8_t>(b[rec::kPiece + 2 * i + 1]) << 8));
    for (size_t i = 0; i < 64; ++i)
        filled += static_cast<int16_t>(static_cast<uint8_t>(b[rec::kBox + 2 * i]) | (static_cast<uint8_t>(b[rec::kBox + 2 * i + 1]) << 8));
    setInt16(b, rec::kCellTotal, total);
    setInt16(b, rec::kCellFilled, filled);
}

std::string mutate(const std::vector<std::string>& pool, std::mt19937_64& gen)
{
    auto pick = [&](size_t n) { return static_cast<size_t>(std::uniform_int_distribution<size_t>(0, n - 1)(gen)); };
    std::string b = pool[pick(pool.size())];
    static const int kInteresting[] = {-32768, -1, 0, 1, 2, 3, 4, 5, 7, 8, 9, 27, 64, 127, 128, 255, 256, 32767};
    const int steps = 1 + static_cast<int>(pick(6));
    for (int s = 0; s < steps && !b.empty(); ++s) {
        switch (pick(8)) {
        case 0: b[pick(b.size())] ^= static_cast<char>(1 << pick(8)); break;
        case 1: b[pick(b.size())] = static_cast<char>(pick(256)); break;
        case 2: setInt16(b, pick(b.size()) & ~size_t(1), kInteresting[pick(std::size(kInteresting))]); break;
        case 3: b.resize(pick(b.size() + 1)); break;
        case 4: b.append(pick(64), static_cast<char>(pick(256))); break;
        case 5: {  // splice another input in
            const std::string& o = pool[pick(pool.size())];
            size_t at = pick(b.size()), len = std::min(o.size(), pick(256) + 1);
            b.replace(at, std::min(len, b.size() - at), o.substr(pick(o.size() - len + 1), len));
            break;
        }
        case 6: b.insert(pick(b.size() + 1), pick(2) ? "\r\n" : "\n["); break;
        default: repairCounters(b); break;
        }
    }
    if (pick(2))
        repairCounters(b);
    return b;
}

}  // namespace

int main(int argc, char** argv)
{
    const auto run = test::FuzzRun::parse(argc, argv, "record_fuzz [--iterations N | --seconds S] [--seed N] [--keep DIR]",
                                          [](const std::string& opt, const char* value) {
                                              if (opt != "--keep")
                                                  return false;
                                              setenv("RECORD_FUZZ_KEEP", value, 1);
                                              return true;
                                          });
    if (!run)
        return 2;
    std::mt19937_64 gen(run->seed());
    std::vector<std::string> pool = seeds();
    uint64_t n = 0;
    for (; run->due(n, 1024); ++n) {
        std::string input = mutate(pool, gen);
        fuzzRecord(input);
        if ((n & 15) == 0)
            fuzzIni(input, iniFile());
        // Records that were read whole join the pool, so mutations go deeper over time.
        Puzzle p;
        if (pool.size() < 256 && decodeRecord(input, p).kind == DecodeResult::Kind::Read)
            pool.push_back(input);
    }
    unlink(iniFile().c_str());
    run->report("record_fuzz", n,
                std::to_string(g_outcomes[0]) + " read, " + std::to_string(g_outcomes[1]) + " not a puzzle, " +
                    std::to_string(g_outcomes[2]) + " refused");
    return 0;
}

#endif
