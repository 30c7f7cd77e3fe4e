#pragma once
// The puzzle file: one fixed record of 3254 bytes, little-endian, arrays in the
// model's element order, texts in Shift-JIS padded with spaces. The answer
// password is stored scrambled with 16 random key bytes kept in front of it.

#include "files/FileError.h"
#include "model/Figure.h"
#include "model/Puzzle.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <string_view>

namespace tessaro {

inline constexpr size_t kRecordSize = 3254;
using Record = std::array<uint8_t, kRecordSize>;

// Where each field starts; the field's step label follows it.
namespace rec {
inline constexpr size_t kVersion = 0;        // 110, 16 bytes text
inline constexpr size_t kKey = 16;           // 120, 16 bytes
inline constexpr size_t kPassword = 32;      // 121, 16 bytes
inline constexpr size_t kPieceMade = 48;     // 130, 512 Integers
inline constexpr size_t kPiece = 1072;       // 140, 512 Integers
inline constexpr size_t kComment = 2096;     // 150, 40 bytes text
inline constexpr size_t kCellsX = 2136;      // 160
inline constexpr size_t kCellsY = 2138;      // 170
inline constexpr size_t kCellsZ = 2140;      // 180
inline constexpr size_t kBox = 2142;         // 190, 64 Integers
inline constexpr size_t kBoxNo = 2270;       // 200, 64 Integers
inline constexpr size_t kBoxColor = 2398;    // 210, 192 Longs
inline constexpr size_t kCellTotal = 3166;   // 220
inline constexpr size_t kCellFilled = 3168;  // 230
inline constexpr size_t kLoaded = 3170;      // 240, 8 Integers
inline constexpr size_t kRotate = 3186;      // 250, Long
inline constexpr size_t kRotation = 3190;    // 260, 8 Integers
inline constexpr size_t kInfoPiece = 3206;   // 270, 8 x (iNo, iFace_ct, iTurn_CtZ)
}  // namespace rec

inline constexpr size_t kCommentBytes = 40;
inline constexpr size_t kPasswordChars = 16;
// The reader's result for a file that does not begin with "V".
inline constexpr const char* kNgVersion = "NG Version";

// Whether the format can hold the password (trimmed, first 16 characters):
// position i (1-based) takes a single-byte code c only when c + 127 + i <= 255,
// and a control character could never be typed at the give-up prompt.
// Returns the reason (label 120) when it cannot.
std::optional<FileError> checkPassword(const std::string& password);

// Builds the record from the model with `version` (trimmed) and a new key drawn
// from `rnd`. The record's G_iCell_Total and G_iCell_Filled are the cells of its
// blocks and of its box, whatever the model's counters say (a save while a maker
// runs would otherwise carry a stale total). Fails only for a password
// checkPassword refuses.
std::optional<FileError> encodeRecord(const Puzzle& p, const std::string& version, UniformRandom& rnd, Record& out);

struct DecodeResult {
    enum class Kind { Read, NgVersion, Error } kind = Kind::Error;
    std::string version;  // trimmed version text, when Read
    FileError error;      // when Error
};
// Decodes the first bytes of a file (anything past the record is ignored).
// `p` changes only when the result is Read, and then as a whole: every array,
// the box size and maxima, the counters, comment and password. Refused: fewer
// than 3254 bytes, a box size outside 2..4, or a value the program could never
// have written (cube cell not 0/1, box cell not 0..2, block number not 0..8,
// loaded flag not 0/1, negative order code, order entry not 0..7, load number
// not 0..8, face not 0..5, turn count not 0..3, a password byte decoding below 0
// or to a control character, a colour outside 0..0xFFFFFF), and a record whose
// counters lie: G_iCell_Total other than the cells of its blocks, G_iCell_Filled
// other than fncBox_Count of its box.
DecodeResult decodeRecord(std::string_view bytes, Puzzle& p);

// Writes the model (and recordVersionText()) to `path`: true when the whole record is in
// place. The record is saved with saveBytes (files/SaveFile.h): only a regular
// file or a new name, read-only files refused even for root, the file's identity
// kept, a failure leaving any old file as it was. A password the format cannot
// hold is refused before any file is touched. Every failure is
// reported through reportFileError ("frmMain.subFile_put() ") and gives false.
// The caller fills G_sComment, G_sPassword and G_iCell_Filled first.
bool subFile_put(const Puzzle& p, const std::string& path);
// The same with the key drawn from `rnd` (the other form seeds one from the clock).
bool subFile_put(const Puzzle& p, const std::string& path, UniformRandom& rnd);

// Reads `path` into `p`. Returns the file's version text (trimmed) when the
// whole record was read; "NG Version" when the file does not begin with "V"
// (also when it is shorter than 16 bytes); "" after a failure, which is logged
// through reportFileError ("frmMain.fncFile_get() "). On anything but success
// `p` is untouched. G_sFile_Version and G_sFile_Title are the caller's.
std::string fncFile_get(Puzzle& p, const std::string& path);

}  // namespace tessaro
