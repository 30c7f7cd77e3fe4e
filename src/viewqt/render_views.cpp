// Renders the cube view offscreen to PNG files, to look at the drawing:
// each sample block in the block view, and filled boxes from several directions.
//   tessaro-render-views [OUT_DIR]

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <vector>

#include "model/Puzzle.h"
#include "view/CubeView.h"
#include "viewqt/CubePicture.h"

using namespace tessaro;

namespace {

struct Cell {
    int x, y, z;
};

// The built-in sample's seven blocks, in their made orientation.
const std::vector<std::vector<Cell>> kSampleBlocks = {
    {{0, 0, 0}, {0, 1, 0}, {0, 1, 1}, {0, 1, 2}, {1, 1, 0}},
    {{0, 0, 0}, {0, 0, 1}, {0, 1, 0}, {0, 2, 0}, {1, 0, 0}},
    {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {1, 0, 2}, {1, 1, 0}},
    {{0, 0, 1}, {1, 0, 0}, {1, 0, 1}, {1, 1, 1}},
    {{0, 0, 2}, {1, 1, 0}},
    {{0, 0, 0}, {0, 1, 1}},
    {{0, 1, 0}, {1, 0, 0}, {1, 1, 0}, {1, 2, 0}},
};

void paintCell(Grid& g, ColorGrid& c, int x, int y, int z, int number) {
    g[cellIndex(x, y, z)] = 1;
    for (int s = 0; s < 3; ++s) c[colorIndex(x, y, z, s)] = pieceColor(number, s);
}

struct Shot {
    QString name;
    QImage image;
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(outDir);

    const QColor background(0xEF, 0xEF, 0xEF);
    const QColor ink(Qt::black);
    QFont font;
    font.setPixelSize(12);
    std::vector<Shot> shots;
    auto shoot = [&](const QString& name, const Grid& g, const ColorGrid& c, const ViewParam& v) {
        shots.push_back({name, renderCubeImage(g, c, v, background, ink, font)});
    };

    for (size_t b = 0; b < kSampleBlocks.size(); ++b) {
        Grid g{};
        ColorGrid c{};
        for (const Cell& cell : kSampleBlocks[b]) paintCell(g, c, cell.x, cell.y, cell.z, static_cast<int>(b) + 1);
        shoot(QStringLiteral("block%1").arg(b + 1), g, c, kPieceViewParam);
    }

    // A 3x3x3 box filled in layers of block colours, and the whole 4x4x4 space in one colour.
    Grid box{};
    ColorGrid boxColors{};
    for (int z = 0; z < 3; ++z)
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 3; ++x) paintCell(box, boxColors, x, y, z, 1 + (x + y * 3 + z * 2) % 7 + 1);
    Grid full{};
    ColorGrid fullColors{};
    for (int i = 0; i < kCells; ++i) paintCell(full, fullColors, i % 4, i / 4 % 4, i / 16, 3);

    const struct {
        const char* name;
        int hscDX, vscDY;
    } directions[] = {
        {"start", 120, 120},      {"o-pos_m-pos", -120, 120}, {"o-neg_m-neg", 120, -120},
        {"o-pos_m-neg", -120, -120}, {"zero", 0, 120},         {"flat", 400, 60},
        {"steep", -60, 500},
    };
    for (const auto& d : directions) {
        shoot(QStringLiteral("box333_%1").arg(d.name), box, boxColors, mainViewParam(d.hscDX, d.vscDY));
        shoot(QStringLiteral("box444_%1").arg(d.name), full, fullColors, mainViewParam(d.hscDX, d.vscDY));
    }
    shoot(QStringLiteral("empty_start"), Grid{}, ColorGrid{}, mainViewParam(120, 120));

    // One sheet with everything, labelled.
    const int cols = 4;
    const QSize cell = shots.front().image.size() + QSize(8, 24);
    QImage sheet(cell.width() * cols, cell.height() * ((static_cast<int>(shots.size()) + cols - 1) / cols),
                 QImage::Format_RGB32);
    sheet.fill(Qt::white);
    {
        QPainter p(&sheet);
        p.setFont(font);
        for (size_t i = 0; i < shots.size(); ++i) {
            const QPoint at(static_cast<int>(i % cols) * cell.width() + 4,
                            static_cast<int>(i / cols) * cell.height() + 20);
            p.drawText(at - QPoint(0, 6), shots[i].name);
            p.drawImage(at, shots[i].image);
        }
    }

    bool ok = true;
    for (const Shot& s : shots) ok = s.image.save(outDir + "/" + s.name + ".png") && ok;
    ok = sheet.save(outDir + "/sheet.png") && ok;
    std::printf("%zu views written to %s\n", shots.size(), qPrintable(outDir));
    return ok ? 0 : 1;
}
