#include "app/SingleInstance.h"

#include "app/AppEnv.h"
#include "files/ShiftJis.h"
#include "files/TestSupport.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>

using namespace tessaro;
using namespace tessaro::test;

TEST(SingleInstance, SecondHolderIsRefusedUntilTheFirstLetsGo)
{
    TempDir dir;
    std::string path = dir.file("tessaro.lock");
    InstanceLock a, b;
    EXPECT_TRUE(a.acquire(path));
    EXPECT_TRUE(a.acquire(path));  // asking again is harmless
    EXPECT_FALSE(b.acquire(path));
    EXPECT_FALSE(b.held());
    a.release();
    EXPECT_TRUE(b.acquire(path));
    {
        InstanceLock c;
        EXPECT_FALSE(c.acquire(path));
    }
    // An unusable lock place does not keep the program from starting.
    InstanceLock d;
    EXPECT_TRUE(d.acquire(dir.file("no/such/folder/lock")));
}

TEST(SingleInstance, ACrashedCopyLeavesNoStuckLock)
{
    TempDir dir;
    std::string path = dir.file("tessaro.lock");
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        InstanceLock held;
        char ok = held.acquire(path) ? 1 : 0;
        (void)!write(ready[1], &ok, 1);
        pause();  // killed here, never releasing
        _exit(0);
    }
    char ok = 0;
    ASSERT_EQ(read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, 1);
    InstanceLock mine;
    EXPECT_FALSE(mine.acquire(path));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(mine.acquire(path));
    close(ready[0]);
    close(ready[1]);
}

namespace {

// Sets environment variables for one test and puts the old values back.
class ScopedEnv {
public:
    void set(const char* name, const std::string& value)
    {
        remember(name);
        setenv(name, value.c_str(), 1);
    }
    void unset(const char* name)
    {
        remember(name);
        unsetenv(name);
    }
    ~ScopedEnv()
    {
        for (auto& [name, value] : saved_)
            value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
    }

private:
    void remember(const char* name)
    {
        if (saved_.count(name))
            return;
        const char* v = std::getenv(name);
        saved_[name] = v ? std::optional<std::string>(v) : std::nullopt;
    }
    std::map<std::string, std::optional<std::string>> saved_;
};

mode_t modeOf(const std::string& path)
{
    struct stat st {};
    stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

}  // namespace

TEST(SingleInstance, TheLockLivesWhereOnlyTheUserCanWrite)
{
    TempDir home;
    ScopedEnv env;
    env.set("HOME", home.path());
    for (const char* name : {"XDG_RUNTIME_DIR", "XDG_STATE_HOME", "XDG_CACHE_HOME"})
        env.unset(name);

    // No runtime folder: the user's state folder, made for the user alone (never a shared /tmp).
    const std::string state = home.path() + "/.local/state/tessaro";
    EXPECT_EQ(defaultLockPath(), state + "/tessaro.lock");
    EXPECT_EQ(modeOf(state), 0700u);

    // A runtime folder others may write is passed over; the user's own is used.
    TempDir shared, runtime;
    chmod(shared.path().c_str(), 01777);
    env.set("XDG_RUNTIME_DIR", shared.path());
    EXPECT_EQ(defaultLockPath(), state + "/tessaro.lock");
    chmod(runtime.path().c_str(), 0700);
    env.set("XDG_RUNTIME_DIR", runtime.path());
    EXPECT_EQ(defaultLockPath(), runtime.path() + "/tessaro.lock");

    // A state folder others may write: the cache folder instead.
    env.unset("XDG_RUNTIME_DIR");
    chmod(state.c_str(), 0777);
    EXPECT_EQ(defaultLockPath(), home.path() + "/.cache/tessaro/tessaro.lock");
    env.set("XDG_CACHE_HOME", home.path() + "/cache");
    EXPECT_EQ(defaultLockPath(), home.path() + "/cache/tessaro/tessaro.lock");
}

TEST(SingleInstance, ALockThatCannotBeUsedLetsTheProgramStartAndIsLogged)
{
    TempDir dir;
    writeBytes(dir.file("real"), "");
    symlink(dir.file("real").c_str(), dir.file("link.lock").c_str());
    mkdir(dir.file("folder.lock").c_str(), 0700);
    std::vector<std::string> unusable{dir.file("link.lock"), dir.file("folder.lock"), ""};
    // Another user's file in the lock's place (only root can make one).
    writeBytes(dir.file("theirs.lock"), "");
    if (chown(dir.file("theirs.lock").c_str(), 4242, 4242) == 0)
        unusable.push_back(dir.file("theirs.lock"));
    for (const std::string& path : unusable) {
        InstanceLock lock;
        EXPECT_TRUE(lock.acquire(path)) << path;
        EXPECT_FALSE(lock.held()) << path;
        EXPECT_FALSE(lock.problem().empty()) << path;
    }
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.lock")));

    // Start-up goes on and says why in the log, without a message box.
    CapturedMessages msgs(dir.folder());
    writeBytes(dir.file("Init.ini"), "[x]\r\n");
    InstanceLock lock;
    ASSERT_TRUE(startUp(lock, dir.path(), dir.file("folder.lock")));
    EXPECT_TRUE(msgs.list.empty());
    const std::string log = cp932ToUtf8(readBytes(dir.file("Error_Log.TXT")));
    EXPECT_NE(log.find(" InstanceLock.acquire() 75 Line 0:多重起動を確認できません。（" + dir.file("folder.lock")),
              std::string::npos)
        << log;
    // A usable lock leaves no line.
    InstanceLock good;
    ASSERT_TRUE(good.acquire(dir.file("good.lock")));
    EXPECT_TRUE(good.held());
    EXPECT_EQ(good.problem(), "");
}
