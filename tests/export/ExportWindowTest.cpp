// The export behind the window's "書き出し…" dialog: its password question and
// its closing message.
#include "ui/ExportDialog.h"
#include "model/Figure.h"
#include "ui/testing/ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace tessaro;
namespace fs = std::filesystem;

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
    // Seven STL blocks, the 3MF file and the sheet; the sample's blocks 5 and 6 come apart.
    EXPECT_EQ(dlg.messages()[0].text, "9 個のファイルを書き出しました。\r\n" + dir +
                                          "\r\n\r\nブロック 5 は面でつながっていません。印刷すると 2 個に分かれます。"
                                          "\r\n\r\nブロック 6 は面でつながっていません。印刷すると 2 個に分かれます。");
    EXPECT_EQ(dlg.messages()[0].icon, MsgIcon::Exclamation);
    EXPECT_TRUE(fs::exists(dir + "/tessaro.pdf"));
    EXPECT_TRUE(fs::exists(dir + "/stl/block7.stl"));

    dlg.clear();
    c.folder = dir + "/missing";
    EXPECT_FALSE(runWindowExport(p, dlg, c));
    EXPECT_EQ(dlg.messages().at(0).text, "書き出し先のフォルダがありません。");
    fs::remove_all(dir);
}
