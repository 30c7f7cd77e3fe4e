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
#include <optional>
#include <string>

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
            file = a;
        }
    }
    return -1;
}

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

    tessaro::frmMain window(dialogs);
    dialogs.setParent(&window);
    QObject::connect(&window, &tessaro::frmMain::unloaded, &app, &QApplication::quit);
    window.show();
    if (file) window.openPuzzleFile(*file);
    return QApplication::exec();
}
