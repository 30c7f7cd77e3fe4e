#include "ui/DesignDialog.h"

#include "design/DesignFiles.h"
#include "design/Designer.h"
#include "design/HardestSearch.h"
#include "analysis/RatingText.h"
#include "design/CandidateJudge.h"
#include "app/Ini.h"
#include "ui/AnalysisDialogs.h"
#include "viewqt/CubePicture.h"
#include "viewqt/QtCanvas.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <bit>
#include <charconv>
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

// Room for a block of up to 4 x 4 x 4 cells at the window's own scale.
constexpr QSize kBlockRoom(128, 120);

QLabel* blockImage(QWidget* parent, int b) {
    auto* l = new QLabel(parent);
    l->setObjectName(QStringLiteral("imgDesignBlock%1").arg(b));
    l->setFixedSize(kBlockRoom);
    l->setAlignment(Qt::AlignCenter);
    return l;
}

// Lines of text a label holds without growing (its frame and margins aside).
int linesHeight(const QWidget* w, int lines) { return w->fontMetrics().lineSpacing() * lines + 4; }

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

namespace {

const char* designSection(bool nearest) { return nearest ? "唯一解に近づける" : "自動作成"; }

void readInt(const std::string& file, const char* section, const char* key, int& value, int lo, int hi) {
    const std::string v = fncIni_get(section, key, file);
    int n = 0;
    const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
    if (!v.empty() && ec == std::errc() && end == v.data() + v.size() && n >= lo && n <= hi) value = n;
}

void readBool(const std::string& file, const char* section, const char* key, bool& value) {
    const std::string v = fncIni_get(section, key, file);
    if (v == "0" || v == "1") value = v == "1";
}

}  // namespace

void loadDesignFields(DesignFields& f, bool nearest, const std::string& file) {
    const char* sec = designSection(nearest);
    DesignRequest& r = f.request;
    if (!nearest) {
        readInt(file, sec, "BOX_X", r.box.x, 2, kGrid);
        readInt(file, sec, "BOX_Y", r.box.y, 2, kGrid);
        readInt(file, sec, "BOX_Z", r.box.z, 2, kGrid);
        readInt(file, sec, "BLOCKS", r.blocks, 2, kBlocks);
        readInt(file, sec, "MIN_CELLS", r.minCells, 1, kCells);
        readInt(file, sec, "MAX_CELLS", r.maxCells, 0, kCells);
        readInt(file, sec, "EMPTY", r.empty, 0, kCells - 1);
        readBool(file, sec, "IDENTICAL", r.allowIdentical);
        readBool(file, sec, "NO_FLAT", r.noFlat);
        readBool(file, sec, "ASSEMBLABLE", r.assemblable);
        readBool(file, sec, "HARDEST", f.hardest);
        readBool(file, sec, "FIXED_SEED", f.fixedSeed);
        const std::string seed = fncIni_get(sec, "SEED", file);
        uint64_t s = 0;
        const auto [end, ec] = std::from_chars(seed.data(), seed.data() + seed.size(), s);
        if (f.fixedSeed && !seed.empty() && ec == std::errc() && end == seed.data() + seed.size()) r.seed = s;
        else f.fixedSeed = false;
    } else {
        readInt(file, sec, "MAX_MOVES", f.maxMoves, 0, 8);
    }
    readInt(file, sec, "MIN_RATING", r.minRating, 1, 10);
    readInt(file, sec, "COUNT", r.count, 1, 20);
    int seconds = int(std::lround(r.seconds));
    readInt(file, sec, "SECONDS", seconds, 1, 3600);
    r.seconds = seconds;
}

bool saveDesignFields(const DesignFields& f, bool nearest, const std::string& file) {
    const DesignRequest& r = f.request;
    std::vector<std::pair<const char*, std::string>> values;
    const auto flag = [](bool b) { return std::string(b ? "1" : "0"); };
    if (!nearest) {
        values = {{"BOX_X", std::to_string(r.box.x)},  {"BOX_Y", std::to_string(r.box.y)},
                  {"BOX_Z", std::to_string(r.box.z)},  {"BLOCKS", std::to_string(r.blocks)},
                  {"MIN_CELLS", std::to_string(r.minCells)}, {"MAX_CELLS", std::to_string(r.maxCells)},
                  {"EMPTY", std::to_string(r.empty)},  {"IDENTICAL", flag(r.allowIdentical)},
                  {"NO_FLAT", flag(r.noFlat)},         {"ASSEMBLABLE", flag(r.assemblable)},
                  {"HARDEST", flag(f.hardest)},        {"FIXED_SEED", flag(f.fixedSeed)},
                  {"SEED", f.fixedSeed ? std::to_string(r.seed) : std::string()}};
    } else {
        values = {{"MAX_MOVES", std::to_string(f.maxMoves)}};
    }
    values.push_back({"MIN_RATING", std::to_string(r.minRating)});
    values.push_back({"COUNT", std::to_string(r.count)});
    values.push_back({"SECONDS", std::to_string(std::lround(r.seconds))});
    bool ok = true;
    for (const auto& [key, value] : values) ok = fncIni_put(designSection(nearest), key, value, file) && ok;
    return ok;
}

std::string designCommand(const DesignRequest& r, bool hardest) {
    std::string out = "tessaro-cli design --box " + std::to_string(r.box.x) + "x" + std::to_string(r.box.y) + "x" +
                      std::to_string(r.box.z) + " --blocks " + std::to_string(r.blocks) + " --min-cells " +
                      std::to_string(r.minCells);
    if (r.maxCells > 0) out += " --max-cells " + std::to_string(r.maxCells);
    if (r.empty > 0) out += " --empty " + std::to_string(r.empty);
    if (r.allowIdentical) out += " --allow-identical";
    if (r.noFlat) out += " --no-flat";
    if (r.assemblable) out += " --assemblable";
    if (hardest) out += " --hardest";
    out += " --min-rating " + std::to_string(r.minRating) + " --count " + std::to_string(r.count) + " --seconds " +
           std::to_string(std::lround(r.seconds)) + " --seed " + std::to_string(r.seed) + " --out designs";
    return out;
}

namespace {

// One block at the window's own scale.
QImage blockPicture(uint64_t cells, int block, const QFont& font) {
    int lo[3] = {kGrid, kGrid, kGrid}, hi[3] = {-1, -1, -1};
    for (int c = 0; c < kCells; ++c) {
        if ((cells >> c & 1) == 0) continue;
        const int at[3] = {c & 3, (c >> 2) & 3, c >> 4};
        for (int a = 0; a < 3; ++a) lo[a] = std::min(lo[a], at[a]), hi[a] = std::max(hi[a], at[a]);
    }
    if (hi[0] < 0) return {};
    Grid g{};
    ColorGrid colors{};
    for (int c = 0; c < kCells; ++c) {
        if ((cells >> c & 1) == 0) continue;
        const int at = cellIndex((c & 3) - lo[0], ((c >> 2) & 3) - lo[1], (c >> 4) - lo[2]);
        g[at] = 1;
        for (int shade = 0; shade < 3; ++shade) colors[at + kCells * shade] = pieceColor(block + 1, shade);
    }
    const FrameCells n{hi[0] - lo[0] + 1, hi[1] - lo[1] + 1, hi[2] - lo[2] + 1};
    // The frame's extent from its back top left corner, seen as the block view sees it.
    ViewParam v = kPieceViewParam;
    const DepthStep d = depthStep(v);
    const float left = std::min(0.0f, n.z * d.o), right = std::max(n.x * v.CellW, n.x * v.CellW + n.z * d.o);
    const float top = std::min(0.0f, n.z * d.m), bottom = std::max(n.y * v.CellH, n.y * v.CellH + n.z * d.m);
    const float margin = 60;  // the frame's widest lines and their round ends
    v.OrgX = margin - left + d.o;
    v.OrgY = margin - top + d.m;
    QImage image(int(std::ceil((right - left + 2 * margin) / kTwipsPerPixel)),
                 int(std::ceil((bottom - top + 2 * margin) / kTwipsPerPixel)), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        QtCanvas canvas(painter, Qt::black, font);
        subDrawBlock(canvas, g, colors, v, n);
    }
    return image;
}

}  // namespace

std::array<QImage, kBlocks> blockPictures(const Blocks& blocks, QSize room, const QFont& font) {
    std::array<QImage, kBlocks> out;
    // One cell size for all, so a small block never looks larger than a big one.
    double scale = 3;
    for (int b = 0; b < kBlocks; ++b) {
        if (blocks[size_t(b)] == 0) continue;
        out[size_t(b)] = blockPicture(blocks[size_t(b)], b, font);
        const QImage& image = out[size_t(b)];
        scale = std::min({scale, double(room.width()) / image.width(), double(room.height()) / image.height()});
    }
    for (QImage& image : out)
        if (!image.isNull())
            image = image.scaled(QSize(int(image.width() * scale), int(image.height() * scale)), Qt::IgnoreAspectRatio,
                                 Qt::SmoothTransformation);
    return out;
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
    chkNoFlat_->setChecked(s.noFlat);
    chkAssemblable_->setChecked(s.assemblable);
    chkHardest_->setChecked(fields.hardest);
    spnMinRating_->setValue(s.minRating);
    spnCount_->setValue(s.count);
    spnSeconds_->setValue(int(std::lround(s.seconds)));
    if (fields.fixedSeed) setSeed(s.seed);
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

void DesignDialog::setSeed(uint64_t seed) {
    if (txtSeed_) txtSeed_->setText(QString::number(seed));
}

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
        chkNoFlat_ = new QCheckBox(QStringLiteral("どのブロックも三方向に広がる形にする"), this);
        chkNoFlat_->setObjectName(QStringLiteral("chkNoFlat"));
        form->addRow(QString(), chkNoFlat_);
        chkAssemblable_ = new QCheckBox(QStringLiteral("開いた箱に上から組み立てられるものだけ"), this);
        chkAssemblable_->setObjectName(QStringLiteral("chkAssemblable"));
        form->addRow(QString(), chkAssemblable_);
        chkHardest_ = new QCheckBox(QStringLiteral("時間いっぱい、より難しい形を探す"), this);
        chkHardest_->setObjectName(QStringLiteral("chkHardest"));
        chkHardest_->setToolTip(QStringLiteral("切り方を少しずつ変えながら、最後まで難しい形を探し続けます"));
        form->addRow(QString(), chkHardest_);
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
    if (!nearest()) {
        // The seed names a search: the same fields and seed find the same puzzles,
        // here or with tessaro-cli design --seed.
        txtSeed_ = new QLineEdit(this);
        txtSeed_->setObjectName(QStringLiteral("txtDesignSeed"));
        txtSeed_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,20}")), txtSeed_));
        txtSeed_->setPlaceholderText(QStringLiteral("空欄：探すたびに変える"));
        txtSeed_->setToolTip(QStringLiteral("同じ条件と乱数の種からは、同じパズルが見つかります"));
        form->addRow(QStringLiteral("乱数の種"), txtSeed_);
    }

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
    // Lines are broken where the text says, never inside a word, and the
    // label keeps one height whatever it says.
    lblProgress_->setWordWrap(false);
    lblProgress_->setFixedHeight(linesHeight(lblProgress_, 3));
    lblProgress_->setAlignment(Qt::AlignTop | Qt::AlignLeft);

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
    // The rating, the sizes and up to eight moves: the dialog keeps its height.
    lblChosen_->setFixedHeight(linesHeight(lblChosen_, nearest() ? 11 : 3));
    auto* right = new QVBoxLayout;
    right->addLayout(pictures);
    right->addLayout(blocks);
    right->addWidget(lblChosen_);
    if (!nearest()) {
        txtCommand_ = new QLineEdit(this);
        txtCommand_->setObjectName(QStringLiteral("txtDesignCommand"));
        txtCommand_->setReadOnly(true);
        txtCommand_->setToolTip(QStringLiteral("同じパズルを、コマンドラインで作り直せます"));
        right->addWidget(new QLabel(QStringLiteral("同じパズルを作るコマンド："), this));
        right->addWidget(txtCommand_);
    }
    right->addStretch();

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
        s.noFlat = chkNoFlat_->isChecked();
        s.assemblable = chkAssemblable_->isChecked();
        f.hardest = chkHardest_->isChecked();
    } else {
        f.maxMoves = spnMaxMoves_->value();
    }
    s.minRating = spnMinRating_->value();
    s.count = spnCount_->value();
    s.seconds = spnSeconds_->value();
    if (txtSeed_ && !txtSeed_->text().isEmpty()) {
        const std::string digits = txtSeed_->text().toStdString();
        const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), s.seed);
        f.fixedSeed = ec == std::errc() && end == digits.data() + digits.size();
    }
    return f;
}

void DesignDialog::setSearching(bool on) {
    cmdSearch_->setEnabled(!on);
    cmdStop_->setEnabled(on);
    for (QSpinBox* s : {spnBoxX_, spnBoxY_, spnBoxZ_, spnBlocks_, spnMinCells_, spnMaxCells_, spnEmpty_, spnMaxMoves_,
                        spnMinRating_, spnCount_, spnSeconds_})
        if (s) s->setEnabled(!on);
    if (chkIdentical_) chkIdentical_->setEnabled(!on);
    for (QCheckBox* c : {chkNoFlat_, chkAssemblable_, chkHardest_})
        if (c) c->setEnabled(!on);
    if (txtSeed_) txtSeed_->setEnabled(!on);
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
        if (!txtSeed_->text().isEmpty() && !f.fixedSeed) {
            lblProgress_->setText(QStringLiteral("乱数の種は、0 から 18446744073709551615 までの\n整数で入力してください。"));
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
    if (!f.fixedSeed) request.seed = std::random_device{}();
    searched_ = request;
    searchedHardest_ = f.hardest && !nearest();
    worker_ = std::thread([this, request, maxMoves = f.maxMoves, hardest = searchedHardest_, source = source_] {
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
            auto result = std::make_shared<DesignResult>(hardest ? hardestPuzzles(request, control)
                                                                 : designPuzzles(request, control));
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
    QString text = QStringLiteral("探しています…　%1 秒").arg(countQText(uint64_t(seconds_.load())));
    text += QStringLiteral("\n試した形 %1　見つけた数 %2").arg(countQText(tried_.load())).arg(found_.load());
    if (found_ > 0) text += QStringLiteral("　最高難易度 %1").arg(best_.load());
    if (nearest() && depth_ > 0) text += QStringLiteral("\n移動 %1 セル").arg(depth_.load());
    else if (!nearest()) text += QStringLiteral("\n乱数の種 ") + QString::number(searched_.seed);
    lblProgress_->setText(text);
}

void DesignDialog::finished(const DesignResult& r, const NearestResult* near) {
    if (worker_.joinable()) worker_.join();
    designs_ = r.designs;
    setSearching(false);
    // One clause a line: what was found, from where or from which seed, and why it ended.
    std::string text = "見つけた数 " + std::to_string(r.designs.size()) + "（試した形 " + countText(r.tried) + "、" +
                       countText(uint64_t(std::llround(r.seconds))) + " 秒）";
    if (near && !near->noPacking)
        text = std::string(near->fromMade ? "作成時の置き場所" : "最初に見つかった詰め方") + "から\n" + text;
    if (!near) text += "\n乱数の種 " + std::to_string(searched_.seed);
    if (near && near->noPacking) text = "このパズルには詰め方がないため、\n近い形を探せません。";
    else if (r.stop == DesignStop::Cancelled) text += "\n中止しました。";
    else if (r.stop == DesignStop::Time && r.designs.size() < size_t(spnCount_->value())) text += "\n時間切れです。";
    else if (near && r.stop == DesignStop::Exhausted)
        text += r.designs.empty() ? "\n" + std::to_string(spnMaxMoves_->value()) +
                                        " セル以内の移動では、詰め方がただ一つになる形はありません。"
                                  : "\n" + std::to_string(spnMaxMoves_->value()) + " セル以内の移動では、これで全部です。";
    if (!near && r.designs.empty() && r.tooEasy > 0)
        text += "\n難易度が足りない形 " + countText(r.tooEasy) + " 個（最高 " + std::to_string(r.bestRejectedRating) + "）。";
    if (!near && r.designs.empty() && r.notAssemblable > 0)
        text += "\n開いた箱に組み立てられない形 " + countText(r.notAssemblable) + " 個。";
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
        if (txtCommand_) txtCommand_->clear();
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
    if (!nearest()) {
        text += "\n乱数の種 " + std::to_string(d.seed);
        DesignRequest again = searched_;
        again.seed = d.seed;
        txtCommand_->setText(qs(designCommand(again, searchedHardest_)));
        txtCommand_->setCursorPosition(0);
    }
    lblChosen_->setText(qs(text));
    const std::array<QImage, kBlocks> pictures = blockPictures(d.blocks, kBlockRoom, font());
    for (int b = 0; b < kBlocks; ++b) {
        const uint64_t m = d.blocks[size_t(b)];
        if (m == 0) continue;
        imgBlocks_[size_t(b)]->setPixmap(QPixmap::fromImage(pictures[size_t(b)]));
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
