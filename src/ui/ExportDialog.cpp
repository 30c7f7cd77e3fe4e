#include "ui/ExportDialog.h"

#include "app/AppEnv.h"
#include "app/Ini.h"
#include "design/RatingText.h"
#include "export/qt/QtPictures.h"
#include "ui/WindowPort.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QEventLoop>
#include <QFileDialog>
#include <QGuiApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <thread>

namespace tessaro {

namespace {

std::string relativeTo(const std::string& folder, const std::string& path) {
    return path.starts_with(folder + "/") ? path.substr(folder.size() + 1) : path;
}

std::string namesIn(const std::string& folder, const std::vector<std::string>& paths, const char* separator) {
    std::string out;
    for (size_t i = 0; i < paths.size(); ++i) out += (i ? separator : "") + relativeTo(folder, paths[i]);
    return out;
}

// One line per subfolder ("stl/：block1.stl、block2.stl") and one per file beside them.
std::string writtenList(const std::string& folder, const std::vector<std::string>& written) {
    std::vector<std::pair<std::string, std::string>> lines;  // subfolder ("" for none), names
    for (const std::string& path : written) {
        const std::string rel = relativeTo(folder, path);
        const size_t slash = rel.rfind('/');
        const std::string sub = slash == std::string::npos ? "" : rel.substr(0, slash + 1);
        const std::string name = rel.substr(sub.size());
        if (!sub.empty() && !lines.empty() && lines.back().first == sub)
            lines.back().second += "、" + name;
        else
            lines.emplace_back(sub, name);
    }
    std::string out;
    for (size_t i = 0; i < lines.size(); ++i)
        out += (i ? "\r\n" : "") + (lines[i].first.empty() ? "" : lines[i].first + "：") + lines[i].second;
    return out;
}

std::vector<std::string> existingFiles(const std::vector<std::string>& paths) {
    std::vector<std::string> out;
    for (const std::string& path : paths) {
        std::error_code ec;
        if (std::filesystem::exists(std::filesystem::symlink_status(path, ec))) out.push_back(path);
    }
    return out;
}

// Runs the export on a worker thread while this thread keeps the window
// answering: a progress box with 中止 and a busy cursor until it ends.
ExportOutcome exportOffThread(const Puzzle& p, ExportRequest r, QWidget* parent) {
    std::atomic<bool> cancel{false};
    std::atomic<int> done{0}, total{0};
    ExportOutcome out;
    QEventLoop loop;
    QProgressDialog progress(QStringLiteral("書き出しています…"), QStringLiteral("中止"), 0, 0, parent);
    progress.setObjectName(QStringLiteral("frmExportProgress"));
    progress.setWindowTitle(QStringLiteral("書き出し"));
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setMinimumDuration(0);
    QObject::connect(&progress, &QProgressDialog::canceled, &progress, [&] {
        cancel = true;
        progress.setLabelText(QStringLiteral("中止しています…"));
        progress.show();
    });
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &progress, [&] {
        if (progress.wasCanceled()) cancel = true;
        if (total > 0 && progress.maximum() != total) progress.setMaximum(total);
        if (total > 0) progress.setValue(done);
    });
    poll.start(50);
    QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    progress.show();
    std::thread worker([&] {
        ExportControl control;
        control.cancel = &cancel;
        control.progress = [&](int d, int t) {
            total = t;
            done = d;
        };
        // The rating is part of the wait: it comes before the sheet, on this thread too.
        if (!r.pdfFile.empty()) r.sheetNote = design::sheetRatingLine(p);
        QtPictureRenderer pictures;
        out = exportPuzzle(p, r, &pictures, control);
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    QGuiApplication::restoreOverrideCursor();
    return out;
}

}  // namespace

bool runWindowExport(const Puzzle& p, Dialogs& dialogs, const WindowExportChoice& c, QWidget* parent) {
    constexpr const char* kTitle = "書き出し";
    ExportRequest r;
    const std::string base = c.folder + "/";
    if (c.stl) r.stlDir = base + "stl";
    if (c.threeMf) r.threeMfFile = base + c.baseName + ".3mf";
    if (c.png) r.pngDir = base + "png";
    if (c.pdf) r.pdfFile = base + c.baseName + ".pdf";
    r.sizes = c.sizes;
    r.bedMm = c.bedMm;
    r.marginMm = c.marginMm;
    r.asMade = c.asMade;
    r.withAnswer = c.withAnswer && c.pdf;
    r.pngWidth = c.pngWidth;
    r.transparentPng = c.transparentPng;
    if (c.folder.empty() || !std::filesystem::is_directory(c.folder)) {
        dialogs.message(kTitle, "書き出し先のフォルダがありません。", MsgIcon::Critical);
        return false;
    }
    if (r.withAnswer && !answerOpen(p, std::nullopt)) {
        const std::string typed = dialogs.input(kTitle, "解答パスワードを入力してください。");
        if (typed.empty()) return false;
        r.password = typed;
    }
    // Asked as Save As asks before it replaces a file.
    const std::vector<std::string> existing = existingFiles(exportTargets(p, r));
    if (!existing.empty() &&
        dialogs.message(kTitle, namesIn(c.folder, existing, "\r\n") + " は既に存在します。\r\n置き換えますか?",
                        MsgIcon::Exclamation, MsgButtons::YesNoDefaultNo) != MsgResult::Yes)
        return false;
    const std::vector<std::string> stale = staleExportFiles(p, r);
    if (!stale.empty()) {
        if (dialogs.message(kTitle,
                            "書き出し先には、この書き出しでは書かない前のブロックのファイルがあります。\r\n" +
                                namesIn(c.folder, stale, "\r\n") + "\r\n削除して書き出しますか?",
                            MsgIcon::Question, MsgButtons::YesNo) != MsgResult::Yes)
            return false;
        r.removeStale = true;
    }
    const ExportOutcome out = exportOffThread(p, r, parent);
    if (out.status == ExportStatus::Cancelled) return false;
    if (out.status != ExportStatus::Written) {
        dialogs.message(kTitle, out.message, MsgIcon::Critical);
        return false;
    }
    std::string text = std::to_string(out.written.size()) + " 個のファイルを書き出しました。\r\n" + c.folder +
                       "\r\n" + writtenList(c.folder, out.written);
    if (!out.stale.empty()) text += "\r\n削除した前のファイル：" + namesIn(c.folder, out.stale, "、");
    if (!out.message.empty()) text += "\r\n" + out.message;
    if (!out.prints.empty()) text += "\r\n";
    for (const BlockPrint& block : out.prints) text += "\r\n" + overAirLine(block);
    for (const std::string& warning : out.warnings) text += "\r\n\r\n" + warning;
    dialogs.message(kTitle, text, out.warnings.empty() ? MsgIcon::Information : MsgIcon::Exclamation);
    return true;
}

ExportDialog::ExportDialog(const WindowExportChoice& start, QWidget* parent) : QDialog(parent), start_(start) {
    setObjectName(QStringLiteral("frmExport"));
    setWindowTitle(QStringLiteral("書き出し"));
    auto check = [this](const char* name, const QString& caption, bool on) {
        auto* b = new QCheckBox(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setChecked(on);
        return b;
    };
    chkStl_ = check("chkStl", QStringLiteral("3D プリント用 STL（ブロックごと）"), start.stl);
    chk3mf_ = check("chk3mf", QStringLiteral("3D プリント用 3MF（全ブロックを色付きで）"), start.threeMf);
    chkPng_ = check("chkPng", QStringLiteral("画像 PNG（ブロックと箱）"), start.png);
    chkPdf_ = check("chkPdf", QStringLiteral("印刷用シート PDF"), start.pdf);
    chkAnswer_ = check("chkAnswer", QStringLiteral("シートに詰め方（解答）を加える"), start.withAnswer);
    chkTransparent_ = check("chkTransparent", QStringLiteral("画像の背景を透明にする"), start.transparentPng);
    chkAsMade_ = check("chkAsMade", QStringLiteral("ブロックを作ったままの向きで書き出す（印刷向きに回さない）"), start.asMade);

    auto mm = [this](const char* name, double value, double lo, double hi) {
        auto* s = new QDoubleSpinBox(this);
        s->setObjectName(QString::fromLatin1(name));
        s->setRange(lo, hi);
        s->setDecimals(2);
        s->setSingleStep(0.1);
        s->setSuffix(QStringLiteral(" mm"));
        s->setValue(value);
        return s;
    };
    spnCube_ = mm("spnCube", start.sizes.cubeMm, 1, 1000);
    spnClearance_ = mm("spnClearance", start.sizes.clearanceMm, 0, 250);
    spnTray_ = mm("spnTray", start.sizes.trayWallMm, 0, 100);
    spnTray_->setSpecialValueText(QStringLiteral("なし"));
    spnBevel_ = mm("spnBevel", start.sizes.bevelMm, 0, 250);
    spnBevel_->setSpecialValueText(QStringLiteral("なし"));
    spnBed_ = mm("spnBed", start.bedMm, 10, 2000);
    spnBed_->setDecimals(0);
    spnBed_->setSingleStep(10);
    spnMargin_ = mm("spnMargin", start.marginMm, 0, 100);
    spnMargin_->setDecimals(1);
    spnPngWidth_ = new QSpinBox(this);
    spnPngWidth_->setObjectName(QStringLiteral("spnPngWidth"));
    spnPngWidth_->setRange(64, 4096);
    spnPngWidth_->setSuffix(QStringLiteral(" px"));
    spnPngWidth_->setValue(start.pngWidth);

    txtFolder_ = new QLineEdit(QString::fromStdString(start.folder), this);
    txtFolder_->setObjectName(QStringLiteral("txtFolder"));
    txtFolder_->setMinimumWidth(320);
    auto* browse = new QPushButton(QStringLiteral("参照…"), this);
    browse->setObjectName(QStringLiteral("cmdFolder"));
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString dir = QFileDialog::getExistingDirectory(this, QStringLiteral("書き出し先のフォルダ"), txtFolder_->text());
        if (!dir.isEmpty()) txtFolder_->setText(dir);
    });

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("キューブの大きさ"), spnCube_);
    form->addRow(QStringLiteral("すき間（外面ごと）"), spnClearance_);
    form->addRow(QStringLiteral("箱のトレイ（壁の厚さ）"), spnTray_);
    form->addRow(QStringLiteral("角の面取り"), spnBevel_);
    form->addRow(QStringLiteral("造形台の大きさ（3MF）"), spnBed_);
    form->addRow(QStringLiteral("造形台の縁の余白（3MF）"), spnMargin_);
    form->addRow(QStringLiteral("画像の幅"), spnPngWidth_);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(txtFolder_, 1);
    folderRow->addWidget(browse);
    form->addRow(QStringLiteral("フォルダ"), folderRow);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("書き出す"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    for (QCheckBox* b : {chkStl_, chk3mf_, chkPng_, chkPdf_, chkAnswer_, chkTransparent_, chkAsMade_}) layout->addWidget(b);
    layout->addLayout(form);
    layout->addWidget(buttons);
    auto sync = [this] {
        chkAnswer_->setEnabled(chkPdf_->isChecked());
        chkAsMade_->setEnabled(chkStl_->isChecked() || chk3mf_->isChecked());
        spnMargin_->setEnabled(chk3mf_->isChecked());
        chkTransparent_->setEnabled(chkPng_->isChecked());
        spnPngWidth_->setEnabled(chkPng_->isChecked());
    };
    connect(chkPdf_, &QCheckBox::toggled, this, sync);
    connect(chkPng_, &QCheckBox::toggled, this, sync);
    connect(chkStl_, &QCheckBox::toggled, this, sync);
    connect(chk3mf_, &QCheckBox::toggled, this, sync);
    sync();
}

WindowExportChoice ExportDialog::choice() const {
    WindowExportChoice c = start_;
    c.folder = txtFolder_->text().trimmed().toStdString();
    c.stl = chkStl_->isChecked();
    c.threeMf = chk3mf_->isChecked();
    c.png = chkPng_->isChecked();
    c.pdf = chkPdf_->isChecked();
    c.withAnswer = chkAnswer_->isChecked();
    c.transparentPng = chkTransparent_->isChecked();
    c.asMade = chkAsMade_->isChecked();
    c.marginMm = spnMargin_->value();
    c.sizes = {spnCube_->value(), spnClearance_->value(), spnTray_->value(), spnBevel_->value()};
    c.bedMm = spnBed_->value();
    c.pngWidth = spnPngWidth_->value();
    return c;
}

namespace {

constexpr const char* kExportSection = "書き出し";

std::string iniGet(const std::string& file, const char* key) { return fncIni_get(kExportSection, key, file); }

void readFlag(const std::string& file, const char* key, bool& flag) {
    const std::string v = iniGet(file, key);
    if (v == "1" || v == "0") flag = v == "1";
}

// A number kept only when it lies where the dialog lets it.
template <class T>
void readNumber(const std::string& file, const char* key, T& value, double lo, double hi) {
    const std::string v = iniGet(file, key);
    char* end = nullptr;
    const double d = std::strtod(v.c_str(), &end);
    if (!v.empty() && end != nullptr && *end == '\0' && d >= lo && d <= hi) value = static_cast<T>(d);
}

std::string numberText(double v) {
    std::ostringstream out;
    out << v;
    return out.str();
}

}  // namespace

void loadExportSettings(WindowExportChoice& c, const std::string& iniFile) {
    readFlag(iniFile, "STL", c.stl);
    readFlag(iniFile, "3MF", c.threeMf);
    readFlag(iniFile, "PNG", c.png);
    readFlag(iniFile, "PDF", c.pdf);
    readFlag(iniFile, "ANSWER", c.withAnswer);
    readFlag(iniFile, "PNG_TRANSPARENT", c.transparentPng);
    readFlag(iniFile, "AS_MADE", c.asMade);
    readNumber(iniFile, "MARGIN_MM", c.marginMm, 0, 100);
    readNumber(iniFile, "CUBE_MM", c.sizes.cubeMm, 1, 1000);
    readNumber(iniFile, "CLEARANCE_MM", c.sizes.clearanceMm, 0, 250);
    readNumber(iniFile, "BEVEL_MM", c.sizes.bevelMm, 0, 250);
    readNumber(iniFile, "TRAY_MM", c.sizes.trayWallMm, 0, 100);
    readNumber(iniFile, "BED_MM", c.bedMm, 10, 2000);
    readNumber(iniFile, "PNG_WIDTH", c.pngWidth, 64, 4096);
    // A folder that has gone since leaves the one given.
    const std::string folder = iniGet(iniFile, "FOLDER");
    std::error_code ec;
    if (!folder.empty() && std::filesystem::is_directory(folder, ec)) c.folder = folder;
}

bool saveExportSettings(const WindowExportChoice& c, const std::string& iniFile) {
    const std::pair<const char*, std::string> values[] = {
        {"STL", c.stl ? "1" : "0"},
        {"3MF", c.threeMf ? "1" : "0"},
        {"PNG", c.png ? "1" : "0"},
        {"PDF", c.pdf ? "1" : "0"},
        {"ANSWER", c.withAnswer ? "1" : "0"},
        {"PNG_TRANSPARENT", c.transparentPng ? "1" : "0"},
        {"AS_MADE", c.asMade ? "1" : "0"},
        {"MARGIN_MM", numberText(c.marginMm)},
        {"CUBE_MM", numberText(c.sizes.cubeMm)},
        {"CLEARANCE_MM", numberText(c.sizes.clearanceMm)},
        {"BEVEL_MM", numberText(c.sizes.bevelMm)},
        {"TRAY_MM", numberText(c.sizes.trayWallMm)},
        {"BED_MM", numberText(c.bedMm)},
        {"PNG_WIDTH", std::to_string(c.pngWidth)},
        {"FOLDER", c.folder},
    };
    bool ok = true;
    for (const auto& [key, value] : values) ok = fncIni_put(kExportSection, key, value, iniFile) && ok;
    return ok;
}

Puzzle puzzleToExport(const WindowPort& w) {
    Puzzle p = w.puzzle();
    // A made puzzle not yet saved has no file of its own: the last file's
    // name is another puzzle's (its comment went when the maker began).
    if (w.madeUnsaved()) p.G_sFile_Title = kNewPuzzleName;
    return p;
}

void addExportMenuEntry(WindowPort& w) {
    w.fileMenu()->addSeparator()->setObjectName(QStringLiteral("mnuFileStep3"));
    QAction* entry = w.fileMenu()->addAction(QStringLiteral("書き出し…"));
    entry->setObjectName(QStringLiteral("mnuFileExport"));
    // Off while a maker runs or the loader searches, as giving up is: a
    // half-made puzzle is nothing to print.
    w.addPlayEntry(entry);
    QObject::connect(entry, &QAction::triggered, w.widget(), [&w] {
        if (!w.playing()) return;
        const Puzzle p = puzzleToExport(w);
        const std::string ini = settingsFile();
        WindowExportChoice start;
        start.folder = G_sData_Path;
        loadExportSettings(start, ini);
        if (!p.G_sFile_Title.empty()) start.baseName = std::filesystem::path(p.G_sFile_Title).stem().string();
        ExportDialog dialog(start, w.widget());
        if (dialog.exec() != QDialog::Accepted) return;
        // Kept for the next time; a settings file that takes no writes only
        // costs the user choosing again.
        saveExportSettings(dialog.choice(), ini);
        runWindowExport(p, w.dialogs(), dialog.choice(), w.widget());
    });
}

}  // namespace tessaro
