// An export writes its files as a save does: nothing but plain files the user
// may write, links followed soundly, the file's identity kept, and the whole set
// or nothing, whoever runs it and however it ends.
#include "ExportTempDir.h"
#include "export/Export.h"
#include "files/SaveFile.h"
#include "model/Figure.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace tessaro;
using test::TempDir;
namespace fs = std::filesystem;

namespace {

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeText(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

struct stat lstatOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
    return st;
}

// The sample's STL files: blocks 5 and 6 come apart into two parts each.
const std::vector<std::string> kSampleStl = {"block1.stl",   "block2.stl",   "block3.stl",   "block4.stl", "block5-a.stl",
                                             "block5-b.stl", "block6-a.stl", "block6-b.stl", "block7.stl"};

ExportOutcome exportMeshes(const std::string& stlDir, const std::string& threeMf = {}) {
    ExportRequest r;
    r.stlDir = stlDir;
    r.threeMfFile = threeMf;
    return exportPuzzle(buildSamplePuzzle(), r, nullptr);
}

// Runs `body` in a child as the user nobody; its exit code.
template <class Body>
int asNobody(Body body) {
    const pid_t child = fork();
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0) _exit(99);
        _exit(body());
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(ExportSafety, SpecialFilesAndLinksToThemAreRefusedAndLeftInPlace) {
    TempDir dir;
    fs::create_directory(dir / "stl");
    ASSERT_EQ(mkfifo((dir / "stl/block3.stl").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo((dir / "pipe.3mf").c_str(), 0600), 0);
    fs::create_symlink("pipe.3mf", dir / "to-pipe.3mf");
    const bool root = mknod((dir / "dev.3mf").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    std::vector<std::string> targets{dir / "pipe.3mf", dir / "to-pipe.3mf"};
    if (root) targets.push_back(dir / "dev.3mf");
    for (const std::string& target : targets) {
        const ExportOutcome out = exportMeshes({}, target);
        EXPECT_EQ(out.status, ExportStatus::Failed) << target;
        EXPECT_NE(out.message.find(target + ": 書き出せません。"), std::string::npos) << out.message;
    }
    // A pipe among the block files stops the export before block 1 is written.
    EXPECT_EQ(exportMeshes(dir / "stl").status, ExportStatus::Failed);
    EXPECT_TRUE(S_ISFIFO(lstatOf(dir / "stl/block3.stl").st_mode));
    EXPECT_TRUE(S_ISFIFO(lstatOf(dir / "pipe.3mf").st_mode));
    EXPECT_TRUE(S_ISLNK(lstatOf(dir / "to-pipe.3mf").st_mode));
    if (root) {
        EXPECT_TRUE(S_ISCHR(lstatOf(dir / "dev.3mf").st_mode));
    }
    const std::vector<std::string> expected =
        root ? std::vector<std::string>{"block3.stl", "dev.3mf", "pipe.3mf", "stl", "to-pipe.3mf"}
             : std::vector<std::string>{"block3.stl", "pipe.3mf", "stl", "to-pipe.3mf"};
    EXPECT_EQ(dir.entries(), expected);
}

TEST(ExportSafety, ReadOnlyFilesLinksAndIdentityAreTreatedAsSaveTreatsThem) {
    TempDir dir;
    // Read-only: refused, for root too.
    writeText(dir / "locked.3mf", "old");
    ASSERT_EQ(chmod((dir / "locked.3mf").c_str(), 0444), 0);
    EXPECT_EQ(exportMeshes({}, dir / "locked.3mf").status, ExportStatus::Failed);
    EXPECT_EQ(readAll(dir / "locked.3mf"), "old");
    EXPECT_EQ(lstatOf(dir / "locked.3mf").st_mode & 07777, 0444u);

    // A link to a file is written through and stays a link; a dangling one is refused.
    writeText(dir / "real.3mf", "old");
    fs::create_symlink("real.3mf", dir / "link.3mf");
    ASSERT_EQ(exportMeshes({}, dir / "link.3mf").status, ExportStatus::Written);
    EXPECT_TRUE(fs::is_symlink(dir / "link.3mf"));
    EXPECT_GT(fs::file_size(dir / "real.3mf"), 100u);
    fs::create_symlink("nowhere.3mf", dir / "dangling.3mf");
    EXPECT_EQ(exportMeshes({}, dir / "dangling.3mf").status, ExportStatus::Failed);
    EXPECT_TRUE(fs::is_symlink(dir / "dangling.3mf"));
    EXPECT_FALSE(fs::exists(dir / "nowhere.3mf"));

    // Hard links stay linked; another user's file keeps its owner, group and mode.
    fs::create_directory(dir / "stl");
    writeText(dir / "stl/block1.stl", "old");
    ASSERT_EQ(link((dir / "stl/block1.stl").c_str(), (dir / "twin.stl").c_str()), 0);
    writeText(dir / "stl/block2.stl", "old");
    const bool root = chown((dir / "stl/block2.stl").c_str(), 4242, 4343) == 0;
    ASSERT_EQ(chmod((dir / "stl/block2.stl").c_str(), 0600), 0);
    ASSERT_EQ(exportMeshes(dir / "stl").status, ExportStatus::Written);
    EXPECT_EQ(readAll(dir / "twin.stl"), readAll(dir / "stl/block1.stl"));
    EXPECT_EQ(lstatOf(dir / "twin.stl").st_nlink, 2u);
    const struct stat theirs = lstatOf(dir / "stl/block2.stl");
    EXPECT_EQ(theirs.st_mode & 07777, 0600u);
    if (root) {
        EXPECT_EQ(std::make_pair(theirs.st_uid, theirs.st_gid), std::make_pair(4242u, 4343u));
    }
    EXPECT_NE(readAll(dir / "stl/block2.stl"), "old");
}

TEST(ExportSafety, InASharedFolderAStrangersFileOrLinkStopsTheExportBeforeAnythingIsReplaced) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to play two users";
    TempDir dir;
    const std::string shared = dir / "shared";
    fs::create_directory(shared);
    ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);  // nobody may look in
    ASSERT_EQ(chmod(shared.c_str(), 01777), 0);
    for (const std::string& name : kSampleStl) {
        const std::string f = shared + "/" + name;
        writeText(f, "old");
        // Block 4 is a stranger's, which nobody may not write; the others are nobody's own.
        const bool stranger = name == "block4.stl";
        ASSERT_EQ(chown(f.c_str(), stranger ? 4242 : 65534, stranger ? 4242 : 65534), 0);
    }
    EXPECT_EQ(asNobody([&] {
                  const ExportOutcome out = exportMeshes(shared);
                  return out.status == ExportStatus::Failed && out.message.find("block4.stl") != std::string::npos ? 0 : 1;
              }),
              0);
    for (const std::string& name : kSampleStl) EXPECT_TRUE(readAll(shared + "/" + name) == "old") << name;

    // A stranger's link planted there is not followed, not even by root.
    writeText(dir / "victim.3mf", "old");
    fs::create_symlink(dir / "victim.3mf", shared + "/all.3mf");
    ASSERT_EQ(lchown((shared + "/all.3mf").c_str(), 4242, 4242), 0);
    EXPECT_EQ(exportMeshes({}, shared + "/all.3mf").status, ExportStatus::Failed);
    EXPECT_EQ(readAll(dir / "victim.3mf"), "old");
}

TEST(ExportSafety, KillsLeaveAtMostOneShortTemporaryFilePerTargetAndLongNamesAreWritten) {
    TempDir dir;
    const std::string stl = dir / "stl";
    ASSERT_EQ(exportMeshes(stl).status, ExportStatus::Written);
    for (int round = 0; round < 40; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            for (;;) exportMeshes(stl);
        usleep(static_cast<useconds_t>(2000 + (round % 10) * 1500));
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
    for (const auto& e : fs::directory_iterator(stl)) {
        const std::string name = e.path().filename().string();
        bool known = false;
        for (const std::string& block : kSampleStl) known = known || name == block || name == saveTempName(block);
        EXPECT_TRUE(known) << name;
    }
    // The next export takes the leftovers away.
    ASSERT_EQ(exportMeshes(stl).status, ExportStatus::Written);
    EXPECT_EQ(std::distance(fs::directory_iterator(stl), fs::directory_iterator()), 9);

    const std::string longName = dir / (std::string(250, 'n') + ".3mf");
    ASSERT_EQ(exportMeshes({}, longName).status, ExportStatus::Written);
    ASSERT_EQ(exportMeshes({}, longName).status, ExportStatus::Written);
    EXPECT_TRUE(fs::is_regular_file(longName));
}
