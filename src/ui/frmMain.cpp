#include "ui/frmMain.h"

#include "app/AppEnv.h"
#include "app/ErrLog.h"
#include "app/VersionInfo.h"
#include "model/Figure.h"
#include "viewqt/CubePicture.h"
#include "ui/ExportDialog.h"
#include "ui/FormatMenu.h"
#include "ui/ShapeSquare.h"
#include "ui/UndoHistory.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>

#include <cmath>

namespace tessaro {

namespace {

QRect twipsRect(int left, int top, int width, int height) {
    return {twipsToPx(left), twipsToPx(top), twipsToPx(width), twipsToPx(height)};
}

// Buttons are 735 x 255 twips unless the design says otherwise.
QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, const QString& tip,
                        int left, int top, int width = 735, int height = 255) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    if (!tip.isEmpty()) b->setToolTip(tip);
    b->setGeometry(twipsRect(left, top, width, height));
    b->setFocusPolicy(Qt::TabFocus);
    return b;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption, int left, int top, int width,
                  int height) {
    auto* l = new QLabel(caption, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(twipsRect(left, top, width, height));
    return l;
}

QScrollBar* makeScrollBar(QWidget* parent, const char* name, Qt::Orientation o, int left, int top, int width,
                          int height) {
    auto* s = new QScrollBar(o, parent);
    s->setObjectName(QString::fromLatin1(name));
    s->setGeometry(twipsRect(left, top, width, height));
    return s;
}

// A 4 x 4 layer panel: element i at (left0 + dl * (i div 4), top0 + 360 * (i mod 4)).
void makePanel(QWidget* parent, std::array<ShapeSquare*, 16>& panel, const char* name, int left0, int dl,
               int top0) {
    for (int i = 0; i < 16; ++i) {
        auto* s = new ShapeSquare(parent);
        s->setObjectName(QStringLiteral("%1%2").arg(QString::fromLatin1(name)).arg(i));
        s->setGeometry(twipsRect(left0 + dl * (i / 4), top0 + 360 * (i % 4), 375, 375));
        panel[static_cast<size_t>(i)] = s;
    }
}

int buttonCode(Qt::MouseButtons b) {
    int code = 0;
    if (b & Qt::LeftButton) code |= 1;
    if (b & Qt::RightButton) code |= 2;
    if (b & Qt::MiddleButton) code |= 4;
    return code;
}

int shiftCode(Qt::KeyboardModifiers m) {
    int code = 0;
    if (m & Qt::ShiftModifier) code |= 1;
    if (m & Qt::ControlModifier) code |= 2;
    if (m & Qt::AltModifier) code |= 4;
    return code;
}

}  // namespace

frmMain::frmMain(Dialogs& dialogs, QWidget* parent) : QMainWindow(parent), m_dialogs(dialogs) {
    setObjectName(QStringLiteral("frmMain"));
    // The design is laid out for a 9-point Gothic face at 96 dpi (12 pixels).
    QFont f;
    f.setFamilies({QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic")});
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(12);
    setFont(f);

    // The core's critical messages (the error log) reach the user through this window.
    setMessageHandler([this](const std::string& title, const std::string& text) {
        m_dialogs.message(title, text, MsgIcon::Critical, MsgButtons::Ok);
    });
    logFileErrors();

    createMenus();
    createAnalysisMenu();
    createDesignMenu();
    createControls();
    createAutoPanel();
    createStatusBar();
    wireEvents();
    addExportMenuEntry(*this);
    addFormatMenuEntries(*this);
    Form_Load();
}

frmMain::~frmMain() {
    setMessageHandler(nullptr);
    m_history.reset();  // the controls go after it, and nothing may record then
}

// ---------------------------------------------------------------- layout

void frmMain::createMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("menuBar"));
    auto menu = [&](const char* name, const QString& caption) {
        QMenu* m = bar->addMenu(caption);
        m->setObjectName(QString::fromLatin1(name));
        m->menuAction()->setObjectName(QString::fromLatin1(name) + QStringLiteral("_menu"));
        return m;
    };
    auto item = [&](QMenu* m, const char* name, const QString& caption, bool checkable = false) {
        QAction* a = m->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        a->setCheckable(checkable);
        return a;
    };
    auto separator = [&](QMenu* m, const char* name) {
        QAction* a = m->addSeparator();
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };

    mnuFile = menu("mnuFile", QStringLiteral("ファイル(&F)"));
    mnuFileOpen = item(mnuFile, "mnuFileOpen", QStringLiteral("パズルを開く(&O)"));
    mnuFileStep1 = separator(mnuFile, "mnuFileStep1");
    mnuFileSaveAs = item(mnuFile, "mnuFileSaveAs", QStringLiteral("パズルに名前を付けて保存(&A)"));
    mnuFileSave = item(mnuFile, "mnuFileSave", QStringLiteral("パズルの上書き保存(&S)"));
    mnuFileStep2 = separator(mnuFile, "mnuFileStep2");
    mnuFileQuit = item(mnuFile, "mnuFileQuit", QStringLiteral("終了(&Q)"));

    mnuEdit = menu("mnuEdit", QStringLiteral("編集(&E)"));
    mnuEditUndo = item(mnuEdit, "mnuEditUndo", QStringLiteral("元に戻す"));
    mnuEditRedo = item(mnuEdit, "mnuEditRedo", QStringLiteral("やり直し"));

    mnuView = menu("mnuView", QStringLiteral("表示(&V)"));
    mnu2D_Panel = item(mnuView, "mnu2D_Panel", QStringLiteral("２Ｄパネル"), true);
    mnuAautoMove = item(mnuView, "mnuAautoMove", QStringLiteral("自動移動"), true);

    mnuTool = menu("mnuTool", QStringLiteral("ﾂｰﾙ(&T)"));
    mnuMake = item(mnuTool, "mnuMake", QStringLiteral("完成体を元にブロック作成"), true);
    mnuMakePiece = item(mnuTool, "mnuMakePiece", QStringLiteral("ブロック単体の作成"), true);

    mnuHelp = menu("mnuHelp", QStringLiteral("ヘルプ(&H)"));
    mnuHelpVerInfo = item(mnuHelp, "mnuHelpVerInfo", QStringLiteral("バージョン情報..."));
    mnuHelpHelp = item(mnuHelp, "mnuHelpHelp", QStringLiteral("参った・・・"));
}

void frmMain::createControls() {
    surface = new QWidget(this);
    surface->setObjectName(QStringLiteral("surface"));
    surface->setFixedSize(twipsToPx(14565), twipsToPx(9960));
    setCentralWidget(surface);
    QWidget* s = surface;

    // Layer panels first, so the views and buttons lie above them where they meet.
    makePanel(s, shpA, "shpA", 1440, -360, 1800);
    makePanel(s, shpC, "shpC", 6840, -360, 1800);
    makePanel(s, shpB, "shpB", 2280, 360, 240);
    makePanel(s, shpD, "shpD", 2280, 360, 5280);
    makePanel(s, shpE, "shpE", 8760, -360, 1800);
    makePanel(s, shpG, "shpG", 13920, -360, 1800);
    makePanel(s, shpF, "shpF", 9360, 360, 240);
    makePanel(s, shpH, "shpH", 9360, 360, 5040);
    for (auto* panel : {&shpA, &shpB, &shpC, &shpD, &shpE, &shpF, &shpG, &shpH})
        for (ShapeSquare* sq : *panel) sq->hide();
    // Each layer bar stands beside its panel: below the x-layer panels, to the
    // right of the y-layer panels.
    hscL = makeScrollBar(s, "hscL", Qt::Horizontal, 360, 3315, 1455, 195);
    hscR = makeScrollBar(s, "hscR", Qt::Horizontal, 5760, 3315, 1455, 195);
    vscU = makeScrollBar(s, "vscU", Qt::Vertical, 3780, 240, 195, 1455);
    vscD = makeScrollBar(s, "vscD", Qt::Vertical, 3780, 5280, 195, 1455);
    hscLP = makeScrollBar(s, "hscLP", Qt::Horizontal, 7680, 3315, 1455, 195);
    hscRP = makeScrollBar(s, "hscRP", Qt::Horizontal, 12840, 3315, 1455, 195);
    vscUP = makeScrollBar(s, "vscUP", Qt::Vertical, 10860, 240, 195, 1455);
    vscDP = makeScrollBar(s, "vscDP", Qt::Vertical, 10860, 5040, 195, 1455);
    // The panels and their bars start hidden; "２Ｄパネル" shows them.
    for (QScrollBar* b : {hscL, hscR, vscU, vscD, hscLP, hscRP, vscUP, vscDP}) {
        b->setSingleStep(1);
        b->setPageStep(1);
        b->hide();
    }

    pictMain = new CubePicture(s);
    pictMain->setObjectName(QStringLiteral("pictMain"));
    pictMain->setGeometry(twipsRect(2280, 1800, 3375, 3135));
    lblSum = makeLabel(pictMain, "lblSum", QString(), 0, 0, 3375, 255);

    pictPiece = new CubePicture(s);
    pictPiece->setObjectName(QStringLiteral("pictPiece"));
    pictPiece->setGeometry(twipsRect(9360, 1800, 3375, 3135));
    lblPiece = makeLabel(pictPiece, "lblPiece", QString(), 0, 0, 3255, 255);
    lblPiece->setToolTip(QStringLiteral("ピース№"));

    hscDX = makeScrollBar(s, "hscDX", Qt::Horizontal, 2400, 5040, 3135, 135);
    hscDX->setRange(-800, 800);
    hscDX->setSingleStep(10);
    hscDX->setPageStep(100);
    hscDX->setValue(120);
    vscDY = makeScrollBar(s, "vscDY", Qt::Vertical, 2040, 1920, 135, 2775);
    vscDY->setRange(-800, 800);
    vscDY->setSingleStep(10);
    vscDY->setPageStep(100);
    vscDY->setValue(120);

    const QString tipOrigin = QStringLiteral("原点へ移動");
    const QString tipTurnZ = QStringLiteral("正面から見て、時計回り");
    const QString tipTurnX = QStringLiteral("右から見て、反時計回り");
    const QString tipTurnY = QStringLiteral("上から見て、反時計回り");

    cmdOrgPZ = makeButton(s, "cmdOrgPZ", QStringLiteral("Orgin"), tipOrigin, 4200, 5280);
    cmdClear = makeButton(s, "cmdClear", QStringLiteral("Clear"), QStringLiteral("パズルを消去"), 4920, 5280);
    const QString turnCaption[3] = {QStringLiteral("Turn-Z"), QStringLiteral("Turn-X"), QStringLiteral("Turn-Y")};
    const QString turnTip[3] = {tipTurnZ, tipTurnX, tipTurnY};
    const char* turnName[6] = {"cmdTurn0", "cmdTurn1", "cmdTurn2", "cmdTurn3", "cmdTurn4", "cmdTurn5"};
    for (int i = 0; i < 3; ++i) {
        cmdTurn[static_cast<size_t>(i + 3)] =
            makeButton(s, turnName[i + 3], turnCaption[i], turnTip[i], 4200 + 720 * i, 5520);
        cmdTurn[static_cast<size_t>(i)] = makeButton(s, turnName[i], turnCaption[i], turnTip[i], 6840 + 720 * i, 5520);
    }
    cmdOrg = makeButton(s, "cmdOrg", QStringLiteral("Orgin"), tipOrigin, 6840, 5280);
    cmdLoad = makeButton(s, "cmdLoad", QStringLiteral("Load"), QStringLiteral("ブロックを装填する"), 7560, 5280);
    cmdCancel =
        makeButton(s, "cmdCancel", QStringLiteral("Cancel"), QStringLiteral("装填をキャンセルする"), 8280, 5280);
    cmdX_Dec = makeButton(s, "cmdX_Dec", QStringLiteral("X-"), QStringLiteral("左へ移動"), 7080, 5880);
    cmdX_Inc = makeButton(s, "cmdX_Inc", QStringLiteral("X+"), QStringLiteral("右へ移動"), 7800, 5880);
    cmdY_dec = makeButton(s, "cmdY_dec", QStringLiteral("Y-"), QStringLiteral("上へ移動"), 7440, 6120);
    cmdY_Inc = makeButton(s, "cmdY_Inc", QStringLiteral("Y+"), QStringLiteral("下へ移動"), 7440, 6360);
    cmdZ_Dec = makeButton(s, "cmdZ_Dec", QStringLiteral("Z-"), QStringLiteral("奥へ移動"), 7680, 6600);
    cmdZ_Inc = makeButton(s, "cmdZ_Inc", QStringLiteral("Z+"), QStringLiteral("手前に移動"), 7200, 6720);

    chkDedSpace = new QCheckBox(QStringLiteral("Check Ded space"), s);
    chkDedSpace->setObjectName(QStringLiteral("chkDedSpace"));
    chkDedSpace->setToolTip(QStringLiteral("デッド・スペース（八方塞がり）をチェックする"));
    chkDedSpace->setGeometry(twipsRect(6120, 4920, 2295, 180));

    lblPiece_count = makeLabel(s, "lblPiece_count", QString(), 7680, 3960, 1455, 255);
    lblPiece_count->setToolTip(QStringLiteral("セル数"));
    Label1 = makeLabel(s, "Label1", QStringLiteral("Block"), 11160, 5040, 735, 255);

    lstPiece = new QListWidget(s);
    lstPiece->setObjectName(QStringLiteral("lstPiece"));
    lstPiece->setGeometry(twipsRect(11280, 5280, 375, 1500));
    lstPiece->setUniformItemSizes(true);
    lstPiece->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lstPiece->setStyleSheet(QStringLiteral("QListWidget::item { height: 12px; padding: 0px; }"));

    cmdReset = makeButton(s, "cmdReset", QStringLiteral("Reset"), QStringLiteral("ピースの向きを、作成時に戻します"),
                          11760, 6240);
    cmdShuffle = makeButton(s, "cmdShuffle", QStringLiteral("Shuffle"),
                            QStringLiteral("ピースの向きを、ランダムに設定します"), 11760, 6480);

    lblFace = makeLabel(s, "lblFace", QString(), 12480, 5040, 495, 255);
    lblFace->setToolTip(QStringLiteral("ピース面　№"));
    hscFace = makeScrollBar(s, "hscFace", Qt::Horizontal, 12120, 5280, 1095, 255);
    hscFace->setRange(0, 5);
    hscFace->setSingleStep(1);
    hscFace->setPageStep(1);
    // The face selection runs cmdBotom_Click itself; the button is never needed.
    cmdBotom = makeButton(s, "cmdBotom", QStringLiteral("Botom"), QString(), 12120, 5520, 1095, 375);
    cmdBotom->hide();

    cmdSet = makeButton(s, "cmdSet", QStringLiteral("Set"), QString(), 360, 4200);
    cmdSetCancel = makeButton(s, "cmdSetCancel", QStringLiteral("Cancel"), QString(), 1080, 4200);

    framePiece = new QGroupBox(QStringLiteral("Block"), s);
    framePiece->setObjectName(QStringLiteral("framePiece"));
    framePiece->setGeometry(twipsRect(1800, 6840, 5055, 975));
    for (int i = 0; i < 8; ++i) {
        auto* o = new QRadioButton(QString::number(i + 1), framePiece);
        o->setObjectName(QStringLiteral("optPiece%1").arg(i));
        o->setGeometry(twipsRect(120 + 600 * i, 240, 375, 255));
        optPiece[static_cast<size_t>(i)] = o;
    }
    // The design gives each option 375 twips: a tight indicator leaves room for its number.
    framePiece->setStyleSheet(QStringLiteral("QRadioButton { spacing: 2px; }"));
    cmdRemove = makeButton(framePiece, "cmdRemove", QStringLiteral("UNLOAD"), QStringLiteral("ブロックを取り外す"), 1920,
                           600, 1095, 255);

    // Tight buttons: the captions must fit 49 x 17 pixels.
    s->setStyleSheet(QStringLiteral("QPushButton { padding: 0px; }"));
}

void frmMain::createAutoPanel() {
    frameAuto = new QGroupBox(QStringLiteral("Auto Load"), surface);
    frameAuto->setObjectName(QStringLiteral("frameAuto"));
    frameAuto->setGeometry(twipsRect(4440, 6840, 9495, 2655));
    // It covers the "Block" panel when shown in its place.
    frameAuto->setAutoFillBackground(true);
    QWidget* f = frameAuto;

    cmdInit = makeButton(f, "cmdInit", QStringLiteral("INIT"), QStringLiteral("ピースの姿勢や組込順番を初期化する"), 120,
                         300);
    cmdStop = makeButton(f, "cmdStop", QStringLiteral("STOP"), QStringLiteral("停止"), 120, 660);
    cmdMove = makeButton(f, "cmdMove", QStringLiteral("LOAD"), QStringLiteral("自動で装填する"), 120, 1020);

    // Eight slots side by side; each a column of colour, block, load number, face, turn.
    const int slotLeft = 1080, slotPitch = 480, top = 240;
    for (int i = 0; i < 8; ++i) {
        const size_t k = static_cast<size_t>(i);
        const int left = slotLeft + slotPitch * i;
        auto* sq = new ShapeSquare(f);
        sq->setObjectName(QStringLiteral("shpPiece%1").arg(i));
        sq->setGeometry(twipsRect(left + 30, top, 375, 375));
        shpPiece[k] = sq;
        auto slotLabel = [&](const char* base, int row) {
            auto* l = new QLabel(f);
            l->setObjectName(QStringLiteral("%1%2").arg(QString::fromLatin1(base)).arg(i));
            l->setGeometry(twipsRect(left, top + 420 + 255 * row, 435, 255));
            l->setAlignment(Qt::AlignCenter);
            return l;
        };
        lblIP[k] = slotLabel("lblIP", 0);
        lblNo[k] = slotLabel("lblNo", 1);
        lblFaceV[k] = slotLabel("lblFaceV", 2);
        lblTurn_CtZ[k] = slotLabel("lblTurn_CtZ", 3);
    }
    lblAtOnce = makeLabel(f, "lblAtOnce", QString(), 120, 2160, 5160, 255);
    lblAtOnce->setFrameShape(QFrame::Panel);
    lblAtOnce->setFrameShadow(QFrame::Sunken);
    listRotate = new QListWidget(f);
    listRotate->setObjectName(QStringLiteral("listRotate"));
    listRotate->setGeometry(twipsRect(5040 + 360, 240, 9495 - 5400 - 120, 2295));
    listRotate->setUniformItemSizes(true);
    // Keep the frame's own caption font for the slot numbers.
    f->setStyleSheet(QStringLiteral("QPushButton { padding: 0px; }"));
}

void frmMain::createStatusBar() {
    stsBar = statusBar();
    stsBar->setObjectName(QStringLiteral("stsBar"));
    stsBar->setSizeGripEnabled(false);
    // Widths 1764 : 2540 : 1764 twips; panel 4 takes the rest, never less than panel 2.
    const int widths[3] = {twipsToPx(1764), twipsToPx(2540), twipsToPx(1764)};
    for (int i = 0; i < 4; ++i) {
        auto* l = new QLabel(stsBar);
        l->setObjectName(QStringLiteral("stsBarPanel%1").arg(i + 1));
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        l->setIndent(3);
        if (i < 3) {
            l->setFixedWidth(widths[i]);
            stsBar->addWidget(l, 0);
        } else {
            l->setMinimumWidth(widths[1]);
            stsBar->addWidget(l, 1);
        }
        stsPanels_[static_cast<size_t>(i)] = l;
    }
    stsPanels_[0]->setToolTip(QStringLiteral("ファイルを作成した、アプリケーションのバージョン"));
    stsPanels_[1]->setToolTip(QStringLiteral("ゲーム・モード"));
    stsPanels_[2]->setToolTip(QStringLiteral("セル"));
    stsPanels_[3]->setToolTip(QStringLiteral("パズル・コメント"));
}

void frmMain::stsBar_SetText(int n, const QString& text) { stsBar_Panel(n)->setText(text); }

void frmMain::wireEvents() {
    // Every command that may change the puzzle runs as a step of the history.
    connect(mnuFileOpen, &QAction::triggered, this,
            [this] { recordStep(stepLabel(mnuFileOpen), [this] { mnuFileOpen_Click(); }); });
    connect(mnuFileSaveAs, &QAction::triggered, this,
            [this] { recordStep(stepLabel(mnuFileSaveAs), [this] { mnuFileSaveAs_Click(); }); });
    connect(mnuFileSave, &QAction::triggered, this, [this] { mnuFileSave_Click(); });
    connect(mnuFileQuit, &QAction::triggered, this, [this] { mnuFileQuit_Click(); });
    connect(mnuHelpVerInfo, &QAction::triggered, this, [this] { mnuHelpVerInfo_Click(); });
    connect(mnuHelpHelp, &QAction::triggered, this, [this] { mnuHelpHelp_Click(); });
    // Check items: the handlers toggle their own mark, so undo Qt's toggle first.
    auto checkItem = [this](QAction* a, void (frmMain::*handler)()) {
        connect(a, &QAction::triggered, this, [this, a, handler](bool nowChecked) {
            setChecked(a, !nowChecked);
            recordStep(stepLabel(a), [this, handler] { (this->*handler)(); });
        });
    };
    checkItem(mnu2D_Panel, &frmMain::mnu2D_Panel_Click);
    checkItem(mnuAautoMove, &frmMain::mnuAautoMove_Click);
    checkItem(mnuMake, &frmMain::mnuMake_Click);
    checkItem(mnuMakePiece, &frmMain::mnuMakePiece_Click);

    auto click = [this](QPushButton* b, void (frmMain::*handler)()) {
        connect(b, &QPushButton::clicked, this,
                [this, b, handler] { recordStep(stepLabel(b), [this, handler] { (this->*handler)(); }); });
    };
    click(cmdOrgPZ, &frmMain::cmdOrgPZ_Click);
    click(cmdClear, &frmMain::cmdClear_Click);
    click(cmdOrg, &frmMain::cmdOrg_Click);
    click(cmdLoad, &frmMain::cmdLoad_Click);
    click(cmdCancel, &frmMain::cmdCancel_Click);
    click(cmdX_Dec, &frmMain::cmdX_Dec_Click);
    click(cmdX_Inc, &frmMain::cmdX_Inc_Click);
    click(cmdY_dec, &frmMain::cmdY_dec_Click);
    click(cmdY_Inc, &frmMain::cmdY_Inc_Click);
    click(cmdZ_Dec, &frmMain::cmdZ_Dec_Click);
    click(cmdZ_Inc, &frmMain::cmdZ_Inc_Click);
    click(cmdReset, &frmMain::cmdReset_Click);
    click(cmdShuffle, &frmMain::cmdShuffle_Click);
    click(cmdBotom, &frmMain::cmdBotom_Click);
    click(cmdSet, &frmMain::cmdSet_Click);
    click(cmdSetCancel, &frmMain::cmdSetCancel_Click);
    click(cmdRemove, &frmMain::cmdRemove_Click);
    click(cmdInit, &frmMain::cmdInit_Click);
    click(cmdStop, &frmMain::cmdStop_Click);
    click(cmdMove, &frmMain::cmdMove_Click);
    for (int i = 0; i < 6; ++i)
        connect(cmdTurn[static_cast<size_t>(i)], &QPushButton::clicked, this, [this, i] {
            recordStep(stepLabel(cmdTurn[static_cast<size_t>(i)]), [this, i] { cmdTurn_Click(i); });
        });

    // The list's click: a change of selection, or a click on the entry already chosen.
    connect(lstPiece, &QListWidget::currentRowChanged, this, [this](int) { lstPiece_Click(); });
    connect(lstPiece, &QListWidget::itemClicked, this, [this](QListWidgetItem*) { lstPiece_Click(); });

    auto change = [this](QScrollBar* b, void (frmMain::*handler)()) {
        connect(b, &QScrollBar::valueChanged, this, [this, handler](int) { (this->*handler)(); });
    };
    change(hscDX, &frmMain::hscDX_Change);
    change(vscDY, &frmMain::vscDY_Change);
    change(hscL, &frmMain::hscL_Change);
    change(hscR, &frmMain::hscR_Change);
    change(vscU, &frmMain::vscU_Change);
    change(vscD, &frmMain::vscD_Change);
    change(hscLP, &frmMain::hscLP_Change);
    change(hscRP, &frmMain::hscRP_Change);
    change(vscUP, &frmMain::vscUP_Change);
    change(vscDP, &frmMain::vscDP_Change);
    connect(hscFace, &QScrollBar::valueChanged, this,
            [this](int) { recordStep(stepLabel(hscFace), [this] { hscFace_Change(); }); });

    surface->installEventFilter(this);
    connect(pictMain, &CubePicture::mousePressed, this,
            [this](Qt::MouseButton b, Qt::KeyboardModifiers m, float x, float y) {
                pictMain_MouseDown(buttonCode(b), shiftCode(m), x, y);
            });
    connect(pictMain, &CubePicture::mouseMoved, this,
            [this](Qt::MouseButtons b, Qt::KeyboardModifiers m, float x, float y) {
                pictMain_MouseMove(buttonCode(b), shiftCode(m), x, y);
            });
    wireUndo();
}

bool frmMain::eventFilter(QObject* watched, QEvent* e) {
    const bool press = e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonDblClick;
    if (watched == surface && press) {
        auto* me = static_cast<QMouseEvent*>(e);
        const QPointF p = me->position();
        recordStep(stepLabel(surface), [&] {
            Form_MouseDown(buttonCode(me->button()), shiftCode(me->modifiers()), static_cast<float>(p.x() * 15),
                           static_cast<float>(p.y() * 15));
        });
    }
    return QMainWindow::eventFilter(watched, e);
}

// ---------------------------------------------------------------- helpers

bool frmMain::isChecked(const QAction* a) { return a->isChecked(); }

void frmMain::setChecked(QAction* a, bool on) {
    const QSignalBlocker block(a);
    a->setChecked(on);
}

bool frmMain::isShown(const QWidget* w) { return !w->isHidden(); }

// ---------------------------------------------------------------- the "while playing" rule

bool frmMain::playing() const { return !m_bSearching && !isChecked(mnuMake) && !isChecked(mnuMakePiece); }

void frmMain::addPlayEntry(QAction* entry) {
    m_playEntries.push_back(entry);
    entry->setEnabled(playing());
}

void frmMain::setMakerChecked(QAction* maker, bool on) {
    setChecked(maker, on);
    updatePlayEntries();
}

void frmMain::updatePlayEntries() {
    const bool on = playing();
    for (QAction* a : m_playEntries) a->setEnabled(on);
    if (on == m_bPlaying) return;
    m_bPlaying = on;
    emit playingChanged(on);
}

void frmMain::selectListEntry(int row) {
    {
        const QSignalBlocker block(lstPiece);
        lstPiece->setCurrentRow(row);
    }
    lstPiece_Click();
}

void frmMain::selectFirstVisibleOption() {
    for (QRadioButton* o : optPiece) {
        if (isShown(o)) {
            o->setChecked(true);
            return;
        }
    }
}

MsgResult frmMain::msgBox(const std::string& title, const std::string& text, MsgIcon icon, MsgButtons buttons) {
    return m_dialogs.message(title, text, icon, buttons);
}

// ---------------------------------------------------------------- control groups

void frmMain::subOptPiece_Hide() {
    for (QRadioButton* o : optPiece) o->hide();
}

void frmMain::subBoxCtl_Enable(bool on) {
    cmdRemove->setEnabled(on);
    cmdOrgPZ->setEnabled(on);
    cmdClear->setEnabled(on);
    cmdTurn[3]->setEnabled(on);
    cmdTurn[4]->setEnabled(on);
    cmdTurn[5]->setEnabled(on);
}

void frmMain::subPieceCtl_Enable(bool on) {
    for (QPushButton* b : {cmdOrg, cmdTurn[0], cmdTurn[1], cmdTurn[2], cmdX_Dec, cmdX_Inc, cmdY_dec, cmdY_Inc,
                           cmdZ_Dec, cmdZ_Inc})
        b->setEnabled(on);
}

// ---------------------------------------------------------------- load, activation, closing

void frmMain::Form_Load() {
    Puzzle& P = m_puzzle;
    // 1.
    setWindowTitle(QString::fromStdString(kAppTitle + G_sVersion));
    // 2. The outer height is the window manager's to add; the client area is fixed below.
    DepthLen = static_cast<float>(120.0 * std::sqrt(2.0));
    m_iPiece = 0;
    setChecked(mnu2D_Panel, false);
    mnuFileSaveAs->setEnabled(false);
    mnuFileSave->setEnabled(false);
    // 3.
    lblPiece->setText(QString::number(m_iPiece + 1));
    lblFace->setText(QString::number(hscFace->value()));
    lblSum->clear();
    lblAtOnce->clear();
    lblPiece_count->clear();
    lblFace->hide();
    // 4.
    subShowPanels(false, false);
    subOptPiece_Hide();
    hscFace->hide();
    // 5.
    for (QScrollBar* b : {hscL, hscR, vscU, vscD, hscLP, hscRP, vscUP, vscDP}) b->setRange(0, 3);
    hscL->setValue(0);
    hscR->setValue(3);
    vscU->setValue(0);
    vscD->setValue(3);
    hscLP->setValue(0);
    hscRP->setValue(3);
    vscUP->setValue(0);
    vscDP->setValue(3);
    // 6.
    {
        const QSignalBlocker block(lstPiece);
        lstPiece->clear();
        for (int i = 1; i <= 8; ++i) lstPiece->addItem(QString::number(i));
        lstPiece->setCurrentRow(-1);
    }
    // 7.
    cmdSet->hide();
    cmdSetCancel->hide();
    subBoxCtl_Enable(true);
    cmdReset->setEnabled(false);
    cmdShuffle->setEnabled(false);
    cmdLoad->setEnabled(false);
    cmdCancel->setEnabled(false);
    subPieceCtl_Enable(false);
    // 8.
    stsBar_SetText(1, QStringLiteral("Ver 0.0.0"));
    stsBar_SetText(2, QStringLiteral("サンプル"));
    stsBar_SetText(3, QStringLiteral("3×3×3"));
    stsBar_SetText(4, QStringLiteral("サンプル ３×３×３"));
    // 9.
    frameAuto->hide();
    // 10. The sample, over a model that is all zero as at program start.
    P = Puzzle{};
    subSample_Set(P);
    P.setBoxCells(3, 3, 3);  // with the highest indices of step 11
    cmdInit_Click();
    // 11.
    P.G_iCell_Total = fncPiece_CountAll(P);
    // 12. The colour table is a constant of the model.
    // 13.
    subPiece_SaveMade(P);
    subShowRotation();
    // The empty box's frame is shown from the start rather than a blank area.
    subDrawMain();
    clearHistory();
}

void frmMain::Form_Activate() {
    if (m_bActivated) return;
    m_bActivated = true;
    selectListEntry(0);
}

void frmMain::Form_QueryUnload() {
    // A running search stops at its next yield; closing is never refused.
    bStopRequest = true;
}

void frmMain::Form_Unload() {
    // The program ends with its window (main() quits on this); a search still
    // on the stack returns first, as it sees the stop request at its next yield.
    emit unloaded();
}

void frmMain::mnuFileQuit_Click() { close(); }

void frmMain::mnuHelpVerInfo_Click() {
    const std::string text = kAppTitle + G_sVersion + "\r\n" + "ProductName  " + kProductName + "\r\n" +
                             kCopyright + "\r\n";
    msgBox("バージョン情報 作品番号：RO000000", text, MsgIcon::Information);
}

void frmMain::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    if (m_bShownOnce) return;
    m_bShownOnce = true;
    setFixedSize(sizeHint());
    if (const QScreen* screen = this->screen()) {
        const QRect avail = screen->availableGeometry();
        QRect frame = frameGeometry();
        frame.moveCenter(avail.center());
        move(frame.topLeft());
    }
    // Showing activates the window; without a window manager no activation
    // event may come, so the first activation is also queued here.
    QTimer::singleShot(0, this, [this] { Form_Activate(); });
}

bool frmMain::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) Form_Activate();
    return QMainWindow::event(e);
}

void frmMain::closeEvent(QCloseEvent* e) {
    // Work made in a maker and never saved is offered for saving first; a
    // running search is stopped before the question, as Save As waits for it.
    const bool making = isChecked(mnuMake) || isChecked(mnuMakePiece);
    // Blocks still being made go only when the user says so, as Open asks.
    if (making && msgBox("終了", "作成中のブロックが、破棄されます。よろしいですか？", MsgIcon::Question,
                         MsgButtons::YesNo) != MsgResult::Yes) {
        e->ignore();
        return;
    }
    if (m_bMadeUnsaved && !making) {
        if (m_bSearching) {
            m_bCloseAfterSearch = true;
            bStopRequest = true;
            e->ignore();
            return;
        }
        if (!askToSaveMadePuzzle("終了")) {
            e->ignore();
            return;
        }
    }
    Form_QueryUnload();
    e->accept();
    Form_Unload();
}

}  // namespace tessaro
