#include "app/Ini.h"
#include "app/IniNames.h"

#include "app/AppEnv.h"
#include "files/ReadFile.h"
#include "files/ShiftJis.h"

#include <sys/stat.h>

#include <algorithm>

namespace tessaro {

namespace {

using ini::sameName;
using ini::trimBlanks;

constexpr size_t kValueBytes = 126;  // a 127-byte buffer with its terminating zero

// The first kIniReadLimit bytes of a regular file, cut after its last whole line
// when there is more; nothing for anything else. Never blocks on a pipe.
std::string readHead(const std::string& file)
{
    FileBytes read = readFileHead(file, kIniReadLimit);
    if (read.failure != FileBytes::Failure::None)
        return {};
    if (read.more) {
        size_t lastLine = read.bytes.rfind('\n', kIniReadLimit - 1);
        read.bytes.resize(lastLine == std::string::npos ? 0 : lastLine + 1);
    }
    return std::move(read.bytes);
}

std::string iniValue(const std::string& section, const std::string& key, const std::string& file)
{
    std::string content = readHead(file);

    // A BOM does not make the rest UTF-8: what is not valid UTF-8 is Shift-JIS, as in a file without one.
    if (content.starts_with("\xEF\xBB\xBF"))
        content.erase(0, 3);
    bool utf8 = isValidUtf8(content);
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

}  // namespace

std::string fncIni_get(const std::string& section, const std::string& key, const std::string& file)
{
    // A settings file never ends the program: no memory or no converter reads as "no value".
    try {
        return iniValue(section, key, file);
    } catch (...) {
        return {};
    }
}

namespace {
std::string& settingsInUse()
{
    static std::string file;
    return file;
}
}  // namespace

std::string settingsFile()
{
    return settingsInUse().empty() ? G_sApp_Path + kIniFileName : settingsInUse();
}

bool fncSetting_get()
{
    std::string file = G_sApp_Path + kIniFileName;
    settingsInUse().clear();
    struct stat st {};
    if (stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        showCriticalMessage("初期設定ファイル異常", "初期設定ファイル\r\n" + file +
                                                        "\r\nが見つかりませんでした。\r\nインストールをやり直してください。\r\n");
        return false;
    }
    G_sData_Path = fncIni_get(kIniSection, kIniDataKey, file);
    settingsInUse() = file;
    return true;
}

}  // namespace tessaro
