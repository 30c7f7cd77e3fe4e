#include "solver/LoaderCommon.h"

#include "model/Figure.h"
#include "solver/AutoLoader.h"

#include <algorithm>
#include <limits>

namespace tessaro {

const char* const kSolvedTitle = "♪おめでとう♪";
const char* const kSolvedText = "☆グレイト☆　お疲れさまでした";
const char* const kExhaustedTitle = "残念";
const char* const kExhaustedText = "ローテーション一周しました。アルゴリズムを見直そう";

const char* outcomeName(LoaderOutcome outcome) {
    switch (outcome) {
    case LoaderOutcome::Solved: return "solved";
    case LoaderOutcome::Exhausted: return "exhausted";
    case LoaderOutcome::Stopped: return "stopped";
    case LoaderOutcome::Nothing: return "nothing";
    case LoaderOutcome::Busy: return "busy";
    }
    return "busy";
}

int32_t entryColor(int entry) { return validBlock(entry) ? pieceColor(entry + 1, 0) : 0; }

RotationView rotationView(const Puzzle& p) {
    RotationView v;
    for (int i = 0; i < kBlocks; ++i) {
        const int entry = p.GE_iRotation[i];
        v.shpPiece[i] = entryColor(entry);
        v.lblIP[i] = entry + 1;
        v.lblNo[i] = p.G_Info_Piece[i].iNo;
        v.lblTurn_CtZ[i] = p.G_Info_Piece[i].iTurn_CtZ;
        v.lblFaceV[i] = p.G_Info_Piece[i].iFace_ct;
    }
    return v;
}

void subShowRotation(const Puzzle& p, LoaderHost& host) { host.showRotation(rotationView(p)); }

void cmdInit_Click(Puzzle& p, LoaderHost& host) {
    subLoader_Init(p);
    subShowRotation(p, host);
}

int highestUsedBlock(const Puzzle& p) {
    for (int b = kBlocks - 1; b >= 0; --b)
        if (fncPiece_Count(p, b) > 0) return b;
    return -1;
}

std::string signedText(int value) {
    std::string text(value < 0 ? "" : " ");
    text.append(std::to_string(value));
    return text;
}

std::string resultLineText(const Puzzle& p, int last) {
    std::string line;
    for (int q = 0; q <= last; ++q) {
        line += signedText(p.GE_iRotation[q]);
        line += ',';
        line += signedText(p.G_Info_Piece[q].iFace_ct);
        line += ',';
        line += signedText(p.G_Info_Piece[q].iTurn_CtZ);
        line += ' ';
    }
    return line;
}

std::string sumText(int count, int total) {
    std::string text = std::to_string(count);
    text.append(" : ");
    text.append(std::to_string(total));
    return text;
}

bool hasDigits1to8(int64_t n) {
    uint64_t u = n < 0 ? uint64_t(0) - uint64_t(n) : uint64_t(n);
    unsigned seen = 0;
    do {
        seen |= 1u << (u % 10);
        u /= 10;
    } while (u != 0);
    return (seen & 0x1FEu) == 0x1FEu;
}

namespace {

// Permutations of 12345678 are exactly the valid eight-digit codes; from one of
// them the next valid code is the next permutation, which saves counting through
// the gaps (up to a few million numbers).
bool isPermutationCode(int32_t code, std::array<char, 8>& digits) {
    if (code < 12345678 || code > kLastOrderCode) return false;
    unsigned seen = 0;
    int32_t c = code;
    for (int i = 7; i >= 0; --i) {
        const int d = c % 10;
        c /= 10;
        if (d == 0 || d == 9 || (seen & (1u << d))) return false;
        seen |= 1u << d;
        digits[i] = char('0' + d);
    }
    return true;
}

}  // namespace

int64_t nextOrderCode(int32_t code) {
    std::array<char, 8> digits{};
    if (code >= 0 && code < 12345678) return 12345678;
    if (code != kLastOrderCode && isPermutationCode(code, digits)) {
        std::next_permutation(digits.begin(), digits.end());
        int32_t next = 0;
        for (char d : digits) next = next * 10 + (d - '0');
        return next;
    }
    int64_t n = int64_t(code) + 1;
    while (!hasDigits1to8(n)) ++n;
    return n;
}

std::array<bool, kBlocks> passingPositions(const std::array<int16_t, kBlocks>& order, int last,
                                           const std::array<bool, kBlocks>& hasCells) {
    std::array<bool, kBlocks> pass{};
    for (int q = 0; q <= last && q < kBlocks; ++q) {
        const int entry = order[q];
        if (!validBlock(entry)) {
            pass[q] = true;
            continue;
        }
        if (!hasCells[entry]) continue;
        for (int r = 0; r < q; ++r)
            if (order[r] == entry) pass[q] = true;
    }
    return pass;
}

}  // namespace tessaro
