#include "files/PuzzleFile.h"

#include "files/FileReport.h"
#include "files/ReadFile.h"
#include "files/SaveFile.h"
#include "files/ShiftJis.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <new>

namespace tessaro {

namespace {

constexpr const char* kPutPlace = "frmMain.subFile_put() ";
constexpr const char* kGetPlace = "frmMain.fncFile_get() ";

struct Field {
    size_t offset;
    size_t size;
    int label;
};
constexpr Field kFields[] = {
    {rec::kVersion, 16, 110},   {rec::kKey, 16, 120},        {rec::kPassword, 16, 121},
    {rec::kPieceMade, 1024, 130}, {rec::kPiece, 1024, 140},  {rec::kComment, 40, 150},
    {rec::kCellsX, 2, 160},     {rec::kCellsY, 2, 170},      {rec::kCellsZ, 2, 180},
    {rec::kBox, 128, 190},      {rec::kBoxNo, 128, 200},     {rec::kBoxColor, 768, 210},
    {rec::kCellTotal, 2, 220},  {rec::kCellFilled, 2, 230},  {rec::kLoaded, 16, 240},
    {rec::kRotate, 4, 250},     {rec::kRotation, 16, 260},   {rec::kInfoPiece, 48, 270},
};
static_assert(rec::kInfoPiece + 48 == kRecordSize);

void putInt16(Record& r, size_t at, int16_t v)
{
    auto u = static_cast<uint16_t>(v);
    r[at] = static_cast<uint8_t>(u & 0xFF);
    r[at + 1] = static_cast<uint8_t>(u >> 8);
}

void putInt32(Record& r, size_t at, int32_t v)
{
    auto u = static_cast<uint32_t>(v);
    for (size_t k = 0; k < 4; ++k)
        r[at + k] = static_cast<uint8_t>((u >> (8 * k)) & 0xFF);
}

template <size_t N>
void putInt16s(Record& r, size_t at, const std::array<int16_t, N>& a)
{
    for (size_t i = 0; i < N; ++i)
        putInt16(r, at + 2 * i, a[i]);
}

void putText(Record& r, size_t at, const std::string& cp932Field)
{
    std::copy(cp932Field.begin(), cp932Field.end(), r.begin() + static_cast<std::ptrdiff_t>(at));
}

int16_t getInt16(std::string_view b, size_t at)
{
    auto u = static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | (static_cast<uint8_t>(b[at + 1]) << 8));
    return static_cast<int16_t>(u);
}

int32_t getInt32(std::string_view b, size_t at)
{
    uint32_t u = 0;
    for (size_t k = 0; k < 4; ++k)
        u |= static_cast<uint32_t>(static_cast<uint8_t>(b[at + k])) << (8 * k);
    return static_cast<int32_t>(u);
}

FileError badValue(int label, const std::string& what, long value)
{
    return {label, 321, "ファイル形式が無効です。（" + what + " = " + std::to_string(value) + "）"};
}

FileError badCount(int label, const std::string& what, long value, const std::string& actualIs, long actual)
{
    return {label, 321,
            "ファイル形式が無効です。（" + what + " = " + std::to_string(value) + "、" + actualIs + " " +
                std::to_string(actual) + " 個）"};
}

std::string cellName(const char* name, int i)
{
    int x = i % kGrid, y = (i / kGrid) % kGrid, z = i / (kGrid * kGrid);
    return std::string(name) + "(" + std::to_string(x) + ", " + std::to_string(y) + ", " + std::to_string(z) + ")";
}

std::string pieceName(const char* name, int i)
{
    int b = i % kBlocks, c = i / kBlocks;
    int x = c % kGrid, y = (c / kGrid) % kGrid, z = c / (kGrid * kGrid);
    return std::string(name) + "(" + std::to_string(b) + ", " + std::to_string(x) + ", " + std::to_string(y) + ", " +
           std::to_string(z) + ")";
}

// Reads an array of Integers, refusing the first element outside lo..hi.
template <size_t N, typename Namer>
std::optional<FileError> getInt16s(std::string_view b, size_t at, int label, int lo, int hi, Namer name,
                                   std::array<int16_t, N>& out)
{
    for (size_t i = 0; i < N; ++i) {
        int16_t v = getInt16(b, at + 2 * i);
        if (v < lo || v > hi)
            return badValue(label, name(static_cast<int>(i)), v);
        out[i] = v;
    }
    return std::nullopt;
}

}  // namespace

std::optional<FileError> checkPassword(const std::string& password)
{
    std::string_view pw = trimSpaces(password);
    size_t pos = 0;
    for (int i = 1; i <= static_cast<int>(kPasswordChars) && pos < pw.size(); ++i) {
        auto c = static_cast<unsigned char>(pw[pos]);
        if (c >= 0x80) {
            size_t len = 1;
            while (pos + len < pw.size() && (static_cast<unsigned char>(pw[pos + len]) & 0xC0) == 0x80)
                ++len;
            return FileError{120, 6,
                             "オーバーフローしました。パスワードの " + std::to_string(i) + " 文字目「" +
                                 std::string(pw.substr(pos, len)) + "」は半角英数字ではないため保存できません。"};
        }
        if (c < 0x20 || c == 0x7F)
            return FileError{120, 6,
                             "パスワードの " + std::to_string(i) + " 文字目は制御文字のため保存できません。"};
        if (c + 127 + i > 255)
            return FileError{120, 6,
                             "オーバーフローしました。パスワードの " + std::to_string(i) + " 文字目「" +
                                 std::string(1, static_cast<char>(c)) + "」はこの位置に保存できません。"};
        ++pos;
    }
    return std::nullopt;
}

std::optional<FileError> encodeRecord(const Puzzle& p, const std::string& version, UniformRandom& rnd, Record& out)
{
    if (auto refused = checkPassword(p.G_sPassword))
        return refused;
    out.fill(0);

    int step = 100;  // preparing the version text
    try {
        putText(out, rec::kVersion, cp932Field(utf8ToCp932(trimSpaces(version)), 16));

        uint8_t key[kPasswordChars];
        for (size_t i = 0; i < kPasswordChars; ++i) {
            int k = static_cast<int>(rnd.next() * 128.0f) + 64;
            key[i] = static_cast<uint8_t>(std::clamp(k, 64, 191));
            out[rec::kKey + i] = key[i];
        }

        std::string pw(trimSpaces(p.G_sPassword).substr(0, kPasswordChars));
        pw.resize(kPasswordChars, ' ');
        for (size_t i = 0; i < kPasswordChars; ++i) {
            int c = static_cast<unsigned char>(pw[i]);
            out[rec::kPassword + i] = static_cast<uint8_t>((c + 127 + static_cast<int>(i) + 1) ^ key[i]);
        }

        putInt16s(out, rec::kPieceMade, p.G_iPiece_Made);
        putInt16s(out, rec::kPiece, p.G_iPiece);
        step = 140;  // a text field is prepared under the label of the field before it
        putText(out, rec::kComment, cp932Field(utf8ToCp932(trimSpaces(p.G_sComment)), kCommentBytes));
        putInt16(out, rec::kCellsX, p.G_iCells_X);
        putInt16(out, rec::kCellsY, p.G_iCells_Y);
        putInt16(out, rec::kCellsZ, p.G_iCells_Z);
        putInt16s(out, rec::kBox, p.G_iBox);
        putInt16s(out, rec::kBoxNo, p.G_iBox_No);
        for (size_t i = 0; i < p.G_lBox_Color.size(); ++i)
            putInt32(out, rec::kBoxColor + 4 * i, p.G_lBox_Color[i]);
        putInt16(out, rec::kCellTotal, fncPiece_CountAll(p));
        putInt16(out, rec::kCellFilled, fncBox_Count(p.G_iBox));
        putInt16s(out, rec::kLoaded, p.G_iLoaded);
        putInt32(out, rec::kRotate, p.GE_lRotate);
        putInt16s(out, rec::kRotation, p.GE_iRotation);
        for (size_t n = 0; n < kBlocks; ++n) {
            putInt16(out, rec::kInfoPiece + 6 * n, p.G_Info_Piece[n].iNo);
            putInt16(out, rec::kInfoPiece + 6 * n + 2, p.G_Info_Piece[n].iFace_ct);
            putInt16(out, rec::kInfoPiece + 6 * n + 4, p.G_Info_Piece[n].iTurn_CtZ);
        }
    } catch (const std::exception& e) {
        return unexpectedFileError(step, e);
    }
    return std::nullopt;
}

DecodeResult decodeRecord(std::string_view b, Puzzle& p)
{
    DecodeResult result;
    if (b.size() < 16 || b[0] != 'V') {
        result.kind = DecodeResult::Kind::NgVersion;
        return result;
    }
    auto fail = [&](FileError e) {
        result.kind = DecodeResult::Kind::Error;
        result.error = std::move(e);
        return result;
    };
    if (b.size() < kRecordSize) {
        for (const Field& f : kFields)
            if (f.offset + f.size > b.size())
                return fail({f.label, 62,
                             "ファイルにこれ以上データがありません。（" + std::to_string(b.size()) + " / " +
                                 std::to_string(kRecordSize) + " バイト）"});
    }
    b = b.substr(0, kRecordSize);

    int step = 110;
    try {
        Puzzle q = p;  // staged: the model sees nothing of a refused file
        std::string version = cp932ToUtf8(trimSpaces(b.substr(rec::kVersion, 16)));

        std::string pw;
        for (size_t i = 0; i < kPasswordChars; ++i) {
            int key = static_cast<uint8_t>(b[rec::kKey + i]);
            int stored = static_cast<uint8_t>(b[rec::kPassword + i]);
            int c = (stored ^ key) - 127 - static_cast<int>(i + 1);
            // Below 0 is damage; a control character could never be typed at the give-up prompt.
            if (c < 0x20 || c == 0x7F)
                return fail({121, 5,
                             "プロシージャの呼び出し、または引数が不正です。（パスワードの " + std::to_string(i + 1) +
                                 (c < 0 ? " 文字目が壊れています）" : " 文字目が制御文字です）")});
            pw.push_back(static_cast<char>(c));
        }
        q.G_sPassword = std::string(trimSpaces(pw));

        auto pieceNamer = [](const char* name) { return [name](int i) { return pieceName(name, i); }; };
        auto cellNamer = [](const char* name) { return [name](int i) { return cellName(name, i); }; };
        auto indexNamer = [](const char* name) { return [name](int i) { return std::string(name) + "(" + std::to_string(i) + ")"; }; };

        if (auto e = getInt16s(b, rec::kPieceMade, 130, 0, 1, pieceNamer("G_iPiece_Made"), q.G_iPiece_Made)) return fail(*e);
        if (auto e = getInt16s(b, rec::kPiece, 140, 0, 1, pieceNamer("G_iPiece"), q.G_iPiece)) return fail(*e);

        step = 150;
        q.G_sComment = std::string(trimSpaces(cp932ToUtf8(b.substr(rec::kComment, kCommentBytes))));

        struct Size { size_t at; int label; const char* name; int16_t* cells; };
        for (Size s : {Size{rec::kCellsX, 160, "G_iCells_X", &q.G_iCells_X}, Size{rec::kCellsY, 170, "G_iCells_Y", &q.G_iCells_Y},
                       Size{rec::kCellsZ, 180, "G_iCells_Z", &q.G_iCells_Z}}) {
            int16_t v = getInt16(b, s.at);
            if (v < 2 || v > kGrid)
                return fail(badValue(s.label, s.name, v));
            *s.cells = v;
        }
        q.setBoxCells(q.G_iCells_X, q.G_iCells_Y, q.G_iCells_Z);

        // 2 marks a body cell chosen while a maker runs; a save then keeps it.
        if (auto e = getInt16s(b, rec::kBox, 190, 0, 2, cellNamer("G_iBox"), q.G_iBox)) return fail(*e);
        if (auto e = getInt16s(b, rec::kBoxNo, 200, 0, kBlocks, cellNamer("G_iBox_No"), q.G_iBox_No)) return fail(*e);
        for (size_t i = 0; i < q.G_lBox_Color.size(); ++i) {
            q.G_lBox_Color[i] = getInt32(b, rec::kBoxColor + 4 * i);
            if (q.G_lBox_Color[i] < 0 || q.G_lBox_Color[i] > 0xFFFFFF) {
                std::string name = cellName("G_lBox_Color", static_cast<int>(i) % kCells);
                name.insert(name.size() - 1, ", " + std::to_string(i / kCells));
                return fail(badValue(210, name, q.G_lBox_Color[i]));
            }
        }
        // The loader ends when the box holds G_iCell_Total cells: a total that lies would let it search for ever.
        q.G_iCell_Total = getInt16(b, rec::kCellTotal);
        if (q.G_iCell_Total != fncPiece_CountAll(q))
            return fail(badCount(220, "G_iCell_Total", q.G_iCell_Total, "ブロックのセルは", fncPiece_CountAll(q)));
        q.G_iCell_Filled = getInt16(b, rec::kCellFilled);
        if (q.G_iCell_Filled != fncBox_Count(q.G_iBox))
            return fail(badCount(230, "G_iCell_Filled", q.G_iCell_Filled, "箱の詰まったセルは", fncBox_Count(q.G_iBox)));
        if (auto e = getInt16s(b, rec::kLoaded, 240, 0, 1, indexNamer("G_iLoaded"), q.G_iLoaded)) return fail(*e);
        q.GE_lRotate = getInt32(b, rec::kRotate);
        if (q.GE_lRotate < 0)
            return fail(badValue(250, "GE_lRotate", q.GE_lRotate));
        if (auto e = getInt16s(b, rec::kRotation, 260, 0, kBlocks - 1, indexNamer("GE_iRotation"), q.GE_iRotation)) return fail(*e);
        for (size_t n = 0; n < kBlocks; ++n) {
            struct Part { size_t off; const char* name; int hi; int16_t* out; };
            InfoPiece& info = q.G_Info_Piece[n];
            for (Part f : {Part{0, "iNo", kBlocks, &info.iNo}, Part{2, "iFace_ct", 5, &info.iFace_ct},
                           Part{4, "iTurn_CtZ", 3, &info.iTurn_CtZ}}) {
                int16_t v = getInt16(b, rec::kInfoPiece + 6 * n + f.off);
                if (v < 0 || v > f.hi)
                    return fail(badValue(270, "G_Info_Piece(" + std::to_string(n) + ")." + f.name, v));
                *f.out = v;
            }
        }

        p = std::move(q);
        result.kind = DecodeResult::Kind::Read;
        result.version = std::move(version);
        return result;
    } catch (const std::exception& e) {
        return fail(unexpectedFileError(step, e));
    }
}

bool subFile_put(const Puzzle& p, const std::string& path)
{
    ClockRandom rnd;
    return subFile_put(p, path, rnd);
}

namespace {

bool putRecord(const Puzzle& p, const std::string& path, UniformRandom& rnd)
{
    auto fail = [](const FileError& e) {
        reportFileError(kPutPlace, e);
        return false;
    };

    Record record;
    if (auto refused = encodeRecord(p, recordVersionText(), rnd, record))
        return fail(*refused);

    LabelledStretch stretches[std::size(kFields)];
    for (size_t i = 0; i < std::size(kFields); ++i)
        stretches[i] = {kFields[i].offset, kFields[i].size, kFields[i].label};
    if (auto e = saveBytes(path, record, stretches))
        return fail(*e);
    return true;
}

std::string getRecord(Puzzle& p, const std::string& path)
{
    auto fail = [](const FileError& e) {
        reportFileError(kGetPlace, e);
        return std::string();
    };
    if (path.empty())
        return fail({100, 52, "ファイル名が指定されていません。"});
    const FileBytes read = readFileHead(path, kRecordSize);
    if (read.failure != FileBytes::Failure::None)
        return fail(ioError(read.failure == FileBytes::Failure::Read ? 110 : 100, read.error, false));
    const std::string& bytes = read.bytes;

    DecodeResult r = decodeRecord(bytes, p);
    switch (r.kind) {
    case DecodeResult::Kind::Read:
        return r.version;
    case DecodeResult::Kind::NgVersion:
        return kNgVersion;
    case DecodeResult::Kind::Error:
        break;
    }
    return fail(r.error);
}

}  // namespace

bool subFile_put(const Puzzle& p, const std::string& path, UniformRandom& rnd)
{
    try {
        return putRecord(p, path, rnd);
    } catch (const std::exception& e) {
        const FileError err = unexpectedFileError(100, e);
        reportFileError(kPutPlace, err);
        return false;
    }
}

std::string fncFile_get(Puzzle& p, const std::string& path)
{
    try {
        return getRecord(p, path);
    } catch (const std::exception& e) {
        const FileError err = unexpectedFileError(100, e);
        reportFileError(kGetPlace, err);
        return {};
    }
}

}  // namespace tessaro
