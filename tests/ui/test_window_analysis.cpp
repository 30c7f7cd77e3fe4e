// The analysis menu in the window, offscreen: counting, the progress dialog's
// cancel, the packing browser, hint, next move, the password and the setting.

#include "WindowFixture.h"
#include "../analysis/AnalysisTestUtil.h"

#include "analysis/PackingAnalysis.h"
#include "app/AppEnv.h"
#include "app/Ini.h"
#include "ui/AnalysisDialogs.h"
#include "model/Figure.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QScreen>
#include <QTimer>

#include <filesystem>
#include <fstream>

namespace tessaro::test {
namespace {

// A corner cell and its three neighbours: in a 2x2x2 box what is left is the same shape again.
const CellList kTripod = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
const CellList kSquare = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};

// Eight single cells in the 4x4x4 box: billions of packings, a count that takes long.
Puzzle endlessPuzzle() {
    std::vector<CellList> cubes(8, CellList{{0, 0, 0}});
    return makePuzzle(4, 4, 4, cubes);
}

class AnalysisTest : public WindowTest {
protected:
    void SetUp() override { activate(); }

    void usePuzzle(const Puzzle& p) {
        w.m_puzzle = p;
        w.cmdClear_Click();
        w.subPiece_Show(0);
    }
    // Puzzle to compare: the scratch grid is the drawing's.
    static Puzzle comparable(Puzzle p) {
        p.G_iWork = Grid{};
        return p;
    }
    static bool waitFor(const std::function<bool()>& done, int ms = 20000) {
        QElapsedTimer t;
        t.start();
        while (!done() && t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 5);
        return done();
    }
    // Presses the progress dialog's cancel button as soon as it is on screen.
    void cancelProgressWhenShown(bool& shown) {
        auto* timer = new QTimer(&w);
        timer->setInterval(5);
        QObject::connect(timer, &QTimer::timeout, timer, [timer, &shown] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || modal->objectName() != QStringLiteral("dlgAnalysisProgress")) return;
            shown = true;
            timer->stop();
            timer->deleteLater();
            modal->findChild<QPushButton*>(QStringLiteral("cmdAnalysisCancel"))->click();
        });
        timer->start();
    }
    QDialog* browser() { return w.packingBrowser(); }
    QString browserText(const char* name) { return browser()->findChild<QLabel*>(QString::fromLatin1(name))->text(); }
    void browserClick(const char* name) { browser()->findChild<QPushButton*>(QString::fromLatin1(name))->click(); }
    bool browserIdle() {
        auto* b = static_cast<PackingBrowser*>(browser());
        return b && b->idle();
    }
};

TEST_F(AnalysisTest, CountStatesTheCountsAndTheVerdict) {
    const Puzzle before = comparable(w.m_puzzle);
    action("mnuAnalysisCount")->trigger();
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].title, "解の数を数える");
    EXPECT_EQ(messages()[0].icon, MsgIcon::Information);
    const std::string text = messages()[0].text;
    EXPECT_EQ(text.find("詰め方（ブロックを区別）：22,464 通り\r\n異なる詰め方（箱の回転を除く）：936 通り\r\n"
                        "異なる詰め方（同じ形のブロックも区別しない）：156 通り\r\n全て数えました。"),
              0u)
        << text;
    EXPECT_NE(text.find("詰め方は 156 通りあります。唯一解ではありません。\r\n"
                        "開いた箱に組み立てられる詰め方：156 通り（まっすぐ落とすだけで入るもの 156 通り）\r\n難易度 1 / 10："),
              std::string::npos)
        << text;
    EXPECT_EQ(comparable(w.m_puzzle), before);

    // Two tripods fill 2x2x2 one way only.
    dlg.clear();
    usePuzzle(makePuzzle(2, 2, 2, {kTripod, kTripod}));
    action("mnuAnalysisCount")->trigger();
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_NE(messages()[0].text.find("\r\n\r\n唯一解です。\r\n開いた箱に組み立てられる詰め方：1 通り"), std::string::npos)
        << messages()[0].text;
    EXPECT_NE(messages()[0].text.find("\r\n難易度 1 / 10："), std::string::npos) << messages()[0].text;

    // A tripod leaves a tripod: the square fits alone but never beside it.
    dlg.clear();
    usePuzzle(makePuzzle(2, 2, 2, {kTripod, kSquare}));
    action("mnuAnalysisCount")->trigger();
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_TRUE(messages()[0].text.starts_with("詰め方（ブロックを区別）：0 通り\r\n")) << messages()[0].text;
    EXPECT_TRUE(messages()[0].text.ends_with("\r\n\r\n詰め方はありません。")) << messages()[0].text;

    // A block that fits nowhere: said before any search, which never runs.
    dlg.clear();
    usePuzzle(makePuzzle(2, 2, 2, {{{0, 0, 0}, {1, 0, 0}, {2, 0, 0}}, {{0, 0, 0}}}));
    action("mnuAnalysisCount")->trigger();
    ASSERT_EQ(messages().size(), 1u);
    expectMessage(messages()[0], "解の数を数える",
                  "ブロック 1 は、どの向きでも箱に入りません。\r\n\r\nこのままでは、詰め方はありません。",
                  MsgIcon::Exclamation);
}

TEST_F(AnalysisTest, BrowserTellsWhetherThePackingGoesInAndPlaysTheOrder) {
    // Two slabs fill 2x2x2 one way: the lower drops in first, then the upper.
    usePuzzle(makePuzzle(2, 2, 2, {kSquare, kSquare}));
    action("mnuAnalysisBrowse")->trigger();
    ASSERT_TRUE(waitFor([&] { return browserIdle(); }));
    EXPECT_TRUE(browserText("lblPackingAssembly").startsWith(QStringLiteral("開いた箱に、まっすぐ落とすだけで組み立てられます。")))
        << browserText("lblPackingAssembly").toStdString();
    browserClick("cmdPackingAssembly");
    auto* player = static_cast<PackingBrowser*>(browser())->player();
    ASSERT_NE(player, nullptr);
    ASSERT_NE(player->screen(), nullptr);
    EXPECT_TRUE(player->screen()->availableGeometry().contains(player->frameGeometry()))
        << "the player's buttons must stay on screen";
    EXPECT_EQ(player->frames(), 2u);
    EXPECT_EQ(fncBox_Count(w.boxOnView().G_iBox), 4);
    player->findChild<QPushButton*>(QStringLiteral("cmdAssemblyForward"))->click();
    EXPECT_EQ(fncBox_Count(w.boxOnView().G_iBox), 8);
    EXPECT_FALSE(player->findChild<QPushButton*>(QStringLiteral("cmdAssemblyForward"))->isEnabled());
    player->findChild<QPushButton*>(QStringLiteral("cmdAssemblyBack"))->click();
    EXPECT_EQ(fncBox_Count(w.boxOnView().G_iBox), 4);
    player->close();
    EXPECT_EQ(fncBox_Count(w.boxOnView().G_iBox), 8);
    browser()->close();

    // Two blocks of a 3x2x2 box that each reach over the other along every axis.
    usePuzzle(makePuzzle(3, 2, 2, {{{0, 0, 0}, {2, 0, 0}, {0, 1, 0}, {2, 0, 1}, {0, 1, 1}, {1, 1, 1}, {2, 1, 1}},
                                   {{1, 0, 0}, {1, 1, 0}, {2, 1, 0}, {0, 0, 1}, {1, 0, 1}}}));
    action("mnuAnalysisBrowse")->trigger();
    ASSERT_TRUE(waitFor([&] { return browserIdle(); }));
    bool locked = false;
    for (int k = 0; k < 50 && !locked; ++k) {
        locked = browserText("lblPackingAssembly").startsWith(QStringLiteral("開いた箱には、どの面を上にしても組み立てられません。"));
        if (!locked && browser()->findChild<QPushButton*>("cmdPackingNext")->isEnabled()) {
            browserClick("cmdPackingNext");
            ASSERT_TRUE(waitFor([&] { return browserIdle(); }));
        }
    }
    ASSERT_TRUE(locked);
    EXPECT_TRUE(browserText("lblPackingAssembly").endsWith(QStringLiteral("ブロック 1、2 が入りません。")));
    // The longest verdict is read whole in the browser as it opened.
    const auto* verdict = browser()->findChild<QLabel*>("lblPackingAssembly");
    EXPECT_GE(verdict->height(), verdict->heightForWidth(verdict->width()));
    EXPECT_FALSE(browser()->findChild<QPushButton*>("cmdPackingAssembly")->isEnabled());
}

TEST_F(AnalysisTest, CancellingTheCountLeavesThePuzzleAsItWas) {
    usePuzzle(endlessPuzzle());
    choose(3);
    click("cmdX_Inc");
    click("cmdLoad");
    const Puzzle before = comparable(w.m_puzzle);
    const QString sum = text("lblSum");
    bool shown = false;
    cancelProgressWhenShown(shown);
    action("mnuAnalysisCount")->trigger();
    EXPECT_TRUE(shown);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_NE(messages()[0].text.find("途中で止めたため、数は下限です。"), std::string::npos) << messages()[0].text;
    EXPECT_EQ(comparable(w.m_puzzle), before);
    EXPECT_EQ(text("lblSum"), sum);
    EXPECT_TRUE(w.isEnabled());
}

TEST_F(AnalysisTest, BrowserStepsThroughThePackingsAndPutsOneIntoTheBox) {
    const Puzzle before = comparable(w.m_puzzle);
    action("mnuAnalysisBrowse")->trigger();
    ASSERT_NE(browser(), nullptr);
    ASSERT_TRUE(waitFor([&] { return browserIdle(); }));
    EXPECT_EQ(browserText("lblPackingNo"), QStringLiteral("1 / 156"));
    EXPECT_FALSE(browser()->findChild<QPushButton*>("cmdPackingPrev")->isEnabled());
    // The box view shows packing 1 in the blocks' colours; the puzzle is untouched.
    const auto first = static_cast<PackingBrowser*>(browser())->shown();
    ASSERT_TRUE(first);
    EXPECT_EQ(fncBox_Count(w.boxOnView().G_iBox), 27);
    EXPECT_EQ(comparable(w.m_puzzle), before);

    for (int k = 2; k <= 156; ++k) {
        browserClick("cmdPackingNext");
        ASSERT_TRUE(waitFor([&] { return browserIdle(); }));
    }
    EXPECT_EQ(browserText("lblPackingNo"), QStringLiteral("156 / 156"));
    EXPECT_EQ(browserText("lblPackingState"), QStringLiteral("これが最後の詰め方です。"));
    EXPECT_FALSE(browser()->findChild<QPushButton*>("cmdPackingNext")->isEnabled());
    const auto last = static_cast<PackingBrowser*>(browser())->shown();
    ASSERT_TRUE(last);
    EXPECT_NE(*last, *first);
    browserClick("cmdPackingPrev");
    EXPECT_EQ(browserText("lblPackingNo"), QStringLiteral("155 / 156"));
    browserClick("cmdPackingNext");

    // Put in: every block loaded where packing 156 has it, as after loading by
    // hand, with the same completion.
    dlg.clear();
    browserClick("cmdPackingPut");
    ASSERT_TRUE(waitFor([&] { return browser() == nullptr; }));
    ASSERT_EQ(messages().size(), 1u);
    expectMessage(messages()[0], "♪おめでとう♪", "☆グレイト☆　お疲れさまでした", MsgIcon::Information);
    EXPECT_EQ(text("lblSum"), QStringLiteral("27 : 27"));
    for (int b = 0; b < 7; ++b) {
        EXPECT_EQ(w.m_puzzle.G_iLoaded[size_t(b)], 1) << b;
        EXPECT_TRUE(shown(("optPiece" + std::to_string(b)).c_str())) << b;
        for (int c = 0; c < kCells; ++c)
            EXPECT_EQ(w.m_puzzle.G_iBox_No[c] == b + 1, ((*last)[size_t(b)] >> c & 1) == 1) << b << " " << c;
    }
    EXPECT_FALSE(shown("optPiece7"));
    EXPECT_TRUE(find<QRadioButton>("optPiece6")->isChecked());
    EXPECT_FALSE(enabled("cmdLoad"));
    EXPECT_TRUE(enabled("cmdCancel"));
    // Putting it in is one step of the history, undone and redone whole.
    const Puzzle put = w.m_puzzle;
    action("mnuEditUndo")->trigger();
    EXPECT_EQ(comparable(w.m_puzzle), before);
    EXPECT_FALSE(shown("optPiece0"));
    action("mnuEditRedo")->trigger();
    EXPECT_EQ(w.m_puzzle, put);
    EXPECT_EQ(text("lblSum"), QStringLiteral("27 : 27"));
    // Play goes on: Cancel takes the last block out again.
    click("cmdCancel");
    EXPECT_EQ(text("lblSum"), QStringLiteral("23 : 27"));
}

TEST(AnalysisTexts, LargeCountsAreGroupedInThousands) {
    analysis::CountResult r;
    r.complete = true;
    r.solutions = 117630571848u;
    r.distinct = 4901273827u;
    r.distinctUnlabelled = 1234;
    const std::string text = countResultText(r);
    EXPECT_TRUE(text.starts_with("詰め方（ブロックを区別）：117,630,571,848 通り\r\n異なる詰め方（箱の回転を除く）：4,901,273,827 通り\r\n"
                                 "異なる詰め方（同じ形のブロックも区別しない）：1,234 通り\r\n"))
        << text;
    EXPECT_NE(text.find("詰め方は 1,234 通りあります。"), std::string::npos) << text;
    EXPECT_EQ(countText(999), "999");
}

TEST(BrowserPlace, BesideTheWindowElseHidingLeastOfTheBoxView) {
    const QSize size(340, 220);
    const QRect window(100, 50, 980, 720);
    const QRect boxView(250, 170, 225, 209);
    // A wide screen: to the right of the window.
    EXPECT_EQ(browserPlace(window, boxView, size, QRect(0, 0, 1920, 1080)), QPoint(window.right() + 8, 50));
    // A 1280-pixel screen has room on neither side: over the window, clear of the box view.
    const QRect narrow(0, 0, 1280, 800);
    const QPoint at = browserPlace(window, boxView, size, narrow);
    EXPECT_TRUE(narrow.contains(QRect(at, size)));
    EXPECT_FALSE(QRect(at, size).intersects(boxView));
    // Where the user put it: beside the window wherever it is, never off the screen.
    EXPECT_EQ(keptBrowserPlace(QPoint(300, 40), QPoint(990, 10), size, QRect(0, 0, 1920, 1080)), QPoint(1290, 50));
    EXPECT_EQ(keptBrowserPlace(QPoint(900, 40), QPoint(990, 10), size, QRect(0, 0, 1920, 1080)), QPoint(1580, 50));
}

TEST_F(AnalysisTest, BrowserKeepsThePlaceTheUserGaveItBesideTheWindowAcrossRuns) {
    const std::string oldApp = G_sApp_Path;
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "tessaro-browser-place";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    {
        std::ofstream ini(dir / "Init.ini", std::ios::binary);
        ini << "[\x83t\x83H\x83\x8b\x83_Path]\r\nDATA_Folda_Path=\r\n";  // フォルダPath in Shift-JIS
    }
    G_sApp_Path = dir.string() + "/";
    const std::string file = G_sApp_Path + kIniFileName;
    const auto reopen = [&](frmMain& window) {
        window.mnuAnalysisBrowse_Click();
        EXPECT_NE(window.packingBrowser(), nullptr);
        return window.packingBrowser();
    };
    const auto close = [&](frmMain& window) {
        window.packingBrowser()->close();
        ASSERT_TRUE(waitFor([&] { return window.packingBrowser() == nullptr; }));
    };

    // Opened and closed where the window put it: nothing is kept.
    w.move(10, 20);
    reopen(w);
    close(w);
    EXPECT_EQ(fncIni_get("解析", "BROWSER_DX", file), "");

    // Moved by the user: it follows the window from then on, and in the next run.
    reopen(w)->move(w.pos() + QPoint(200, 40));
    close(w);
    EXPECT_EQ(fncIni_get("解析", "BROWSER_DX", file), "200");
    EXPECT_EQ(fncIni_get("解析", "BROWSER_DY", file), "40");
    w.move(100, 50);
    EXPECT_EQ(reopen(w)->pos(), QPoint(300, 90));
    close(w);
    {
        ScriptedDialogs other;
        frmMain again(other);
        again.Form_Activate();
        again.move(60, 70);
        EXPECT_EQ(reopen(again)->pos(), QPoint(260, 110));
        close(again);
    }
    G_sApp_Path = oldApp;
    std::filesystem::remove_all(dir);
}

TEST_F(AnalysisTest, BrowserForAHugeCountOpensAtOnceAndTheViewComesBackWhenClosed) {
    usePuzzle(endlessPuzzle());
    const Puzzle before = comparable(w.m_puzzle);
    action("mnuAnalysisBrowse")->trigger();
    ASSERT_NE(browser(), nullptr);
    ASSERT_TRUE(waitFor([&] { return static_cast<PackingBrowser*>(browser())->shown().has_value(); }, 5000));
    EXPECT_EQ(browserText("lblPackingNo"), QStringLiteral("1 / …"));
    browserClick("cmdPackingNext");
    ASSERT_TRUE(waitFor([&] { return static_cast<PackingBrowser*>(browser())->index() == 1; }, 5000));
    EXPECT_EQ(fncBox_Count(w.boxOnView().G_iBox), 8);
    browser()->close();
    ASSERT_TRUE(waitFor([&] { return browser() == nullptr; }));
    EXPECT_EQ(fncBox_Count(w.boxOnView().G_iBox), 0);
    EXPECT_EQ(comparable(w.m_puzzle), before);
}

TEST_F(AnalysisTest, HintAfterAWrongFirstBlockAndTheNextMove) {
    // Block 1 where it stands: no packing of the sample keeps it there.
    choose(1);
    click("cmdLoad");
    action("mnuAnalysisHint")->trigger();
    ASSERT_EQ(messages().size(), 1u);
    expectMessage(messages()[0], "ヒント",
                  "今のブロックのままでは、完成できません。\r\n最後に入れたブロック 1 を、[ Cancel ] で取り出してみてください。",
                  MsgIcon::Information);
    click("cmdCancel");

    // Block 1 moved one to the right can be completed.
    dlg.clear();
    choose(1);
    click("cmdX_Inc");
    click("cmdLoad");
    action("mnuAnalysisHint")->trigger();
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_TRUE(messages()[0].text.starts_with("今のブロックのままで、完成できます。\r\n完成のしかたは、")) << messages()[0].text;

    // The next move puts block 2 where a completion has it; Load takes it.
    dlg.clear();
    choose(2);
    const Puzzle before = comparable(w.m_puzzle);
    action("mnuAnalysisNext")->trigger();
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(w.m_puzzle.G_iLoaded[1], 0);
    const Puzzle moved = w.m_puzzle;
    action("mnuEditUndo")->trigger();
    EXPECT_EQ(comparable(w.m_puzzle), before);
    action("mnuEditRedo")->trigger();
    EXPECT_EQ(w.m_puzzle, moved);
    EXPECT_EQ(comparable(w.m_puzzle).G_iBox, before.G_iBox);
    click("cmdLoad");
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(w.m_puzzle.G_iLoaded[1], 1);
    EXPECT_EQ(text("lblSum"), QStringLiteral("10 : 27"));
    action("mnuAnalysisHint")->trigger();
    EXPECT_TRUE(messages().back().text.starts_with("今のブロックのままで、完成できます。")) << messages().back().text;

    // A loaded block has no next move; the message says why.
    dlg.clear();
    action("mnuAnalysisNext")->trigger();
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].text, "ブロック 2 は、もう箱に入っています。\r\n入っていないブロックを、一覧から選んでください。");
}

TEST_F(AnalysisTest, TheAnswerPasswordGuardsEverythingButTheCount) {
    w.m_puzzle.G_sFile_Version = "Ver 1.0.0";
    w.m_puzzle.G_sPassword = "Secret1";
    const Puzzle before = comparable(w.m_puzzle);

    dlg.answerMessage(MsgResult::Yes);
    dlg.answerInput("secret1");
    action("mnuAnalysisBrowse")->trigger();
    EXPECT_EQ(browser(), nullptr);
    choose(2);
    dlg.answerMessage(MsgResult::Yes);
    dlg.answerInput("nope");
    action("mnuAnalysisNext")->trigger();
    dlg.answerMessage(MsgResult::No);
    action("mnuAnalysisHint")->trigger();
    const auto& r = dlg.records();
    ASSERT_EQ(r.size(), 7u);
    expectMessage(r[0], "悔しいけども．．．", "降参しますか？", MsgIcon::Question, MsgButtons::YesNo);
    EXPECT_EQ(r[1].kind, DialogRecord::Kind::Input);
    EXPECT_EQ(r[1].title, "参った");
    EXPECT_EQ(r[1].text, "解答パスワードを入力してください\r\n（半角英数字１０文字以内）");
    expectMessage(r[2], "ファイト！", "残念ながら、ご期待には応えられません。自力で解いてください。", MsgIcon::Information);
    expectMessage(r[5], "ファイト！", "残念ながら、ご期待には応えられません。自力で解いてください。", MsgIcon::Information);
    EXPECT_EQ(r[6].text, "降参しますか？");
    EXPECT_EQ(comparable(w.m_puzzle), before);  // no block moved, nothing shown
    EXPECT_EQ(dlg.unscripted(), 0);

    // Counting reveals no packing and asks nothing.
    dlg.clear();
    action("mnuAnalysisCount")->trigger();
    ASSERT_EQ(dlg.records().size(), 1u);
    EXPECT_EQ(dlg.records()[0].title, "解の数を数える");

    // The right password once opens the answer for this puzzle.
    dlg.clear();
    dlg.answerMessage(MsgResult::Yes);
    dlg.answerInput(" Secret1 ");
    action("mnuAnalysisHint")->trigger();
    action("mnuAnalysisBrowse")->trigger();
    EXPECT_NE(browser(), nullptr);
    EXPECT_EQ(dlg.records().size(), 3u);  // question, input, the hint's answer
    EXPECT_EQ(dlg.records()[2].title, "ヒント");
}

TEST_F(AnalysisTest, EntriesAreOffDuringASearchAndInAMaker) {
    // One rule for every play-only entry of every menu.
    const char* entries[] = {"mnuAnalysisCount", "mnuAnalysisBrowse", "mnuAnalysisHint", "mnuAnalysisNext",
                             "mnuAnalysisCheckMade", "mnuToolDesign", "mnuFileExport", "mnuFileImport"};
    for (const char* name : entries) EXPECT_TRUE(action(name)->isEnabled()) << name;
    action("mnuAnalysisBrowse")->trigger();
    ASSERT_NE(browser(), nullptr);

    action("mnuAautoMove")->trigger();
    w.setYieldInterval(std::chrono::microseconds(0));
    std::vector<bool> during;
    bool browserDuring = true;
    QTimer::singleShot(0, &w, [&] {
        for (const char* name : entries) during.push_back(action(name)->isEnabled());
        browserDuring = browser() != nullptr && browser()->isVisible();
        click("cmdStop");
    });
    click("cmdMove");
    ASSERT_EQ(during.size(), std::size(entries));
    for (bool on : during) EXPECT_FALSE(on);
    EXPECT_FALSE(browserDuring);  // the search's box is shown, not a packing
    for (const char* name : entries) EXPECT_TRUE(action(name)->isEnabled()) << name;
    action("mnuAautoMove")->trigger();

    dlg.answerMessage(MsgResult::Yes);
    w.frmInput_Show = [](Puzzle& p) {
        p.G_iCells_X = p.G_iCells_Y = p.G_iCells_Z = 2;
        return true;
    };
    action("mnuMake")->trigger();
    ASSERT_TRUE(action("mnuMake")->isChecked());
    for (const char* name : entries) EXPECT_FALSE(action(name)->isEnabled()) << name;
    const size_t shownBefore = dlg.count();
    w.mnuAnalysisCount_Click();  // a handler reached otherwise still refuses
    EXPECT_EQ(dlg.count(), shownBefore);
}

TEST_F(AnalysisTest, CheckAfterMakingIsKeptInInitIniAndCountsTheMadePuzzle) {
    const std::string oldApp = G_sApp_Path;
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "tessaro-analysis-ini";
    std::filesystem::create_directories(dir);
    {
        std::ofstream ini(dir / "Init.ini", std::ios::binary);
        ini << "[\x83t\x83H\x83\x8b\x83_Path]\r\nDATA_Folda_Path=\r\n";  // フォルダPath in Shift-JIS
    }
    G_sApp_Path = dir.string() + "/";
    const std::string file = G_sApp_Path + kIniFileName;

    EXPECT_FALSE(action("mnuAnalysisCheckMade")->isChecked());
    action("mnuAnalysisCheckMade")->trigger();
    EXPECT_TRUE(action("mnuAnalysisCheckMade")->isChecked());
    EXPECT_EQ(fncIni_get("解析", "CHECK_AFTER_MAKE", file), "1");
    EXPECT_EQ(fncIni_get("フォルダPath", "DATA_Folda_Path", file), "");
    {
        ScriptedDialogs other;
        frmMain again(other);
        EXPECT_TRUE(again.mnuAnalysisCheckMade->isChecked());
    }

    // A body of two tripods made and kept: the count follows at once.
    dlg.answerMessage(MsgResult::Yes);
    w.frmInput_Show = [](Puzzle& p) {
        p.G_iCells_X = p.G_iCells_Y = p.G_iCells_Z = 2;
        return true;
    };
    action("mnuMake")->trigger();
    Puzzle& P = w.m_puzzle;
    const auto tripodAt = [](int x, int y, int z) {
        return (x == 0 && y == 0 && z == 0) || (x + y + z == 1);
    };
    for (int b = 0; b < 2; ++b) {
        for (int z = 0; z < 2; ++z)
            for (int y = 0; y < 2; ++y)
                for (int x = 0; x < 2; ++x)
                    if (tripodAt(x, y, z) == (b == 0)) P.G_iBox[cellIndex(x, y, z)] = 2;
        choose(b + 1);
        click("cmdSet");
    }
    dlg.clear();
    dlg.answerMessage(MsgResult::Yes);
    action("mnuMake")->trigger();
    ASSERT_FALSE(action("mnuMake")->isChecked());
    ASSERT_FALSE(messages().empty());
    EXPECT_EQ(messages().back().title, "解の数を数える");
    EXPECT_NE(messages().back().text.find("唯一解です。"), std::string::npos) << messages().back().text;

    action("mnuAnalysisCheckMade")->trigger();
    EXPECT_EQ(fncIni_get("解析", "CHECK_AFTER_MAKE", file), "0");
    // A settings file that cannot be written: said, and the choice holds for this run.
    std::filesystem::permissions(dir, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    std::filesystem::permissions(dir / "Init.ini", std::filesystem::perms::owner_read);
    dlg.clear();
    action("mnuAnalysisCheckMade")->trigger();
    std::filesystem::permissions(dir, std::filesystem::perms::owner_all);
    EXPECT_TRUE(action("mnuAnalysisCheckMade")->isChecked());
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(fncIni_get("解析", "CHECK_AFTER_MAKE", file), "0");
    G_sApp_Path = oldApp;
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace tessaro::test
