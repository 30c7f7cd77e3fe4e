// Saving never replaces what is not a plain file the saver may write, keeps the
// file's identity, survives limits and kills, and copes with any legal name.
#include "files/PuzzleFile.h"
#include "files/SaveFile.h"

#include "files/PuzzleTestData.h"
#include "files/ShiftJis.h"
#include "files/TestSupport.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>

using namespace tessaro;
using namespace tessaro::test;
namespace fs = std::filesystem;

namespace {

class SaveFileTest : public ::testing::Test {
protected:
    TempDir dir;
    CapturedMessages msgs{dir.folder()};
    Puzzle changed = [] {
        Puzzle p = richPuzzle();
        p.G_sComment = "changed";
        return p;
    }();

    std::string lastEntry() const
    {
        std::string all = cp932ToUtf8(readBytes(dir.file("Error_Log.TXT")));
        size_t end = all.rfind("\r\n");
        if (end == std::string::npos)
            return {};
        size_t start = all.rfind("\r\n", end - 1);
        start = start == std::string::npos ? 0 : start + 2;
        return all.substr(start + 20, end - start - 20);
    }
    // Entries in `folder` other than the log.
    static std::vector<std::string> entries(const std::string& folder)
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(folder))
            if (e.path().filename() != "Error_Log.TXT")
                names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    static std::string commentOf(const std::string& path)
    {
        Puzzle p;
        return fncFile_get(p, path).empty() ? "(unreadable)" : p.G_sComment;
    }
    static struct stat lstatOf(const std::string& path)
    {
        struct stat st {};
        EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
        return st;
    }
    void expectRefused(const std::string& path, const std::string& says)
    {
        EXPECT_FALSE(subFile_put(changed, path)) << path;
        EXPECT_TRUE(lastEntry().starts_with("frmMain.subFile_put() ")) << lastEntry();
        EXPECT_NE(lastEntry().find(says), std::string::npos) << lastEntry();
    }
};

}  // namespace

TEST_F(SaveFileTest, PipesAndLinksToThemAreRefusedAndLeftInPlace)
{
    ASSERT_EQ(mkfifo(dir.file("pipe.bin").c_str(), 0600), 0);
    fs::create_symlink("pipe.bin", dir.file("to-pipe.bin"));
    expectRefused(dir.file("pipe.bin"), "Line 100:通常のファイルではないため保存できません。（名前付きパイプ）");
    expectRefused(dir.file("to-pipe.bin"), "名前付きパイプ");
    EXPECT_TRUE(S_ISFIFO(lstatOf(dir.file("pipe.bin")).st_mode));
    EXPECT_TRUE(S_ISLNK(lstatOf(dir.file("to-pipe.bin")).st_mode));
    EXPECT_EQ(entries(dir.path()), (std::vector<std::string>{"pipe.bin", "to-pipe.bin"}));
    EXPECT_TRUE(checkSaveTarget(dir.file("pipe.bin")).has_value());
    EXPECT_FALSE(checkSaveTarget(dir.file("new.bin")).has_value());
}

TEST_F(SaveFileTest, DeviceNodesAndLinksToThemAreRefusedAndLeftInPlace)
{
    // A node made here, never a real /dev entry: the null device's numbers.
    if (mknod(dir.file("dev.bin").c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0)
        GTEST_SKIP() << "making a device node needs root";
    fs::create_symlink(dir.file("dev.bin"), dir.file("to-dev.bin"));
    expectRefused(dir.file("dev.bin"), "キャラクター型デバイス");
    expectRefused(dir.file("to-dev.bin"), "キャラクター型デバイス");
    struct stat st = lstatOf(dir.file("dev.bin"));
    EXPECT_TRUE(S_ISCHR(st.st_mode));
    EXPECT_EQ(st.st_rdev, makedev(1, 3));
    EXPECT_EQ(entries(dir.path()), (std::vector<std::string>{"dev.bin", "to-dev.bin"}));
}

TEST_F(SaveFileTest, LinksLeadToTheFileTheyNameOrAreRefused)
{
    // A chain of links, relative and absolute: the file at its end is written, the links stay.
    ASSERT_TRUE(subFile_put(richPuzzle(), dir.file("real.bin")));
    fs::create_directory(dir.file("sub"));
    fs::create_symlink("../real.bin", dir.file("sub/one.bin"));
    fs::create_symlink(dir.file("sub/one.bin"), dir.file("two.bin"));
    ASSERT_TRUE(subFile_put(changed, dir.file("two.bin"))) << lastEntry();
    EXPECT_EQ(commentOf(dir.file("real.bin")), "changed");
    EXPECT_TRUE(fs::is_symlink(dir.file("two.bin")));
    EXPECT_TRUE(fs::is_symlink(dir.file("sub/one.bin")));

    // A dangling link and a loop are refused, not replaced by a file.
    fs::create_symlink("nowhere.bin", dir.file("dangling.bin"));
    expectRefused(dir.file("dangling.bin"), "リンク先のファイルがありません。");
    fs::create_symlink("loop-b.bin", dir.file("loop-a.bin"));
    fs::create_symlink("loop-a.bin", dir.file("loop-b.bin"));
    expectRefused(dir.file("loop-a.bin"), "シンボリックリンクが循環");
    EXPECT_TRUE(fs::is_symlink(dir.file("dangling.bin")));
    EXPECT_TRUE(fs::is_symlink(dir.file("loop-a.bin")));
    EXPECT_EQ(entries(dir.path()), (std::vector<std::string>{"dangling.bin", "loop-a.bin", "loop-b.bin", "real.bin",
                                                             "sub", "two.bin"}));
}

TEST_F(SaveFileTest, AStrangersLinkInASharedStickyFolderIsNotFollowed)
{
    const std::string shared = dir.file("shared");
    fs::create_directory(shared);
    ASSERT_EQ(chmod(shared.c_str(), 01777), 0);
    ASSERT_TRUE(subFile_put(richPuzzle(), dir.file("victim.bin")));
    const std::string before = readBytes(dir.file("victim.bin"));
    const std::string planted = shared + "/puzzle.bin";
    fs::create_symlink(dir.file("victim.bin"), planted);
    // Someone else's link: only root can make one here.
    if (lchown(planted.c_str(), 4242, 4242) != 0)
        GTEST_SKIP() << "giving a link to another user needs root";
    expectRefused(planted, "他の利用者のシンボリックリンク");
    EXPECT_EQ(readBytes(dir.file("victim.bin")), before);
    // The saver's own link there is followed.
    ASSERT_EQ(lchown(planted.c_str(), geteuid(), getegid()), 0);
    EXPECT_TRUE(subFile_put(changed, planted));
    EXPECT_EQ(commentOf(dir.file("victim.bin")), "changed");
}

TEST_F(SaveFileTest, AStrangersLeftoverAtTheTemporaryNameInAStickyFolderIsPassedBy)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "saving as another user needs root";
    ASSERT_EQ(chmod(dir.folder().c_str(), 0755), 0);
    const std::string shared = dir.file("shared");
    fs::create_directory(shared);
    ASSERT_EQ(chmod(shared.c_str(), 01777), 0);
    // Root's unreadable file at the name a save of new.stl would use first.
    const std::string leftover = shared + "/" + saveTempName("new.stl");
    writeBytes(leftover, "root's");
    ASSERT_EQ(chmod(leftover.c_str(), 0600), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(2);
        const std::string bytes = "solid";
        const LabelledStretch whole{0, bytes.size(), 100};
        _exit(saveBytes(shared + "/new.stl", {reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()},
                        {&whole, 1})
                  ? 1
                  : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(readBytes(shared + "/new.stl"), "solid");
    EXPECT_EQ(readBytes(leftover), "root's");
    EXPECT_EQ(entries(shared), (std::vector<std::string>{saveTempName("new.stl"), "new.stl"}));
}

TEST_F(SaveFileTest, ReadOnlyFilesAndFoldersRefuseEveryoneRootToo)
{
    const std::string file = dir.file("locked.bin");
    ASSERT_TRUE(subFile_put(richPuzzle(), file));
    const std::string before = readBytes(file);
    ASSERT_EQ(chmod(file.c_str(), 0444), 0);
    expectRefused(file, "70 Line 100:アクセスが拒否されました。（ファイルが読み取り専用です）");
    EXPECT_EQ(readBytes(file), before);
    EXPECT_EQ(lstatOf(file).st_mode & 07777, 0444u);

    // A new name in a folder without write permission: the folder refuses.
    const std::string closed = dir.file("closed");
    fs::create_directory(closed);
    ASSERT_EQ(chmod(closed.c_str(), 0555), 0);
    expectRefused(closed + "/new.bin", "フォルダーに書き込めません：" + closed);
    EXPECT_TRUE(entries(closed).empty());
    EXPECT_TRUE(checkSaveTarget(closed + "/new.bin").has_value());
    chmod(closed.c_str(), 0755);
    EXPECT_EQ(entries(dir.path()), (std::vector<std::string>{"closed", "locked.bin"}));
}

TEST_F(SaveFileTest, TheFileKeepsItsIdentityHardLinksAndPlaceInAReadOnlyFolder)
{
    // A hard-linked file is written in place: both names show the new record.
    const std::string a = dir.file("a.bin"), b = dir.file("b.bin");
    ASSERT_TRUE(subFile_put(richPuzzle(), a));
    ASSERT_EQ(link(a.c_str(), b.c_str()), 0);
    const ino_t inode = lstatOf(a).st_ino;
    ASSERT_TRUE(subFile_put(changed, a)) << lastEntry();
    EXPECT_EQ(commentOf(b), "changed");
    EXPECT_EQ(lstatOf(a).st_ino, inode);
    EXPECT_EQ(lstatOf(b).st_nlink, 2u);

    // A writable file in a folder that takes no new files: written in place, checked, nothing beside it.
    const std::string closed = dir.file("closed");
    fs::create_directory(closed);
    const std::string inside = closed + "/kept.bin";
    writeBytes(inside, std::string(5000, 'V'));
    ASSERT_EQ(chmod(inside.c_str(), 0640), 0);
    ASSERT_EQ(chmod(closed.c_str(), 0555), 0);
    const ino_t kept = lstatOf(inside).st_ino;
    EXPECT_TRUE(subFile_put(changed, inside)) << lastEntry();
    EXPECT_EQ(commentOf(inside), "changed");
    EXPECT_EQ(fs::file_size(inside), kRecordSize);
    EXPECT_EQ(lstatOf(inside).st_ino, kept);
    EXPECT_EQ(lstatOf(inside).st_mode & 07777, 0640u);
    EXPECT_EQ(entries(closed), std::vector<std::string>{"kept.bin"});
    chmod(closed.c_str(), 0755);
    EXPECT_TRUE(msgs.list.empty());
}

TEST_F(SaveFileTest, RootSavingAnotherUsersFileKeepsItsOwnerGroupAndMode)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only root can save another user's file";
    const std::string file = dir.file("theirs.bin");
    ASSERT_TRUE(subFile_put(richPuzzle(), file));
    ASSERT_EQ(chown(file.c_str(), 4242, 4343), 0);
    ASSERT_EQ(chmod(file.c_str(), 0640), 0);
    ASSERT_TRUE(subFile_put(changed, file)) << lastEntry();
    struct stat st = lstatOf(file);
    EXPECT_EQ(st.st_uid, 4242u);
    EXPECT_EQ(st.st_gid, 4343u);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(commentOf(file), "changed");
    EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"theirs.bin"});
}

TEST_F(SaveFileTest, AFileSizeLimitFailsTheSaveInsteadOfEndingTheProgram)
{
    const std::string file = dir.file("limit.bin");
    ASSERT_TRUE(subFile_put(richPuzzle(), file));
    const std::string before = readBytes(file);
    // In a child, with the signal left as the shell leaves it: it ends the process unless the writer ignores it.
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_DFL);
        struct rlimit small {1000, 1000};
        setrlimit(RLIMIT_FSIZE, &small);
        _exit(subFile_put(changed, file) ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(lastEntry().starts_with("frmMain.subFile_put() 61 Line 130:")) << lastEntry();
    EXPECT_EQ(readBytes(file), before);
    EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"limit.bin"});
}

TEST_F(SaveFileTest, KillsDuringSavesLeaveTheFileWholeAndAtMostOneTemporaryFile)
{
    const std::string file = dir.file("killed.bin");
    ASSERT_TRUE(subFile_put(richPuzzle(), file));
    for (int round = 0; round < 60; ++round) {
        // The child tells of its first whole save, so that even a loaded machine
        // kills it in the middle of a later one.
        int saved[2];
        ASSERT_EQ(pipe(saved), 0);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            subFile_put(changed, file);
            (void)!write(saved[1], "s", 1);
            for (;;)
                subFile_put(changed, file);
        }
        close(saved[1]);
        char c;
        ASSERT_EQ(read(saved[0], &c, 1), 1);
        close(saved[0]);
        usleep(static_cast<useconds_t>(500 + (round % 10) * 700));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
    const std::vector<std::string> left = entries(dir.path());
    const std::vector<std::string> alone{"killed.bin"}, withTemp{saveTempName("killed.bin"), "killed.bin"};
    EXPECT_TRUE(left == alone || left == withTemp) << left.size() << " entries, first " << left[0];
    EXPECT_EQ(commentOf(file), "changed");
    // The next save takes the leftover away.
    ASSERT_TRUE(subFile_put(changed, file));
    EXPECT_EQ(entries(dir.path()), std::vector<std::string>{"killed.bin"});
}

TEST_F(SaveFileTest, NamesUpTo255BytesAreSavedWithAShortTemporaryName)
{
    const std::string ascii = std::string(251, 'n') + ".bin";
    std::string japanese;
    while (japanese.size() + 3 + 4 <= 255)
        japanese += "名";
    japanese += ".bin";
    for (const std::string& name : {ascii, japanese}) {
        SCOPED_TRACE(name.size());
        ASSERT_TRUE(subFile_put(richPuzzle(), dir.file(name))) << lastEntry();
        ASSERT_TRUE(subFile_put(changed, dir.file(name))) << lastEntry();
        EXPECT_EQ(commentOf(dir.file(name)), "changed");
        const std::string temp = saveTempName(name);
        EXPECT_LE(temp.size(), 64u);
        EXPECT_TRUE(isValidUtf8(temp));
        EXPECT_TRUE(temp.starts_with("."));
    }
    EXPECT_NE(saveTempName(ascii), saveTempName(std::string(251, 'n') + ".bim"));
    EXPECT_EQ(entries(dir.path()), (std::vector<std::string>{ascii, japanese}));
}
