// Tessaro: refuses a second copy, reads Init.ini, makes the data folder, then
// lives in the main window until it is closed.

#include "app/AppEnv.h"
#include "app/SingleInstance.h"
#include "app/VersionInfo.h"
#include "ui/QtDialogs.h"
#include "ui/Translations.h"
#include "ui/frmMain.h"

#include <QApplication>
#include <QFont>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>

namespace {

constexpr const char* kUsage =
    "使い方: tessaro [FILE.bin]\n"
    "立体パッキング・パズルを作って遊ぶ窓を開きます。FILE.bin を指定すると、\n"
    "「パズルを開く」と同じように、そのパズルを開いて始めます。\n"
    "\n"
    "オプション:\n"
    "  -h, --help     この説明を表示して終わる\n"
    "  --version      版を表示して終わる\n"
    "\n"
    "画面なしでパズルを調べ、解き、作り、書き出すには tessaro-cli を使います。\n";

// --help and --version, answered before Qt needs a display; 0 when one was
// answered, -1 to go on.
int answerHelpOrVersion(int argc, char** argv) {
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("tessaro (%s) %d.%d.%d\n%s\n", tessaro::kAppTitle, tessaro::kVersionMajor,
                        tessaro::kVersionMinor, tessaro::kVersionRevision, tessaro::kCopyright);
            return 0;
        }
    }
    return -1;
}

// The file to open from what Qt left of the command line (it takes its own
// options, -platform and the like); exit code 2 for anything else.
int fileArgument(int argc, char** argv, std::optional<std::string>& file) {
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (options && std::strcmp(a, "--") == 0) {
            options = false;
        } else if (options && a[0] == '-' && a[1] != '\0') {
            std::fprintf(stderr, "tessaro: %s というオプションはありません\n使い方は tessaro --help で表示します。\n", a);
            return 2;
        } else if (file) {
            std::fputs("tessaro: 開けるファイルは一つだけです\n使い方は tessaro --help で表示します。\n", stderr);
            return 2;
        } else {
            std::error_code ec;
            const std::filesystem::path full = std::filesystem::absolute(a, ec);
            file = ec ? std::string(a) : full.string();
        }
    }
    return -1;
}

// The file named at start-up is the answer of the first open dialog, so that
// パズルを開く itself opens it, with all its checks and messages.
class StartFileDialogs final : public tessaro::Dialogs {
public:
    StartFileDialogs(tessaro::Dialogs& real, std::optional<std::string> file) : real_(real), file_(std::move(file)) {}
    tessaro::MsgResult message(const std::string& title, const std::string& text, tessaro::MsgIcon icon,
                               tessaro::MsgButtons buttons) override {
        return real_.message(title, text, icon, buttons);
    }
    bool messageOffering(const std::string& title, const std::string& text, tessaro::MsgIcon icon,
                         const std::string& action) override {
        return real_.messageOffering(title, text, icon, action);
    }
    std::string input(const std::string& title, const std::string& prompt, const std::string& defaultText) override {
        return real_.input(title, prompt, defaultText);
    }
    std::optional<std::string> openFile(const std::string& startPath, const std::string& filter,
                                        const std::string& defaultExt) override {
        if (file_) return std::exchange(file_, std::nullopt);
        return real_.openFile(startPath, filter, defaultExt);
    }
    std::optional<std::string> saveFile(const std::string& startPath, const std::string& filter,
                                        const std::string& defaultExt) override {
        return real_.saveFile(startPath, filter, defaultExt);
    }

private:
    tessaro::Dialogs& real_;
    std::optional<std::string> file_;
};

}  // namespace

int main(int argc, char** argv) {
    if (const int code = answerHelpOrVersion(argc, argv); code >= 0) return code;
    QApplication app(argc, argv);
    std::optional<std::string> file;
    if (const int code = fileArgument(argc, argv, file); code >= 0) return code;
    QApplication::setApplicationName(QStringLiteral("Tessaro"));
    // Every text is Japanese: a Gothic face with the full character set, at the
    // 9-point size the window is laid out for.
    QFont font;
    font.setFamilies({QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(12);
    QApplication::setFont(font);
    tessaro::installQtTranslations(app);

    tessaro::QtDialogs dialogs;
    // The refusals at start-up come before there is a window to own them.
    tessaro::setMessageHandler([&dialogs](const std::string& title, const std::string& text) {
        dialogs.message(title, text, tessaro::MsgIcon::Critical, tessaro::MsgButtons::Ok);
    });
    static tessaro::InstanceLock lock;  // held until the process ends
    if (!tessaro::startUp(lock)) return 1;

    StartFileDialogs windowDialogs(dialogs, file);
    tessaro::frmMain window(windowDialogs);
    dialogs.setParent(&window);
    QObject::connect(&window, &tessaro::frmMain::unloaded, &app, &QApplication::quit);
    window.show();
    if (file) window.mnuFileOpen_Click();
    return QApplication::exec();
}
