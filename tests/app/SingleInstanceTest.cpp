#include "app/SingleInstance.h"

#include "files/TestSupport.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

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
