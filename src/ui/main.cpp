// Tessaro: refuses a second copy, reads Init.ini, makes the data folder, then
// lives in the main window until it is closed.

#include "app/AppEnv.h"
#include "app/SingleInstance.h"
#include "ui/QtDialogs.h"
#include "ui/Translations.h"
#include "ui/frmMain.h"

#include <QApplication>
#include <QFont>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
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
    return QApplication::exec();
}
