#include "app/AppEnv.h"

#include "app/ErrLog.h"
#include "app/Ini.h"
#include "app/SingleInstance.h"
#include "app/VersionInfo.h"

#include <sys/stat.h>
#include <unistd.h>

#include <iostream>
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

bool startUp(InstanceLock& lock, const std::string& appFolder, const std::string& lockPath)
{
    if (!lock.acquire(lockPath.empty() ? defaultLockPath() : lockPath)) {
        showCriticalMessage("起動時エラー", "このアプリケーションはすでに開かれています。");
        return false;
    }
    G_sVersion = versionText();
    G_sApp_Path = withTrailingSlash(appFolder.empty() ? programFolder() : appFolder);
    // Started without the lock: the user need not be stopped, but the log says so.
    if (!lock.held() && !lock.problem().empty())
        appendErrLog("Line 0:多重起動を確認できません。（" + lock.problem() + "）", "InstanceLock.acquire() 75");
    if (!fncSetting_get()) {
        lock.release();
        return false;
    }
    prepareDataFolder();
    return true;
}

}  // namespace tessaro
