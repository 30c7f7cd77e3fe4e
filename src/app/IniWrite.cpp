// Writing one key of Init.ini, leaving every other line as it was.

#include "app/Ini.h"
#include "app/IniNames.h"

#include "files/SaveFile.h"
#include "files/ShiftJis.h"

#include <fstream>
#include <iterator>
#include <vector>

namespace tessaro {

namespace {

using ini::sameName;
using ini::trimBlanks;

struct Line {
    std::string bytes;  // as in the file, without its line end
    std::string text;   // UTF-8, for comparing names
};

}  // namespace

bool fncIni_put(const std::string& section, const std::string& key, const std::string& value,
                const std::string& file)
{
    try {
        std::string content;
        {
            std::ifstream in(file, std::ios::binary);
            content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        std::string bom;
        if (content.starts_with("\xEF\xBB\xBF")) {
            bom = content.substr(0, 3);
            content.erase(0, 3);
        }
        // The reader's rule: what is not valid UTF-8 throughout is Shift-JIS. A new
        // or all-ASCII file is written in Shift-JIS, as the program's text files are.
        bool ascii = true;
        for (char ch : content) ascii = ascii && static_cast<unsigned char>(ch) < 0x80;
        const bool utf8 = (!ascii || !bom.empty()) && isValidUtf8(content);
        auto encode = [utf8](const std::string& s) { return utf8 ? s : utf8ToCp932(s); };
        const std::string eol = content.empty() || content.find("\r\n") != std::string::npos ? "\r\n" : "\n";

        std::vector<Line> lines;
        for (size_t pos = 0; pos < content.size();) {
            size_t end = content.find('\n', pos);
            if (end == std::string::npos)
                end = content.size();
            std::string bytes = content.substr(pos, end - pos);
            if (!bytes.empty() && bytes.back() == '\r')
                bytes.pop_back();
            pos = end + 1;
            lines.push_back({bytes, utf8 ? bytes : cp932ToUtf8(bytes)});
        }

        const std::string entry = encode(key + "=" + value);
        bool inSection = false, done = false;
        size_t sectionEnd = 0;  // after the last non-blank line of the section
        for (size_t i = 0; i < lines.size() && !done; ++i) {
            std::string_view body = trimBlanks(lines[i].text);
            if (body.starts_with('[')) {
                if (inSection)
                    break;
                size_t close = body.find(']');
                inSection = sameName(body.substr(1, close == std::string_view::npos ? body.npos : close - 1), section);
                sectionEnd = i + 1;
                continue;
            }
            if (!inSection)
                continue;
            if (!body.empty())
                sectionEnd = i + 1;
            size_t eq = body.find('=');
            if (eq != std::string_view::npos && sameName(body.substr(0, eq), key)) {
                lines[i].bytes = entry;
                done = true;
            }
        }
        if (!done && inSection) {
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(sectionEnd), Line{entry, {}});
        } else if (!done) {
            if (!lines.empty() && !trimBlanks(lines.back().text).empty())
                lines.push_back({});
            lines.push_back({encode("[" + section + "]"), {}});
            lines.push_back({entry, {}});
        }

        std::string out = bom;
        for (const Line& l : lines)
            out += l.bytes + eol;
        const LabelledStretch whole{0, out.size(), 100};
        const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(out.data()), out.size());
        return !saveBytes(file, bytes, std::span<const LabelledStretch>(&whole, 1)).has_value();
    } catch (...) {
        return false;
    }
}

}  // namespace tessaro
