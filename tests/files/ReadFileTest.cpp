// The one reader's limit and refusals: callers tell "too large" and cut the
// settings file by `more`, and must never wait on a pipe.
#include "files/ReadFile.h"
#include "files/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <fstream>

using namespace tessaro;

TEST(ReadFile, TellsMoreOnlyPastTheLimitAndRefusesWhatIsNoFile)
{
    test::TempDir dir;
    std::ofstream(dir.file("ten.txt"), std::ios::binary) << "0123456789";
    FileBytes r = readFileHead(dir.file("ten.txt"), 10);
    EXPECT_EQ(r.failure, FileBytes::Failure::None);
    EXPECT_EQ(r.bytes, "0123456789");
    EXPECT_FALSE(r.more);
    r = readFileHead(dir.file("ten.txt"), 9);
    EXPECT_EQ(r.bytes, "012345678");
    EXPECT_TRUE(r.more);

    // A regular file whose size says 0 until read (as under /proc) is still read whole.
    r = readFileHead("/proc/self/status", 1 << 20);
    EXPECT_EQ(r.failure, FileBytes::Failure::None);
    EXPECT_NE(r.bytes.find("Name:"), std::string::npos);
    EXPECT_FALSE(r.more);

    ASSERT_EQ(mkfifo(dir.file("pipe").c_str(), 0600), 0);
    r = readFileHead(dir.file("pipe"), 10);
    EXPECT_EQ(r.failure, FileBytes::Failure::NotRegular);
    EXPECT_EQ(r.error, EINVAL);
    r = readFileHead(dir.path(), 10);
    EXPECT_EQ(r.failure, FileBytes::Failure::NotRegular);
    EXPECT_EQ(r.error, EISDIR);
    r = readFileHead(dir.file("missing"), 10);
    EXPECT_EQ(r.failure, FileBytes::Failure::Open);
    EXPECT_EQ(r.error, ENOENT);
}
