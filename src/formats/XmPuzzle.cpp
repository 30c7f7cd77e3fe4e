#include "formats/XmPuzzle.h"

#include "analysis/Geometry.h"
#include "files/ShiftJis.h"
#include "formats/Gzip.h"
#include "model/Figure.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <pugixml.hpp>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <sstream>

namespace tessaro::formats {

namespace {

using analysis::BoxSize;

constexpr size_t kMaxFileBytes = size_t(16) << 20;
constexpr size_t kMaxXmlBytes = size_t(64) << 20;
constexpr long long kMaxVoxelCells = 1'000'000;

struct Voxel {
    std::string name;
    int sx = 0, sy = 0, sz = 0;
    std::vector<std::array<int, 3>> cells;  // every cell that is not '_'
    int required = 0;                       // '#' cells; the rest are '+'
};

std::string quoted(const std::string& name, size_t id)
{
    return name.empty() ? "形 " + std::to_string(id) : "形「" + name + "」";
}

std::optional<long long> intAttribute(const pugi::xml_node& node, const char* name)
{
    const pugi::xml_attribute a = node.attribute(name);
    if (!a) return std::nullopt;
    const std::string_view text = a.value();
    long long v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return v;
}

// A voxel's text: one state character per cell, x fastest, each possibly
// followed by a colour number, which we do not keep.
bool readVoxel(const pugi::xml_node& node, size_t id, Voxel& v, std::string& error)
{
    v.name = node.attribute("name").value();
    const auto sx = intAttribute(node, "x"), sy = intAttribute(node, "y"), sz = intAttribute(node, "z");
    if (!sx || !sy || !sz || *sx < 1 || *sy < 1 || *sz < 1 || *sx * *sy * *sz > kMaxVoxelCells) {
        error = quoted(v.name, id) + "の大きさ (x, y, z) が読めません。";
        return false;
    }
    v.sx = int(*sx), v.sy = int(*sy), v.sz = int(*sz);
    const long long total = *sx * *sy * *sz;
    long long k = 0;
    const std::string_view text = node.child_value();
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ' ' || c == '\n' || c == '\r' || c == '\t') continue;
        if (c >= '0' && c <= '9' && i > 0 && k > 0) continue;
        if (c != '_' && c != '#' && c != '+') {
            error = quoted(v.name, id) + "に読めない文字があります。";
            return false;
        }
        if (k >= total) break;
        if (c != '_') {
            const int x = int(k % v.sx), y = int(k / v.sx % v.sy), z = int(k / (long long)(v.sx) / v.sy);
            v.cells.push_back({x, y, z});
            if (c == '#') ++v.required;
        }
        ++k;
    }
    if (k != total) {
        error = quoted(v.name, id) + "のセルの数が大きさと合いません。";
        return false;
    }
    return true;
}

// The cells moved to the origin as a mask, or nothing when they span more than the grid.
std::optional<uint64_t> shapeMask(const Voxel& v)
{
    std::array<int, 3> lo{v.sx, v.sy, v.sz}, hi{-1, -1, -1};
    for (const auto& c : v.cells)
        for (int a = 0; a < 3; ++a) lo[a] = std::min(lo[a], c[a]), hi[a] = std::max(hi[a], c[a]);
    for (int a = 0; a < 3; ++a)
        if (hi[a] - lo[a] >= kGrid) return std::nullopt;
    uint64_t mask = 0;
    for (const auto& c : v.cells) mask |= analysis::bitOf(c[0] - lo[0], c[1] - lo[1], c[2] - lo[2]);
    return mask;
}

bool fits(BoxSize s, BoxSize box) { return s.x <= box.x && s.y <= box.y && s.z <= box.z; }

std::string oneLine(std::string s)
{
    s = s.substr(0, s.find_first_of("\r\n"));
    s.erase(std::remove_if(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }),
            s.end());
    return s;
}

// The longest start of the text that the puzzle file's comment field holds.
std::string commentThatFits(const std::string& utf8)
{
    const std::string trimmed(trimSpaces(oneLine(utf8)));
    if (!isValidUtf8(trimmed)) return {};
    return cp932ToUtf8(std::string(cutCp932(utf8ToCp932(trimmed), 40)));
}

std::string lowerCase(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return s;
}

XmReadResult fail(std::string why)
{
    XmReadResult r;
    r.error = std::move(why);
    return r;
}

}  // namespace

XmReadResult readXmPuzzle(std::string_view bytes, int problem)
{
    std::string inflated;
    if (isGzip(bytes)) {
        std::string why;
        auto text = gunzip(bytes, kMaxXmlBytes, why);
        if (!text) return fail(why);
        inflated = std::move(*text);
        bytes = inflated;
    }
    pugi::xml_document doc;
    const pugi::xml_parse_result parsed = doc.load_buffer(bytes.data(), bytes.size());
    if (!parsed) {
        const size_t upto = std::min(bytes.size(), size_t(std::max<ptrdiff_t>(parsed.offset, 0)));
        const long line = 1 + std::count(bytes.begin(), bytes.begin() + upto, '\n');
        return fail("XML として読めません（" + std::to_string(line) + " 行目: " + parsed.description() + "）。");
    }
    const pugi::xml_node root = doc.child("puzzle");
    if (!root) return fail("パズルのファイルではありません（puzzle 要素がありません）。");
    if (const pugi::xml_node grid = root.child("gridType")) {
        const auto type = intAttribute(grid, "type");
        if (!type || *type != 0) return fail("立方体のグリッドではないパズルは読み込めません。");
    }

    std::vector<Voxel> shapes;
    for (const pugi::xml_node node : root.child("shapes").children("voxel")) {
        Voxel v;
        std::string why;
        if (!readVoxel(node, shapes.size(), v, why)) return fail(why);
        shapes.push_back(std::move(v));
    }

    XmReadResult result;
    std::vector<pugi::xml_node> problems;
    for (const pugi::xml_node node : root.child("problems").children("problem")) {
        problems.push_back(node);
        result.problems.push_back(node.attribute("name").value());
    }
    if (problems.empty()) return fail("問題が 1 つもありません。");
    if (problem == 0 && problems.size() > 1) {
        result.needsProblemChoice = true;
        result.error = "問題が " + std::to_string(problems.size()) + " 個あります。どの問題を読み込むか選んでください。";
        return result;
    }
    if (problem < 0 || problem > int(problems.size()))
        return fail("問題 " + std::to_string(problem) + " はありません（1〜" + std::to_string(problems.size()) + "）。");
    const pugi::xml_node chosen = problems[problem == 0 ? 0 : size_t(problem - 1)];

    // The box: a result shape that fills its whole extent, 2 to 4 cells a side.
    const auto resultId = intAttribute(chosen.child("result"), "id");
    if (!resultId || *resultId < 0 || *resultId >= (long long)shapes.size())
        return fail("問題に埋める形（result）がありません。");
    const Voxel& target = shapes[size_t(*resultId)];
    std::array<int, 3> lo{target.sx, target.sy, target.sz}, hi{-1, -1, -1};
    for (const auto& c : target.cells)
        for (int a = 0; a < 3; ++a) lo[a] = std::min(lo[a], c[a]), hi[a] = std::max(hi[a], c[a]);
    const BoxSize box{hi[0] - lo[0] + 1, hi[1] - lo[1] + 1, hi[2] - lo[2] + 1};
    if (target.cells.empty() || (long long)target.cells.size() != (long long)box.x * box.y * box.z)
        return fail("埋める形が箱（直方体）ではありません。");
    if (box.x < 2 || box.y < 2 || box.z < 2 || box.x > 4 || box.y > 4 || box.z > 4)
        return fail("箱の大きさ " + std::to_string(box.x) + "×" + std::to_string(box.y) + "×" +
                    std::to_string(box.z) + " は扱えません（各辺 2〜4）。");

    // The blocks, each shape as often as the problem uses it.
    std::vector<uint64_t> blocks;
    long long blockCount = 0;
    for (const pugi::xml_node piece : chosen.child("shapes").children("shape")) {
        const auto id = intAttribute(piece, "id");
        if (!id || *id < 0 || *id >= (long long)shapes.size()) return fail("問題が存在しない形を使っています。");
        const Voxel& v = shapes[size_t(*id)];
        long long count = 1;
        if (const auto n = intAttribute(piece, "count")) {
            count = *n;
        } else if (piece.attribute("min") || piece.attribute("max")) {
            const auto mn = intAttribute(piece, "min"), mx = intAttribute(piece, "max");
            if (!mn || !mx || *mn != *mx)
                return fail(quoted(v.name, size_t(*id)) + "の個数が決まっていません（min と max が違います）。");
            count = *mn;
        }
        if (count < 0) return fail(quoted(v.name, size_t(*id)) + "の個数が読めません。");
        if (count == 0) continue;
        blockCount += count;
        if (blockCount > kBlocks)
            return fail("ブロックが多すぎます（" + std::to_string(blockCount) + " 個以上、8 個まで）。");
        if (v.cells.empty()) return fail(quoted(v.name, size_t(*id)) + "にセルがありません。");
        const auto mask = shapeMask(v);
        std::optional<uint64_t> placed;
        if (mask)
            for (const analysis::Rotation& r : analysis::cubeRotations()) {
                const uint64_t turned = analysis::rotateShape(*mask, r);
                if (fits(analysis::extent(turned), box)) {
                    placed = turned;
                    break;
                }
            }
        if (!placed) return fail(quoted(v.name, size_t(*id)) + "が箱より大きく、箱に入りません。");
        for (long long i = 0; i < count; ++i) blocks.push_back(*placed);
    }
    if (blocks.empty()) return fail("問題にブロックがありません。");

    int cells = 0;
    for (uint64_t b : blocks) cells += std::popcount(b);
    const int boxCells = box.x * box.y * box.z;
    if (cells > boxCells)
        return fail("ブロックのセルの合計 " + std::to_string(cells) + " が箱のセル " + std::to_string(boxCells) +
                    " 個より多いです。");
    if (cells < boxCells && target.required > 0)
        return fail("箱の一部のセルだけが空いていてよいセルです。どのセルも空いてよいか、すべて埋める箱だけを扱えます。");

    Puzzle p{};
    for (size_t b = 0; b < blocks.size(); ++b)
        for (int i = 0; i < kCells; ++i)
            if ((blocks[b] >> i) & 1) p.G_iPiece[size_t(int(b) + kBlocks * i)] = 1;
    p.G_iCells_X = int16_t(box.x), p.G_iCells_Y = int16_t(box.y), p.G_iCells_Z = int16_t(box.z);
    subLoader_Init(p);
    p.G_iMax_X = int16_t(box.x - 1), p.G_iMax_Y = int16_t(box.y - 1), p.G_iMax_Z = int16_t(box.z - 1);
    p.G_iCell_Total = fncPiece_CountAll(p);
    subPiece_SaveMade(p);
    std::string comment = chosen.attribute("name").value();
    if (trimSpaces(comment).empty()) comment = root.child_value("comment");
    p.G_sComment = commentThatFits(comment);
    result.puzzle = p;
    return result;
}

XmReadResult readXmPuzzleFile(const std::string& path, int problem)
{
    // Not blocking on a pipe: only a regular file is read.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return fail(std::string("開けません（") + std::strerror(errno) + "）。");
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return fail("通常のファイルではありません。");
    }
    if (size_t(st.st_size) > kMaxFileBytes) {
        close(fd);
        return fail("ファイルが大きすぎます。");
    }
    std::string bytes;
    char chunk[65536];
    for (;;) {
        const ssize_t n = read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int err = errno;
            close(fd);
            return fail(std::string("読み込めません（") + std::strerror(err) + "）。");
        }
        if (n == 0) break;
        bytes.append(chunk, size_t(n));
        if (bytes.size() > kMaxFileBytes) {
            close(fd);
            return fail("ファイルが大きすぎます。");
        }
    }
    close(fd);
    return readXmPuzzle(bytes, problem);
}

std::string xmPuzzleText(const Puzzle& p, bool current)
{
    const PieceCubes& cubes = current ? p.G_iPiece : p.G_iPiece_Made;
    struct Group {
        uint64_t shape, canonical;
        std::vector<int> numbers;
    };
    std::vector<Group> groups;
    int cells = 0;
    for (int b = 0; b < kBlocks; ++b) {
        uint64_t mask = 0;
        for (int i = 0; i < kCells; ++i)
            if (cubes[size_t(b + kBlocks * i)] != 0) mask |= uint64_t(1) << i;
        if (mask == 0) continue;
        cells += std::popcount(mask);
        const uint64_t canonical = analysis::canonicalShape(mask);
        auto same = std::find_if(groups.begin(), groups.end(), [&](const Group& g) { return g.canonical == canonical; });
        if (same == groups.end())
            groups.push_back({analysis::toOrigin(mask), canonical, {b + 1}});
        else
            same->numbers.push_back(b + 1);
    }
    if (groups.empty()) return {};

    pugi::xml_document doc;
    pugi::xml_node decl = doc.append_child(pugi::node_declaration);
    decl.append_attribute("version") = "1.0";
    pugi::xml_node root = doc.append_child("puzzle");
    root.append_attribute("version") = "2";
    root.append_child("gridType").append_attribute("type") = "0";
    root.append_child("colors");
    pugi::xml_node shapes = root.append_child("shapes");
    auto addVoxel = [&](int sx, int sy, int sz, const std::string& name, const std::string& text) {
        pugi::xml_node v = shapes.append_child("voxel");
        v.append_attribute("x") = sx;
        v.append_attribute("y") = sy;
        v.append_attribute("z") = sz;
        v.append_attribute("name") = name.c_str();
        v.append_attribute("type") = "0";
        v.text().set(text.c_str());
    };
    const BoxSize box{p.G_iCells_X, p.G_iCells_Y, p.G_iCells_Z};
    // A box with more cells than the blocks may leave any of its cells empty.
    addVoxel(box.x, box.y, box.z, "Box", std::string(size_t(box.cells()), cells < box.cells() ? '+' : '#'));
    for (const Group& g : groups) {
        const BoxSize s = analysis::extent(g.shape);
        std::string text;
        for (int z = 0; z < s.z; ++z)
            for (int y = 0; y < s.y; ++y)
                for (int x = 0; x < s.x; ++x) text += (g.shape & analysis::bitOf(x, y, z)) ? '#' : '_';
        std::string name = "B";
        for (size_t i = 0; i < g.numbers.size(); ++i) {
            if (i > 0) name += ',';
            name += std::to_string(g.numbers[i]);
        }
        addVoxel(s.x, s.y, s.z, name, text);
    }
    pugi::xml_node problem = root.append_child("problems").append_child("problem");
    problem.append_attribute("name") = p.G_sComment.empty() ? "Tessaro" : p.G_sComment.c_str();
    problem.append_attribute("state") = "0";
    pugi::xml_node used = problem.append_child("shapes");
    for (size_t i = 0; i < groups.size(); ++i) {
        pugi::xml_node s = used.append_child("shape");
        s.append_attribute("id") = unsigned(i + 1);
        s.append_attribute("count") = unsigned(groups[i].numbers.size());
    }
    problem.append_child("result").append_attribute("id") = "0";
    problem.append_child("bitmap");
    if (!p.G_sComment.empty()) {
        pugi::xml_node comment = root.append_child("comment");
        comment.append_attribute("popup") = "";
        comment.text().set(p.G_sComment.c_str());
    }
    std::ostringstream out;
    doc.save(out, "  ", pugi::format_indent, pugi::encoding_utf8);
    return out.str();
}

bool isXmPuzzleName(const std::string& fileName)
{
    const std::string lower = lowerCase(fileName);
    return lower.ends_with(".xmpuzzle") || lower.ends_with(".xml");
}

std::string xmPuzzleBytes(const Puzzle& p, bool current, const std::string& fileName)
{
    std::string text = xmPuzzleText(p, current);
    if (text.empty() || lowerCase(fileName).ends_with(".xml")) return text;
    return gzip(text);
}

}  // namespace tessaro::formats
