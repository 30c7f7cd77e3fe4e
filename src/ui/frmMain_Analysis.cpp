// The analysis menu ("解析(&A)"): counting every packing, browsing them, the
// hint and the next move, and the count after making. Searches run on a worker
// thread under a progress dialog, so the window never stops answering.

#include "analysis/AssemblyCount.h"
#include "analysis/PackingAnalysis.h"
#include "analysis/PackingPlace.h"
#include "analysis/PuzzleRating.h"
#include "analysis/RatingText.h"
#include "app/AppEnv.h"
#include "app/Ini.h"
#include "model/Figure.h"
#include "ui/AnalysisDialogs.h"
#include "ui/GiveUp.h"
#include "ui/frmMain.h"
#include "viewqt/CubePicture.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>

#include <algorithm>
#include <chrono>
#include <thread>

namespace tessaro {

using namespace analysis;

namespace {

constexpr const char* kCountTitle = "解の数を数える";
constexpr const char* kHintTitle = "ヒント";
constexpr const char* kNextTitle = "次の一手";
constexpr const char* kBrowseTitle = "解を見る";
constexpr const char* kCheckMadeTitle = "作成後に解を調べる";
constexpr const char* kIniAnalysisSection = "解析";
constexpr const char* kIniCheckMadeKey = "CHECK_AFTER_MAKE";
constexpr const char* kIniBrowserXKey = "BROWSER_DX";
constexpr const char* kIniBrowserYKey = "BROWSER_DY";
// A window manager may nudge a window it places by its frame; a move by the
// user is more than that.
constexpr int kUserMovePx = 10;
// Up to this many completions the hint gives their number.
constexpr uint64_t kFewCompletions = 20;

std::string blockName(int b) { return "ブロック " + std::to_string(b + 1); }

// What makes one puzzle the same puzzle for giving up: its file, its password
// and its blocks as made.
struct PuzzleKey {
    std::string path, password;
    PieceCubes made{};
    bool operator==(const PuzzleKey&) const = default;
};

}  // namespace

struct frmMain::AnalysisState {
    QPointer<PackingBrowser> browser;
    std::optional<PuzzleKey> gaveUpOn;
    Puzzle onView;  // the puzzle in hand with the browsed packing in its box
    // Where the user put the browser, from the window's top left; none until
    // the user moves it.
    std::optional<QPoint> browserOffset;
    QPoint browserPlacedAt;  // where it was opened, to tell the user's moves
    std::vector<PieceCubes> madeHere;  // blocks as made in this session, by a maker or the designer

    // While the window is still whole: the browser's searches end before it goes.
    ~AnalysisState() { delete browser.data(); }
};

void frmMain::createAnalysisMenu() {
    m_analysis = std::make_shared<AnalysisState>();
    {
        const std::string ini = settingsFile();
        const std::string dx = fncIni_get(kIniAnalysisSection, kIniBrowserXKey, ini);
        const std::string dy = fncIni_get(kIniAnalysisSection, kIniBrowserYKey, ini);
        bool okX = false, okY = false;
        const int x = QString::fromStdString(dx).toInt(&okX), y = QString::fromStdString(dy).toInt(&okY);
        if (okX && okY) m_analysis->browserOffset = QPoint(x, y);
    }
    mnuAnalysis = new QMenu(QStringLiteral("解析(&A)"), this);
    mnuAnalysis->setObjectName(QStringLiteral("mnuAnalysis"));
    mnuAnalysis->menuAction()->setObjectName(QStringLiteral("mnuAnalysis_menu"));
    menuBar()->insertMenu(mnuHelp->menuAction(), mnuAnalysis);
    auto item = [this](const char* name, const QString& caption) {
        QAction* a = mnuAnalysis->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    mnuAnalysisCount = item("mnuAnalysisCount", QStringLiteral("解の数を数える…"));
    mnuAnalysisBrowse = item("mnuAnalysisBrowse", QStringLiteral("解を見る…"));
    mnuAnalysis->addSeparator();
    mnuAnalysisHint = item("mnuAnalysisHint", QStringLiteral("ヒント"));
    mnuAnalysisNext = item("mnuAnalysisNext", QStringLiteral("次の一手"));
    mnuAnalysis->addSeparator();
    mnuAnalysisCheckMade = item("mnuAnalysisCheckMade", QStringLiteral("作成後に解を調べる"));
    mnuAnalysisCheckMade->setCheckable(true);
    setChecked(mnuAnalysisCheckMade,
               fncIni_get(kIniAnalysisSection, kIniCheckMadeKey, settingsFile()) == "1");

    connect(mnuAnalysisCount, &QAction::triggered, this, [this] { mnuAnalysisCount_Click(); });
    connect(mnuAnalysisBrowse, &QAction::triggered, this, [this] { mnuAnalysisBrowse_Click(); });
    connect(mnuAnalysisHint, &QAction::triggered, this, [this] { mnuAnalysisHint_Click(); });
    connect(mnuAnalysisNext, &QAction::triggered, this,
            [this] { recordStep(stepLabel(mnuAnalysisNext), [this] { mnuAnalysisNext_Click(); }); });
    connect(mnuAnalysisCheckMade, &QAction::triggered, this, [this](bool nowChecked) {
        setChecked(mnuAnalysisCheckMade, !nowChecked);
        mnuAnalysisCheckMade_Click();
    });
    for (QAction* a : {mnuAnalysisCount, mnuAnalysisBrowse, mnuAnalysisHint, mnuAnalysisNext, mnuAnalysisCheckMade})
        addPlayEntry(a);
    connect(this, &frmMain::playingChanged, this, [this](bool on) {
        if (!on && m_analysis->browser) m_analysis->browser->close();
    });
}

QDialog* frmMain::packingBrowser() const { return m_analysis->browser.data(); }

const Puzzle& frmMain::boxOnView() {
    if (isChecked(mnuMakePiece)) {
        // The maker shows only the blocks being made; the box keeps what was
        // loaded until the maker's end clears it.
        m_analysis->onView = m_puzzle;
        m_analysis->onView.G_iBox.fill(0);
        m_analysis->onView.G_lBox_Color.fill(0);
        return m_analysis->onView;
    }
    PackingBrowser* b = m_analysis ? m_analysis->browser.data() : nullptr;
    if (!b || !b->isVisible() || !b->shown()) return m_puzzle;
    if (!b->belongsTo(m_puzzle)) {
        // The puzzle was replaced under the browser: its packings are of another one.
        QMetaObject::invokeMethod(b, [b] { b->close(); }, Qt::QueuedConnection);
        return m_puzzle;
    }
    m_analysis->onView = b->withPackingInBox(m_puzzle);
    return m_analysis->onView;
}

// ---------------------------------------------------------------- the password

void frmMain::rememberGiveUp() {
    m_analysis->gaveUpOn = PuzzleKey{m_sFile_Path, m_puzzle.G_sPassword, m_puzzle.G_iPiece_Made};
}

namespace {

// The answer is the maker's secret: shown only to one who gives up with the password.
bool answerUnlocked(frmMain& w, std::optional<PuzzleKey>& gaveUpOn) {
    const Puzzle& P = w.m_puzzle;
    if (P.G_sPassword.empty()) return true;
    const PuzzleKey key{w.m_sFile_Path, P.G_sPassword, P.G_iPiece_Made};
    if (gaveUpOn == key) return true;
    if (!askAnswerPassword(w.m_dialogs, P)) return false;
    gaveUpOn = key;
    return true;
}

// Variants show the packing: offered for a puzzle made here, else only once
// its answer password (where it has one) was given.
bool variantsOpen(const frmMain& w, const std::vector<PieceCubes>& madeHere, const std::optional<PuzzleKey>& gaveUpOn) {
    const Puzzle& P = w.m_puzzle;
    if (std::find(madeHere.begin(), madeHere.end(), P.G_iPiece_Made) != madeHere.end()) return true;
    return P.G_sPassword.empty() || gaveUpOn == PuzzleKey{w.m_sFile_Path, P.G_sPassword, P.G_iPiece_Made};
}

// "最後に入れたブロック": known while its Load can still be cancelled.
std::string takeOutAdvice(const frmMain& w) {
    if (w.cmdCancel->isEnabled())
        return "最後に入れた" + blockName(w.m_iPiece) + " を、[ Cancel ] で取り出してみてください。";
    return "最後に入れたブロックを、取り出してみてください。";
}

}  // namespace

// ---------------------------------------------------------------- counting

void frmMain::mnuAnalysisCount_Click() {
    if (!playing()) return;
    // The worker counts a copy: nothing of the puzzle in hand is touched.
    const PackingAnalysis analysis(m_puzzle);
    if (!analysis.problems().empty()) {
        msgBox(kCountTitle, analysisProblemsText(analysis.problems()), MsgIcon::Exclamation);
        return;
    }
    CountResult result;
    std::optional<PuzzleRating> rating;
    const auto started = std::chrono::steady_clock::now();
    std::optional<AssemblyCounts> assembly;
    AnalysisProgress progress(this, QString::fromUtf8(kCountTitle), true);
    progress.run([&](const std::atomic<bool>& cancel, const AnalysisProgress::Report& report) {
        CountOptions options;
        options.cancel = &cancel;
        options.progress = report;
        options.progressInterval = 0.1;
        judgeAssembly(options, analysis.box());
        result = analysis.count(options);
        if (!result.complete || result.solutions == 0) return;
        assembly = assemblyCounts(result);
        rating = rateCounted(analysis, result);
    });
    // The time the user waited, the rating's milliseconds included.
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::string text = countResultText(result);
    if (assembly)
        text += "\r\n開いた箱に組み立てられる詰め方：" + countText(assembly->assemblable) +
                " 通り（まっすぐ落とすだけで入るもの " + countText(assembly->dropOnly) + " 通り）";
    if (rating) text += "\r\n" + ratingLine(*rating);
    if (result.distinctUnlabelled > 1 && variantsOpen(*this, m_analysis->madeHere, m_analysis->gaveUpOn)) {
        if (m_dialogs.messageOffering(kCountTitle, text, MsgIcon::Information, "唯一解に近づける…")) openNearestUnique();
        return;
    }
    msgBox(kCountTitle, text, MsgIcon::Information);
}

void frmMain::checkMadePuzzle() {
    m_analysis->madeHere.push_back(m_puzzle.G_iPiece_Made);
    if (isChecked(mnuAnalysisCheckMade)) mnuAnalysisCount_Click();
}

void frmMain::mnuAnalysisCheckMade_Click() {
    const bool on = !isChecked(mnuAnalysisCheckMade);
    setChecked(mnuAnalysisCheckMade, on);
    const std::string file = settingsFile();
    if (!fncIni_put(kIniAnalysisSection, kIniCheckMadeKey, on ? "1" : "0", file))
        msgBox(kCheckMadeTitle,
               "設定を、初期設定ファイル\r\n" + file + "\r\nに保存できませんでした。\r\nこの設定は、終了するまで有効です。",
               MsgIcon::Exclamation);
}

// ---------------------------------------------------------------- browsing

void frmMain::putShownPacking(PackingBrowser& browser) {
    if (!browser.shown() || !browser.belongsTo(m_puzzle)) return;
    const Packing packing = *browser.shown();
    browser.close();
    Puzzle& P = m_puzzle;
    // As Clear and then Load for every block, each where the packing has it.
    cmdClear_Click();
    int last = -1;
    for (int b = 0; b < kBlocks; ++b) {
        if (packing[size_t(b)] == 0) continue;
        setBlockCells(P, b, packing[size_t(b)]);
        if (loadPiece(P, b, false).outcome != LoadOutcome::Loaded) continue;
        optPiece[size_t(b)]->show();
        last = b;
    }
    if (last < 0) return;
    optPiece[size_t(last)]->setChecked(true);
    const bool complete = fncBox_Count(P.G_iBox) == P.G_iCell_Total;
    m_iPiece = int16_t(last);
    {
        const QSignalBlocker block(lstPiece);
        lstPiece->setCurrentRow(last);
    }
    subPieceCtl_Enable(false);
    cmdLoad->setEnabled(false);
    cmdCancel->setEnabled(!isChecked(mnuAautoMove));
    subPiece_Show(m_iPiece);
    subDrawMain();
    showBoxCount();
    // As the Load that fills the box by hand.
    if (complete) msgBox("♪おめでとう♪", "☆グレイト☆　お疲れさまでした", MsgIcon::Information);
}

void frmMain::mnuAnalysisBrowse_Click() {
    if (!playing()) return;
    if (PackingBrowser* open = m_analysis->browser) {
        open->raise();
        open->activateWindow();
        return;
    }
    if (!answerUnlocked(*this, m_analysis->gaveUpOn)) return;
    {
        const PackingAnalysis check(m_puzzle);
        if (!check.problems().empty()) {
            msgBox(kBrowseTitle, analysisProblemsText(check.problems()), MsgIcon::Exclamation);
            return;
        }
    }
    auto* browser = new PackingBrowser(this, m_puzzle);
    m_analysis->browser = browser;
    connect(browser, &PackingBrowser::packingChanged, this, [this] { subDrawMain(); });
    connect(browser, &PackingBrowser::putRequested, this, [this, browser] {
        recordStep(QStringLiteral("詰め方を箱に入れる"), [this, browser] { putShownPacking(*browser); });
    });
    // The puzzle in hand comes back into view, as it was.
    connect(browser, &QDialog::finished, this, [this, browser] {
        if (m_analysis->browser == browser) m_analysis->browser = nullptr;
        if ((browser->pos() - m_analysis->browserPlacedAt).manhattanLength() > kUserMovePx) {
            const QPoint offset = browser->pos() - pos();
            m_analysis->browserOffset = offset;
            // Kept for the next run too; a settings file that takes no writes
            // only costs the user moving it again then.
            const std::string ini = settingsFile();
            fncIni_put(kIniAnalysisSection, kIniBrowserXKey, std::to_string(offset.x()), ini);
            fncIni_put(kIniAnalysisSection, kIniBrowserYKey, std::to_string(offset.y()), ini);
        }
        browser->deleteLater();
        subDrawMain();
    });
    browser->show();
    // Where the user last put it beside the window, wherever the window is
    // now; else beside the window, or where it hides least of the box view,
    // which shows the packing.
    browser->adjustSize();
    const QSize size = browser->frameGeometry().size();
    const QRect screen = this->screen() ? this->screen()->availableGeometry() : QRect();
    if (const std::optional<QPoint> offset = m_analysis->browserOffset)
        browser->move(keptBrowserPlace(pos(), *offset, size, screen));
    else {
        const auto global = [](const QWidget* w) { return QRect(w->mapToGlobal(QPoint(0, 0)), w->size()); };
        browser->move(browserPlace(frameGeometry(), global(pictMain), size, screen, {global(pictPiece), global(stsBar)}));
    }
    m_analysis->browserPlacedAt = browser->pos();
}

// ---------------------------------------------------------------- hint and next move

void frmMain::mnuAnalysisHint_Click() {
    if (!playing()) return;
    if (!answerUnlocked(*this, m_analysis->gaveUpOn)) return;
    const Puzzle& P = m_puzzle;
    bool anyLoaded = false;
    for (int b = 0; b < kBlocks; ++b) anyLoaded = anyLoaded || P.G_iLoaded[size_t(b)] != 0;
    if (anyLoaded && fncPiece_CountUsed(P) > 0 && fncBox_Count(P.G_iBox) == P.G_iCell_Total) {
        msgBox(kHintTitle, "もう完成しています。", MsgIcon::Information);
        return;
    }
    const PackingAnalysis analysis(P, true);
    CountResult result;
    if (analysis.problems().empty()) {
        AnalysisProgress progress(this, QString::fromUtf8(kHintTitle), false);
        const bool finished = progress.run([&](const std::atomic<bool>& cancel, const AnalysisProgress::Report&) {
            CountOptions options;
            options.cancel = &cancel;
            options.limit = kFewCompletions + 1;
            result = analysis.count(options);
        });
        if (!finished) return;
    }
    std::string text;
    if (result.solutions == 0) {
        text = anyLoaded ? "今のブロックのままでは、完成できません。\r\n" + takeOutAdvice(*this)
                         : std::string("このパズルは、完成できません。");
    } else {
        text = anyLoaded ? "今のブロックのままで、完成できます。" : "このパズルは、完成できます。";
        if (result.complete)
            text += "\r\n完成のしかたは、" + countText(result.solutions) + " 通りです。";
        else
            text += "\r\n完成のしかたは、たくさんあります。";
    }
    msgBox(kHintTitle, text, MsgIcon::Information);
}

void frmMain::mnuAnalysisNext_Click() {
    if (!playing()) return;
    Puzzle& P = m_puzzle;
    const int b = m_iPiece;
    if (!validBlock(b)) return;
    if (P.G_iLoaded[size_t(b)] != 0) {
        msgBox(kNextTitle, blockName(b) + " は、もう箱に入っています。\r\n入っていないブロックを、一覧から選んでください。",
               MsgIcon::Information);
        return;
    }
    if (fncPiece_Count(P, b) == 0) {
        msgBox(kNextTitle, blockName(b) + " には、セルがありません。", MsgIcon::Information);
        return;
    }
    if (!answerUnlocked(*this, m_analysis->gaveUpOn)) return;
    const PackingAnalysis analysis(P, true);
    std::optional<Packing> found;
    if (analysis.problems().empty()) {
        AnalysisProgress progress(this, QString::fromUtf8(kNextTitle), false);
        const bool finished = progress.run([&](const std::atomic<bool>& cancel, const AnalysisProgress::Report&) {
            found = analysis.findOne(&cancel);
        });
        if (!finished) return;
    }
    if (!found || (*found)[size_t(b)] == 0) {
        msgBox(kNextTitle,
               blockName(b) + " を置ける完成形は、今のブロックのままではありません。\r\n" + takeOutAdvice(*this),
               MsgIcon::Information);
        return;
    }
    // Turned and moved to its place in the completion; Load finishes the step.
    setBlockCells(P, b, (*found)[size_t(b)]);
    subPiece_Show(b);
}

}  // namespace tessaro
