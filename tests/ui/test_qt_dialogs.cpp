// The real dialogs: what the user sees for each icon and set of buttons, and
// what each button answers. The boxes are answered from a timer, as a user would.

#include "ui/QtDialogs.h"
#include "ui/Translations.h"
#include "ui/testing/ScriptedDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace tessaro {
namespace {

// Runs `answer` on the next modal dialog of type T once it is up.
template <class T>
void whenShown(std::function<void(T*)> answer) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* d = qobject_cast<T*>(top); d && d->isVisible()) {
                timer->stop();
                timer->deleteLater();
                answer(d);
                return;
            }
        }
    });
    timer->start();
}

TEST(QtDialogs, MessageBoxesShowIconTitleTextAndButtons) {
    QtDialogs dlg;
    struct Case {
        MsgIcon icon;
        QMessageBox::Icon qicon;
        MsgButtons buttons;
        QMessageBox::StandardButtons shown;
        QMessageBox::StandardButton press;
        MsgResult expect;
    };
    const Case cases[] = {
        {MsgIcon::Critical, QMessageBox::Critical, MsgButtons::Ok, QMessageBox::Ok, QMessageBox::Ok, MsgResult::Ok},
        {MsgIcon::Exclamation, QMessageBox::Warning, MsgButtons::OkCancel, QMessageBox::Ok | QMessageBox::Cancel,
         QMessageBox::Cancel, MsgResult::Cancel},
        {MsgIcon::Question, QMessageBox::Question, MsgButtons::YesNo, QMessageBox::Yes | QMessageBox::No,
         QMessageBox::No, MsgResult::No},
        {MsgIcon::Question, QMessageBox::Question, MsgButtons::YesNoCancel,
         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes, MsgResult::Yes},
        {MsgIcon::Information, QMessageBox::Information, MsgButtons::Ok, QMessageBox::Ok, QMessageBox::Ok,
         MsgResult::Ok},
    };
    for (const Case& c : cases) {
        QString title, text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons;
        whenShown<QMessageBox>([&](QMessageBox* box) {
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            buttons = box->standardButtons();
            box->button(c.press)->click();
        });
        EXPECT_EQ(dlg.message("×そこは駄目×", "一行目\r\n二行目", c.icon, c.buttons), c.expect);
        EXPECT_EQ(title, QStringLiteral("×そこは駄目×"));
        EXPECT_EQ(text, QStringLiteral("一行目\n二行目"));
        EXPECT_EQ(icon, c.qicon);
        EXPECT_EQ(buttons, c.shown);
    }
}

TEST(QtDialogs, EscapeAnswersNoOrCancel) {
    QtDialogs dlg;
    whenShown<QMessageBox>([](QMessageBox* box) { box->reject(); });
    EXPECT_EQ(dlg.message("t", "x", MsgIcon::Question, MsgButtons::YesNo), MsgResult::No);
    whenShown<QMessageBox>([](QMessageBox* box) { box->reject(); });
    EXPECT_EQ(dlg.message("t", "x", MsgIcon::Question, MsgButtons::YesNoCancel), MsgResult::Cancel);
}

TEST(QtDialogs, InputBoxGivesTheTextOrEmptyOnCancel) {
    QtDialogs dlg;
    QString label, initial;
    whenShown<QInputDialog>([&](QInputDialog* d) {
        label = d->labelText();
        initial = d->textValue();
        d->setTextValue(QStringLiteral("パズル１"));
        d->accept();
    });
    EXPECT_EQ(dlg.input("名前を付けて保存", "コメントを入力してください\r\n（全角２０文字以内）", "既定"), "パズル１");
    EXPECT_EQ(label, QStringLiteral("コメントを入力してください\n（全角２０文字以内）"));
    EXPECT_EQ(initial, QStringLiteral("既定"));

    whenShown<QInputDialog>([](QInputDialog* d) {
        d->setTextValue(QStringLiteral("typed"));
        d->reject();
    });
    EXPECT_EQ(dlg.input("t", "p"), "");
}

TEST(QtDialogs, FileDialogsStartInTheFolderWithTheFilter) {
    QtDialogs dlg;
    const QString folder = QDir::tempPath();
    QString dir, filter;
    whenShown<QFileDialog>([&](QFileDialog* d) {
        dir = d->directory().absolutePath();
        filter = d->nameFilters().join(";;");
        d->reject();
    });
    EXPECT_EQ(dlg.openFile((folder + "/*.bin").toStdString(), "(*.bin)|*.bin", "bin"), std::nullopt);
    EXPECT_EQ(dir, QDir(folder).absolutePath());
    EXPECT_EQ(filter, QStringLiteral("(*.bin)"));

    // Save: the proposed name, the default extension added to a bare name.
    QString proposed;
    whenShown<QFileDialog>([&](QFileDialog* d) {
        proposed = d->selectedFiles().value(0);
        d->selectFile(QStringLiteral("Mine"));
        static_cast<QDialog*>(d)->accept();  // QFileDialog hides it; the dialog's own OK
    });
    const auto saved = dlg.saveFile((folder + "/Test.bin").toStdString(), "(*.bin)|*.bin", "bin");
    EXPECT_TRUE(proposed.endsWith(QStringLiteral("Test.bin"))) << proposed.toStdString();
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(*saved, (QDir(folder).absolutePath() + "/Mine.bin").toStdString());
}

TEST(QtDialogs, QtsOwnTextsAreJapanese) {
    ASSERT_TRUE(installQtTranslations(*QCoreApplication::instance())) << "qt6-translations-l10n missing";
    QtDialogs dlg;
    QStringList buttons;
    whenShown<QMessageBox>([&](QMessageBox* box) {
        for (QMessageBox::StandardButton b : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel})
            buttons << box->button(b)->text();
        box->button(QMessageBox::Cancel)->click();
    });
    dlg.message("t", "x", MsgIcon::Question, MsgButtons::YesNoCancel);
    ASSERT_EQ(buttons.size(), 3);
    EXPECT_TRUE(buttons[0].startsWith(QStringLiteral("はい"))) << buttons[0].toStdString();
    EXPECT_TRUE(buttons[1].startsWith(QStringLiteral("いいえ"))) << buttons[1].toStdString();
    EXPECT_TRUE(buttons[2].startsWith(QStringLiteral("キャンセル"))) << buttons[2].toStdString();

    QString lookIn, fileName;
    whenShown<QFileDialog>([&](QFileDialog* d) {
        lookIn = d->labelText(QFileDialog::LookIn);
        fileName = d->labelText(QFileDialog::FileName);
        d->reject();
    });
    dlg.openFile(QDir::tempPath().toStdString(), "(*.bin)|*.bin", "bin");
    EXPECT_NE(lookIn, QStringLiteral("Look in:"));
    EXPECT_NE(fileName, QStringLiteral("File &name:"));
    EXPECT_FALSE(lookIn.isEmpty());
}

TEST(QtDialogs, SaveAsksBeforeReplacingAFile) {
    installQtTranslations(*QCoreApplication::instance());
    QTemporaryDir dir;
    const QString old = dir.filePath(QStringLiteral("Old.bin"));
    QFile(old).open(QIODevice::WriteOnly);
    QtDialogs dlg;
    QStringList asked;
    whenShown<QFileDialog>([&](QFileDialog* d) {
        d->selectFile(QStringLiteral("Old.bin"));
        // No: the dialog stays for another name; then Yes.
        for (auto answer : {QMessageBox::No, QMessageBox::Yes}) {
            whenShown<QMessageBox>([&asked, answer](QMessageBox* box) {
                asked << box->text();
                box->button(answer)->click();
            });
            QMetaObject::invokeMethod(d, "accept");  // the dialog's own Save button
            EXPECT_EQ(d->isVisible(), answer == QMessageBox::No);
        }
    });
    const auto saved = dlg.saveFile((dir.path() + "/Test.bin").toStdString(), "(*.bin)|*.bin", "bin");
    ASSERT_EQ(asked.size(), 2);
    EXPECT_TRUE(asked[0].contains(QStringLiteral("Old.bin"))) << asked[0].toStdString();
    EXPECT_FALSE(asked[0].contains(QStringLiteral("already exists"))) << asked[0].toStdString();
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(*saved, QFileInfo(old).absoluteFilePath().toStdString());
}

TEST(QtDialogs, FilterTextsConverted) {
    EXPECT_EQ(toQtFilter("(*.bin)|*.bin"), QStringLiteral("(*.bin)"));
    EXPECT_EQ(toQtFilter("Puzzle|*.bin|All|*.*"), QStringLiteral("Puzzle (*.bin);;All (*.*)"));
    EXPECT_EQ(toQtFilter("Pictures|*.png;*.jpg"), QStringLiteral("Pictures (*.png *.jpg)"));
    // The label once: a description that repeats a list of patterns.
    EXPECT_EQ(toQtFilter("(*.xmpuzzle;*.xml)|*.xmpuzzle;*.xml"), QStringLiteral("(*.xmpuzzle *.xml)"));
    EXPECT_EQ(toQtFilter("Voxel (*.xmpuzzle;*.xml)|*.xmpuzzle;*.xml"), QStringLiteral("Voxel (*.xmpuzzle *.xml)"));
}

TEST(ScriptedDialogs, RecordsAndAnswersFromItsQueues) {
    ScriptedDialogs dlg;
    dlg.answerMessage(MsgResult::No);
    dlg.answerInput("abc");
    EXPECT_EQ(dlg.message("t1", "x1", MsgIcon::Information), MsgResult::Ok);  // an OK box takes no answer
    EXPECT_EQ(dlg.message("t2", "x2", MsgIcon::Question, MsgButtons::YesNo), MsgResult::No);
    EXPECT_EQ(dlg.input("t3", "p3", "d3"), "abc");
    EXPECT_EQ(dlg.unscripted(), 0);
    EXPECT_EQ(dlg.message("t4", "x4", MsgIcon::Question, MsgButtons::YesNo), MsgResult::No);
    EXPECT_EQ(dlg.openFile("/data", "(*.bin)|*.bin", "bin"), std::nullopt);
    EXPECT_EQ(dlg.unscripted(), 2);
    ASSERT_EQ(dlg.count(), 5u);
    EXPECT_EQ(dlg.messages().size(), 3u);
    EXPECT_EQ(dlg.records()[2].defaultText, "d3");
    EXPECT_EQ(dlg.records()[4].text, "/data");
}

}  // namespace
}  // namespace tessaro
