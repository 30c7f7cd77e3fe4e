#include "app/ErrLog.h"

#include "app/AppEnv.h"
#include "files/ShiftJis.h"
#include "files/TestSupport.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <regex>

using namespace tessaro;
using namespace tessaro::test;

TEST(ErrLog, LineFormat)
{
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 0;
    t.tm_mday = 5;
    t.tm_hour = 7;
    t.tm_min = 3;
    t.tm_sec = 9;
    EXPECT_EQ(errLogLine(t, "Line 130:説明", "frmMain.fncFile_get() 62"),
              "2026/01/05 07:03:09 frmMain.fncFile_get() 62 Line 130:説明\r\n");
    t.tm_hour = 23;
    EXPECT_EQ(errLogLine(t, "", ""), "2026/01/05 23:03:09  \r\n");
}

TEST(ErrLog, AppendsShiftJisLinesAndShowsTheMessage)
{
    TempDir dir;
    CapturedMessages msgs(dir.folder());
    writeBytes(dir.file("Error_Log.TXT"), "old line\r\n");
    logStepError("frmMain.fncFile_get() ", 62, 130, "ファイルにこれ以上データがありません。");
    logStepError("frmMain.subFile_put() ", 61, 9990, "");
    subErrLog_put("detail", "place");

    std::string raw = readBytes(dir.file("Error_Log.TXT"));
    EXPECT_FALSE(isValidUtf8(raw));  // Shift-JIS on disk
    std::string text = cp932ToUtf8(raw);
    std::regex line(
        "old line\r\n"
        "\\d{4}/\\d{2}/\\d{2} \\d{2}:\\d{2}:\\d{2} frmMain\\.fncFile_get\\(\\) 62 Line 130:"
        "ファイルにこれ以上データがありません。\r\n"
        "\\d{4}/\\d{2}/\\d{2} \\d{2}:\\d{2}:\\d{2} frmMain\\.subFile_put\\(\\) 61 Line 9990:\r\n"
        "\\d{4}/\\d{2}/\\d{2} \\d{2}:\\d{2}:\\d{2} place detail\r\n");
    EXPECT_TRUE(std::regex_match(text, line)) << text;

    ASSERT_EQ(msgs.list.size(), 3u);
    EXPECT_EQ(msgs.list[0].title, "frmMain.fncFile_get() 62");
    EXPECT_EQ(msgs.list[0].text, "Error Line 130:ファイルにこれ以上データがありません。");
    EXPECT_EQ(msgs.list[1].text, "Error Line 9990:");
}

TEST(ErrLog, AnUnwritableLogStillShowsTheMessage)
{
    TempDir dir;
    CapturedMessages msgs(dir.folder() + "gone/");
    subErrLog_put("Line 100:x", "frmMain.subFile_put() 53");
    ASSERT_EQ(msgs.list.size(), 1u);
    EXPECT_EQ(msgs.list[0].text, "Error Line 100:x");

    // A handler that throws must not take the log line with it.
    G_sApp_Path = dir.folder();
    setMessageHandler([](const std::string&, const std::string&) { throw std::runtime_error("no window"); });
    subErrLog_put("Line 110:y", "p");
    EXPECT_NE(readBytes(dir.file("Error_Log.TXT")).find("p Line 110:y\r\n"), std::string::npos);
}

TEST(ErrLog, APipeInTheLogsPlaceNeitherHangsNorGetsTheLine)
{
    TempDir dir;
    const std::string log = dir.file("Error_Log.TXT");
    ASSERT_EQ(mkfifo(log.c_str(), 0600), 0);

    // Nobody reads it: the first error used to block for ever. In a child with an alarm as the guard.
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        alarm(10);
        CapturedMessages msgs(dir.folder());
        subErrLog_put("Line 100:x", "frmMain.subFile_put() 53");
        _exit(msgs.list.size() == 1 ? 0 : 3);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);  // the message was shown

    // Someone reads it: still nothing is written into a pipe.
    int reader = open(log.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    {
        CapturedMessages msgs(dir.folder());
        subErrLog_put("Line 100:y", "p");
        EXPECT_EQ(msgs.list.size(), 1u);
    }
    char buf[64];
    EXPECT_LE(read(reader, buf, sizeof buf), 0);
    close(reader);
}
