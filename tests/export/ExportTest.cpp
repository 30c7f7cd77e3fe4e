// The whole export as the window and tessaro-cli run it: the sheet's pages,
// the answer behind its password, and nothing left behind when a step fails.
#include "ExportTempDir.h"
#include "export/Export.h"
#include "export/qt/QtPictures.h"
#include "model/Figure.h"

#include <QImage>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

using namespace tessaro;
using test::TempDir;
namespace fs = std::filesystem;

namespace {

// Pages as poppler reads them, or -1 when it cannot read the file.
int pdfPages(const std::string& path) {
    const std::string cmd = "pdfinfo '" + path + "' 2>/dev/null";
    FILE* f = popen(cmd.c_str(), "r");
    if (!f) return -1;
    char line[256];
    int pages = -1;
    while (fgets(line, sizeof line, f))
        if (std::sscanf(line, "Pages: %d", &pages) == 1) break;
    pclose(f);
    return pages;
}

class ExportTest : public ::testing::Test {
protected:
    GuiSession gui;
    QtPictureRenderer pictures;
};

}  // namespace

TEST_F(ExportTest, SheetHasTheAnswerPageOnlyWhenAskedAndAllowed) {
    TempDir dir;
    ExportRequest r;
    r.pdfFile = dir / "sheet.pdf";
    ExportOutcome out = exportPuzzle(buildSamplePuzzle(), r, &pictures);
    ASSERT_EQ(out.status, ExportStatus::Written) << out.message;
    EXPECT_EQ(pdfPages(r.pdfFile), 1);

    r.withAnswer = true;
    out = exportPuzzle(buildSamplePuzzle(), r, &pictures);
    ASSERT_EQ(out.status, ExportStatus::Written) << out.message;
    EXPECT_TRUE(out.packingShown);
    EXPECT_EQ(pdfPages(r.pdfFile), 2);

    // With an answer password: refused without it and with a wrong one, and the
    // sheet already there stays as it was.
    Puzzle locked = buildSamplePuzzle();
    locked.G_sPassword = "open";
    const auto before = fs::last_write_time(r.pdfFile);
    EXPECT_EQ(exportPuzzle(locked, r, &pictures).status, ExportStatus::Refused);
    r.password = "shut";
    EXPECT_EQ(exportPuzzle(locked, r, &pictures).status, ExportStatus::Refused);
    EXPECT_EQ(fs::last_write_time(r.pdfFile), before);
    r.password = " open ";
    ASSERT_EQ(exportPuzzle(locked, r, &pictures).status, ExportStatus::Written);
    EXPECT_EQ(pdfPages(r.pdfFile), 2);
}

TEST_F(ExportTest, BoxPictureShowsAPackingOnlyBehindThePassword) {
    TempDir dir;
    ExportRequest r;
    r.pngDir = dir / "png";
    r.pngWidth = 300;
    r.transparentPng = true;
    Puzzle locked = buildSamplePuzzle();
    locked.G_sPassword = "open";
    ExportOutcome out = exportPuzzle(locked, r, &pictures);
    ASSERT_EQ(out.status, ExportStatus::Written) << out.message;
    EXPECT_FALSE(out.packingShown);
    EXPECT_EQ(out.written.size(), 8u);  // seven blocks and the box
    const QImage emptyBox(QString::fromStdString(r.pngDir + "/box.png"));
    EXPECT_EQ(emptyBox.width(), 300);
    EXPECT_EQ(emptyBox.pixelColor(0, 0).alpha(), 0);

    r.password = "open";
    out = exportPuzzle(locked, r, &pictures);
    EXPECT_TRUE(out.packingShown);
    const QImage packed(QString::fromStdString(r.pngDir + "/box.png"));
    // The packed box covers pixels the empty frame leaves clear.
    int differ = 0;
    for (int y = 0; y < packed.height(); ++y)
        for (int x = 0; x < packed.width(); ++x) differ += packed.pixel(x, y) != emptyBox.pixel(x, y);
    EXPECT_GT(differ, packed.width() * packed.height() / 10);
}

TEST_F(ExportTest, AFailedStepLeavesNoFileBehind) {
    TempDir dir;
    {
        std::ofstream(dir / "all.3mf") << "old";
    }
    ExportRequest r;
    r.stlDir = dir / "stl";
    r.threeMfFile = dir / "all.3mf";
    r.pngDir = dir / "png";
    r.pdfFile = dir / "all.3mf/sheet.pdf";  // its folder would have to be a file
    const ExportOutcome out = exportPuzzle(buildSamplePuzzle(), r, &pictures);
    EXPECT_EQ(out.status, ExportStatus::Failed);
    EXPECT_NE(out.message.find("フォルダではありません"), std::string::npos) << out.message;
    // No STL or PNG folder, no temporary file, and the old 3MF file unchanged.
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"all.3mf"});
    std::ifstream in(dir / "all.3mf");
    std::string text;
    in >> text;
    EXPECT_EQ(text, "old");

    // Folders missing on the way are made, as mkdir -p does.
    r.stlDir = dir / "new/stl";
    r.pdfFile = dir / "new/sheets/sheet.pdf";
    r.threeMfFile.clear();
    r.pngDir.clear();
    EXPECT_EQ(exportPuzzle(buildSamplePuzzle(), r, &pictures).status, ExportStatus::Written);
    EXPECT_TRUE(fs::exists(dir / "new/stl/block7.stl"));
    EXPECT_EQ(pdfPages(dir / "new/sheets/sheet.pdf"), 1);
}

TEST_F(ExportTest, RequestsThatCannotBeMetAreRefusedBeforeWriting) {
    TempDir dir;
    ExportRequest r;
    EXPECT_EQ(exportPuzzle(buildSamplePuzzle(), r, &pictures).status, ExportStatus::Refused);  // nothing asked
    r.stlDir = dir / "stl";
    r.sizes.cubeMm = -5;
    EXPECT_EQ(exportPuzzle(buildSamplePuzzle(), r, &pictures).status, ExportStatus::Refused);
    r.sizes = MeshSizes{};
    EXPECT_EQ(exportPuzzle(Puzzle{}, r, &pictures).status, ExportStatus::Refused);  // no blocks
    r.pngDir = dir / "png";
    EXPECT_EQ(exportPuzzle(buildSamplePuzzle(), r, nullptr).status, ExportStatus::Refused);  // no painter
    EXPECT_TRUE(dir.entries().empty());
}

TEST(AnswerDigits, EveryBlockColourGetsADigitColourOfContrastAtLeast4_5) {
    auto luminance = [](int32_t bgr) {
        double sum = 0;
        const double weight[3] = {0.2126, 0.7152, 0.0722};
        for (int i = 0; i < 3; ++i) {
            const double c = ((bgr >> (8 * i)) & 0xFF) / 255.0;
            sum += weight[i] * (c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
        }
        return sum;
    };
    for (int n = 1; n <= 8; ++n) {
        const int32_t fill = pieceColor(n, 0);
        const double a = luminance(fill), b = luminance(textColorOn(fill));
        EXPECT_GE((std::max(a, b) + 0.05) / (std::min(a, b) + 0.05), 4.5) << "block " << n;
    }
    EXPECT_EQ(textColorOn(0xFF0000), 0xFFFFFF);  // pure blue: white digits
    EXPECT_EQ(textColorOn(0x00FFFF), 0x000000);  // yellow: black digits
}
