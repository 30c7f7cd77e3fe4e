// The export behind the window's "書き出し…" dialog: its password question and
// its closing message.
#include "ui/ExportDialog.h"
#include "model/Figure.h"
#include "ui/QtDialogs.h"
#include "ui/testing/ScriptedDialogs.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace tessaro;
namespace fs = std::filesystem;

namespace {

std::string firstPageText(const std::string& pdf) {
    std::string out;
    if (FILE* f = popen(("pdftotext -f 1 -l 1 '" + pdf + "' - 2>/dev/null").c_str(), "r")) {
        char buf[4096];
        for (size_t n; (n = fread(buf, 1, sizeof buf, f)) > 0;) out.append(buf, n);
        pclose(f);
    }
    return out;
}

}  // namespace

TEST(ExportWindow, ExportsAsksForTheAnswerPasswordAndSaysWhatItWrote) {
    char tmpl[] = "/tmp/tessaro-wexport-XXXXXX";
    const std::string dir = mkdtemp(tmpl);
    ScriptedDialogs dlg;
    Puzzle p = buildSamplePuzzle();
    p.G_sPassword = "key";
    WindowExportChoice c;
    c.folder = dir;
    c.withAnswer = true;

    dlg.answerInput("nope");
    EXPECT_FALSE(runWindowExport(p, dlg, c));
    ASSERT_EQ(dlg.messages().size(), 1u);
    EXPECT_EQ(dlg.messages()[0].icon, MsgIcon::Critical);
    EXPECT_EQ(dlg.messages()[0].text, "パスワードが違います。");
    EXPECT_TRUE(fs::is_empty(dir));

    dlg.clear();
    dlg.answerInput("key");
    EXPECT_TRUE(runWindowExport(p, dlg, c));
    ASSERT_EQ(dlg.messages().size(), 1u);
    // Nine STL parts (the sample's blocks 5 and 6 come apart), the 3MF file and the
    // sheet; what each block leaves over air, turned and as made.
    EXPECT_EQ(dlg.messages()[0].text,
              "11 個のファイルを書き出しました。\r\n" + dir +
                  "\r\nstl/：block1.stl、block2.stl、block3.stl、block4.stl、block5-a.stl、block5-b.stl、"
                  "block6-a.stl、block6-b.stl、block7.stl\r\ntessaro.3mf\r\ntessaro.pdf\r\n"
                  "\r\nブロック 1：サポートが要る面 0 mm²（作ったままの向きでは 0 mm²）"
                  "\r\nブロック 2：サポートが要る面 0 mm²（作ったままの向きでは 192 mm²）"
                  "\r\nブロック 3：サポートが要る面 0 mm²（作ったままの向きでは 288 mm²）"
                  "\r\nブロック 4：サポートが要る面 0 mm²（作ったままの向きでは 192 mm²）"
                  "\r\nブロック 5：サポートが要る面 0 mm²（作ったままの向きでは 92 mm²）"
                  "\r\nブロック 6：サポートが要る面 0 mm²（作ったままの向きでは 92 mm²）"
                  "\r\nブロック 7：サポートが要る面 0 mm²（作ったままの向きでは 96 mm²）"
                  "\r\n\r\nブロック 5 は面でつながっていないため、2 個の部品（block5-a、block5-b）に分けて書き出しました。"
                  "辺や角だけで接するキューブは別の部品です。"
                  "\r\n\r\nブロック 6 は面でつながっていないため、2 個の部品（block6-a、block6-b）に分けて書き出しました。"
                  "辺や角だけで接するキューブは別の部品です。");
    EXPECT_EQ(dlg.messages()[0].icon, MsgIcon::Exclamation);
    EXPECT_TRUE(fs::exists(dir + "/tessaro.pdf"));
    EXPECT_TRUE(fs::exists(dir + "/stl/block7.stl"));
    // The sample counts and rates in a moment: page 1 carries its rating.
    EXPECT_NE(firstPageText(dir + "/tessaro.pdf").find("難易度 1 / 10：ほぼ一本道（詰め方一つに探索 13 手）"), std::string::npos);

    // Again into the same folder: asked as Save As asks; No keeps every file.
    const auto before = fs::last_write_time(dir + "/stl/block1.stl");
    dlg.clear();
    dlg.answerInput("key");
    EXPECT_FALSE(runWindowExport(p, dlg, c));
    ASSERT_EQ(dlg.messages().size(), 1u);
    EXPECT_EQ(dlg.messages()[0].icon, MsgIcon::Exclamation);
    EXPECT_TRUE(dlg.messages()[0].text.starts_with("stl/block1.stl\r\n")) << dlg.messages()[0].text;
    EXPECT_TRUE(dlg.messages()[0].text.ends_with("tessaro.pdf は既に存在します。\r\n置き換えますか?"));
    EXPECT_EQ(dlg.messages()[0].buttons, MsgButtons::YesNoDefaultNo);
    EXPECT_EQ(fs::last_write_time(dir + "/stl/block1.stl"), before);

    // A block file this export would not write: asked, kept on No, removed and named on Yes.
    std::ofstream(dir + "/stl/block8.stl") << "old";
    for (MsgResult answer : {MsgResult::No, MsgResult::Yes}) {
        dlg.clear();
        dlg.answerInput("key");
        dlg.answerMessage(MsgResult::Yes);
        dlg.answerMessage(answer);
        EXPECT_EQ(runWindowExport(p, dlg, c), answer == MsgResult::Yes);
        ASSERT_GE(dlg.messages().size(), 2u);
        EXPECT_NE(dlg.messages()[1].text.find("\r\nstl/block8.stl\r\n削除して書き出しますか?"), std::string::npos);
        EXPECT_EQ(fs::exists(dir + "/stl/block8.stl"), answer == MsgResult::No);
    }
    EXPECT_NE(dlg.messages().back().text.find("削除した前のファイル：stl/block8.stl"), std::string::npos);

    dlg.clear();
    c.folder = dir + "/missing";
    EXPECT_FALSE(runWindowExport(p, dlg, c));
    EXPECT_EQ(dlg.messages().at(0).text, "書き出し先のフォルダがありません。");
    fs::remove_all(dir);
}

namespace {

// The export's progress box while it is up.
QProgressDialog* progressBox() {
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QProgressDialog*>(top); box && box->isVisible()) return box;
    return nullptr;
}

}  // namespace

TEST(ExportWindow, TheWindowKeepsAnsweringWhileItExportsAndStopsOnCancel) {
    char tmpl[] = "/tmp/tessaro-wexport-XXXXXX";
    const std::string dir = mkdtemp(tmpl);
    WindowExportChoice c;
    c.folder = dir;
    c.png = true;
    c.withAnswer = true;
    // A heartbeat on the window's thread: it beats only while the event loop
    // turns, so beats with the progress box up mean the export runs elsewhere.
    int beats = 0;
    bool busyCursor = false;
    QString cancelCaption;
    std::function<void(QProgressDialog*)> onBeat;
    QTimer heart;
    QObject::connect(&heart, &QTimer::timeout, [&] {
        QProgressDialog* box = progressBox();
        if (!box) return;
        ++beats;
        busyCursor = QGuiApplication::overrideCursor() && QGuiApplication::overrideCursor()->shape() == Qt::BusyCursor;
        if (auto* button = box->findChild<QPushButton*>()) cancelCaption = button->text();
        if (onBeat) onBeat(box);
    });
    heart.start(2);

    ScriptedDialogs dlg;
    EXPECT_TRUE(runWindowExport(buildSamplePuzzle(), dlg, c));
    EXPECT_GE(beats, 3);
    EXPECT_TRUE(busyCursor);
    EXPECT_EQ(cancelCaption, QStringLiteral("中止"));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(dlg.messages().size(), 1u);

    // 中止 at the first beat: nothing written, nothing said, the cursor back.
    fs::remove_all(dir);
    fs::create_directory(dir);
    dlg.clear();
    onBeat = [](QProgressDialog* box) {
        if (auto* button = box->findChild<QPushButton*>()) button->click();
    };
    EXPECT_FALSE(runWindowExport(buildSamplePuzzle(), dlg, c));
    EXPECT_TRUE(fs::is_empty(dir));
    EXPECT_TRUE(dlg.messages().empty());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    fs::remove_all(dir);
}

TEST(ExportWindow, EnterOnTheReplaceQuestionAnswersNo) {
    QtDialogs dialogs;
    bool noIsDefault = false;
    QTimer::singleShot(0, [&] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(top); box && box->isVisible()) {
                noIsDefault = box->defaultButton() == box->button(QMessageBox::No);
                QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
                QApplication::sendEvent(box, &enter);
            }
    });
    EXPECT_EQ(dialogs.message("書き出し", "tessaro.pdf は既に存在します。\r\n置き換えますか?", MsgIcon::Exclamation,
                              MsgButtons::YesNoDefaultNo),
              MsgResult::No);
    EXPECT_TRUE(noIsDefault);
}
