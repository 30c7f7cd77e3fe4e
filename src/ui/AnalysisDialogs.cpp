#include "ui/AnalysisDialogs.h"

#include "analysis/Geometry.h"
#include "analysis/PackingPlace.h"
#include "analysis/TreeEstimate.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QScreen>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <utility>

namespace tessaro {

using namespace analysis;

namespace {

std::string secondsText(double s) {
    char buf[32];
    std::snprintf(buf, sizeof buf, s < 10 ? "%.2f" : "%.0f", s);
    return buf;
}

}  // namespace

QString countQText(uint64_t n) { return QLocale(QLocale::Japanese, QLocale::Japan).toString(qulonglong(n)); }

std::string countText(uint64_t n) { return countQText(n).toStdString(); }

std::string analysisProblemsText(const std::vector<Problem>& problems) {
    std::string out;
    for (const Problem& p : problems) out += p.message + "\r\n";
    return out + "\r\nこのままでは、詰め方はありません。";
}

std::string countResultText(const CountResult& r) {
    const std::string bound = r.complete ? " 通り" : " 通り以上";
    std::string out = "詰め方（ブロックを区別）：" + countText(r.solutions) + bound + "\r\n" +
                      "異なる詰め方（箱の回転を除く）：" + countText(r.distinct) + bound + "\r\n" +
                      "異なる詰め方（同じ形のブロックも区別しない）：" + countText(r.distinctUnlabelled) + bound +
                      "\r\n" + (r.complete ? "全て数えました。" : "途中で止めたため、数は下限です。") + "（" +
                      secondsText(r.seconds) + " 秒）\r\n\r\n";
    if (!r.complete)
        out += r.solutions == 0 ? "詰め方は、まだ見つかっていません。" : "詰め方は、少なくとも " +
                                                                          countText(r.distinctUnlabelled) +
                                                                          " 通りあります。";
    else if (r.solutions == 0)
        out += "詰め方はありません。";
    else if (r.unique)
        out += "唯一解です。";
    else
        out += "詰め方は " + countText(r.distinctUnlabelled) + " 通りあります。唯一解ではありません。";
    return out;
}

// ---------------------------------------------------------------- progress

AnalysisProgress::AnalysisProgress(QWidget* parent, const QString& title, bool showsCount)
    : QDialog(parent), showsCount_(showsCount) {
    setObjectName(QStringLiteral("dlgAnalysisProgress"));
    setWindowTitle(title);
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    lblFound_ = new QLabel(this);
    lblFound_->setObjectName(QStringLiteral("lblAnalysisFound"));
    lblFound_->setText(showsCount ? QStringLiteral("見つかった詰め方：0 通り") : QStringLiteral("探しています…"));
    layout->addWidget(lblFound_);
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("barAnalysis"));
    bar_->setMinimumWidth(320);
    if (showsCount)
        bar_->setRange(0, 1000);
    else
        bar_->setRange(0, 0);  // busy
    bar_->setFormat(QStringLiteral("%p%"));
    layout->addWidget(bar_);
    cmdCancel_ = new QPushButton(QStringLiteral("中止"), this);
    cmdCancel_->setObjectName(QStringLiteral("cmdAnalysisCancel"));
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(cmdCancel_);
    layout->addLayout(row);
    connect(cmdCancel_, &QPushButton::clicked, this, &AnalysisProgress::reject);
}

AnalysisProgress::~AnalysisProgress() = default;

void AnalysisProgress::reject() {
    // The dialog closes when the worker has returned, which is at once.
    cancel_ = true;
    cmdCancel_->setEnabled(false);
    lblFound_->setText(QStringLiteral("止めています…"));
}

void AnalysisProgress::setNote(const std::string& note) {
    std::lock_guard lock(noteMutex_);
    note_ = note;
}

void AnalysisProgress::refresh() {
    if (cancel_) return;
    {
        std::lock_guard lock(noteMutex_);
        if (!note_.empty()) {
            lblFound_->setText(QString::fromStdString(note_));
            bar_->setRange(0, 0);
            return;
        }
    }
    if (!showsCount_) return;
    QString text = QStringLiteral("見つかった詰め方：%1 通り").arg(countQText(found_.load()));
    const double remaining = remaining_.load();
    if (remaining >= 0)
        text += QStringLiteral("\n残り時間：約 ") + QString::fromStdString(durationText(remaining));
    lblFound_->setText(text);
    bar_->setValue(permille_.load());
}

bool AnalysisProgress::run(const Work& work) {
    cancel_ = false;
    done_ = false;
    std::thread worker([this, &work] {
        work(cancel_, [this](const Progress& p) {
            found_ = p.solutions;
            permille_ = static_cast<int>(p.done * 1000);
            remaining_ = p.remaining;
        });
        done_ = true;
        QMetaObject::invokeMethod(this, [this] { if (isVisible()) accept(); }, Qt::QueuedConnection);
    });
    // A search over in a moment needs no dialog flashing by.
    const auto shortWait = std::chrono::steady_clock::now() + std::chrono::milliseconds(150);
    while (!done_ && std::chrono::steady_clock::now() < shortWait)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    if (!done_) {
        QTimer timer;
        timer.setInterval(100);
        connect(&timer, &QTimer::timeout, this, &AnalysisProgress::refresh);
        timer.start();
        refresh();
        // The worker's end is queued to this dialog, so it closes it even when
        // it came before the dialog was shown.
        while (!done_) exec();
    }
    worker.join();
    return !cancel_;
}

// ---------------------------------------------------------------- browser

namespace {

std::vector<uint64_t> shapesOf(const Puzzle& p) {
    std::vector<uint64_t> out{uint64_t(p.G_iCells_X), uint64_t(p.G_iCells_Y), uint64_t(p.G_iCells_Z)};
    for (int b = 0; b < kBlocks; ++b) {
        uint64_t cells = 0;
        for (int c = 0; c < kCells; ++c)
            if (p.G_iPiece[b + kBlocks * c] != 0) cells |= uint64_t(1) << c;
        out.push_back(canonicalShape(cells));
    }
    return out;
}

}  // namespace

PackingBrowser::PackingBrowser(QWidget* parent, const Puzzle& puzzle)
    : QDialog(parent), analysis_(puzzle), fingerprint_(shapesOf(puzzle)),
      walk_(std::make_unique<DistinctPackings>(analysis_)) {
    setObjectName(QStringLiteral("dlgPackingBrowser"));
    setWindowTitle(QStringLiteral("解を見る"));
    setModal(false);

    auto* layout = new QVBoxLayout(this);
    lblPackingNo_ = new QLabel(this);
    lblPackingNo_->setObjectName(QStringLiteral("lblPackingNo"));
    lblPackingNo_->setAlignment(Qt::AlignCenter);
    QFont big = lblPackingNo_->font();
    big.setPixelSize(18);
    lblPackingNo_->setFont(big);
    layout->addWidget(lblPackingNo_);
    lblState_ = new QLabel(this);
    lblState_->setObjectName(QStringLiteral("lblPackingState"));
    lblState_->setAlignment(Qt::AlignCenter);
    lblState_->setMinimumWidth(300);
    layout->addWidget(lblState_);
    auto* row = new QHBoxLayout;
    cmdPrev_ = new QPushButton(QStringLiteral("前へ"), this);
    cmdPrev_->setObjectName(QStringLiteral("cmdPackingPrev"));
    cmdNext_ = new QPushButton(QStringLiteral("次へ"), this);
    cmdNext_->setObjectName(QStringLiteral("cmdPackingNext"));
    row->addWidget(cmdPrev_);
    row->addWidget(cmdNext_);
    layout->addLayout(row);
    cmdPut_ = new QPushButton(QStringLiteral("この詰め方を箱に入れる"), this);
    cmdPut_->setObjectName(QStringLiteral("cmdPackingPut"));
    cmdPut_->setToolTip(QStringLiteral("全てのブロックを、この詰め方の場所に装填します"));
    layout->addWidget(cmdPut_);
    lblAssembly_ = new QLabel(this);
    lblAssembly_->setObjectName(QStringLiteral("lblPackingAssembly"));
    lblAssembly_->setAlignment(Qt::AlignCenter);
    lblAssembly_->setWordWrap(true);
    // Room for four wrapped lines from the start, so that stepping through the
    // packings seldom changes the browser's height.
    lblAssembly_->setMinimumHeight(4 * lblAssembly_->fontMetrics().lineSpacing() + 4);
    layout->addWidget(lblAssembly_);
    cmdAssembly_ = new QPushButton(QStringLiteral("組み立て順を見る…"), this);
    cmdAssembly_->setObjectName(QStringLiteral("cmdPackingAssembly"));
    layout->addWidget(cmdAssembly_);
    connect(cmdAssembly_, &QPushButton::clicked, this, [this] { cmdAssembly_Click(); });
    auto* cmdClose = new QPushButton(QStringLiteral("閉じる"), this);
    cmdClose->setObjectName(QStringLiteral("cmdPackingClose"));
    layout->addWidget(cmdClose);

    connect(cmdPrev_, &QPushButton::clicked, this, [this] { cmdPrev_Click(); });
    connect(cmdNext_, &QPushButton::clicked, this, [this] { cmdNext_Click(); });
    connect(cmdPut_, &QPushButton::clicked, this, [this] {
        if (shown_) emit putRequested();
    });
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::close);

    if (analysis_.problems().empty()) {
        // N for "k / N": a count on its own thread, one core, while the walk finds packing 1.
        countBusy_ = true;
        counter_ = std::thread([this] {
            CountOptions options;
            options.threads = 1;
            options.cancel = &cancel_;
            const CountResult r = analysis_.count(options);
            QMetaObject::invokeMethod(this, [this, r] {
                countBusy_ = false;
                if (r.complete) total_ = r.distinctUnlabelled;
                updateTexts();
            }, Qt::QueuedConnection);
        });
        lookFor(0);
    } else {
        total_ = 0;
        noMore_ = true;
    }
    updateTexts();
}

PackingBrowser::~PackingBrowser() { stopWorkers(); }

void PackingBrowser::stopWorkers() {
    cancel_ = true;
    if (walker_.joinable()) walker_.join();
    if (counter_.joinable()) counter_.join();
}

void PackingBrowser::done(int r) {
    stopWorkers();
    QDialog::done(r);
}

bool PackingBrowser::belongsTo(const Puzzle& p) const { return shapesOf(p) == fingerprint_; }

Puzzle PackingBrowser::withPackingInBox(const Puzzle& inHand) const {
    if (player_ && player_->isVisible()) return player_->frameInBox(inHand);
    if (!shown_) return analysis::withPackingInBox(inHand, analysis::Packing{});
    return analysis::withPackingInBox(inHand, *shown_);
}

void PackingBrowser::cmdPrev_Click() {
    if (walkBusy_ || index_ == 0) return;
    lookFor(index_ - 1);
}

void PackingBrowser::cmdNext_Click() {
    if (walkBusy_ || !shown_) return;
    lookFor(index_ + 1);
}

void PackingBrowser::lookFor(size_t index) {
    if (index < walk_->found()) {
        // Already seen: at hand at once.
        showPacking(index, walk_->at(index));
        return;
    }
    walkBusy_ = true;
    updateTexts();
    if (walker_.joinable()) walker_.join();
    walker_ = std::thread([this, index] {
        std::optional<Packing> p = walk_->at(index, &cancel_);
        QMetaObject::invokeMethod(this, [this, index, p] {
            walkBusy_ = false;
            if (cancel_) return;
            if (!p) {
                noMore_ = true;
                if (index == 0) shown_.reset();
                if (walk_->finished() && !total_) total_ = walk_->found();
                updateTexts();
                return;
            }
            showPacking(index, p);
        }, Qt::QueuedConnection);
    });
}

void PackingBrowser::cmdAssembly_Click() {
    if (!assembly_ || !assembly_->assemblable) return;
    if (player_) player_->close();
    player_ = new AssemblyPlayer(this, *assembly_);
    player_->setAttribute(Qt::WA_DeleteOnClose);
    connect(player_, &AssemblyPlayer::frameChanged, this, &PackingBrowser::packingChanged);
    connect(player_, &QDialog::finished, this, &PackingBrowser::packingChanged);
    player_->show();
    // Below the browser, so that its number and buttons stay in sight; above it
    // where the screen ends first, and never past the screen's edge.
    const QSize size = player_->frameGeometry().size();
    QPoint at = frameGeometry().bottomLeft() + QPoint(0, 8);
    if (const QScreen* s = screen()) {
        const QRect room = s->availableGeometry();
        if (at.y() + size.height() > room.bottom() + 1) at.setY(frameGeometry().top() - 8 - size.height());
        at.setX(std::clamp(at.x(), room.left(), std::max(room.left(), room.right() + 1 - size.width())));
        at.setY(std::clamp(at.y(), room.top(), std::max(room.top(), room.bottom() + 1 - size.height())));
    }
    player_->move(at);
    emit packingChanged();
}

void PackingBrowser::showPacking(size_t index, std::optional<Packing> packing) {
    index_ = index;
    shown_ = std::move(packing);
    if (player_) player_->close();
    assembly_.reset();
    if (shown_) assembly_ = checkAssembly(*shown_, analysis_.box());
    noMore_ = false;
    if (walk_->finished() && !total_) total_ = walk_->found();
    updateTexts();
    emit packingChanged();
}

void PackingBrowser::updateTexts() {
    const QString total = total_ ? countQText(*total_) : QStringLiteral("…");
    lblPackingNo_->setText(shown_ ? QStringLiteral("%1 / %2").arg(countQText(index_ + 1)).arg(total)
                                  : QStringLiteral("0 / %1").arg(total));
    const bool last = noMore_ || (total_ && index_ + 1 >= *total_);
    QString state;
    if (walkBusy_)
        state = QStringLiteral("詰め方を探しています…");
    else if (!shown_)
        state = QStringLiteral("詰め方はありません。");
    else if (last)
        state = QStringLiteral("これが最後の詰め方です。");
    else if (!total_)
        state = QStringLiteral("全部で何通りあるか、数えています…");
    lblState_->setText(state);
    cmdPrev_->setEnabled(!walkBusy_ && shown_ && index_ > 0);
    cmdNext_->setEnabled(!walkBusy_ && shown_ && !last);
    cmdPut_->setEnabled(!walkBusy_ && shown_.has_value());
    QString built;
    if (shown_ && assembly_ && assembly_->dropOnly)
        built = QString::fromStdString("開いた箱に、まっすぐ落とすだけで組み立てられます。\n上にする面：" +
                                       upFaceText(assembly_->up));
    else if (shown_ && assembly_ && assembly_->assemblable)
        built = QString::fromStdString("開いた箱に組み立てられます（落とす以外に、最も多いブロックで " +
                                       std::to_string(assembly_->level) + " 手）。\n上にする面：" +
                                       upFaceText(assembly_->up));
    else if (shown_ && assembly_)
        built = QString::fromStdString("開いた箱には、どの面を上にしても組み立てられません。\n" +
                                       upFaceText(assembly_->up) + "を上にすると、" + blocksText(assembly_->stuck) +
                                       " が入りません。");
    lblAssembly_->setText(built);
    // A longer verdict (many stuck blocks) grows the browser rather than being cut off.
    if (const int needed = lblAssembly_->heightForWidth(lblAssembly_->width()); needed > lblAssembly_->minimumHeight())
        lblAssembly_->setMinimumHeight(needed);
    cmdAssembly_->setEnabled(!walkBusy_ && assembly_ && assembly_->assemblable);
}

QPoint keptBrowserPlace(const QPoint& window, const QPoint& offset, const QSize& size, const QRect& screen) {
    QPoint at = window + offset;
    if (screen.isEmpty()) return at;
    at.setX(std::clamp(at.x(), screen.left(), std::max(screen.left(), screen.right() + 1 - size.width())));
    at.setY(std::clamp(at.y(), screen.top(), std::max(screen.top(), screen.bottom() + 1 - size.height())));
    return at;
}

QPoint browserPlace(const QRect& window, const QRect& boxView, const QSize& size, const QRect& screen,
                    const std::vector<QRect>& alsoVisible) {
    const auto fits = [&](const QPoint& at) { return screen.contains(QRect(at, size)); };
    const int gap = 8;
    // Beside the window, right first, then left, below and above.
    const QPoint beside[] = {{window.right() + gap, window.top()},
                             {window.left() - gap - size.width(), window.top()},
                             {window.left(), window.bottom() + gap},
                             {window.left(), window.top() - gap - size.height()}};
    for (const QPoint& at : beside)
        if (fits(at)) return at;
    // Else over the window where it hides least of the box view: a corner of
    // the screen or of the window, moved onto the screen.
    const auto onScreen = [&](QPoint at) {
        at.setX(std::clamp(at.x(), screen.left(), std::max(screen.left(), screen.right() + 1 - size.width())));
        at.setY(std::clamp(at.y(), screen.top(), std::max(screen.top(), screen.bottom() + 1 - size.height())));
        return at;
    };
    const QPoint corners[] = {{window.right() + 1 - size.width(), window.bottom() + 1 - size.height()},
                              {window.right() + 1 - size.width(), window.top()},
                              {window.left(), window.bottom() + 1 - size.height()},
                              {window.left(), window.top()},
                              {screen.right() + 1 - size.width(), screen.bottom() + 1 - size.height()},
                              {screen.right() + 1 - size.width(), screen.top()},
                              {screen.left(), screen.bottom() + 1 - size.height()},
                              {screen.left(), screen.top()}};
    const auto hides = [&](const QPoint& at, const QRect& r) {
        const QRect hidden = QRect(at, size).intersected(r);
        return hidden.isEmpty() ? qint64(0) : qint64(hidden.width()) * hidden.height();
    };
    QPoint best = onScreen(corners[0]);
    std::pair<qint64, qint64> least{-1, -1};
    for (const QPoint& c : corners) {
        const QPoint at = onScreen(c);
        std::pair<qint64, qint64> cost{hides(at, boxView), 0};
        for (const QRect& r : alsoVisible) cost.second += hides(at, r);
        if (least.first < 0 || cost < least) least = cost, best = at;
    }
    return best;
}

}  // namespace tessaro
