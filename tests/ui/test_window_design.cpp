// The designer in the window, offscreen: a search found and adopted, its
// cancel, the count's rating and its nearest unique variant adopted.

#include "WindowFixture.h"
#include "../analysis/AnalysisTestUtil.h"

#include "analysis/PackingAnalysis.h"
#include "model/Figure.h"
#include "design/Designer.h"
#include "ui/DesignDialog.h"
#include "ui/UndoHistory.h"
#include "viewqt/CubePicture.h"
#include "app/Ini.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>
#include <QTemporaryDir>

#include <bit>

namespace tessaro::test {
namespace {

class DesignTest : public WindowTest {
protected:
    void SetUp() override {
        activate();
        // Each test starts from the default fields, whatever an earlier run left in Init.ini.
        saveDesignFields(DesignFields(), false, settingsFile());
        saveDesignFields(DesignFields(), true, settingsFile());
    }

    DesignDialog* dialog() { return static_cast<DesignDialog*>(w.designDialog()); }
    template <class T>
    T* in(const char* name) {
        T* p = dialog()->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(p, nullptr) << name;
        return p;
    }
    void set(const char* spin, int value) { in<QSpinBox>(spin)->setValue(value); }
    void press(const char* name) { in<QPushButton>(name)->click(); }
    static bool waitFor(const std::function<bool()>& done, int ms = 60000) {
        QElapsedTimer t;
        t.start();
        while (!done() && t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 5);
        return done();
    }
    // The blocks of the puzzle in hand where they were made.
    static design::Blocks madeBlocks(const Puzzle& p) {
        design::Blocks out{};
        for (int b = 0; b < kBlocks; ++b)
            for (int c = 0; c < kCells; ++c)
                if (p.G_iPiece_Made[b + kBlocks * c] != 0) out[size_t(b)] |= uint64_t(1) << c;
        return out;
    }
    void expectAdopted(const design::Design& d) {
        EXPECT_EQ(madeBlocks(w.m_puzzle), d.blocks);
        EXPECT_EQ(w.m_puzzle.G_iPiece, w.m_puzzle.G_iPiece_Made);
        EXPECT_TRUE(w.m_bMadeUnsaved);
        EXPECT_TRUE(w.m_sFile_Path.empty());
        EXPECT_TRUE(w.m_puzzle.G_sPassword.empty());
        EXPECT_EQ(w.history().count(), 0);
        EXPECT_EQ(w.stsBar_Panel(2)->text(), QStringLiteral("プレイ・モード"));
    }
};

TEST_F(DesignTest, FoundPuzzleIsAdoptedAsAMakersEndLeavesIt) {
    choose(1);
    click("cmdLoad");  // a step the new puzzle must not lead back into
    action("mnuToolDesign")->trigger();
    ASSERT_NE(dialog(), nullptr);
    // Fields that cannot be met: said, nothing searched.
    set("spnBoxX", 2); set("spnBoxY", 2); set("spnBoxZ", 2); set("spnBlocks", 3); set("spnMinCells", 3);
    press("cmdDesignSearch");
    EXPECT_TRUE(dialog()->idle());
    EXPECT_EQ(in<QLabel>("lblDesignProgress")->text().toStdString(),
              "この箱と空きセルの数では、ブロック 3 個を 3〜8 セルにできません。");

    set("spnBoxZ", 3); set("spnMinCells", 2); set("spnCount", 2);
    in<QLineEdit>("txtDesignSeed")->setText(QStringLiteral("99999999999999999999"));  // past 64 bits
    press("cmdDesignSearch");
    EXPECT_TRUE(dialog()->idle());
    EXPECT_TRUE(in<QLabel>("lblDesignProgress")->text().startsWith(QStringLiteral("乱数の種は、0 から 18446744073709551615 までの")));
    dialog()->setSeed(7);
    press("cmdDesignSearch");
    ASSERT_TRUE(waitFor([&] { return dialog()->idle(); }));
    const auto designs = dialog()->designs();
    ASSERT_EQ(designs.size(), 2u) << in<QLabel>("lblDesignProgress")->text().toStdString();
    // The seed is shown with what it found, and the command line makes the same puzzles again.
    EXPECT_TRUE(in<QLabel>("lblDesignProgress")->text().contains(QStringLiteral("\n乱数の種 7")));
    EXPECT_TRUE(in<QLabel>("lblDesignChosen")->text().contains(QStringLiteral("乱数の種 7")));
    design::DesignRequest again = dialog()->fields().request;
    EXPECT_EQ(again.seed, 7u);
    EXPECT_EQ(in<QLineEdit>("txtDesignCommand")->text().toStdString(), designCommand(again));
    EXPECT_NE(designCommand(again).find("--box 2x2x3 --blocks 3 --min-cells 2 "), std::string::npos);
    EXPECT_NE(designCommand(again).find(" --count 2 --seconds 60 --seed 7 "), std::string::npos);
    again.threads = 1;
    const design::DesignResult cli = design::designPuzzles(again);
    ASSERT_EQ(cli.designs.size(), designs.size());
    for (size_t i = 0; i < designs.size(); ++i) EXPECT_EQ(cli.designs[i].blocks, designs[i].blocks) << i;
    auto* list = in<QListWidget>("lstDesigns");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->currentRow(), 0);
    // Each entry: the rating out of ten with its meaning, and the blocks' sizes.
    for (int i = 0; i < 2; ++i) {
        const std::string text = list->item(i)->text().toStdString();
        EXPECT_TRUE(text.starts_with(std::to_string(i + 1) + ". 難易度 " + std::to_string(designs[size_t(i)].difficulty.rating) +
                                     " / 10："))
            << text;
        EXPECT_NE(text.find("\nブロック 3 個："), std::string::npos) << text;
    }
    EXPECT_TRUE(in<CubePicture>("pictDesign")->hasScene());
    EXPECT_TRUE(in<QLabel>("lblDesignProgress")->text().startsWith(QStringLiteral("見つけた数 2")));

    list->setCurrentRow(1);
    press("cmdDesignAdopt");
    ASSERT_TRUE(waitFor([&] { return dialog() == nullptr; }));
    expectAdopted(designs[1]);
    EXPECT_EQ(w.m_puzzle.G_iCells_Z, 3);
    EXPECT_EQ(text("lblSum"), QStringLiteral("0 : 12"));
    EXPECT_EQ(analysis::PackingAnalysis(w.m_puzzle).count({}).distinctUnlabelled, 1u);

    // Adopting over a made puzzle not saved asks first; Cancel keeps it, and the fields were kept.
    action("mnuToolDesign")->trigger();
    ASSERT_NE(dialog(), nullptr);
    EXPECT_EQ(in<QSpinBox>("spnBoxZ")->value(), 3);
    // An empty seed draws a fresh one each search, and says which.
    in<QLineEdit>("txtDesignSeed")->clear();
    press("cmdDesignSearch");
    ASSERT_TRUE(waitFor([&] { return dialog()->idle(); }));
    ASSERT_FALSE(dialog()->designs().empty());
    const uint64_t drawn = dialog()->designs()[0].seed;
    EXPECT_TRUE(in<QLabel>("lblDesignChosen")->text().contains(QStringLiteral("乱数の種 ") + QString::number(drawn)));
    const Puzzle before = w.m_puzzle;
    dlg.clear();
    dlg.answerMessage(MsgResult::Cancel);
    press("cmdDesignAdopt");
    ASSERT_EQ(messages().size(), 1u);
    expectMessage(messages()[0], "パズルの自動作成", "作成したパズルを保存しますか？", MsgIcon::Question,
                  MsgButtons::YesNoCancel);
    EXPECT_EQ(w.m_puzzle, before);
    EXPECT_NE(dialog(), nullptr);
}

TEST_F(DesignTest, CancelStopsTheSearchAtOnceAndEntriesFollowTheWindow) {
    action("mnuToolDesign")->trigger();
    ASSERT_NE(dialog(), nullptr);
    // Rating 10 is out of reach for a full 4x4x4 box: it would run for ten minutes.
    set("spnBoxX", 4); set("spnBoxY", 4); set("spnBoxZ", 4); set("spnBlocks", 8);
    set("spnMinRating", 10); set("spnCount", 20); set("spnSeconds", 600);
    dialog()->setSeed(5);
    press("cmdDesignSearch");
    EXPECT_FALSE(in<QPushButton>("cmdDesignSearch")->isEnabled());
    EXPECT_FALSE(in<QSpinBox>("spnBlocks")->isEnabled());
    ASSERT_TRUE(waitFor([&] { return in<QLabel>("lblDesignProgress")->text().startsWith(QStringLiteral("探しています…")); }));
    press("cmdDesignStop");
    ASSERT_TRUE(waitFor([&] { return dialog()->idle(); }, 20000));
    EXPECT_TRUE(in<QLabel>("lblDesignProgress")->text().contains(QStringLiteral("中止しました。")))
        << in<QLabel>("lblDesignProgress")->text().toStdString();
    EXPECT_TRUE(in<QPushButton>("cmdDesignSearch")->isEnabled());
    EXPECT_FALSE(in<QPushButton>("cmdDesignAdopt")->isEnabled());
    dialog()->close();
    ASSERT_TRUE(waitFor([&] { return dialog() == nullptr; }));

    // Off while a maker runs.
    dlg.answerMessage(MsgResult::Yes);
    w.frmInput_Show = [](Puzzle& p) {
        p.G_iCells_X = p.G_iCells_Y = p.G_iCells_Z = 2;
        return true;
    };
    action("mnuMake")->trigger();
    ASSERT_TRUE(action("mnuMake")->isChecked());
    EXPECT_FALSE(action("mnuToolDesign")->isEnabled());
    w.mnuToolDesign_Click();  // reached otherwise, it still refuses
    EXPECT_EQ(dialog(), nullptr);
}

TEST_F(DesignTest, HardestSearchUsesTheWholeTimeAndBothChoicesAreKept) {
    action("mnuToolDesign")->trigger();
    ASSERT_NE(dialog(), nullptr);
    set("spnBoxX", 3); set("spnBoxY", 3); set("spnBoxZ", 2); set("spnBlocks", 4);
    set("spnCount", 2); set("spnSeconds", 2);
    in<QCheckBox>("chkHardest")->setChecked(true);
    in<QCheckBox>("chkAssemblable")->setChecked(true);
    press("cmdDesignSearch");
    EXPECT_FALSE(in<QCheckBox>("chkHardest")->isEnabled());
    ASSERT_TRUE(waitFor([&] { return dialog()->idle(); }));
    ASSERT_FALSE(dialog()->designs().empty()) << in<QLabel>("lblDesignProgress")->text().toStdString();
    for (const design::Design& d : dialog()->designs()) EXPECT_GE(d.assemblyLevel, 0);
    EXPECT_TRUE(in<QLineEdit>("txtDesignCommand")->text().endsWith(QStringLiteral(" --out designs")));
    EXPECT_TRUE(in<QLineEdit>("txtDesignCommand")->text().contains(QStringLiteral(" --assemblable --hardest ")));
    dialog()->close();
    ASSERT_TRUE(waitFor([&] { return dialog() == nullptr; }));
    action("mnuToolDesign")->trigger();
    ASSERT_NE(dialog(), nullptr);
    EXPECT_TRUE(in<QCheckBox>("chkHardest")->isChecked());
    EXPECT_TRUE(in<QCheckBox>("chkAssemblable")->isChecked());
}

TEST_F(DesignTest, CountShowsTheRatingAndOffersTheNearestUniqueVariant) {
    // The sample: no password, so its count offers the variants; the rating follows the verdict.
    action("mnuAnalysisCount")->trigger();
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].action, "唯一解に近づける…");
    EXPECT_NE(messages()[0].text.find("唯一解ではありません。\r\n"), std::string::npos) << messages()[0].text;
    EXPECT_TRUE(messages()[0].text.ends_with("\r\n難易度 1 / 10：ほぼ一本道（詰め方一つに探索 13 手）"))
        << messages()[0].text;
    EXPECT_EQ(dialog(), nullptr);

    // A file's puzzle with a password offers nothing until it was given.
    w.m_puzzle.G_sPassword = "Secret1";
    w.m_sFile_Path = "/tmp/x.bin";
    dlg.clear();
    action("mnuAnalysisCount")->trigger();
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].action, "");

    // Two bars and two Ls made here, in a 3x2x2 box: several packings, the offer taken.
    const Puzzle made = makePuzzle(3, 2, 2,
                                   {{{0, 0, 0}, {1, 0, 0}, {2, 0, 0}},
                                    {{0, 1, 0}, {1, 1, 0}, {2, 1, 0}},
                                    {{0, 0, 1}, {1, 0, 1}, {0, 1, 1}},
                                    {{2, 0, 1}, {1, 1, 1}, {2, 1, 1}}});
    w.adoptMadePuzzle(made);
    w.m_puzzle.G_sPassword = "Later";  // as Save As gives it: a puzzle made here still qualifies
    dlg.clear();
    dlg.answerAction(true);
    action("mnuAnalysisCount")->trigger();
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].action, "唯一解に近づける…");
    ASSERT_NE(dialog(), nullptr);
    EXPECT_TRUE(dialog()->nearest());
    const int openHeight = dialog()->height();
    ASSERT_TRUE(waitFor([&] { return dialog()->idle() && !dialog()->designs().empty(); }));
    const design::Design variant = dialog()->designs().front();
    // Its lines and the moves listed leave the dialog as high as it opened.
    QApplication::processEvents();
    EXPECT_EQ(dialog()->height(), openHeight);
    ASSERT_FALSE(variant.moves.empty());
    // The chosen variant's moves are listed cell by cell and drawn apart.
    const QString chosen = in<QLabel>("lblDesignChosen")->text();
    for (const design::CellMove& m : variant.moves)
        EXPECT_TRUE(chosen.contains(QString::fromStdString(moveText(m)))) << chosen.toStdString();
    EXPECT_TRUE(in<CubePicture>("pictDesignMoves")->hasScene());

    dlg.clear();
    dlg.answerMessage(MsgResult::No);  // the made puzzle is not saved first
    press("cmdDesignAdopt");
    ASSERT_TRUE(waitFor([&] { return dialog() == nullptr; }));
    expectAdopted(variant);
    // The variant keeps the blocks' numbers, so their colours and cell counts.
    for (int b = 0; b < 4; ++b) {
        const int moved = int(std::count_if(variant.moves.begin(), variant.moves.end(), [b](auto& m) { return m.to == b; })) -
                          int(std::count_if(variant.moves.begin(), variant.moves.end(), [b](auto& m) { return m.from == b; }));
        EXPECT_EQ(fncPiece_Count(w.m_puzzle, b), 3 + moved) << b;
    }
    const analysis::CountResult r = analysis::PackingAnalysis(w.m_puzzle).count({});
    EXPECT_TRUE(r.unique);
}

TEST(DesignFieldsIni, KeptBetweenRunsAndBadValuesIgnored) {
    QTemporaryDir dir;
    const std::string ini = dir.filePath(QStringLiteral("Init.ini")).toStdString();
    DesignFields f;
    f.request.box = {4, 3, 2};
    f.request.blocks = 5;
    f.request.minCells = 4;
    f.request.noFlat = true;
    f.request.assemblable = true;
    f.hardest = true;
    f.request.seconds = 90;
    f.request.seed = 12345678901234ull;
    f.fixedSeed = true;
    DesignFields near;
    near.maxMoves = 2;
    ASSERT_TRUE(saveDesignFields(f, false, ini));
    ASSERT_TRUE(saveDesignFields(near, true, ini));
    DesignFields back, nearBack;
    loadDesignFields(back, false, ini);
    loadDesignFields(nearBack, true, ini);
    EXPECT_EQ(back.request.box.x * 100 + back.request.box.y * 10 + back.request.box.z, 432);
    EXPECT_EQ(back.request.blocks, 5);
    EXPECT_EQ(back.request.minCells, 4);
    EXPECT_TRUE(back.request.noFlat);
    EXPECT_TRUE(back.request.assemblable);
    EXPECT_TRUE(back.hardest);
    EXPECT_EQ(back.request.seconds, 90);
    EXPECT_TRUE(back.fixedSeed);
    EXPECT_EQ(back.request.seed, 12345678901234ull);
    EXPECT_EQ(nearBack.maxMoves, 2);
    // A hand-edited value out of range keeps the default.
    ASSERT_TRUE(fncIni_put("自動作成", "BLOCKS", "12", ini));
    DesignFields fresh;
    loadDesignFields(fresh, false, ini);
    EXPECT_EQ(fresh.request.blocks, DesignFields().request.blocks);
}

TEST(DesignPictures, BlocksFillTheirFramesAtOneScale) {
    const QSize room(128, 120);
    QFont font;
    font.setPixelSize(12);
    const auto drawnWidth = [](const QImage& image) {
        int left = image.width(), right = -1;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) != qRgb(255, 255, 255)) left = std::min(left, x), right = std::max(right, x);
        return right - left + 1;
    };
    // Two dominoes (one upright, away from the corner): each drawn large, not lost in a 4 x 4 x 4 frame.
    design::Blocks small{};
    small[0] = 0b11;
    small[1] = (uint64_t(1) << 21) | (uint64_t(1) << 37);
    const auto dominoes = blockPictures(small, room, font);
    EXPECT_TRUE(dominoes[2].isNull());
    for (int b = 0; b < 2; ++b) {
        ASSERT_FALSE(dominoes[size_t(b)].isNull());
        EXPECT_LE(dominoes[size_t(b)].width(), room.width());
        EXPECT_LE(dominoes[size_t(b)].height(), room.height());
    }
    EXPECT_GE(drawnWidth(dominoes[0]), room.width() * 3 / 4);
    // Beside a 4 x 4 plate the domino shrinks with it: one cell size for both.
    design::Blocks mixed{};
    mixed[0] = 0b11;
    mixed[1] = 0xFFFF0000;
    const auto both = blockPictures(mixed, room, font);
    EXPECT_GE(drawnWidth(both[1]), room.width() * 3 / 4);
    EXPECT_LE(both[1].width(), room.width());
    EXPECT_LT(drawnWidth(both[0]), drawnWidth(both[1]) * 2 / 3);
}

}  // namespace
}  // namespace tessaro::test
