// Window tests run without a display: Qt's offscreen platform, one QApplication.
// ctest runs the cases as parallel processes, so each gets its own program
// folder: one case's saved dialog fields must never reach another's Init.ini.
#include "app/AppEnv.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    QTemporaryDir folder;
    if (!folder.isValid()) return 1;
    const QString ini = QStringLiteral("Init.ini");
    const QString shipped = QString::fromStdString(tessaro::G_sApp_Path) + ini;
    if (QFile::exists(shipped) && !QFile::copy(shipped, folder.filePath(ini))) return 1;
    tessaro::G_sApp_Path = folder.path().toStdString() + "/";
    return RUN_ALL_TESTS();
}
