#include "app/SingleInstance.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace tessaro {

namespace {

constexpr const char* kLockName = "tessaro.lock";

// A folder of the user's that no one else may write into.
bool privateFolder(const std::string& dir)
{
    struct stat st {};
    return !dir.empty() && stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid() &&
           (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// `dir` and any missing folders above it, made for the user alone.
bool makeFolders(const std::string& dir)
{
    for (size_t slash = dir.find('/', 1);; slash = dir.find('/', slash + 1)) {
        std::string part = dir.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            return true;
    }
}

std::string absoluteEnv(const char* name)
{
    const char* v = std::getenv(name);
    return v && v[0] == '/' ? std::string(v) : std::string();
}

std::string homeFolder()
{
    std::string home = absoluteEnv("HOME");
    if (home.empty())
        if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_dir && pw->pw_dir[0] == '/')
            home = pw->pw_dir;
    return home;
}

std::string describe(int err)
{
    switch (err) {
    case EACCES:
    case EPERM:
        return "アクセスが拒否されました";
    case ELOOP:
        return "シンボリックリンクです";
    case EISDIR:
        return "フォルダーです";
    case ENOENT:
    case ENOTDIR:
        return "フォルダーがありません";
    case EROFS:
        return "読み取り専用の場所です";
    default:
        return "errno " + std::to_string(err);
    }
}

}  // namespace

std::string defaultLockPath()
{
    std::string runtime = absoluteEnv("XDG_RUNTIME_DIR");
    if (privateFolder(runtime))
        return runtime + "/" + kLockName;
    const std::string home = homeFolder();
    for (auto [env, fallback] : {std::pair{"XDG_STATE_HOME", "/.local/state"}, std::pair{"XDG_CACHE_HOME", "/.cache"}}) {
        std::string base = absoluteEnv(env);
        if (base.empty() && !home.empty())
            base = home + fallback;
        if (base.empty())
            continue;
        const std::string dir = base + "/tessaro";
        if (makeFolders(dir) && privateFolder(dir))
            return dir + "/" + kLockName;
    }
    return {};
}

InstanceLock::~InstanceLock()
{
    release();
}

bool InstanceLock::acquire(const std::string& lockPath)
{
    if (held())
        return true;
    problem_.clear();
    if (lockPath.empty()) {
        problem_ = "ロックファイルを置ける自分だけのフォルダーがありません";
        return true;
    }
    int fd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0600);
    if (fd < 0) {
        problem_ = lockPath + " を開けません（" + describe(errno) + "）";
        return true;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid()) {
        close(fd);
        problem_ = lockPath + " は自分の通常のファイルではありません";
        return true;
    }
    int r;
    do {
        r = flock(fd, LOCK_EX | LOCK_NB);
    } while (r != 0 && errno == EINTR);
    if (r != 0) {
        int err = errno;
        close(fd);
        if (err == EWOULDBLOCK)
            return false;
        problem_ = lockPath + " をロックできません（" + describe(err) + "）";
        return true;
    }
    fd_ = fd;
    return true;
}

void InstanceLock::release()
{
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
}

}  // namespace tessaro
