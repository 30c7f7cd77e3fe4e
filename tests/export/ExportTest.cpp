// The whole export as the window and tessaro-cli run it: the sheet's pages,
// the answer behind its password, and nothing left behind when a step fails.
#include "ExportTempDir.h"
#include "export/Export.h"
#include "export/qt/QtPictures.h"
#include "model/Figure.h"

#include <QImage>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
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

std::string bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string pageText(const std::string& pdf, int page) {
    std::string out;
    const std::string cmd = "pdftotext -layout -f " + std::to_string(page) + " -l " + std::to_string(page) + " '" + pdf + "' - 2>/dev/null";
    if (FILE* f = popen(cmd.c_str(), "r")) {
        char buf[4096];
        for (size_t n; (n = fread(buf, 1, sizeof buf, f)) > 0;) out.append(buf, n);
        pclose(f);
    }
    return out;
}

// The DOS dates of every local header in a zip: (year, month, day, hour, minute).
std::vector<std::array<int, 5>> zipDates(const std::string& zip) {
    std::vector<std::array<int, 5>> out;
    for (size_t at = 0; at + 30 <= zip.size() && zip.compare(at, 4, "PK\x03\x04") == 0;) {
        auto u16 = [&](size_t o) { return int(uint8_t(zip[at + o])) | int(uint8_t(zip[at + o + 1])) << 8; };
        auto u32 = [&](size_t o) { return size_t(u16(o)) | size_t(u16(o + 2)) << 16; };
        const int time = u16(10), date = u16(12);
        out.push_back({1980 + (date >> 9), (date >> 5) & 15, date & 31, time >> 11, (time >> 5) & 63});
        at += 30 + size_t(u16(26)) + size_t(u16(28)) + u32(18);
    }
    return out;
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

TEST_F(ExportTest, ASecondExportIsByteForByteTheSame) {
    TempDir one, two;
    auto request = [](const TempDir& dir) {
        ExportRequest r;
        r.stlDir = dir / "stl";
        r.threeMfFile = dir / "all.3mf";
        r.pngDir = dir / "png";
        r.pdfFile = dir / "sheet.pdf";
        r.withAnswer = true;
        r.sizes.trayWallMm = 2;
        r.sheetNote = "難易度 3 / 10";
        return r;
    };
    unsetenv("SOURCE_DATE_EPOCH");
    ASSERT_EQ(exportPuzzle(buildSamplePuzzle(), request(one), &pictures).status, ExportStatus::Written);
    ASSERT_EQ(exportPuzzle(buildSamplePuzzle(), request(two), &pictures).status, ExportStatus::Written);
    const std::vector<std::string> files = exportTargets(buildSamplePuzzle(), request(one));
    ASSERT_EQ(files.size(), 7u + 2u + 1u + 1u + 8u + 1u);  // blocks 5 and 6 in two pieces, tray, 3MF, PNGs, PDF
    for (const std::string& file : files) {
        const std::string name = file.substr(one.path().size());
        EXPECT_EQ(bytesOf(file), bytesOf(two.path() + name)) << name;
    }
    // The zip's entries carry a date a zip can hold: the first it can, or SOURCE_DATE_EPOCH's.
    const auto dates = zipDates(bytesOf(one / "all.3mf"));
    ASSERT_EQ(dates.size(), 3u);
    for (const auto& d : dates) EXPECT_EQ(d, (std::array<int, 5>{1980, 1, 1, 0, 0}));
    setenv("SOURCE_DATE_EPOCH", "1700000000", 1);  // 2023-11-14 22:13:20 UTC
    ASSERT_EQ(exportPuzzle(buildSamplePuzzle(), request(two), &pictures).status, ExportStatus::Written);
    unsetenv("SOURCE_DATE_EPOCH");
    EXPECT_EQ(zipDates(bytesOf(two / "all.3mf")).at(0), (std::array<int, 5>{2023, 11, 14, 22, 13}));
    EXPECT_NE(bytesOf(one / "sheet.pdf").find("/CreationDate (D:19800101000000"), std::string::npos);
    EXPECT_NE(bytesOf(two / "sheet.pdf").find("/CreationDate (D:20231114221320"), std::string::npos);
}

TEST_F(ExportTest, TheSheetStatesThePrintSettingsAndEachBlocksSize) {
    TempDir dir;
    ExportRequest r;
    r.pdfFile = dir / "sheet.pdf";
    r.sizes = {12, 0.25, 0, 1};
    r.bedMm = 180;
    ASSERT_EQ(exportPuzzle(buildSamplePuzzle(), r, &pictures).status, ExportStatus::Written);
    const std::string text = pageText(r.pdfFile, 1);
    EXPECT_NE(text.find("印刷の設定：キューブ 12 mm、すき間 0.25 mm、面取り 1 mm、トレイの壁 なし、造形台 180 mm 角"),
              std::string::npos)
        << text;
    // Block 1 of the sample: five cells within 2 × 2 × 3.
    EXPECT_NE(text.find("ブロック 1（5 セル）"), std::string::npos) << text;
    EXPECT_NE(text.find("23.5 × 23.5 × 35.5 mm"), std::string::npos) << text;
}

TEST_F(ExportTest, PicturesAreCroppedToWhatTheyShow) {
    TempDir dir;
    ExportRequest r;
    r.pngDir = dir / "png";
    r.pngWidth = 400;
    r.transparentPng = true;
    ASSERT_EQ(exportPuzzle(buildSamplePuzzle(), r, &pictures).status, ExportStatus::Written);
    for (const char* name : {"block1.png", "box.png"}) {
        const QImage image(QString::fromStdString(dir / "png/" + name));
        ASSERT_FALSE(image.isNull()) << name;
        int top = image.height(), bottom = -1, left = image.width(), right = -1;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y).alpha() != 0) {
                    top = std::min(top, y), bottom = std::max(bottom, y);
                    left = std::min(left, x), right = std::max(right, x);
                }
        // A few pixels of room at each side, no more.
        EXPECT_LE(top, 12) << name;
        EXPECT_GE(bottom, image.height() - 12) << name;
        EXPECT_LE(left, 12) << name;
        EXPECT_GE(right, image.width() - 12) << name;
    }
}

TEST_F(ExportTest, ALayoutThatDoesNotFitIsRefusedNamingWhatDoesNot) {
    TempDir dir;
    ExportRequest r;
    r.threeMfFile = dir / "all.3mf";
    r.stlDir = dir / "stl";
    r.sizes.cubeMm = 40;
    r.bedMm = 150;
    const ExportOutcome out = exportPuzzle(buildSamplePuzzle(), r, &pictures);
    EXPECT_EQ(out.status, ExportStatus::Refused);
    EXPECT_TRUE(out.message.starts_with("3MF の部品が 150 mm 角の造形台（縁の余白 5 mm）に収まりません。並べきれない部品：ブロック "))
        << out.message;
    EXPECT_NE(out.message.find(" mm 角以上の造形台が要ります。"), std::string::npos) << out.message;
    EXPECT_TRUE(dir.entries().empty());
    // A part larger than the bed is named with its size.
    r.bedMm = 60;
    EXPECT_EQ(exportPuzzle(buildSamplePuzzle(), r, &pictures).message,
              "3MF の部品が 60 mm 角の造形台（縁の余白 5 mm）に収まりません。造形台より大きい部品：ブロック 1（119.6 × 79.6 mm）、"
              "ブロック 2（119.6 × 79.6 mm）、ブロック 3（119.6 × 79.6 mm）、ブロック 4（79.6 × 79.6 mm）、"
              "ブロック 7（119.6 × 79.6 mm）。全部を並べるには 304 mm 角以上の造形台が要ります。");
    EXPECT_TRUE(dir.entries().empty());
    // STL alone has no layout to refuse: written, with the parts too large named.
    r.threeMfFile.clear();
    const ExportOutcome stl = exportPuzzle(buildSamplePuzzle(), r, &pictures);
    ASSERT_EQ(stl.status, ExportStatus::Written) << stl.message;
    EXPECT_NE(std::find(stl.warnings.begin(), stl.warnings.end(),
                        "ブロック 1（119.6 × 79.6 mm）は 60 mm 角の造形台（縁の余白 5 mm）に載りません。"),
              stl.warnings.end());
}
