#include "files/ShiftJis.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <stdexcept>

namespace tessaro {

namespace {

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from))
    {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts as much as possible; on a failure returns errno and leaves `in`
    // at the offending byte.
    int run(std::string_view& in, std::string& out)
    {
        char buf[256];
        while (!in.empty()) {
            char* src = const_cast<char*>(in.data());
            size_t srcLeft = in.size();
            char* dst = buf;
            size_t dstLeft = sizeof buf;
            size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            int err = errno;
            out.append(buf, dst);
            in.remove_prefix(in.size() - srcLeft);
            if (r == static_cast<size_t>(-1) && err != E2BIG)
                return err;
        }
        return 0;
    }

private:
    iconv_t cd_;
};

size_t utf8Length(unsigned char lead)
{
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    return 1;
}

}  // namespace

std::string utf8ToCp932(std::string_view utf8)
{
    Converter conv("CP932", "UTF-8");
    std::string out;
    out.reserve(utf8.size());
    for (int err; (err = conv.run(utf8, out)) != 0;) {
        out.push_back('?');
        if (err == EINVAL)
            break;  // cut short at the end: one character lost, not each of its bytes
        size_t skip = utf8Length(static_cast<unsigned char>(utf8.front()));
        // A broken sequence is skipped one byte at a time so that what follows it survives.
        if (skip > utf8.size() || !isValidUtf8(utf8.substr(0, skip)))
            skip = 1;
        utf8.remove_prefix(skip);
    }
    return out;
}

std::string cp932ToUtf8(std::string_view cp932)
{
    Converter conv("UTF-8", "CP932");
    std::string out;
    out.reserve(cp932.size() * 3 / 2);
    while (conv.run(cp932, out) != 0) {
        out += "\xEF\xBF\xBD";
        size_t skip = 1;
        // An unassigned double-byte code is one unknown character, not two.
        if (cp932.size() >= 2 && isCp932Lead(static_cast<unsigned char>(cp932[0]))) {
            auto trail = static_cast<unsigned char>(cp932[1]);
            if (trail >= 0x40 && trail <= 0xFC && trail != 0x7F)
                skip = 2;
        }
        cp932.remove_prefix(skip);
    }
    return out;
}

std::string_view cutCp932(std::string_view cp932, size_t width)
{
    size_t pos = 0;
    while (pos < cp932.size()) {
        size_t len = isCp932Lead(static_cast<unsigned char>(cp932[pos])) ? 2 : 1;
        if (pos + len > width || pos + len > cp932.size())
            break;
        pos += len;
    }
    return cp932.substr(0, pos);
}

std::string cp932Field(std::string_view cp932, size_t width)
{
    std::string field(cutCp932(cp932, width));
    field.resize(width, ' ');
    return field;
}

std::string_view trimSpaces(std::string_view s)
{
    size_t first = s.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    size_t last = s.find_last_not_of(' ');
    return s.substr(first, last - first + 1);
}

bool isValidUtf8(std::string_view s)
{
    size_t i = 0;
    while (i < s.size()) {
        auto c = static_cast<unsigned char>(s[i]);
        size_t len = utf8Length(c);
        if (len == 1) {
            if (c >= 0x80)
                return false;
            ++i;
            continue;
        }
        if (i + len > s.size())
            return false;
        uint32_t cp = c & (0x7F >> len);
        for (size_t k = 1; k < len; ++k) {
            auto t = static_cast<unsigned char>(s[i + k]);
            if ((t & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (t & 0x3F);
        }
        static constexpr uint32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < minimum[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += len;
    }
    return true;
}

}  // namespace tessaro
