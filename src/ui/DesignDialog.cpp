#include "ui/DesignDialog.h"

#include "design/DesignFiles.h"
#include "design/Designer.h"
#include "analysis/RatingText.h"
#include "design/CandidateJudge.h"
#include "viewqt/CubePicture.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include <bit>
#include <cmath>
#include <cstdio>
#include <random>

namespace tessaro {

using namespace design;

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

std::string cellText(int c) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "(%d,%d,%d)", (c & 3) + 1, ((c >> 2) & 3) + 1, (c >> 4) + 1);
    return buf;
}

std::string sizesText(const Design& d) {
    std::string out;
    int n = 0;
    for (uint64_t m : d.blocks) {
        if (m == 0) continue;
        out += (n++ ? "・" : "") + std::to_string(std::popcount(m));
    }
    return "ブロック " + std::to_string(n) + " 個：" + out + " セル";
}

// One entry of the list: the rating and its meaning, then the blocks or the moves.
QString entryText(size_t index, const Design& d, bool nearest) {
    std::string text = std::to_string(index + 1) + ". " + analysis::ratingLine(d.difficulty) + "\n" + sizesText(d);
    if (nearest)
        text += d.moves.empty() ? "　そのままで唯一解"
                                : "　" + std::to_string(d.moves.size()) + " セル移動";
    return qs(text);
}

QLabel* blockImage(QWidget* parent, int b) {
    auto* l = new QLabel(parent);
    l->setObjectName(QStringLiteral("imgDesignBlock%1").arg(b));
    l->setFixedSize(90, 84);
    l->setAlignment(Qt::AlignCenter);
    return l;
}

}  // namespace

void designScene(const Design& d, Grid& grid, ColorGrid& colors) {
    grid.fill(0);
    colors.fill(0);
    for (int b = 0; b < kBlocks; ++b)
        for (int c = 0; c < kCells; ++c) {
            if ((d.blocks[size_t(b)] >> c & 1) == 0) continue;
            grid[c] = 1;
            for (int shade = 0; shade < 3; ++shade) colors[c + kCells * shade] = pieceColor(b + 1, shade);
        }
}

std::string moveText(const CellMove& m) {
    return cellText(m.cell) + " ブロック " + std::to_string(m.from + 1) + " → ブロック " + std::to_string(m.to + 1);
}

DesignDialog::DesignDialog(QWidget* parent, const DesignFields& fields) : QDialog(parent) {
    setObjectName(QStringLiteral("frmDesign"));
    setWindowTitle(QStringLiteral("パズルの自動作成"));
    build();
    const DesignRequest& s = fields.request;
    spnBoxX_->setValue(s.box.x);
    spnBoxY_->setValue(s.box.y);
    spnBoxZ_->setValue(s.box.z);
    spnBlocks_->setValue(s.blocks);
    spnMinCells_->setValue(s.minCells);
    spnMaxCells_->setValue(s.maxCells);
    spnEmpty_->setValue(s.empty);
    chkIdentical_->setChecked(s.allowIdentical);
    spnMinRating_->setValue(s.minRating);
    spnCount_->setValue(s.count);
    spnSeconds_->setValue(int(std::lround(s.seconds)));
    lblProgress_->setText(QStringLiteral("条件を決めて［探す］を押してください。"));
}

DesignDialog::DesignDialog(QWidget* parent, const DesignFields& fields, const Puzzle& source)
    : QDialog(parent), source_(source) {
    setObjectName(QStringLiteral("frmNearestUnique"));
    setWindowTitle(QStringLiteral("唯一解に近づける"));
    build();
    spnMaxMoves_->setValue(fields.maxMoves);
    spnMinRating_->setValue(fields.request.minRating);
    spnCount_->setValue(fields.request.count);
    spnSeconds_->setValue(int(std::lround(fields.request.seconds)));
    QTimer::singleShot(0, this, [this] { cmdDesignSearch_Click(); });
}

DesignDialog::~DesignDialog() { stopWorker(); }

void DesignDialog::build() {
    setModal(false);
    setWindowModality(Qt::WindowModal);
    auto spin = [this](const char* name, int lo, int hi) {
        auto* s = new QSpinBox(this);
        s->setObjectName(QString::fromLatin1(name));
        s->setRange(lo, hi);
        return s;
    };
    auto* form = new QFormLayout;
    if (!nearest()) {
        spnBoxX_ = spin("spnBoxX", 2, kGrid);
        spnBoxY_ = spin("spnBoxY", 2, kGrid);
        spnBoxZ_ = spin("spnBoxZ", 2, kGrid);
        auto* box = new QHBoxLayout;
        for (QSpinBox* s : {spnBoxX_, spnBoxY_, spnBoxZ_}) box->addWidget(s);
        box->addStretch();
        form->addRow(QStringLiteral("箱の大きさ（X・Y・Z）"), box);
        spnBlocks_ = spin("spnBlocks", 2, kBlocks);
        form->addRow(QStringLiteral("ブロックの数"), spnBlocks_);
        spnMinCells_ = spin("spnMinCells", 1, kCells);
        spnMaxCells_ = spin("spnMaxCells", 0, kCells);
        spnMaxCells_->setSpecialValueText(QStringLiteral("なし"));
        auto* cells = new QHBoxLayout;
        cells->addWidget(spnMinCells_);
        cells->addWidget(new QLabel(QStringLiteral("〜"), this));
        cells->addWidget(spnMaxCells_);
        cells->addWidget(new QLabel(QStringLiteral("セル"), this));
        cells->addStretch();
        form->addRow(QStringLiteral("ブロックの大きさ"), cells);
        spnEmpty_ = spin("spnEmpty", 0, kCells - 1);
        form->addRow(QStringLiteral("空けておくセル"), spnEmpty_);
        chkIdentical_ = new QCheckBox(QStringLiteral("同じ形のブロックを許す"), this);
        chkIdentical_->setObjectName(QStringLiteral("chkIdentical"));
        form->addRow(QString(), chkIdentical_);
    } else {
        spnMaxMoves_ = spin("spnMaxMoves", 0, 8);
        spnMaxMoves_->setSuffix(QStringLiteral(" セルまで"));
        form->addRow(QStringLiteral("動かすセル"), spnMaxMoves_);
    }
    spnMinRating_ = spin("spnMinRating", 1, 10);
    spnMinRating_->setSuffix(QStringLiteral(" 以上"));
    form->addRow(QStringLiteral("難易度"), spnMinRating_);
    spnCount_ = spin("spnCount", 1, 20);
    spnCount_->setSuffix(QStringLiteral(" 個"));
    form->addRow(QStringLiteral("探す数"), spnCount_);
    spnSeconds_ = spin("spnSeconds", 1, 3600);
    spnSeconds_->setSuffix(QStringLiteral(" 秒まで"));
    form->addRow(QStringLiteral("時間"), spnSeconds_);

    cmdSearch_ = new QPushButton(QStringLiteral("探す"), this);
    cmdSearch_->setObjectName(QStringLiteral("cmdDesignSearch"));
    cmdSearch_->setDefault(true);
    cmdStop_ = new QPushButton(QStringLiteral("中止"), this);
    cmdStop_->setObjectName(QStringLiteral("cmdDesignStop"));
    cmdStop_->setEnabled(false);
    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(cmdSearch_);
    searchRow->addWidget(cmdStop_);
    searchRow->addStretch();
    lblProgress_ = new QLabel(this);
    lblProgress_->setObjectName(QStringLiteral("lblDesignProgress"));
    lblProgress_->setWordWrap(true);
    lblProgress_->setMinimumHeight(34);

    lstDesigns_ = new QListWidget(this);
    lstDesigns_->setObjectName(QStringLiteral("lstDesigns"));
    lstDesigns_->setMinimumWidth(380);

    auto* left = new QVBoxLayout;
    left->addLayout(form);
    left->addLayout(searchRow);
    left->addWidget(lblProgress_);
    left->addWidget(lstDesigns_, 1);

    pictDesign_ = new CubePicture(this);
    pictDesign_->setObjectName(QStringLiteral("pictDesign"));
    auto* pictures = new QHBoxLayout;
    pictures->addWidget(pictDesign_);
    if (nearest()) {
        pictMoves_ = new CubePicture(this);
        pictMoves_->setObjectName(QStringLiteral("pictDesignMoves"));
        pictMoves_->setToolTip(QStringLiteral("動くセルを、移る先のブロックの色で示します"));
        pictures->addWidget(pictMoves_);
    }
    pictures->addStretch();
    auto* blocks = new QGridLayout;
    for (int b = 0; b < kBlocks; ++b) {
        imgBlocks_[size_t(b)] = blockImage(this, b);
        blocks->addWidget(imgBlocks_[size_t(b)], b / 4, b % 4);
    }
    lblChosen_ = new QLabel(this);
    lblChosen_->setObjectName(QStringLiteral("lblDesignChosen"));
    lblChosen_->setWordWrap(true);
    lblChosen_->setMinimumWidth(380);
    lblChosen_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    auto* right = new QVBoxLayout;
    right->addLayout(pictures);
    right->addLayout(blocks);
    right->addWidget(lblChosen_, 1);

    cmdAdopt_ = new QPushButton(QStringLiteral("採用"), this);
    cmdAdopt_->setObjectName(QStringLiteral("cmdDesignAdopt"));
    cmdAdopt_->setToolTip(QStringLiteral("選んだパズルを、作成したパズルとして画面に取り込みます"));
    cmdAdopt_->setEnabled(false);
    auto* cmdClose = new QPushButton(QStringLiteral("閉じる"), this);
    cmdClose->setObjectName(QStringLiteral("cmdDesignClose"));
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(cmdAdopt_);
    bottom->addWidget(cmdClose);

    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(right);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addLayout(bottom);

    timer_ = new QTimer(this);
    timer_->setInterval(100);
    connect(timer_, &QTimer::timeout, this, &DesignDialog::refresh);
    connect(cmdSearch_, &QPushButton::clicked, this, &DesignDialog::cmdDesignSearch_Click);
    connect(cmdStop_, &QPushButton::clicked, this, &DesignDialog::cmdDesignStop_Click);
    connect(cmdAdopt_, &QPushButton::clicked, this, [this] {
        if (chosenPuzzle()) emit adoptRequested();
    });
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::close);
    connect(lstDesigns_, &QListWidget::currentRowChanged, this, &DesignDialog::showChosen);
    showChosen();
}

DesignFields DesignDialog::fields() const {
    DesignFields f;
    DesignRequest& s = f.request;
    if (!nearest()) {
        s.box = {spnBoxX_->value(), spnBoxY_->value(), spnBoxZ_->value()};
        s.blocks = spnBlocks_->value();
        s.minCells = spnMinCells_->value();
        s.maxCells = spnMaxCells_->value();
        s.empty = spnEmpty_->value();
        s.allowIdentical = chkIdentical_->isChecked();
    } else {
        f.maxMoves = spnMaxMoves_->value();
    }
    s.minRating = spnMinRating_->value();
    s.count = spnCount_->value();
    s.seconds = spnSeconds_->value();
    return f;
}

void DesignDialog::setSearching(bool on) {
    cmdSearch_->setEnabled(!on);
    cmdStop_->setEnabled(on);
    for (QSpinBox* s : {spnBoxX_, spnBoxY_, spnBoxZ_, spnBlocks_, spnMinCells_, spnMaxCells_, spnEmpty_, spnMaxMoves_,
                        spnMinRating_, spnCount_, spnSeconds_})
        if (s) s->setEnabled(!on);
    if (chkIdentical_) chkIdentical_->setEnabled(!on);
    if (on) timer_->start(); else timer_->stop();
    showChosen();
}

void DesignDialog::cmdDesignSearch_Click() {
    if (!idle()) return;
    const DesignFields f = fields();
    if (!nearest()) {
        if (const std::string why = requestProblem(f.request); !why.empty()) {
            lblProgress_->setText(qs(why));
            return;
        }
    }
    designs_.clear();
    lstDesigns_->clear();
    cmdSearch_->setDefault(true);
    cancel_ = false;
    tried_ = 0;
    found_ = 0;
    best_ = 0;
    depth_ = 0;
    seconds_ = 0;
    setSearching(true);
    refresh();
    DesignRequest request = f.request;
    request.seed = seed_ ? *seed_ : std::random_device{}();
    worker_ = std::thread([this, request, maxMoves = f.maxMoves, source = source_] {
        DesignControl control;
        control.cancel = &cancel_;
        control.progressInterval = 0.1;
        control.progress = [this](const DesignProgress& p) {
            tried_ = p.tried;
            found_ = p.found;
            best_ = p.bestRating;
            depth_ = p.depth;
            seconds_ = p.seconds;
        };
        if (source) {
            NearestRequest ns;
            ns.source = *source;
            ns.maxMoves = maxMoves;
            ns.count = request.count;
            ns.seconds = request.seconds;
            ns.minRating = request.minRating;
            ns.threads = request.threads;
            auto near = std::make_shared<NearestResult>(nearestUnique(ns, control));
            QMetaObject::invokeMethod(this, [this, near] { finished(*near, near.get()); }, Qt::QueuedConnection);
        } else {
            auto result = std::make_shared<DesignResult>(designPuzzles(request, control));
            QMetaObject::invokeMethod(this, [this, result] { finished(*result, nullptr); }, Qt::QueuedConnection);
        }
    });
}

void DesignDialog::cmdDesignStop_Click() {
    if (idle()) return;
    cancel_ = true;
    cmdStop_->setEnabled(false);
    lblProgress_->setText(QStringLiteral("止めています…"));
}

void DesignDialog::refresh() {
    if (idle() || cancel_) return;
    QString text = QStringLiteral("探しています…　試した形 %1　見つけた数 %2").arg(tried_.load()).arg(found_.load());
    if (found_ > 0) text += QStringLiteral("　最高難易度 %1").arg(best_.load());
    if (nearest() && depth_ > 0) text += QStringLiteral("　移動 %1 セル").arg(depth_.load());
    text += QStringLiteral("　%1 秒").arg(static_cast<qlonglong>(seconds_.load()));
    lblProgress_->setText(text);
}

void DesignDialog::finished(const DesignResult& r, const NearestResult* near) {
    if (worker_.joinable()) worker_.join();
    designs_ = r.designs;
    setSearching(false);
    std::string text = "見つけた数 " + std::to_string(r.designs.size()) + "（試した形 " + std::to_string(r.tried) + "、" +
                       std::to_string(static_cast<long long>(std::lround(r.seconds))) + " 秒）";
    if (near && !near->noPacking)
        text = std::string(near->fromMade ? "作成時の置き場所" : "最初に見つかった詰め方") + "から　" + text;
    if (near && near->noPacking) text = "このパズルには詰め方がないため、近い形を探せません。";
    else if (r.stop == DesignStop::Cancelled) text += "　中止しました。";
    else if (r.stop == DesignStop::Time && r.designs.size() < size_t(spnCount_->value())) text += "　時間切れです。";
    else if (near && r.stop == DesignStop::Exhausted)
        text += r.designs.empty() ? "　" + std::to_string(spnMaxMoves_->value()) +
                                        " セル以内の移動では、詰め方がただ一つになる形はありません。"
                                  : "　" + std::to_string(spnMaxMoves_->value()) + " セル以内の移動では、これで全部です。";
    if (!near && r.designs.empty() && r.tooEasy > 0)
        text += "　難易度が足りない形 " + std::to_string(r.tooEasy) + " 個（最高 " + std::to_string(r.bestRejectedRating) + "）。";
    lblProgress_->setText(qs(text));
    for (size_t i = 0; i < designs_.size(); ++i) lstDesigns_->addItem(entryText(i, designs_[i], nearest()));
    if (!designs_.empty()) {
        // Now Enter takes the chosen one.
        lstDesigns_->setCurrentRow(0);
        lstDesigns_->setFocus();
        cmdAdopt_->setDefault(true);
    }
    showChosen();
}

void DesignDialog::showChosen() {
    const int row = lstDesigns_->currentRow();
    const bool any = row >= 0 && size_t(row) < designs_.size();
    cmdAdopt_->setEnabled(any && idle());
    for (QLabel* l : imgBlocks_) l->clear();
    if (!any) {
        pictDesign_->clear();
        if (pictMoves_) pictMoves_->clear();
        lblChosen_->clear();
        return;
    }
    const Design& d = designs_[size_t(row)];
    Grid grid;
    ColorGrid colors;
    designScene(d, grid, colors);
    pictDesign_->setScene(grid, colors, mainViewParam(120, 120));
    std::string text = analysis::ratingLine(d.difficulty) + "\n" + sizesText(d);
    if (pictMoves_) {
        Grid moved{};
        ColorGrid movedColors{};
        for (const CellMove& m : d.moves) {
            moved[m.cell] = 1;
            for (int shade = 0; shade < 3; ++shade) movedColors[m.cell + kCells * shade] = pieceColor(m.to + 1, shade);
        }
        pictMoves_->setScene(moved, movedColors, mainViewParam(120, 120));
        text += d.moves.empty() ? "\nそのままで詰め方はただ一つです。" : "\n動くセル（X,Y,Z は 1 から）：";
        for (const CellMove& m : d.moves) text += "\n　" + moveText(m);
    }
    lblChosen_->setText(qs(text));
    // Each block on its own, moved into the corner as the block view draws it.
    for (int b = 0; b < kBlocks; ++b) {
        if (d.blocks[size_t(b)] == 0) continue;
        Grid g{};
        ColorGrid c{};
        const uint64_t m = d.blocks[size_t(b)];
        int minX = kGrid, minY = kGrid, minZ = kGrid;
        for (int cell = 0; cell < kCells; ++cell)
            if (m >> cell & 1) minX = std::min(minX, cell & 3), minY = std::min(minY, (cell >> 2) & 3), minZ = std::min(minZ, cell >> 4);
        for (int cell = 0; cell < kCells; ++cell) {
            if ((m >> cell & 1) == 0) continue;
            const int at = cellIndex((cell & 3) - minX, ((cell >> 2) & 3) - minY, (cell >> 4) - minZ);
            g[at] = 1;
            for (int shade = 0; shade < 3; ++shade) c[at + kCells * shade] = pieceColor(b + 1, shade);
        }
        const QImage image = renderCubeImage(g, c, kPieceViewParam, Qt::white, Qt::black, font());
        imgBlocks_[size_t(b)]->setPixmap(
            QPixmap::fromImage(image.scaled(imgBlocks_[size_t(b)]->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
        imgBlocks_[size_t(b)]->setToolTip(QStringLiteral("ブロック %1（%2 セル）").arg(b + 1).arg(std::popcount(m)));
    }
}

std::optional<Puzzle> DesignDialog::chosenPuzzle() const {
    const int row = lstDesigns_->currentRow();
    if (row < 0 || size_t(row) >= designs_.size() || !idle()) return std::nullopt;
    const Design& d = designs_[size_t(row)];
    Puzzle p = puzzleFromBlocks(d.box, d.blocks);
    // A variant stays the maker's puzzle under its comment; a new one is named by its figures.
    p.G_sComment = source_ ? source_->G_sComment : defaultComment(d);
    return p;
}

void DesignDialog::stopWorker() {
    cancel_ = true;
    if (worker_.joinable()) worker_.join();
}

void DesignDialog::done(int r) {
    stopWorker();
    QDialog::done(r);
}

}  // namespace tessaro
