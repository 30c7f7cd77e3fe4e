// The window as it loads, activates and closes; its layout, menus and status bar.

#include "WindowFixture.h"
#include "app/AppEnv.h"
#include "model/Figure.h"

#include <QGroupBox>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QStatusBar>

namespace tessaro::test {
namespace {

using StartTest = WindowTest;

TEST_F(StartTest, StateRightAfterLoadBeforeActivation) {
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Tessaro Ver 1.0.0"));
    EXPECT_EQ(G_sVersion, " Ver 1.0.0");
    EXPECT_EQ(dlg.count(), 0u);

    // The sample: 27 cells in seven blocks, block 8 empty, nothing loaded, INIT state.
    const Puzzle& P = w.m_puzzle;
    EXPECT_EQ(P, buildSamplePuzzle());
    EXPECT_EQ(fncPiece_CountAll(P), 27);
    EXPECT_EQ(fncPiece_CountUsed(P), 7);
    EXPECT_EQ(fncPiece_Count(P, 7), 0);
    EXPECT_EQ(P.G_iCell_Total, 27);
    EXPECT_EQ(w.m_iPiece, 0);
    EXPECT_NEAR(w.DepthLen, 169.7056f, 1e-3f);

    QListWidget* list = find<QListWidget>("lstPiece");
    ASSERT_EQ(list->count(), 8);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(list->item(i)->text(), QString::number(i + 1));
    EXPECT_EQ(list->currentRow(), -1);

    for (const char* name : kPieceControls) EXPECT_FALSE(enabled(name)) << name;
    for (const char* name : kBoxControls) EXPECT_TRUE(enabled(name)) << name;
    for (const char* name : {"cmdLoad", "cmdCancel", "cmdReset", "cmdShuffle"}) EXPECT_FALSE(enabled(name)) << name;

    EXPECT_FALSE(action("mnuFileSaveAs")->isEnabled());
    EXPECT_FALSE(action("mnuFileSave")->isEnabled());
    for (const char* name : {"mnu2D_Panel", "mnuAautoMove", "mnuMake", "mnuMakePiece"})
        EXPECT_FALSE(action(name)->isChecked()) << name;

    EXPECT_EQ(text("lblPiece"), "1");
    EXPECT_EQ(text("lblSum"), "");
    EXPECT_EQ(text("lblAtOnce"), "");
    EXPECT_EQ(text("lblPiece_count"), "");
    EXPECT_EQ(text("lblFace"), "0");
    for (const char* name : {"lblFace", "hscFace", "cmdSet", "cmdSetCancel", "frameAuto"})
        EXPECT_FALSE(shown(name)) << name;
    for (int i = 0; i < 8; ++i) EXPECT_FALSE(w.optPiece[i]->isVisibleTo(&w)) << i;
    for (const char* name : {"hscL", "hscR", "vscU", "vscD", "hscLP", "hscRP", "vscUP", "vscDP", "shpA0", "shpH15"})
        EXPECT_FALSE(shown(name)) << name;

    // Layer bars 0..3, starting at the near and far layers.
    const std::pair<const char*, int> layers[] = {{"hscL", 0}, {"hscR", 3}, {"vscU", 0}, {"vscD", 3},
                                                  {"hscLP", 0}, {"hscRP", 3}, {"vscUP", 0}, {"vscDP", 3}};
    for (const auto& [name, value] : layers) {
        auto* bar = find<QScrollBar>(name);
        EXPECT_EQ(bar->minimum(), 0) << name;
        EXPECT_EQ(bar->maximum(), 3) << name;
        EXPECT_EQ(bar->value(), value) << name;
    }

    EXPECT_EQ(w.stsBar_Panel(1)->text(), QStringLiteral("Ver 0.0.0"));
    EXPECT_EQ(w.stsBar_Panel(2)->text(), QStringLiteral("サンプル"));
    EXPECT_EQ(w.stsBar_Panel(3)->text(), QStringLiteral("3×3×3"));
    EXPECT_EQ(w.stsBar_Panel(4)->text(), QStringLiteral("サンプル ３×３×３"));

    // The loader's panel after INIT: slot i shows block i + 1 and zero counters.
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(w.lblIP[i]->text(), QString::number(i + 1));
        EXPECT_EQ(w.lblNo[i]->text(), "0");
        EXPECT_EQ(w.lblFaceV[i]->text(), "0");
        EXPECT_EQ(w.lblTurn_CtZ[i]->text(), "0");
    }
}

TEST_F(StartTest, FirstActivationSelectsBlockOneOnceOnly) {
    activate();
    QListWidget* list = find<QListWidget>("lstPiece");
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_TRUE(enabled("cmdLoad"));
    for (const char* name : kPieceControls) EXPECT_TRUE(enabled(name)) << name;
    for (const char* name : {"cmdCancel", "cmdReset", "cmdShuffle"}) EXPECT_FALSE(enabled(name)) << name;
    EXPECT_EQ(text("lblPiece"), "1");

    // Another block chosen; a later activation (after a message box, say) leaves it.
    choose(3);
    EXPECT_EQ(w.m_iPiece, 2);
    activate();
    EXPECT_EQ(list->currentRow(), 2);
    EXPECT_EQ(w.m_iPiece, 2);
    EXPECT_EQ(text("lblPiece"), "3");
}

TEST_F(StartTest, ShowingTheWindowActivatesIt) {
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QTest::qWait(20);
    EXPECT_TRUE(w.m_bActivated);
    EXPECT_EQ(find<QListWidget>("lstPiece")->currentRow(), 0);
    // Fixed size: the client area of the design plus menus and status bar.
    EXPECT_EQ(w.centralWidget()->size(), QSize(971, 664));
    EXPECT_EQ(w.minimumSize(), w.maximumSize());
    w.close();
}

TEST_F(StartTest, VersionBox) {
    action("mnuHelpVerInfo")->trigger();
    ASSERT_EQ(dlg.count(), 1u);
    expectMessage(*dlg.last(), "バージョン情報 作品番号：RO000000",
                  "Tessaro Ver 1.0.0\r\nProductName  Tessaro Puzzle Workshop\r\n"
                  "Copyright (C) 2026 The Tessaro developers\r\n",
                  MsgIcon::Information);
}

TEST_F(StartTest, ClosingSetsTheStopRequestAndEndsTheProgram) {
    QSignalSpy unloaded(&w, &frmMain::unloaded);
    w.show();
    action("mnuFileQuit")->trigger();
    EXPECT_TRUE(w.bStopRequest);
    EXPECT_TRUE(w.isHidden());
    EXPECT_EQ(unloaded.count(), 1);
}

TEST_F(StartTest, ControlGroupsSwitchTheirControlsOnly) {
    w.subBoxCtl_Enable(false);
    for (const char* name : kBoxControls) EXPECT_FALSE(enabled(name)) << name;
    for (const char* name : kPieceControls) EXPECT_FALSE(enabled(name)) << name;
    w.subPieceCtl_Enable(true);
    for (const char* name : kPieceControls) EXPECT_TRUE(enabled(name)) << name;
    for (const char* name : kBoxControls) EXPECT_FALSE(enabled(name)) << name;
    EXPECT_FALSE(enabled("cmdLoad"));
    w.subBoxCtl_Enable(true);
    for (const char* name : kBoxControls) EXPECT_TRUE(enabled(name)) << name;

    for (QRadioButton* o : w.optPiece) o->show();
    w.subOptPiece_Hide();
    for (QRadioButton* o : w.optPiece) EXPECT_TRUE(o->isHidden());
}

// Captions, tooltips and places of the window's design (twips / 15 = pixels).
TEST_F(StartTest, LayoutOfTheControls) {
    struct Control {
        const char* name;
        const char* caption;
        const char* tip;
        int left, top, width, height;
    };
    const Control controls[] = {
        {"pictMain", nullptr, "", 2280, 1800, 3375, 3135},
        {"lblSum", "", "", 0, 0, 3375, 255},
        {"pictPiece", nullptr, "", 9360, 1800, 3375, 3135},
        {"lblPiece", "1", "ピース№", 0, 0, 3255, 255},
        {"hscDX", nullptr, "", 2400, 5040, 3135, 135},
        {"vscDY", nullptr, "", 2040, 1920, 135, 2775},
        {"cmdOrgPZ", "Orgin", "原点へ移動", 4200, 5280, 735, 255},
        {"cmdClear", "Clear", "パズルを消去", 4920, 5280, 735, 255},
        {"cmdTurn3", "Turn-Z", "正面から見て、時計回り", 4200, 5520, 735, 255},
        {"cmdTurn4", "Turn-X", "右から見て、反時計回り", 4920, 5520, 735, 255},
        {"cmdTurn5", "Turn-Y", "上から見て、反時計回り", 5640, 5520, 735, 255},
        {"cmdOrg", "Orgin", "原点へ移動", 6840, 5280, 735, 255},
        {"cmdLoad", "Load", "ブロックを装填する", 7560, 5280, 735, 255},
        {"cmdCancel", "Cancel", "装填をキャンセルする", 8280, 5280, 735, 255},
        {"cmdTurn0", "Turn-Z", "正面から見て、時計回り", 6840, 5520, 735, 255},
        {"cmdTurn1", "Turn-X", "右から見て、反時計回り", 7560, 5520, 735, 255},
        {"cmdTurn2", "Turn-Y", "上から見て、反時計回り", 8280, 5520, 735, 255},
        {"cmdX_Dec", "X-", "左へ移動", 7080, 5880, 735, 255},
        {"cmdX_Inc", "X+", "右へ移動", 7800, 5880, 735, 255},
        {"cmdY_dec", "Y-", "上へ移動", 7440, 6120, 735, 255},
        {"cmdY_Inc", "Y+", "下へ移動", 7440, 6360, 735, 255},
        {"cmdZ_Dec", "Z-", "奥へ移動", 7680, 6600, 735, 255},
        {"cmdZ_Inc", "Z+", "手前に移動", 7200, 6720, 735, 255},
        {"chkDedSpace", "Check Ded space", "デッド・スペース（八方塞がり）をチェックする", 6120, 4920, 2295, 180},
        {"lblPiece_count", "", "セル数", 7680, 3960, 1455, 255},
        {"Label1", "Block", "", 11160, 5040, 735, 255},
        {"lstPiece", nullptr, "", 11280, 5280, 375, 1500},
        {"cmdReset", "Reset", "ピースの向きを、作成時に戻します", 11760, 6240, 735, 255},
        {"cmdShuffle", "Shuffle", "ピースの向きを、ランダムに設定します", 11760, 6480, 735, 255},
        {"lblFace", "0", "ピース面　№", 12480, 5040, 495, 255},
        {"hscFace", nullptr, "", 12120, 5280, 1095, 255},
        {"cmdBotom", "Botom", "", 12120, 5520, 1095, 375},
        {"cmdSet", "Set", "", 360, 4200, 735, 255},
        {"cmdSetCancel", "Cancel", "", 1080, 4200, 735, 255},
        {"framePiece", "Block", "", 1800, 6840, 5055, 975},
        {"cmdRemove", "UNLOAD", "ブロックを取り外す", 1920, 600, 1095, 255},
        {"frameAuto", "Auto Load", "", 4440, 6840, 9495, 2655},
        {"cmdInit", "INIT", "ピースの姿勢や組込順番を初期化する", -1, -1, 735, 255},
        {"cmdStop", "STOP", "停止", -1, -1, 735, 255},
        {"cmdMove", "LOAD", "自動で装填する", -1, -1, 735, 255},
    };
    for (const Control& c : controls) {
        SCOPED_TRACE(c.name);
        QWidget* wgt = find<QWidget>(c.name);
        ASSERT_NE(wgt, nullptr);
        if (c.left >= 0) {
            EXPECT_EQ(wgt->pos(), QPoint(c.left / 15, c.top / 15));
        }
        EXPECT_EQ(wgt->size(), QSize(c.width / 15, c.height / 15));
        EXPECT_EQ(wgt->toolTip(), QString::fromUtf8(c.tip));
        if (!c.caption) continue;
        if (auto* b = qobject_cast<QAbstractButton*>(wgt)) {
            EXPECT_EQ(b->text(), QString::fromUtf8(c.caption));
        }
        if (auto* l = qobject_cast<QLabel*>(wgt)) {
            EXPECT_EQ(l->text(), QString::fromUtf8(c.caption));
        }
        if (auto* g = qobject_cast<QGroupBox*>(wgt)) {
            EXPECT_EQ(g->title(), QString::fromUtf8(c.caption));
        }
    }
    EXPECT_EQ(find<QLabel>("lblSum")->parentWidget(), find<QWidget>("pictMain"));
    EXPECT_EQ(find<QLabel>("lblPiece")->parentWidget(), find<QWidget>("pictPiece"));
    for (int i = 0; i < 8; ++i) {
        QRadioButton* o = w.optPiece[i];
        EXPECT_EQ(o->objectName(), QStringLiteral("optPiece%1").arg(i));
        EXPECT_EQ(o->parentWidget(), find<QWidget>("framePiece"));
        EXPECT_EQ(o->text(), QString::number(i + 1));
        EXPECT_EQ(o->geometry(), QRect((120 + 600 * i) / 15, 16, 25, 17));
        // The loader's slots carry no tooltips of their own.
        for (QLabel* l : {w.lblIP[i], w.lblNo[i], w.lblFaceV[i], w.lblTurn_CtZ[i]}) EXPECT_EQ(l->toolTip(), "");
    }
    // Layer panels: 375-twip squares on a 360 pitch.
    EXPECT_EQ(find<QWidget>("shpA0")->geometry(), QRect(96, 120, 25, 25));
    EXPECT_EQ(find<QWidget>("shpA5")->geometry(), QRect(72, 144, 25, 25));
    EXPECT_EQ(find<QWidget>("shpB6")->geometry(), QRect(176, 64, 25, 25));
    EXPECT_EQ(find<QWidget>("shpG15")->geometry(), QRect(856, 192, 25, 25));
    EXPECT_EQ(find<QWidget>("shpH0")->geometry(), QRect(624, 336, 25, 25));
}

TEST_F(StartTest, MenusInOrderWithTheirCaptions) {
    QList<QAction*> top = w.menuBar()->actions();
    ASSERT_EQ(top.size(), 6);
    // The Edit menu comes second; the others keep their order around it.
    QAction* edit = top.takeAt(1);
    EXPECT_EQ(edit->text(), "編集(&E)");
    const QString menus[] = {"ファイル(&F)", "表示(&V)", "ﾂｰﾙ(&T)", "解析(&A)", "ヘルプ(&H)"};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(top[i]->text(), menus[i]);

    auto entries = [](QAction* menuAction) {
        QStringList out;
        for (QAction* a : menuAction->menu()->actions()) out << (a->isSeparator() ? "-" : a->objectName() + "=" + a->text());
        return out;
    };
    EXPECT_EQ(entries(top[0]), QStringList({"mnuFileOpen=パズルを開く(&O)", "-",
                                            "mnuFileSaveAs=パズルに名前を付けて保存(&A)",
                                            "mnuFileSave=パズルの上書き保存(&S)", "-", "mnuFileQuit=終了(&Q)",
                                            "-", "mnuFileExport=書き出し…", "mnuFileImport=他の形式から読み込む…",
                                            "mnuFileExportOther=他の形式で書き出す…"}));
    EXPECT_EQ(entries(top[1]), QStringList({"mnu2D_Panel=２Ｄパネル", "mnuAautoMove=自動移動"}));
    EXPECT_EQ(entries(top[2]),
              QStringList({"mnuMake=完成体を元にブロック作成", "mnuMakePiece=ブロック単体の作成", "-",
                           "mnuToolDesign=パズルの自動作成…"}));
    EXPECT_EQ(entries(top[3]), QStringList({"mnuAnalysisCount=解の数を数える…", "mnuAnalysisBrowse=解を見る…", "-",
                                            "mnuAnalysisHint=ヒント", "mnuAnalysisNext=次の一手", "-",
                                            "mnuAnalysisCheckMade=作成後に解を調べる"}));
    EXPECT_EQ(entries(top[4]), QStringList({"mnuHelpVerInfo=バージョン情報...", "mnuHelpHelp=参った・・・"}));
    for (const char* name : {"mnu2D_Panel", "mnuAautoMove", "mnuMake", "mnuMakePiece", "mnuAnalysisCheckMade"})
        EXPECT_TRUE(action(name)->isCheckable()) << name;
    EXPECT_EQ(entries(edit), QStringList({"mnuEditUndo=元に戻す", "mnuEditRedo=やり直し"}));
}

TEST_F(StartTest, StatusBarPanels) {
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    const char* tips[] = {"ファイルを作成した、アプリケーションのバージョン", "ゲーム・モード", "セル", "パズル・コメント"};
    for (int i = 1; i <= 4; ++i) EXPECT_EQ(w.stsBar_Panel(i)->toolTip(), QString::fromUtf8(tips[i - 1]));
    // 1764 : 2540 : 1764 twips; the fourth takes the rest.
    EXPECT_EQ(w.stsBar_Panel(1)->width(), 117);
    EXPECT_EQ(w.stsBar_Panel(2)->width(), 169);
    EXPECT_EQ(w.stsBar_Panel(3)->width(), 117);
    EXPECT_GE(w.stsBar_Panel(4)->width(), 169);
    EXPECT_GT(w.stsBar_Panel(4)->geometry().right(), w.width() - 20);
    w.close();
}

}  // namespace
}  // namespace tessaro::test
