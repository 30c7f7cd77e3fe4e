#include "app/Ini.h"

#include "app/AppEnv.h"
#include "files/ShiftJis.h"

#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace tessaro {

namespace {

// The profile format trims tabs as well as spaces around names and values.
std::string_view trimBlanks(std::string_view s)
{
    size_t first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

bool sameName(std::string_view a, std::string_view b)
{
    a = trimBlanks(a);
    b = trimBlanks(b);
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

constexpr size_t kValueBytes = 126;  // a 127-byte buffer with its terminating zero

}  // namespace

std::string fncIni_get(const std::string& section, const std::string& key, const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return {};
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    bool utf8 = false;
    if (content.starts_with("\xEF\xBB\xBF")) {
        content.erase(0, 3);
        utf8 = true;
    } else {
        utf8 = isValidUtf8(content);
    }
    if (!utf8)
        content = cp932ToUtf8(content);

    bool inSection = false;
    size_t pos = 0;
    while (pos < content.size()) {
        size_t end = content.find('\n', pos);
        if (end == std::string::npos)
            end = content.size();
        std::string_view line(content.data() + pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        std::string_view body = trimBlanks(line);
        if (body.starts_with('[')) {
            if (inSection)
                break;  // only the first matching section counts
            size_t close = body.find(']');
            std::string_view name = body.substr(1, close == std::string_view::npos ? body.npos : close - 1);
            inSection = sameName(name, section);
            continue;
        }
        if (!inSection)
            continue;
        size_t eq = body.find('=');
        if (eq == std::string_view::npos || !sameName(body.substr(0, eq), key))
            continue;
        std::string_view value = trimBlanks(body.substr(eq + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        value = value.substr(0, value.find('\0'));
        if (utf8) {
            // Cut at a character boundary of UTF-8: never before a continuation byte.
            size_t n = std::min(value.size(), kValueBytes);
            while (n < value.size() && n > 0 && (static_cast<unsigned char>(value[n]) & 0xC0) == 0x80)
                --n;
            return std::string(value.substr(0, n));
        }
        std::string bytes = utf8ToCp932(value);
        return cp932ToUtf8(cutCp932(bytes, kValueBytes));
    }
    return {};
}

bool fncSetting_get()
{
    std::string file = G_sApp_Path + kIniFileName;
    struct stat st {};
    if (stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        showCriticalMessage("初期設定ファイル異常", "初期設定ファイル\r\n" + file +
                                                        "\r\nが見つかりませんでした。\r\nインストールをやり直してください。\r\n");
        return false;
    }
    G_sData_Path = fncIni_get(kIniSection, kIniDataKey, file);
    return true;
}

}  // namespace tessaro
