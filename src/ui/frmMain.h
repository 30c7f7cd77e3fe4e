#pragma once
// The main window: every control, menu and handler of the program's one window.
// Handlers keep their event names (cmdLoad_Click) so a reader finds each by grep;
// they are public so tests drive the window exactly as the events do.
//
// The handlers are spread over several files, one idea each:
//   frmMain.cpp         controls, layout, load, activation, closing, version box
//   frmMain_Play.cpp    choosing, loading, unloading, turning and moving blocks
//   frmMain_Auto.cpp    the automatic loader's panel and its host
//   frmMain_Draw.cpp    the two three-dimensional views
//   frmMain_Panels.cpp  view drag, layer panels and their clicks
//   frmMain_Make.cpp    making blocks from a completed body
//   frmMain_MakePiece.cpp making single blocks
//   frmMain_File.cpp    the file menu and giving up
//   frmMain_Undo.cpp    the Edit menu: undo and redo of every step
//   frmMain_Analysis.cpp the analysis menu: counting, browsing packings, hints
//   frmMain_Design.cpp  the designer: new puzzles, the nearest unique variants

#include "editor/CellCount.h"
#include "model/Puzzle.h"
#include "solver/AutoLoader.h"
#include "ui/Dialogs.h"
#include "ui/WindowPort.h"

#include <QMainWindow>

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QDialog;
class QGroupBox;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QStatusBar;

namespace tessaro {

class ShapeSquare;
class PackingBrowser;
class DesignDialog;
class CubePicture;
class UndoHistory;

// Positions and sizes are designed in twips; the screen has 15 to the pixel.
constexpr int twipsToPx(int twips) { return twips / 15; }

class frmMain : public QMainWindow, public WindowPort {
    Q_OBJECT
public:
    // The window loads (Form_Load) while it is constructed.
    explicit frmMain(Dialogs& dialogs, QWidget* parent = nullptr);
    ~frmMain() override;

    // ---- the puzzle and the window's members ----
    Puzzle m_puzzle;             // the one puzzle in hand
    Dialogs& m_dialogs;          // every box the window shows goes through here
    int16_t m_iPiece = 0;        // the current block
    bool bStopRequest = false;   // read by a running search at its yield point
    int32_t lRotate_ct = 0;      // order rotations since the order code last advanced
    bool m_bActivated = false;
    float DepthLen = 0;
    std::string m_sFile_Path;    // the current puzzle file; empty for the sample
    float sngDragX = 0, sngDragY = 0;
    int16_t m_iCell_Limit = 0;   // cell limit of the single-block maker
    // A maker ended and its puzzle has not been written since: closing, Open and
    // a new maker ask to save it first.
    bool m_bMadeUnsaved = false;
    // Save As is off while a maker runs; ended by Open, a maker gives it back this.
    bool m_bSaveAsBeforeMaker = false;
    // The blocks in hand are an opened file's, guarded by its password; a
    // maker that empties them starts a puzzle of the maker's own.
    bool m_bBlocksFromFile = false;
    // Shows the cell-count dialog (frmInput) over the puzzle and returns
    // G_bInput_OK; empty means the real modal dialog. Tests answer it here.
    CellCountPrompt frmInput_Show;

    // ---- menus ----
    QMenu* mnuFile = nullptr;
    QAction* mnuFileOpen = nullptr;
    QAction* mnuFileStep1 = nullptr;
    QAction* mnuFileSaveAs = nullptr;
    QAction* mnuFileSave = nullptr;
    QAction* mnuFileStep2 = nullptr;
    QAction* mnuFileQuit = nullptr;
    QMenu* mnuEdit = nullptr;
    QAction* mnuEditUndo = nullptr;
    QAction* mnuEditRedo = nullptr;
    QMenu* mnuView = nullptr;
    QAction* mnu2D_Panel = nullptr;
    QAction* mnuAautoMove = nullptr;
    QMenu* mnuTool = nullptr;
    QAction* mnuMake = nullptr;
    QAction* mnuMakePiece = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuHelpVerInfo = nullptr;
    QAction* mnuHelpHelp = nullptr;

    // ---- controls ----
    QWidget* surface = nullptr;  // the window's own client area (Form_MouseDown)
    CubePicture* pictMain = nullptr;
    QLabel* lblSum = nullptr;
    CubePicture* pictPiece = nullptr;
    QLabel* lblPiece = nullptr;
    QScrollBar* hscDX = nullptr;
    QScrollBar* vscDY = nullptr;
    QScrollBar* hscL = nullptr;
    QScrollBar* hscR = nullptr;
    QScrollBar* vscU = nullptr;
    QScrollBar* vscD = nullptr;
    QScrollBar* hscLP = nullptr;
    QScrollBar* hscRP = nullptr;
    QScrollBar* vscUP = nullptr;
    QScrollBar* vscDP = nullptr;
    std::array<ShapeSquare*, 16> shpA{}, shpB{}, shpC{}, shpD{}, shpE{}, shpF{}, shpG{}, shpH{};
    QPushButton* cmdOrgPZ = nullptr;
    QPushButton* cmdClear = nullptr;
    std::array<QPushButton*, 6> cmdTurn{};
    QPushButton* cmdOrg = nullptr;
    QPushButton* cmdLoad = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdX_Dec = nullptr;
    QPushButton* cmdX_Inc = nullptr;
    QPushButton* cmdY_dec = nullptr;
    QPushButton* cmdY_Inc = nullptr;
    QPushButton* cmdZ_Dec = nullptr;
    QPushButton* cmdZ_Inc = nullptr;
    QCheckBox* chkDedSpace = nullptr;
    QLabel* lblPiece_count = nullptr;
    QLabel* Label1 = nullptr;
    QListWidget* lstPiece = nullptr;
    QPushButton* cmdReset = nullptr;
    QPushButton* cmdShuffle = nullptr;
    QLabel* lblFace = nullptr;
    QScrollBar* hscFace = nullptr;
    QPushButton* cmdBotom = nullptr;
    QPushButton* cmdSet = nullptr;
    QPushButton* cmdSetCancel = nullptr;
    QGroupBox* framePiece = nullptr;
    std::array<QRadioButton*, 8> optPiece{};
    QPushButton* cmdRemove = nullptr;

    // The automatic loader's panel.
    QGroupBox* frameAuto = nullptr;
    QPushButton* cmdInit = nullptr;
    QPushButton* cmdStop = nullptr;
    QPushButton* cmdMove = nullptr;
    QListWidget* listRotate = nullptr;
    QLabel* lblAtOnce = nullptr;
    std::array<ShapeSquare*, 8> shpPiece{};
    std::array<QLabel*, 8> lblIP{}, lblNo{}, lblFaceV{}, lblTurn_CtZ{};

    QStatusBar* stsBar = nullptr;
    // Status panels 1..4 (version, mode, box size, comment).
    QLabel* stsBar_Panel(int n) const { return stsPanels_.at(static_cast<size_t>(n - 1)); }
    void stsBar_SetText(int n, const QString& text);

    // ---- window events (this file's owner) ----
    void Form_Load();
    void Form_Activate();
    void Form_QueryUnload();
    void Form_Unload();
    void mnuFileQuit_Click();
    void mnuHelpVerInfo_Click();

    // ---- control groups ----
    void subOptPiece_Hide();
    void subBoxCtl_Enable(bool on);
    void subPieceCtl_Enable(bool on);

    // ---- play by hand ----
    void lstPiece_Click();
    void cmdLoad_Click();
    void cmdCancel_Click();
    void cmdRemove_Click();
    void cmdClear_Click();
    void cmdTurn_Click(int Index);
    void cmdBotom_Click();
    void hscFace_Change();
    void cmdReset_Click();
    void cmdShuffle_Click();
    void cmdX_Inc_Click();
    void cmdX_Dec_Click();
    void cmdY_Inc_Click();
    void cmdY_dec_Click();
    void cmdZ_Inc_Click();
    void cmdZ_Dec_Click();
    void cmdOrg_Click();
    void cmdOrgPZ_Click();

    // ---- drawing ----
    void subDrawMain();
    void subPiece_Show(int b);

    // ---- the automatic loader ----
    void mnuAautoMove_Click();
    void cmdInit_Click();
    void cmdStop_Click();
    void cmdMove_Click();
    void subShowRotation();
    bool searching() const { return m_bSearching; }
    // How often a running search lets the window's events run (tests use 0).
    void setYieldInterval(std::chrono::microseconds interval) { m_yieldInterval = interval; }
    // Benchmarks: LOAD stops before fit test limit + 1 (0: no limit).
    void setFitTestLimit(uint64_t limit) { m_fitTestLimit = limit; }
    // What the last LOAD ended with and what it did.
    LoaderOutcome lastOutcome() const { return m_lastOutcome; }
    const LoaderStats& lastStats() const { return m_lastStats; }
    uint64_t lastEventRounds() const { return m_lastEventRounds; }
    double lastEventSeconds() const { return m_lastEventSeconds; }

    // ---- view controls and layer panels ----
    void hscDX_Change();
    void vscDY_Change();
    void pictMain_MouseDown(int Button, int Shift, float X, float Y);
    void pictMain_MouseMove(int Button, int Shift, float X, float Y);
    void hscL_Change();
    void hscR_Change();
    void vscU_Change();
    void vscD_Change();
    void hscLP_Change();
    void hscRP_Change();
    void vscUP_Change();
    void vscDP_Change();
    void mnu2D_Panel_Click();
    void subShowPanels(bool boxOn, bool pieceOn);
    void subShowBoxPanels(int L, int R, int U, int D);
    void subShowPiecePanels(int LP, int RP, int UP, int DP, int b);
    // Button: 1 left, 2 right, 4 middle (0 none); X, Y in twips of the client area.
    void Form_MouseDown(int Button, int Shift, float X, float Y);
    void subPanelClickA(int Button, float X, float Y);
    void subPanelClickB(int Button, float X, float Y);
    void subPanelClickC(int Button, float X, float Y);
    void subPanelClickD(int Button, float X, float Y);
    void subPanelClickE(int Button, float X, float Y);
    void subPanelClickF(int Button, float X, float Y);
    void subPanelClickG(int Button, float X, float Y);
    void subPanelClickH(int Button, float X, float Y);

    // ---- the two makers ----
    void mnuMake_Click();
    void mnuMakePiece_Click();
    void cmdSet_Click();
    void cmdSetCancel_Click();
    int16_t fncCell_Check(const PieceCubes& cubes, int16_t limit);

    // ---- files and giving up ----
    void mnuFileOpen_Click();
    void mnuFileSaveAs_Click();
    void mnuFileSave_Click();
    void mnuHelpHelp_Click();
    // Before work made in a maker is replaced: asks to save it (Yes runs Save
    // As). False when the command must stop: Cancel, or Save As not completed.
    bool askToSaveMadePuzzle(const std::string& title) override;
    // A puzzle from outside the makers (another format, the designer) taken
    // into the window as a maker's end leaves one: made, unsaved, in play, no
    // password, the history afresh.
    void adoptMadePuzzle(Puzzle made) override;

    // ---- the "while playing" rule (WindowPort) ----
    // The analysis, the designer, export and the other format are for a puzzle
    // in play: off while a maker runs or the loader searches.
    bool playing() const override;
    void addPlayEntry(QAction* entry) override;
    // A maker's check mark, with the rule following it.
    void setMakerChecked(QAction* maker, bool on);
    QWidget* widget() override { return this; }
    Dialogs& dialogs() override { return m_dialogs; }
    QMenu* fileMenu() override { return mnuFile; }
    const Puzzle& puzzle() const override { return m_puzzle; }
    bool madeUnsaved() const override { return m_bMadeUnsaved; }

    // ---- undo and redo ----
    // Runs a command that may change the puzzle as one step of the history
    // (label names it: "ブロック 3 を入れる"). A command that changes nothing adds
    // no step; one run inside another step belongs to that step.
    void recordStep(const QString& label, const std::function<void()>& fn);
    // A new puzzle is set up: no step may lead back into the one before.
    void clearHistory();
    void mnuEditUndo_Click();
    void mnuEditRedo_Click();
    UndoHistory& history() { return *m_history; }
    // ---- the analysis menu ----
    QMenu* mnuAnalysis = nullptr;
    QAction* mnuAnalysisCount = nullptr;
    QAction* mnuAnalysisBrowse = nullptr;
    QAction* mnuAnalysisHint = nullptr;
    QAction* mnuAnalysisNext = nullptr;
    QAction* mnuAnalysisCheckMade = nullptr;
    void mnuAnalysisCount_Click();
    void mnuAnalysisBrowse_Click();
    void mnuAnalysisHint_Click();
    void mnuAnalysisNext_Click();
    void mnuAnalysisCheckMade_Click();
    // After a maker ended with its blocks kept: the count, when asked for.
    void checkMadePuzzle();
    // The browser's packing into the box, every block loaded where it has it.
    void putShownPacking(PackingBrowser& browser);
    // Giving up succeeded: the answer is open for this puzzle.
    void rememberGiveUp();
    // What the box view shows: the puzzle in hand, or the packing being browsed.
    const Puzzle& boxOnView();
    // The open packing browser, if any.
    QDialog* packingBrowser() const;

    // ---- the designer (frmMain_Design.cpp) ----
    QAction* mnuToolDesign = nullptr;
    void mnuToolDesign_Click();
    // The nearest variants of the puzzle in hand with one packing, found in a dialog.
    void openNearestUnique();
    // The designer's dialog while it is open.
    QDialog* designDialog() const;

    // ---- small helpers shared by the handler files ----
    static bool isChecked(const QAction* a);
    static void setChecked(QAction* a, bool on);
    // Shown in the window's design, whether or not the window is on screen yet.
    static bool isShown(const QWidget* w);
    // Selects an entry of lstPiece and runs its click handler, as the list does.
    void selectListEntry(int row);
    // The first option button that is shown gets selected, if there is one.
    void selectFirstVisibleOption();
    MsgResult msgBox(const std::string& title, const std::string& text, MsgIcon icon,
                     MsgButtons buttons = MsgButtons::Ok);

signals:
    // The window has been unloaded: the program ends.
    void unloaded();
    // Play began or stopped (playing()): dialogs of play-only commands close.
    void playingChanged(bool on);

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void createMenus();
    void createControls();
    void createAutoPanel();
    void createStatusBar();
    void wireEvents();
    void wireUndo();
    // The step a control's command makes, named as the user sees it now.
    QString stepLabel(const QObject* control) const;
    void setSearching(bool on);
    // Play-only entries follow playing(); playingChanged when it changed.
    void updatePlayEntries();
    std::vector<QAction*> m_playEntries;
    bool m_bPlaying = true;
    // Save As's work; true when the file was written.
    bool saveAsFile();
    // The filled box cells against the blocks' total, in lblSum.
    void showBoxCount();

    std::array<QLabel*, 4> stsPanels_{};
    bool m_bSearching = false;
    bool m_bShownOnce = false;
    bool m_bCloseAfterSearch = false;  // closed during a search: asked once it has stopped
    std::chrono::microseconds m_yieldInterval{10000};
    uint64_t m_fitTestLimit = 0;
    std::unique_ptr<AutoLoader> m_loader;
    LoaderOutcome m_lastOutcome = LoaderOutcome::Nothing;
    LoaderStats m_lastStats;
    uint64_t m_lastEventRounds = 0;
    double m_lastEventSeconds = 0;
    // Menu and button states kept aside while a search runs.
    std::array<bool, 13> m_savedEnabled{};
    std::unique_ptr<UndoHistory> m_history;

    void createAnalysisMenu();
    struct AnalysisState;
    std::shared_ptr<AnalysisState> m_analysis;

    void createDesignMenu();
    void openDesignDialog(DesignDialog* dialog, const char* title);
    void loadDesignFieldsOnce();
    struct DesignState;
    std::shared_ptr<DesignState> m_design;
};

}  // namespace tessaro
