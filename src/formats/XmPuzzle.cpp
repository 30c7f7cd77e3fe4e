#include "formats/XmPuzzle.h"

#include "analysis/Geometry.h"
#include "files/ReadFile.h"
#include "files/ShiftJis.h"
#include "formats/Gzip.h"
#include "formats/XmlScan.h"
#include "model/Figure.h"

#include <pugixml.hpp>

#include <cstdio>

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <sstream>

namespace tessaro::formats {

namespace {

using analysis::BoxSize;

constexpr size_t kMaxFileBytes = size_t(16) << 20;
constexpr size_t kMaxXmlBytes = size_t(32) << 20;  // inflated: a bound on the time too
// What a puzzle file can use, and more: a larger file is an attack, not a puzzle.
constexpr size_t kMaxShapes = 5000;
constexpr size_t kMaxProblems = 1000;
constexpr size_t kMaxElements = 1'000'000;
constexpr long long kMaxSide = 1000;      // of a shape's grid; its cells must still fit 4 a side
constexpr long long kMaxDeclaredCells = 4'000'000;  // of all shapes' grids together
constexpr size_t kKeptName = 160;         // bytes of a name kept, more than is ever shown
constexpr size_t kKeptComment = 1024;

struct Voxel {
    std::string name;
    bool nameCut = false;
    long long sx = 0, sy = 0, sz = 0, total = 0;
    long long seen = 0;                     // characters of its text read so far
    long long filled = 0, required = 0;     // cells that are not '_'; '#' cells (the rest are '+')
    std::array<long long, 3> lo{}, hi{};    // the filled cells' extent
    std::vector<std::array<int16_t, 3>> cells;  // the filled cells, while they fit 4 a side
    std::array<long long, 3> at{};          // where the next cell of the text goes
    bool tooLarge = false;
};

// Shapes as the other program's window numbers them (from 1), with the name when there is one.
std::string shapeLabel(const Voxel& v, size_t id)
{
    std::string s = "形 S" + std::to_string(id + 1);
    if (!v.name.empty()) s += "「" + shownText(v.name, v.nameCut) + "」";
    return s;
}

// A count, size or id: decimal digits only, as the other program writes them.
std::optional<long long> natural(std::string_view text)
{
    if (text.empty() || text.size() > 18) return std::nullopt;
    long long v = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + (c - '0');
    }
    return v;
}

const XmlAttribute* find(const std::vector<XmlAttribute>& attributes, std::string_view name)
{
    for (const XmlAttribute& a : attributes)
        if (a.name == name) return &a;
    return nullptr;
}

std::optional<long long> naturalAttribute(const std::vector<XmlAttribute>& attributes, std::string_view name)
{
    const XmlAttribute* a = find(attributes, name);
    if (!a || a->cut) return std::nullopt;
    return natural(a->value);
}

// What each byte of a voxel's text is.
enum : uint8_t { kOther, kDigit, kSpace, kEmpty, kOptional, kRequired };
constexpr std::array<uint8_t, 256> kCellKind = [] {
    std::array<uint8_t, 256> t{};
    for (char c = '0'; c <= '9'; ++c) t[size_t(c)] = kDigit;
    for (char c : {' ', '\n', '\r', '\t'}) t[size_t(c)] = kSpace;
    t['_'] = kEmpty, t['+'] = kOptional, t['#'] = kRequired;
    return t;
}();

// One `<shape>` of the chosen problem, as written.
struct Entry {
    std::optional<long long> id;
    std::optional<XmlAttribute> count, min, max;
};

// The puzzle's parts as the scan passes them: every shape, the problems'
// names, and of the chosen problem only its pieces and the shape to fill.
class PuzzleScan : public XmlHandler {
public:
    explicit PuzzleScan(int problem) : wanted_(problem == 0 ? 1 : size_t(std::max(problem, 0))) {}

    std::string error;  // why the scan stopped, in the file's terms
    std::vector<Voxel> shapes;
    std::vector<std::string> problemNames;
    std::string chosenName, comment;
    std::vector<Entry> entries;
    bool resultSeen = false;
    std::optional<long long> resultId;

    bool start(std::string_view name, const std::vector<XmlAttribute>& a, int depth) override
    {
        if (++elements_ > kMaxElements) return stop("要素が多すぎます（" + std::to_string(kMaxElements) + " 個まで）。");
        if (depth == 1) {
            if (name != "puzzle") return stop("パズルのファイルではありません（puzzle 要素がありません）。");
            return true;
        }
        if (depth == 2) {
            if (name == "gridType" && !gridSeen_) {
                gridSeen_ = true;
                const auto type = naturalAttribute(a, "type");
                if (!type || *type != 0) return stop("立方体のグリッドではないパズルは読み込めません。");
            }
            open(name, "shapes", shapesSeen_, inShapes_);
            open(name, "problems", problemsSeen_, inProblems_);
            open(name, "comment", commentSeen_, inComment_);
            return true;
        }
        if (depth == 3 && inShapes_ && name == "voxel") return startVoxel(a);
        if (depth == 3 && inProblems_ && name == "problem") {
            if (problemNames.size() >= kMaxProblems)
                return stop("問題が多すぎます（" + std::to_string(kMaxProblems) + " 個まで）。");
            const XmlAttribute* n = find(a, "name");
            problemNames.push_back(n ? shownText(n->value, n->cut) : std::string());
            inChosen_ = problemNames.size() == wanted_;
            if (inChosen_ && n) chosenName = n->value.substr(0, kKeptComment);
            return true;
        }
        if (depth == 4 && inChosen_) {
            open(name, "shapes", pieceListSeen_, inPieceList_);
            if (name == "result" && !resultSeen) {
                resultSeen = true;
                resultId = naturalAttribute(a, "id");
            }
            return true;
        }
        if (depth == 5 && inPieceList_ && name == "shape") {
            if (entries.size() >= kMaxShapes)
                return stop("問題の形が多すぎます（" + std::to_string(kMaxShapes) + " 個まで）。");
            Entry& e = entries.emplace_back();
            e.id = naturalAttribute(a, "id");
            keep(a, "count", e.count);
            keep(a, "min", e.min);
            keep(a, "max", e.max);
        }
        return true;
    }

    bool text(std::string_view chunk, int depth) override
    {
        if (depth == 3 && inVoxel_) return voxelText(chunk);
        if (depth == 2 && inComment_ && comment.size() < kKeptComment)
            comment.append(chunk.substr(0, kKeptComment - comment.size()));
        return true;
    }

    bool end(std::string_view name, int depth) override
    {
        if (depth == 2) {
            if (name == "shapes") inShapes_ = false;
            if (name == "problems") inProblems_ = false;
            if (name == "comment") inComment_ = false;
        } else if (depth == 3 && inVoxel_) {
            inVoxel_ = false;
            const Voxel& v = shapes.back();
            if (v.seen != v.total) return stop(shapeLabel(v, shapes.size() - 1) + "のセルの数が大きさと合いません。");
        } else if (depth == 3 && inProblems_) {
            inChosen_ = false;
        } else if (depth == 4 && inChosen_ && name == "shapes") {
            inPieceList_ = false;
        }
        return true;
    }

private:
    bool stop(std::string why)
    {
        error = std::move(why);
        return false;
    }

    // The first element of a kind only, as a reader that takes the first child would.
    static void open(std::string_view name, std::string_view kind, bool& seen, bool& in)
    {
        if (name != kind || seen) return;
        seen = in = true;
    }

    // A number's text: what is longer than any count is unreadable anyway.
    static void keep(const std::vector<XmlAttribute>& a, const char* name, std::optional<XmlAttribute>& copy)
    {
        if (const XmlAttribute* found = find(a, name)) {
            copy = *found;
            if (copy->value.size() > 32) copy->value.resize(32), copy->cut = true;
        }
    }

    bool startVoxel(const std::vector<XmlAttribute>& a)
    {
        if (shapes.size() >= kMaxShapes) return stop("形が多すぎます（" + std::to_string(kMaxShapes) + " 個まで）。");
        Voxel& v = shapes.emplace_back();
        if (const XmlAttribute* n = find(a, "name")) {
            v.name = n->value.substr(0, kKeptName);
            v.nameCut = n->cut || n->value.size() > kKeptName;
        }
        // Each side bounded before they are multiplied.
        const auto sx = naturalAttribute(a, "x"), sy = naturalAttribute(a, "y"), sz = naturalAttribute(a, "z");
        for (const auto& side : {sx, sy, sz})
            if (!side || *side < 1 || *side > kMaxSide)
                return stop(shapeLabel(v, shapes.size() - 1) + "の大きさ (x, y, z) が読めません。");
        v.sx = *sx, v.sy = *sy, v.sz = *sz;
        v.total = v.sx * v.sy * v.sz;
        // The grids together: a puzzle's shapes are small, so many large grids
        // are refused as they are declared, before their texts are read.
        declared_ += v.total;
        if (declared_ > kMaxDeclaredCells)
            return stop("形が大きすぎます（" + shapeLabel(v, shapes.size() - 1) + " までの大きさ x×y×z の合計が " +
                        std::to_string(kMaxDeclaredCells / 10'000) + " 万セルを超えます）。");
        v.lo = {v.sx, v.sy, v.sz};
        v.hi = {-1, -1, -1};
        inVoxel_ = true;
        return true;
    }

    // One state character per cell, x fastest, each possibly followed by a
    // colour number, which is not kept. Cells are kept only while they fit
    // into 4 a side: a larger shape costs no memory, whatever its grid says.
    bool voxelText(std::string_view chunk)
    {
        Voxel& v = shapes.back();
        // Worked on in scalar locals: the text's bytes may alias anything, which
        // would keep every field of the shape in memory through the loop.
        long long seen = v.seen, filled = v.filled, required = v.required;
        long long x = v.at[0], y = v.at[1], z = v.at[2];
        long long loX = v.lo[0], loY = v.lo[1], loZ = v.lo[2], hiX = v.hi[0], hiY = v.hi[1], hiZ = v.hi[2];
        const long long sx = v.sx, sy = v.sy, total = v.total;
        bool large = v.tooLarge, bad = false;
        for (const char c : chunk) {
            const uint8_t kind = kCellKind[static_cast<unsigned char>(c)];
            if (kind == kSpace || (kind == kDigit && seen > 0)) continue;
            if (kind < kEmpty || seen == total) {
                bad = true;
                break;
            }
            if (kind != kEmpty) {
                // z only grows: the last filled cell's z is the highest.
                if (filled == 0) loZ = z;
                loX = std::min(loX, x), hiX = std::max(hiX, x);
                loY = std::min(loY, y), hiY = std::max(hiY, y);
                ++filled;
                required += kind == kRequired;
                if (!large) {
                    large = filled > kCells || hiX - loX >= kGrid || hiY - loY >= kGrid || z - loZ >= kGrid;
                    if (large) std::vector<std::array<int16_t, 3>>().swap(v.cells);
                    else v.cells.push_back({int16_t(x), int16_t(y), int16_t(z)});
                }
                hiZ = z;
            }
            ++seen;
            // The next cell's place, x fastest: counted on, never divided out.
            if (++x == sx) {
                x = 0;
                if (++y == sy) y = 0, ++z;
            }
        }
        v.seen = seen, v.filled = filled, v.required = required, v.tooLarge = large;
        v.at = {x, y, z}, v.lo = {loX, loY, loZ}, v.hi = {hiX, hiY, hiZ};
        if (bad)
            return stop(shapeLabel(v, shapes.size() - 1) +
                        (seen == total ? "のセルの数が大きさと合いません。" : "に読めない文字があります。"));
        return true;
    }

    size_t wanted_;
    size_t elements_ = 0;
    long long declared_ = 0;
    bool gridSeen_ = false, shapesSeen_ = false, problemsSeen_ = false, commentSeen_ = false;
    bool inShapes_ = false, inProblems_ = false, inComment_ = false, inVoxel_ = false;
    bool inChosen_ = false, pieceListSeen_ = false, inPieceList_ = false;
};

// The cells moved to the origin as a mask, or nothing when they span more than the grid.
std::optional<uint64_t> shapeMask(const Voxel& v)
{
    if (v.tooLarge || v.cells.empty()) return std::nullopt;
    uint64_t mask = 0;
    for (const auto& c : v.cells)
        mask |= analysis::bitOf(int(c[0] - v.lo[0]), int(c[1] - v.lo[1]), int(c[2] - v.lo[2]));
    return mask;
}

bool fits(BoxSize s, BoxSize box) { return s.x <= box.x && s.y <= box.y && s.z <= box.z; }

std::string oneLine(std::string s)
{
    s = s.substr(0, s.find_first_of("\r\n"));
    s.erase(std::remove_if(s.begin(), s.end(),
                           [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }),
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

// The block numbers a shape's name carries when this program wrote it ("B4"
// or "B2,3" for two alike), else nothing.
std::vector<int> ownNumbers(const std::string& name)
{
    std::vector<int> out;
    if (name.size() < 2 || name[0] != 'B') return {};
    for (size_t i = 1; i < name.size(); i += 2) {
        if (name[i] < '1' || name[i] > '0' + kBlocks) return {};
        out.push_back(name[i] - '0');
        if (i + 1 < name.size() && name[i + 1] != ',') return {};
    }
    if (name.back() == ',') return {};
    return out;
}

}  // namespace

XmReadResult readXmPuzzle(std::string_view bytes, int problem)
{
    PuzzleScan scan(problem);
    XmlScanLimits limits;
    limits.maxBytes = kMaxXmlBytes;
    if (const std::string why = scanXml(bytes, scan, limits); !why.empty()) return fail(why);
    if (!scan.error.empty()) return fail(scan.error);
    const std::vector<Voxel>& shapes = scan.shapes;

    XmReadResult result;
    result.problems = scan.problemNames;
    const size_t problems = scan.problemNames.size();
    if (problems == 0) return fail("問題が 1 つもありません。");
    if (problem == 0 && problems > 1) {
        result.needsProblemChoice = true;
        result.error = "問題が " + std::to_string(problems) + " 個あります。どの問題を読み込むか選んでください。";
        return result;
    }
    if (problem < 0 || problem > int(problems))
        return fail("問題 " + std::to_string(problem) + " はありません（1〜" + std::to_string(problems) + "）。");

    // The box: a result shape that fills its whole extent, 2 to 4 cells a side.
    if (!scan.resultId || *scan.resultId >= (long long)shapes.size()) return fail("問題に埋める形（result）がありません。");
    const Voxel& target = shapes[size_t(*scan.resultId)];
    const std::array<long long, 3> side{target.hi[0] - target.lo[0] + 1, target.hi[1] - target.lo[1] + 1,
                                        target.hi[2] - target.lo[2] + 1};
    if (target.filled == 0 || target.filled != side[0] * side[1] * side[2])
        return fail("埋める形が箱（直方体）ではありません。");
    if (std::any_of(side.begin(), side.end(), [](long long s) { return s < 2 || s > kGrid; }))
        return fail("箱の大きさ " + std::to_string(side[0]) + "×" + std::to_string(side[1]) + "×" +
                    std::to_string(side[2]) + " は扱えません（各辺 2〜4）。");
    const BoxSize box{int(side[0]), int(side[1]), int(side[2])};

    // The blocks, each shape as often as the problem uses it; with the block
    // numbers of this program's own names when every piece has one.
    struct Piece {
        uint64_t mask;
        int number;  // from the name, or 0
    };
    std::vector<Piece> pieces;
    long long blockCount = 0;
    for (const Entry& e : scan.entries) {
        if (!e.id || *e.id >= (long long)shapes.size()) return fail("問題が存在しない形を使っています。");
        const Voxel& v = shapes[size_t(*e.id)];
        const std::string label = shapeLabel(v, size_t(*e.id));
        std::optional<long long> count = 1;
        if (e.count) {
            count = e.count->cut ? std::nullopt : natural(e.count->value);
        } else if (e.min || e.max) {
            const auto mn = e.min && !e.min->cut ? natural(e.min->value) : std::nullopt;
            const auto mx = e.max && !e.max->cut ? natural(e.max->value) : std::nullopt;
            if ((e.min && !mn) || (e.max && !mx)) return fail(label + "の個数が読めません。");
            if (!mn || !mx || *mn != *mx) return fail(label + "の個数が決まっていません（min と max が違います）。");
            count = mn;
        }
        if (!count) return fail(label + "の個数が読めません。");
        if (*count == 0) continue;
        blockCount += *count;
        if (blockCount > kBlocks)
            return fail("ブロックが多すぎます（" + std::to_string(blockCount) + " 個以上、8 個まで）。");
        if (v.filled == 0) return fail(label + "にセルがありません。");
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
        if (!placed) return fail(label + "が箱より大きく、箱に入りません。");
        std::vector<int> numbers = ownNumbers(v.name);
        if ((long long)numbers.size() != *count) numbers.clear();
        for (long long i = 0; i < *count; ++i) pieces.push_back({*placed, numbers.empty() ? 0 : numbers[size_t(i)]});
    }
    if (pieces.empty()) return fail("問題にブロックがありません。");

    int cells = 0;
    for (const Piece& b : pieces) cells += std::popcount(b.mask);
    const int boxCells = box.x * box.y * box.z;
    if (cells > boxCells)
        return fail("ブロックのセルの合計 " + std::to_string(cells) + " が箱のセル " + std::to_string(boxCells) +
                    " 個より多いです。");
    if (cells < boxCells && target.required == boxCells)
        return fail("ブロックのセルの合計 " + std::to_string(cells) + " が、すべて埋める箱のセル " +
                    std::to_string(boxCells) + " 個より少ないです。");
    if (cells < boxCells && target.required > 0)
        return fail("箱の一部のセルだけが空いていてよいセルです。どのセルも空いてよいか、すべて埋める箱だけを扱えます。");

    // Numbers from the names only when they name each block once.
    std::vector<int> slot(pieces.size());
    bool own = true;
    std::array<bool, kBlocks + 1> taken{};
    for (size_t b = 0; b < pieces.size() && own; ++b) {
        const int n = pieces[b].number;
        own = n > 0 && !taken[size_t(n)];
        if (own) taken[size_t(n)] = true, slot[b] = n - 1;
    }
    if (!own)
        for (size_t b = 0; b < pieces.size(); ++b) slot[b] = int(b);

    Puzzle p{};
    for (size_t b = 0; b < pieces.size(); ++b)
        for (int i = 0; i < kCells; ++i)
            if ((pieces[b].mask >> i) & 1) p.G_iPiece[size_t(slot[b] + kBlocks * i)] = 1;
    p.setBoxCells(box.x, box.y, box.z);
    subLoader_Init(p);
    p.G_iCell_Total = fncPiece_CountAll(p);
    subPiece_SaveMade(p);
    // Files this program wrote before named a problem without a comment so
    // (a puzzle whose comment is that word has it as the file's comment too).
    const bool madeUpName = own && scan.chosenName == "Tessaro" && trimSpaces(scan.comment).empty();
    std::string comment = madeUpName ? std::string() : scan.chosenName;
    if (trimSpaces(comment).empty()) comment = scan.comment;
    p.G_sComment = commentThatFits(comment);
    result.puzzle = p;
    return result;
}

XmReadResult readXmPuzzleFile(const std::string& path, int problem)
{
    const FileBytes read = readFileHead(path, kMaxFileBytes);
    switch (read.failure) {
    case FileBytes::Failure::Open: return fail(std::string("開けません（") + std::strerror(read.error) + "）。");
    case FileBytes::Failure::NotRegular: return fail("通常のファイルではありません。");
    case FileBytes::Failure::Read: return fail(std::string("読み込めません（") + std::strerror(read.error) + "）。");
    case FileBytes::Failure::None: break;
    }
    if (read.more) return fail("ファイルが大きすぎます。");
    const std::string& bytes = read.bytes;
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
    // No comment, no name: a name made up here would come back as the comment.
    if (!p.G_sComment.empty()) problem.append_attribute("name") = p.G_sComment.c_str();
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
