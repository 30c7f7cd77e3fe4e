#include "export/qt/QtPictures.h"
#include "analysis/Assembly.h"

#include "export/ZipArchive.h"
#include "model/Figure.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QString>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace tessaro {

namespace {

constexpr double kTwipsPerPx = 15.0;

QColor bgr(int32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

QFont gothic() {
    QFont font;
    font.setFamilies({QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic")});
    font.setStyleHint(QFont::SansSerif);
    return font;
}

// The view's labels: 12 pixels of the screen, in twips.
QFont viewFont() {
    QFont font = gothic();
    font.setPixelSize(static_cast<int>(12 * kTwipsPerPx));
    return font;
}

// The cube view on a painter whose world transform is in twips. Line widths stay
// those of the screen (15 twips to the pixel) whatever the scale, so the hatched
// lids fill as they do in the window.
class PaintCanvas final : public Canvas {
public:
    explicit PaintCanvas(QPainter& painter) : painter_(painter), font_(viewFont()) {
        painter_.setRenderHint(QPainter::Antialiasing, true);
    }
    void line(float x1, float y1, float x2, float y2, int32_t color, int widthPx) override {
        QPen pen(bgr(color), widthPx * kTwipsPerPx);
        pen.setCapStyle(widthPx > 1 ? Qt::RoundCap : Qt::FlatCap);
        painter_.setPen(pen);
        painter_.drawLine(QPointF(x1, y1), QPointF(x2, y2));
    }
    void fillBox(float x1, float y1, float x2, float y2, int32_t color) override {
        painter_.fillRect(QRectF(QPointF(x1, y1), QPointF(x2, y2)).normalized(), bgr(color));
    }
    void box(float x1, float y1, float x2, float y2, int32_t color) override {
        painter_.setPen(QPen(bgr(color), kTwipsPerPx));
        painter_.setBrush(Qt::NoBrush);
        painter_.drawRect(QRectF(QPointF(x1, y1), QPointF(x2, y2)).normalized());
    }
    void text(float x, float y, const std::string& utf8) override {
        painter_.setPen(Qt::black);
        painter_.setFont(font_);
        painter_.drawText(QRectF(x, y, 3000, 600), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip,
                          QString::fromStdString(utf8));
    }

private:
    QPainter& painter_;
    QFont font_;
};

// What a drawing covers, in twips: lines with their width, boxes, and text as the font sets it.
class BoundsCanvas final : public Canvas {
public:
    BoundsCanvas() : metrics_(viewFont()) {}
    void line(float x1, float y1, float x2, float y2, int32_t, int widthPx) override {
        const double half = widthPx * kTwipsPerPx / 2;
        add(QRectF(QPointF(x1, y1), QPointF(x2, y2)).normalized().adjusted(-half, -half, half, half));
    }
    void fillBox(float x1, float y1, float x2, float y2, int32_t) override {
        add(QRectF(QPointF(x1, y1), QPointF(x2, y2)).normalized());
    }
    void box(float x1, float y1, float x2, float y2, int32_t c) override { fillBox(x1, y1, x2, y2, c); }
    void text(float x, float y, const std::string& utf8) override {
        add(metrics_.boundingRect(QRectF(x, y, 3000, 600), Qt::AlignLeft | Qt::AlignTop, QString::fromStdString(utf8)));
    }
    QRectF bounds() const { return bounds_; }

private:
    void add(const QRectF& r) { bounds_ = bounds_.isNull() ? r : bounds_.united(r); }
    QFontMetricsF metrics_;
    QRectF bounds_;
};

// The part of the picture area a view draws on, with a little room around it.
QRectF contentOf(const Grid& grid, const ColorGrid& colors, const ViewParam& view) {
    BoundsCanvas bounds;
    subDrawCells(bounds, grid, colors, view);
    const QRectF r = bounds.bounds().adjusted(-60, -60, 60, 60);
    return r.isEmpty() ? QRectF(0, 0, kPictureWidth, kPictureHeight) : r;
}

// Draws the cube view cropped to what it covers into `target` (device units),
// keeping its proportions, from the target's top left. Returns the height used.
double drawView(QPainter& painter, const QRectF& target, const Grid& grid, const ColorGrid& colors,
                const ViewParam& view) {
    const QRectF content = contentOf(grid, colors, view);
    painter.save();
    const double scale = std::min(target.width() / content.width(), target.height() / content.height());
    painter.translate(target.topLeft());
    painter.scale(scale, scale);
    painter.translate(-content.topLeft());
    PaintCanvas canvas(painter);
    subDrawCells(canvas, grid, colors, view);
    painter.restore();
    return content.height() * scale;
}

// ---- the sheet, laid out in millimetres ----

class Sheet {
public:
    explicit Sheet(QPdfWriter& writer) : writer_(writer), painter_(&writer), mm_(writer.resolution() / 25.4) {}
    bool active() const { return painter_.isActive(); }
    bool finish() { return painter_.end(); }
    void newPage() { writer_.newPage(); }

    double mm(double v) const { return v * mm_; }
    QRectF rect(double x, double y, double w, double h) const { return {mm(x), mm(y), mm(w), mm(h)}; }

    // Text in a box; returns the height used in millimetres.
    double text(double x, double y, double w, const QString& s, double pt, bool bold = false,
                QColor color = Qt::black) {
        QFont font = gothic();
        font.setPointSizeF(pt);
        font.setBold(bold);
        painter_.setFont(font);
        painter_.setPen(color);
        const QRectF used = painter_.boundingRect(rect(x, y, w, 500), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, s);
        painter_.drawText(used, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, s);
        return used.height() / mm_;
    }

    // The view at most `w` by `h` mm; returns the height used in mm.
    double view(double x, double y, double w, double h, const Grid& grid, const ColorGrid& colors, const ViewParam& v) {
        return drawView(painter_, rect(x, y, w, h), grid, colors, v) / mm_;
    }

    // One z layer of a grid as squares seen from the front, `s` mm each;
    // `numbers` writes the block number into each filled square.
    void layer(double x, double y, double s, int nx, int ny, int z, const Grid& grid, const ColorGrid& colors,
               const Grid* numbers) {
        painter_.setRenderHint(QPainter::Antialiasing, true);
        QFont font = gothic();
        font.setPointSizeF(std::max(5.0, s * 1.6));
        painter_.setFont(font);
        for (int gy = 0; gy < ny; ++gy)
            for (int gx = 0; gx < nx; ++gx) {
                const int c = cellIndex(gx, gy, z);
                const QRectF r = rect(x + gx * s, y + gy * s, s, s);
                painter_.fillRect(r, grid[c] ? bgr(colors[c]) : QColor(Qt::white));
                painter_.setPen(QPen(QColor(0x80, 0x80, 0x80), mm(0.2)));
                painter_.drawRect(r);
                if (numbers && grid[c]) {
                    painter_.setPen(bgr(textColorOn(colors[c])));
                    painter_.drawText(r, Qt::AlignCenter, QString::number((*numbers)[c]));
                }
            }
    }

private:
    QPdfWriter& writer_;
    QPainter painter_;
    double mm_;
};

void extents(const Grid& grid, int out[3]) {
    out[0] = out[1] = out[2] = 0;
    for (int z = 0; z < kGrid; ++z)
        for (int y = 0; y < kGrid; ++y)
            for (int x = 0; x < kGrid; ++x)
                if (grid[cellIndex(x, y, z)]) {
                    out[0] = std::max(out[0], x + 1);
                    out[1] = std::max(out[1], y + 1);
                    out[2] = std::max(out[2], z + 1);
                }
}

constexpr double kPageW = 210, kMargin = 15, kTextW = kPageW - 2 * kMargin;

QString mmText(double v) {
    QString t = QString::number(v, 'f', 2);
    while (t.endsWith(QLatin1Char('0'))) t.chop(1);
    if (t.endsWith(QLatin1Char('.'))) t.chop(1);
    return t;
}

QString orNone(double v) { return v > 0 ? mmText(v) + QStringLiteral(" mm") : QStringLiteral("なし"); }

void puzzlePage(Sheet& sheet, const Puzzle& p, const SheetContent& content) {
    double y = kMargin;
    const QString title = p.G_sFile_Title.empty() ? QStringLiteral("サンプル") : QString::fromStdString(p.G_sFile_Title);
    y += sheet.text(kMargin, y, kTextW, QStringLiteral("Tessaro パズル・シート　") + title, 16, true) + 3;
    if (!p.G_sComment.empty())
        y += sheet.text(kMargin, y, kTextW, QStringLiteral("コメント：") + QString::fromStdString(p.G_sComment), 11) + 1.5;
    const int boxCells = p.G_iCells_X * p.G_iCells_Y * p.G_iCells_Z;
    y += sheet.text(kMargin, y, kTextW,
                    QStringLiteral("箱：%1 × %2 × %3（%4 セル）").arg(p.G_iCells_X).arg(p.G_iCells_Y).arg(p.G_iCells_Z).arg(boxCells),
                    11) + 1.5;
    y += sheet.text(kMargin, y, kTextW,
                    QStringLiteral("ブロック：%1 個、セル合計 %2").arg(fncPiece_CountUsed(p)).arg(fncPiece_CountAll(p)), 11) + 1.5;
    if (!content.note.empty()) y += sheet.text(kMargin, y, kTextW, QString::fromStdString(content.note), 11) + 1.5;
    const MeshSizes& sz = content.sizes;
    y += sheet.text(kMargin, y, kTextW,
                    QStringLiteral("印刷の設定：キューブ %1 mm、すき間 %2 mm、面取り %3、トレイの壁 %4、造形台 %5 mm 角")
                        .arg(mmText(sz.cubeMm), mmText(sz.clearanceMm), orNone(sz.bevelMm), orNone(sz.trayWallMm),
                             mmText(content.bedMm)),
                    11) + 1.5;
    y += sheet.text(kMargin, y, kTextW,
                    QStringLiteral("各ブロックは正面から見た立体図と、奥（Z=1）から手前への層で示します。"
                                   "大きさは幅 × 高さ × 奥行きで、すき間を除いた印刷の寸法です。"),
                    9, false, QColor(0x50, 0x50, 0x50)) + 4;

    // Two columns, one block per slot.
    constexpr double kSlotW = kTextW / 2, kSlotH = 56, kViewW = 44, kViewH = 38, kSquare = 4;
    int slot = 0;
    for (int b = 0; b < kBlocks; ++b) {
        const int count = fncPiece_Count(p, b);
        if (count == 0) continue;
        const double sx = kMargin + (slot % 2) * kSlotW, sy = y + (slot / 2) * kSlotH;
        ++slot;
        Grid grid;
        ColorGrid colors;
        blockScene(p, b, grid, colors);
        sheet.text(sx, sy, kSlotW, QStringLiteral("■").repeated(1), 12, true, bgr(pieceColor(b + 1, 0)));
        sheet.text(sx + 5, sy, kSlotW - 5, QStringLiteral("ブロック %1（%2 セル）").arg(b + 1).arg(count), 11, true);
        const Vec3 size = blockSizeMm(p, b, sz);
        sheet.text(sx + 5, sy + 5.5, kSlotW - 5,
                   QStringLiteral("%1 × %2 × %3 mm").arg(mmText(size.x), mmText(size.y), mmText(size.z)), 8);
        const double viewH = sheet.view(sx, sy + 10, kViewW, kViewH, grid, colors, kPieceViewParam);
        if (const int parts = blockParts(p, b); parts > 1)
            sheet.text(sx, sy + 11 + viewH, kViewW,
                       QStringLiteral("面でつながっていません。%1 個の部品に分けて印刷します。").arg(parts), 7, false,
                       QColor(0xA0, 0x00, 0x00));
        int ext[3];
        extents(grid, ext);
        // The layers in two columns beside the view.
        const double lx = sx + kViewW + 3, pitch = kSquare * std::max(ext[0], 2) + 4;
        for (int z = 0; z < ext[2]; ++z) {
            const double ox = lx + (z % 2) * pitch, oy = sy + 10 + (z / 2) * (kSquare * ext[1] + 7);
            sheet.text(ox, oy, pitch, QStringLiteral("Z=%1").arg(z + 1), 7);
            sheet.layer(ox, oy + 3.5, kSquare, ext[0], ext[1], z, grid, colors, nullptr);
        }
    }
}

// The loading order into the open box: the side to turn up, and the packing so
// turned with each block numbered by when it goes in.
void assemblyPart(Sheet& sheet, double y, const Puzzle& p, const Grid& numbers) {
    analysis::Packing packing{};
    for (int c = 0; c < kCells; ++c)
        if (numbers[c] > 0) packing[size_t(numbers[c] - 1)] |= uint64_t(1) << c;
    const analysis::AssemblyResult r = analysis::checkAssembly(packing, {p.G_iCells_X, p.G_iCells_Y, p.G_iCells_Z});
    y += sheet.text(kMargin, y, kTextW, QStringLiteral("組み立て順（箱の一面を開けて上から入れる）"), 12, true) + 2;
    if (!r.assemblable) {
        sheet.text(kMargin, y, kTextW,
                   QString::fromStdString("この詰め方は、どの面を上にしても開いた箱に組み立てられません（" +
                                          analysis::upFaceText(r.up) + "を上にすると、" +
                                          analysis::blocksText(r.stuck) + " が入りません）。"),
                   10);
        return;
    }
    std::string order;
    for (const analysis::AssemblyStep& s : r.order)
        order += (order.empty() ? "" : " → ") + std::to_string(s.block + 1) + (s.extra > 0 ? "＊" : "");
    y += sheet.text(kMargin, y, kTextW,
                    QString::fromStdString("上にする面：" + analysis::upFaceText(r.up) + "。入れる順（ブロック番号）：" +
                                           order + (r.dropOnly ? "。どれもまっすぐ落とすだけで入ります。"
                                                               : "。＊ は横に動かして入れるブロックです。")),
                    10) + 2;
    Grid grid{}, steps{};
    ColorGrid colors{};
    for (size_t k = 0; k < r.order.size(); ++k) {
        const int b = r.order[k].block;
        for (uint64_t m = r.packing[size_t(b)]; m != 0; m &= m - 1) {
            const int c = std::countr_zero(m);
            grid[c] = 1;
            steps[c] = static_cast<int16_t>(k + 1);
            for (int shade = 0; shade < 3; ++shade) colors[c + kCells * shade] = pieceColor(b + 1, shade);
        }
    }
    y += sheet.text(kMargin, y, kTextW, QStringLiteral("上にする面を上にした層ごとの配置（数字は入れる順、Z=1 が底）"), 10) + 2;
    constexpr double kSquare = 9;
    const double pitch = kSquare * r.box.x + 8;
    for (int z = 0; z < r.box.z; ++z) {
        const double ox = kMargin + z * pitch;
        sheet.text(ox, y, pitch, QStringLiteral("Z=%1").arg(z + 1), 9);
        sheet.layer(ox, y + 5, kSquare, r.box.x, r.box.y, z, grid, colors, &steps);
    }
}

void answerPage(Sheet& sheet, const Puzzle& p, const std::optional<Puzzle>& packing) {
    double y = kMargin;
    y += sheet.text(kMargin, y, kTextW, QStringLiteral("詰め方（解答）"), 16, true) + 4;
    if (!packing) {
        sheet.text(kMargin, y, kTextW, QStringLiteral("自動移動では詰め方が見つかりませんでした。"), 11);
        return;
    }
    const Puzzle& q = *packing;
    // The loader leaves the block numbers to the colours; read them back from there.
    Grid numbers{};
    for (int c = 0; c < kCells; ++c)
        for (int n = 1; n <= kBlocks; ++n)
            if (q.G_iBox[c] && q.G_lBox_Color[c] == pieceColor(n, 0)) numbers[c] = static_cast<int16_t>(n);
    y += sheet.view(kMargin + 20, y, 140, 130, q.G_iBox, q.G_lBox_Color, mainViewParam(120, 120)) + 6;
    y += sheet.text(kMargin, y, kTextW, QStringLiteral("層ごとの配置（数字はブロック番号、Z=1 が奥）"), 10) + 2;
    constexpr double kSquare = 9;
    const double pitch = kSquare * p.G_iCells_X + 8;
    for (int z = 0; z < p.G_iCells_Z; ++z) {
        const double ox = kMargin + z * pitch;
        sheet.text(ox, y, pitch, QStringLiteral("Z=%1").arg(z + 1), 9);
        sheet.layer(ox, y + 5, kSquare, p.G_iCells_X, p.G_iCells_Y, z, q.G_iBox, q.G_lBox_Color, &numbers);
    }
    y += 5 + kSquare * p.G_iCells_Y + 8;
    assemblyPart(sheet, y, p, numbers);
}

// The writer stamps the sheet with the clock; the stamp becomes the export's
// date (exportEpoch), in place and at the same length, so the file's offsets hold.
void fixCreationDate(std::string& pdf) {
    const std::string key = "/CreationDate (D:";
    const size_t at = pdf.find(key);
    if (at == std::string::npos) return;
    const size_t digits = at + key.size(), close = pdf.find(')', digits);
    if (close == std::string::npos || close < digits + 14) return;
    const std::time_t t = static_cast<std::time_t>(exportEpoch());
    std::tm tm{};
    gmtime_r(&t, &tm);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d%02d%02d%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                  tm.tm_hour, tm.tm_min, tm.tm_sec);
    pdf.replace(digits, 14, stamp, 14);
    // The zone: "Z" or "+HH'mm'" as written; UTC either way.
    const size_t zone = digits + 14, zoneLength = close - zone;
    if (zoneLength == 1)
        pdf[zone] = 'Z';
    else if (zoneLength == 7)
        pdf.replace(zone, 7, "+00'00'");
}

}  // namespace

bool QtPictureRenderer::renderPng(const Grid& grid, const ColorGrid& colors, const ViewParam& view, int width,
                                  bool transparent, std::string& bytes, std::string& error) {
    const QRectF content = contentOf(grid, colors, view);
    const int height = std::max(1, static_cast<int>(std::lround(width * content.height() / content.width())));
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(transparent ? QColor(Qt::transparent) : QColor(Qt::white));
    {
        QPainter painter(&image);
        drawView(painter, QRectF(0, 0, width, height), grid, colors, view);
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        error = "画像を作れませんでした。";
        return false;
    }
    bytes.assign(buffer.data().constData(), static_cast<size_t>(buffer.data().size()));
    return true;
}

bool QtPictureRenderer::renderSheet(const Puzzle& puzzle, const std::optional<std::optional<Puzzle>>& answer,
                                    const SheetContent& content, std::string& bytes, std::string& error) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setResolution(300);
    writer.setTitle(QStringLiteral("Tessaro パズル・シート"));
    writer.setCreator(QStringLiteral("Tessaro"));
    Sheet sheet(writer);
    if (!sheet.active()) {
        error = "PDF を作れませんでした。";
        return false;
    }
    puzzlePage(sheet, puzzle, content);
    if (answer) {
        sheet.newPage();
        answerPage(sheet, puzzle, *answer);
    }
    if (!sheet.finish()) {
        error = "PDF を作れませんでした。";
        return false;
    }
    bytes.assign(buffer.data().constData(), static_cast<size_t>(buffer.data().size()));
    fixCreationDate(bytes);
    return true;
}

GuiSession::GuiSession() {
    if (QCoreApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "tessaro-cli";
    static char* argv[] = {name, nullptr};
    // The platform's notes (no runtime folder, fonts) are no concern of the command line's user.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg) fprintf(stderr, "%s\n", qPrintable(text));
    });
    app_ = std::make_unique<QGuiApplication>(argc, argv);
}

GuiSession::~GuiSession() {
    if (!app_) return;
    app_.reset();
    qInstallMessageHandler(nullptr);
}

}  // namespace tessaro
