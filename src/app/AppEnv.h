#pragma once
// The program's start-up: its texts, its folder, the data folder, the critical
// messages the core shows, and the start-up sequence the window runs first.
//
// The window, before anything else:
//     tessaro::setMessageHandler(/* critical message box, OK button */);
//     static tessaro::InstanceLock lock;            // held until the process ends
//     if (!tessaro::startUp(lock)) return 0;        // refused: message already shown
//     ... show the main window; G_sVersion, G_sApp_Path, G_sData_Path are set.

#include <functional>
#include <string>

namespace tessaro {

class InstanceLock;

// " Ver " and the version numbers. Set before start-up too, so a file written
// by a tool that skips start-up still carries the version.
extern std::string G_sVersion;
// The program's folder, ending with exactly one '/'; the executable's until start-up sets it.
extern std::string G_sApp_Path;
// The data folder for puzzle files (no trailing '/' added).
extern std::string G_sData_Path;

// " Ver 1.0.0" from the project's version.
std::string versionText();

// Folder of the running executable with one trailing '/'.
std::string programFolder();
// `folder` with exactly one trailing '/'; "/" stays "/".
std::string withTrailingSlash(std::string folder);

// Critical messages (error icon, OK button) from the core: the start-up
// refusals and every subErrLog_put. Texts are UTF-8, lines joined by "\r\n".
// Without a handler (or after setting nullptr) they go to stderr as "title: text".
using MessageHandler = std::function<void(const std::string& title, const std::string& text)>;
void setMessageHandler(MessageHandler handler);
void showCriticalMessage(const std::string& title, const std::string& text);

// An empty G_sData_Path becomes G_sApp_Path + "Data"; a missing folder is
// created (one level). Returns whether the folder exists afterwards.
bool prepareDataFolder();

// ---- an installed copy ----
// With Init.ini beside the executable the copy is portable and keeps every
// file there. Installed (no Init.ini there, but the default one in
// ../share/tessaro/), it uses the user's folders instead: the settings in
// $XDG_CONFIG_HOME/tessaro/Init.ini (copied from the default at first start),
// puzzle files in a Tessaro folder in the documents folder (or $XDG_DATA_HOME),
// and the error log in $XDG_STATE_HOME/tessaro/, where G_sApp_Path then points.
struct UserFolders {
    std::string config;  // ends with '/'
    std::string state;   // ends with '/'
    std::string data;    // no trailing '/'
};
UserFolders userFolders();
// The default Init.ini an installation puts beside its executables' folder.
std::string installedIniPath(const std::string& programFolder);

// Start-up in order: refuse a second copy (lock at `lockPath`, empty = default),
// version, program folder (`appFolder`, empty = the executable's), Init.ini,
// data folder. True when the window should be shown; false after the refusal
// message ("起動時エラー" or "初期設定ファイル異常") went to the message handler.
// A lock that cannot be used at all does not stop the start; Error_Log.TXT gets a line.
bool startUp(InstanceLock& lock, const std::string& appFolder = {}, const std::string& lockPath = {});

}  // namespace tessaro
