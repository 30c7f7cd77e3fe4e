#include "app/AppEnv.h"

#include "app/Ini.h"
#include "app/SingleInstance.h"
#include "app/VersionInfo.h"
#include "files/ShiftJis.h"
#include "files/TestSupport.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

using namespace tessaro;
using namespace tessaro::test;
namespace fs = std::filesystem;

namespace {

const std::string kIniOnlySection = utf8ToCp932("[フォルダPath]\r\n");

std::string iniWith(const std::string& value)
{
    return utf8ToCp932("[フォルダPath]\r\nDATA_Folda_Path=" + value + "\r\n");
}

}  // namespace

TEST(AppEnv, VersionTextComesFromTheProjectVersion)
{
    EXPECT_EQ(versionText(), std::string(" Ver ") + TESSARO_VERSION);
    EXPECT_EQ(G_sVersion, versionText());
    EXPECT_STREQ(kAppTitle, "Tessaro");
    EXPECT_GT(std::string(kCopyright).size(), 0u);
}

TEST(AppEnv, ProgramFolderEndsWithExactlyOneSlash)
{
    EXPECT_EQ(withTrailingSlash("/"), "/");
    EXPECT_EQ(withTrailingSlash("//"), "/");
    EXPECT_EQ(withTrailingSlash("/opt/tessaro"), "/opt/tessaro/");
    EXPECT_EQ(withTrailingSlash("/opt/tessaro/"), "/opt/tessaro/");
    EXPECT_EQ(withTrailingSlash("/opt/tessaro//"), "/opt/tessaro/");

    std::string folder = programFolder();
    EXPECT_EQ(folder, fs::canonical("/proc/self/exe").parent_path().string() + "/");
    EXPECT_EQ(G_sApp_Path, folder);  // usable before start-up
}

TEST(AppEnv, BuildPutsAShiftJisInitIniBesideTheExecutables)
{
    std::string ini = std::string(TESSARO_BIN_DIR) + "/Init.ini";
    std::string bytes = readBytes(ini);
    EXPECT_TRUE(bytes.starts_with(kIniOnlySection)) << bytes;
    EXPECT_NE(bytes.find("DATA_Folda_Path="), std::string::npos);
    EXPECT_EQ(fncIni_get(kIniSection, kIniDataKey, ini), "");
}

TEST(AppEnv, StartUpReadsSettingsAndPreparesTheDataFolder)
{
    TempDir dir;
    CapturedMessages msgs(dir.folder());
    std::string lockPath = dir.file("lock");

    // Only the section line: the default folder beside the program, created.
    writeBytes(dir.file("Init.ini"), kIniOnlySection);
    {
        InstanceLock lock;
        ASSERT_TRUE(startUp(lock, dir.path(), lockPath));
        EXPECT_EQ(G_sApp_Path, dir.folder());
        EXPECT_EQ(G_sData_Path, dir.folder() + "Data");
        EXPECT_TRUE(fs::is_directory(G_sData_Path));
        EXPECT_EQ(G_sVersion, versionText());
    }
    // A folder that exists is used as it is; nothing else is created.
    TempDir data;
    writeBytes(dir.file("Init.ini"), iniWith(data.path()));
    fs::remove(dir.file("Data"));
    {
        InstanceLock lock;
        ASSERT_TRUE(startUp(lock, dir.folder(), lockPath));
        EXPECT_EQ(G_sData_Path, data.path());
        EXPECT_FALSE(fs::exists(dir.file("Data")));
    }
    // A missing folder whose parent exists is created; one level only.
    writeBytes(dir.file("Init.ini"), iniWith(dir.file("新しいフォルダ")));
    {
        InstanceLock lock;
        ASSERT_TRUE(startUp(lock, dir.path(), lockPath));
        EXPECT_TRUE(fs::is_directory(dir.file("新しいフォルダ")));
    }
    writeBytes(dir.file("Init.ini"), iniWith(dir.file("a/b")));
    {
        InstanceLock lock;
        ASSERT_TRUE(startUp(lock, dir.path(), lockPath));
        EXPECT_EQ(G_sData_Path, dir.file("a/b"));
        EXPECT_FALSE(fs::exists(dir.file("a")));
    }
    EXPECT_TRUE(msgs.list.empty());
}

TEST(AppEnv, StartUpRefusesWithoutInitIniAndForASecondCopy)
{
    TempDir dir;
    CapturedMessages msgs(dir.folder());
    std::string lockPath = dir.file("lock");
    {
        InstanceLock lock;
        EXPECT_FALSE(startUp(lock, dir.path(), lockPath));
        EXPECT_FALSE(lock.held());
    }
    ASSERT_EQ(msgs.list.size(), 1u);
    EXPECT_EQ(msgs.list[0].title, "初期設定ファイル異常");
    EXPECT_EQ(msgs.list[0].text, "初期設定ファイル\r\n" + dir.folder() +
                                     "Init.ini\r\nが見つかりませんでした。\r\nインストールをやり直してください。\r\n");

    // A program folder at the root: looked up as "/Init.ini", never "//Init.ini".
    msgs.list.clear();
    G_sApp_Path = withTrailingSlash("/");
    if (!fs::exists("/Init.ini")) {
        EXPECT_FALSE(fncSetting_get());
        ASSERT_EQ(msgs.list.size(), 1u);
        EXPECT_NE(msgs.list[0].text.find("\r\n/Init.ini\r\n"), std::string::npos);
    }

    msgs.list.clear();
    writeBytes(dir.file("Init.ini"), kIniOnlySection);
    InstanceLock first;
    ASSERT_TRUE(startUp(first, dir.path(), lockPath));
    InstanceLock second;
    EXPECT_FALSE(startUp(second, dir.path(), lockPath));
    ASSERT_EQ(msgs.list.size(), 1u);
    EXPECT_EQ(msgs.list[0].title, "起動時エラー");
    EXPECT_EQ(msgs.list[0].text, "このアプリケーションはすでに開かれています。");
    EXPECT_TRUE(first.held());
}

TEST(AppEnv, AnInstalledCopyKeepsEverySettingInTheUsersSettingsFile)
{
    TempDir dir;
    CapturedMessages msgs(dir.folder());
    fs::create_directories(dir.file("usr/games"));
    fs::create_directories(dir.file("usr/share/tessaro"));
    writeBytes(dir.file("usr/share/tessaro/Init.ini"), kIniOnlySection);
    const std::string config = dir.file("config"), state = dir.file("state"), data = dir.file("data");
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    setenv("XDG_STATE_HOME", state.c_str(), 1);
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("HOME", dir.path().c_str(), 1);  // no documents folder of the real user
    {
        InstanceLock lock;
        ASSERT_TRUE(startUp(lock, dir.file("usr/games"), dir.file("lock")));
        // The log goes to the state folder; the settings stay in the one Init.ini read.
        EXPECT_EQ(G_sApp_Path, state + "/tessaro/");
        EXPECT_EQ(settingsFile(), config + "/tessaro/Init.ini");
        ASSERT_TRUE(fncIni_put("解析", "CheckMade", "1", settingsFile()));
        EXPECT_EQ(fncIni_get("解析", "CheckMade", config + "/tessaro/Init.ini"), "1");
        EXPECT_FALSE(fs::exists(state + "/tessaro/Init.ini"));
    }
    // A settings folder that cannot be made is named with the reason, not the program's folder.
    writeBytes(dir.file("notafolder"), "x");
    setenv("XDG_CONFIG_HOME", dir.file("notafolder").c_str(), 1);
    {
        InstanceLock lock;
        EXPECT_FALSE(startUp(lock, dir.file("usr/games"), dir.file("lock")));
    }
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("XDG_STATE_HOME");
    unsetenv("XDG_DATA_HOME");
    setenv("HOME", home.c_str(), 1);
    ASSERT_EQ(msgs.list.size(), 1u);
    EXPECT_EQ(msgs.list[0].title, "初期設定ファイル異常");
    EXPECT_EQ(msgs.list[0].text, "設定を置くフォルダ\r\n" + dir.file("notafolder") +
                                     "/tessaro/\r\nを作れませんでした。（途中にフォルダでないファイルがあります）\r\n");
}
