#include "editor/CellCount.h"

#include "editor/PanelGeometry.h"

#include <cstdlib>
#include <locale.h>

namespace tessaro {

bool G_bInput_OK = false;

namespace {

// Decodes one UTF-8 code point at s[i], advancing i; malformed bytes give U+FFFD.
char32_t nextCodePoint(const std::string& s, size_t& i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    int len = 1;
    char32_t cp = 0xFFFD;
    if (b0 < 0x80) {
        cp = b0;
    } else if ((b0 & 0xE0) == 0xC0) {
        len = 2;
        cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3;
        cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4;
        cp = b0 & 0x07;
    } else {
        ++i;
        return 0xFFFD;
    }
    if (i + len > s.size()) {
        i = s.size();
        return 0xFFFD;
    }
    for (int k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) {
            i += k;
            return 0xFFFD;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    i += len;
    return cp;
}

// Folds the full-width forms a Japanese input method produces onto ASCII;
// anything else that is not ASCII becomes a character no number contains.
std::string toAsciiNumberText(const std::string& text) {
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        char32_t cp = nextCodePoint(text, i);
        if (cp >= 0xFF01 && cp <= 0xFF5E) cp -= 0xFF01 - 0x21;  // full-width ASCII block
        else if (cp == 0x3000) cp = ' ';
        else if (cp == 0x2212) cp = '-';
        out.push_back(cp < 0x80 ? static_cast<char>(cp) : '?');
    }
    return out;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// [+-]? (digits [. digits*] | . digits) ([eE] [+-]? digits)?
bool isNumberText(const std::string& s) {
    size_t i = 0;
    auto digits = [&] {
        const size_t from = i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
        return i - from;
    };
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    size_t mantissa = digits();
    if (i < s.size() && s[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        if (digits() == 0) return false;
    }
    return i == s.size();
}

// strtod in the C locale: the window's locale may use a decimal comma.
double parseCNumber(const std::string& s) {
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    const char* begin = s.c_str();
    if (s[0] == '+') ++begin;  // strtod takes '+' too, but be explicit
    return strtod_l(begin, nullptr, cLocale);
}

}  // namespace

int16_t cellCountFromText(const std::string& text) {
    std::string s = toAsciiNumberText(text);
    size_t b = 0, e = s.size();
    while (b < e && isBlank(s[b])) ++b;
    while (e > b && isBlank(s[e - 1])) --e;
    s = s.substr(b, e - b);
    if (s.empty() || !isNumberText(s)) return kMinCells;
    const double v = parseCNumber(s);  // +-HUGE_VAL beyond double's range
    if (v < kMinCells) return kMinCells;
    if (v > kMaxCells) return kMaxCells;
    return static_cast<int16_t>(roundHalfEven(v));
}

void applyCellCounts(Puzzle& p, int16_t x, int16_t y, int16_t z) {
    p.setBoxCells(x, y, z);
}

}  // namespace tessaro
