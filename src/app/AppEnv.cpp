#include "app/AppEnv.h"

#include "app/ErrLog.h"
#include "app/Ini.h"
#include "app/SingleInstance.h"
#include "app/VersionInfo.h"
#include "files/SaveFile.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <utility>
#include <vector>

namespace tessaro {

std::string versionText()
{
    return " Ver " + std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) + "." +
           std::to_string(kVersionRevision);
}

std::string G_sVersion = versionText();
std::string G_sApp_Path = programFolder();
std::string G_sData_Path;

namespace {

MessageHandler& handlerSlot()
{
    static MessageHandler handler;
    return handler;
}

}  // namespace

std::string withTrailingSlash(std::string folder)
{
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    if (folder.empty() || folder.back() != '/')
        folder.push_back('/');
    return folder;
}

std::string programFolder()
{
    std::vector<char> buf(4096);
    ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
    std::string exe;
    if (n > 0 && static_cast<size_t>(n) < buf.size())
        exe.assign(buf.data(), static_cast<size_t>(n));
    size_t slash = exe.rfind('/');
    if (slash == std::string::npos) {
        // No /proc: the current folder is the best remaining guess.
        char* cwd = getcwd(nullptr, 0);
        std::string folder = cwd ? cwd : ".";
        free(cwd);
        return withTrailingSlash(folder);
    }
    return withTrailingSlash(exe.substr(0, slash + 1));
}

void setMessageHandler(MessageHandler handler)
{
    handlerSlot() = std::move(handler);
}

void showCriticalMessage(const std::string& title, const std::string& text)
{
    if (handlerSlot())
        handlerSlot()(title, text);
    else
        std::cerr << title << ": " << text << std::endl;
}

bool prepareDataFolder()
{
    if (G_sData_Path.empty())
        G_sData_Path = G_sApp_Path + "Data";
    struct stat st {};
    if (stat(G_sData_Path.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode);
    // One level only; a missing parent stays missing and the dialogs cope.
    return mkdir(G_sData_Path.c_str(), 0777) == 0;
}

// ---- an installed copy: the user's folders ----

namespace {

bool isFile(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool isFolder(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// mkdir -p; errno tells why not.
bool makeFolders(const std::string& folder) {
    for (size_t at = 1; at <= folder.size(); ++at)
        if (at == folder.size() || folder[at] == '/') {
            const std::string part = folder.substr(0, at);
            if (isFolder(part)) continue;
            if (mkdir(part.c_str(), 0777) != 0 && !isFolder(part)) {
                if (errno == EEXIST) errno = ENOTDIR;  // a file where a folder belongs
                return false;
            }
        }
    return true;
}

// The reason behind errno, for the user.
std::string whyNot(int error) {
    switch (error) {
    case EACCES:
    case EPERM: return "書き込む権限がありません";
    case EROFS: return "読み取り専用の場所です";
    case ENOTDIR: return "途中にフォルダでないファイルがあります";
    case ENOENT: return "途中のフォルダがありません";
    case ENOSPC:
    case EDQUOT: return "空き容量がありません";
    default: return std::strerror(error);
    }
}

std::string homeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return "/tmp";
}

// The base directory rules ignore relative values.
std::string xdgFolder(const char* variable, const std::string& fallback) {
    const char* v = std::getenv(variable);
    return v && *v == '/' ? std::string(v) : fallback;
}

// XDG_DOCUMENTS_DIR from user-dirs.dirs ("$HOME/..." or absolute), if it exists.
std::string documentsFolder(const std::string& home, const std::string& configHome) {
    std::ifstream in(configHome + "/user-dirs.dirs");
    std::string line;
    while (std::getline(in, line)) {
        const std::string key = "XDG_DOCUMENTS_DIR=\"";
        if (line.rfind(key, 0) != 0) continue;
        std::string value = line.substr(key.size());
        if (const size_t quote = value.find('"'); quote != std::string::npos) value.resize(quote);
        if (value.rfind("$HOME", 0) == 0) value = home + value.substr(5);
        // A documents folder equal to home means the user has none.
        if (!value.empty() && value[0] == '/' && withTrailingSlash(value) != withTrailingSlash(home) && isFolder(value))
            return value;
        return {};
    }
    return isFolder(home + "/Documents") ? home + "/Documents" : std::string();
}

// The reason when it cannot, else "". The copy is saved as every file is, so
// a failure leaves no half-written settings behind.
std::string copyFile(const std::string& from, const std::string& to) {
    std::ifstream in(from, std::ios::binary);
    if (!in) return whyNot(errno ? errno : EIO);
    std::stringstream content;
    content << in.rdbuf();
    const std::string bytes = content.str();
    const LabelledStretch whole{0, bytes.size(), 100};
    if (const auto error =
            saveBytes(to, {reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()}, {&whole, 1}))
        return error->description;
    return {};
}

enum class Settings { Portable, User, Unusable };

// Before reading the settings: an installed copy reads them from the user's
// folder, made from the default when missing. When that folder cannot be made
// the message names it and why: reinstalling would not help.
Settings useUserSettings(const UserFolders& user) {
    if (isFile(G_sApp_Path + kIniFileName)) return Settings::Portable;
    const std::string defaults = installedIniPath(G_sApp_Path);
    if (!isFile(defaults)) return Settings::Portable;
    const std::string ini = user.config + kIniFileName;
    if (!isFile(ini)) {
        if (!makeFolders(user.config)) {
            const std::string why = whyNot(errno);
            showCriticalMessage("初期設定ファイル異常", "設定を置くフォルダ\r\n" + user.config +
                                                            "\r\nを作れませんでした。（" + why + "）\r\n");
            return Settings::Unusable;
        }
        if (const std::string why = copyFile(defaults, ini); !why.empty()) {
            showCriticalMessage("初期設定ファイル異常",
                                "初期設定ファイル\r\n" + ini + "\r\nを作れませんでした。（" + why + "）\r\n");
            return Settings::Unusable;
        }
    }
    G_sApp_Path = user.config;
    return Settings::User;
}

// After reading them: the data folder unless Init.ini names one, and the
// error log's folder.
void useUserFolders(const UserFolders& user) {
    if (G_sData_Path.empty()) {
        G_sData_Path = user.data;
        makeFolders(user.data);
    }
    if (makeFolders(user.state)) G_sApp_Path = user.state;
}

}  // namespace

UserFolders userFolders() {
    const std::string home = homeFolder();
    const std::string config = xdgFolder("XDG_CONFIG_HOME", home + "/.config");
    const std::string documents = documentsFolder(home, config);
    return {
        withTrailingSlash(config + "/tessaro"),
        withTrailingSlash(xdgFolder("XDG_STATE_HOME", home + "/.local/state") + "/tessaro"),
        (documents.empty() ? xdgFolder("XDG_DATA_HOME", home + "/.local/share") : documents) + "/Tessaro",
    };
}

std::string installedIniPath(const std::string& folder) {
    return withTrailingSlash(folder) + "../share/tessaro/" + kIniFileName;
}

bool startUp(InstanceLock& lock, const std::string& appFolder, const std::string& lockPath)
{
    if (!lock.acquire(lockPath.empty() ? defaultLockPath() : lockPath)) {
        showCriticalMessage("起動時エラー", "このアプリケーションはすでに開かれています。");
        return false;
    }
    G_sVersion = versionText();
    G_sApp_Path = withTrailingSlash(appFolder.empty() ? programFolder() : appFolder);
    const UserFolders user = userFolders();
    const Settings settings = useUserSettings(user);
    const bool installed = settings == Settings::User;
    if (settings == Settings::Unusable || !fncSetting_get()) {
        lock.release();
        return false;
    }
    if (installed) useUserFolders(user);
    // Started without the lock: the user need not be stopped, but the log says so.
    if (!lock.held() && !lock.problem().empty())
        appendErrLog("Line 0:多重起動を確認できません。（" + lock.problem() + "）", "InstanceLock.acquire() 75");
    prepareDataFolder();
    return true;
}

}  // namespace tessaro
