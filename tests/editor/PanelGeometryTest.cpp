#include "editor/PanelGeometry.h"

#include <gtest/gtest.h>

namespace tessaro {
namespace {

TEST(PanelGeometry, SquaresStandAtTheirTabledPlaces) {
    // Element 5 is column 1, row 1 of every panel.
    struct Expect { Panel p; int left0, top0, left5, top5; };
    const Expect table[] = {
        {Panel::A, 1440, 1800, 1080, 2160}, {Panel::B, 2280, 240, 2640, 600},
        {Panel::C, 6840, 1800, 6480, 2160}, {Panel::D, 2280, 5280, 2640, 5640},
        {Panel::E, 8760, 1800, 8400, 2160}, {Panel::F, 9360, 240, 9720, 600},
        {Panel::G, 13920, 1800, 13560, 2160}, {Panel::H, 9360, 5040, 9720, 5400},
    };
    for (const auto& t : table) {
        SCOPED_TRACE(panelName(t.p));
        EXPECT_EQ(panelSquare(t.p, 0).left, t.left0);
        EXPECT_EQ(panelSquare(t.p, 0).top, t.top0);
        EXPECT_EQ(panelSquare(t.p, 5).left, t.left5);
        EXPECT_EQ(panelSquare(t.p, 5).top, t.top5);
        EXPECT_EQ(panelSquare(t.p, 15).width, 375);
        EXPECT_EQ(panelSquare(t.p, 15).height, 375);
    }
    // Box panels keep clear of the main view, block panels of the block view.
    EXPECT_LT(panelSquare(Panel::B, 3).top + 375, 1800);
    EXPECT_GT(panelSquare(Panel::D, 0).top, 1800 + 3135);
    EXPECT_LT(panelSquare(Panel::A, 0).left + 375, 2280);
    EXPECT_GT(panelSquare(Panel::C, 12).left, 2280 + 3375);
    EXPECT_GT(panelSquare(Panel::H, 0).top, 1800 + 3135);
}

TEST(PanelGeometry, HitTestIsStrictAndSharedBordersPickTheLowerElement) {
    // shpB element 0 spans x 2280..2655, element 4 (next column) 2640..3015.
    EXPECT_EQ(panelHitTest(Panel::B, 2300, 300), 0);
    EXPECT_EQ(panelHitTest(Panel::B, 2650, 300), 0);  // on the shared border
    EXPECT_EQ(panelHitTest(Panel::B, 2640, 300), 0);  // element 4's left edge is outside it
    EXPECT_EQ(panelHitTest(Panel::B, 2655, 300), 4);  // element 0's right edge is outside it
    EXPECT_EQ(panelHitTest(Panel::B, 2280, 300), -1);
    EXPECT_EQ(panelHitTest(Panel::B, 2300, 240), -1);
    // shpA grows to the left: element 4 spans 1080..1455, element 0 1440..1815.
    EXPECT_EQ(panelHitTest(Panel::A, 1450, 2000), 0);
    EXPECT_EQ(panelHitTest(Panel::A, 1430, 2000), 4);
    // Rows overlap the same way: element 0 spans y 1800..2175, element 1 2160..2535.
    EXPECT_EQ(panelHitTest(Panel::A, 1600, 2170), 0);
    EXPECT_EQ(panelHitTest(Panel::A, 1600, 2180), 1);
    // A corner shared by four squares.
    EXPECT_EQ(panelHitTest(Panel::F, 9725, 605), 0);
    EXPECT_EQ(panelHitTest(Panel::F, 9360 + 4 * 360 + 20, 300), -1);
    EXPECT_EQ(panelHitTest(Panel::H, 9361.5f, 5040.5f), 0);
}

TEST(PanelGeometry, ElementsMapToTheCellsOfTheirLayer) {
    EXPECT_EQ(panelCell(Panel::A, 6, 2), (PanelCell{2, 2, 1}));
    EXPECT_EQ(panelCell(Panel::G, 15, 3), (PanelCell{3, 3, 3}));
    EXPECT_EQ(panelCell(Panel::B, 6, 1), (PanelCell{1, 1, 2}));
    EXPECT_EQ(panelCell(Panel::H, 12, 0), (PanelCell{3, 0, 0}));
    for (Panel p : kAllPanels)
        for (int layer = 0; layer < 4; ++layer)
            for (int i = 0; i < kPanelSquares; ++i) {
                const PanelCell c = panelCell(p, i, layer);
                ASSERT_EQ(panelElement(p, c, layer), i);
                ASSERT_EQ(panelElement(p, c, (layer + 1) % 4), -1);
            }
}

TEST(ViewDrag, HalfTheDistanceRoundedToEvenAndOnlyInsideTheRange) {
    EXPECT_EQ(dragBarValue(200, -2, -800, 800), -100);
    EXPECT_EQ(dragBarValue(-100, 2, -800, 800), -50);
    EXPECT_EQ(dragBarValue(5, -2, -800, 800), -2);   // -2.5
    EXPECT_EQ(dragBarValue(3, 2, -800, 800), 2);     // 1.5
    EXPECT_EQ(dragBarValue(-7, 2, -800, 800), -4);   // -3.5
    EXPECT_EQ(dragBarValue(1600, 2, -800, 800), 800);
    EXPECT_EQ(dragBarValue(1601, 2, -800, 800), std::nullopt);
    EXPECT_EQ(dragBarValue(1700, -2, -800, 800), std::nullopt);
    EXPECT_EQ(roundHalfEven(0.5), 0);
    EXPECT_EQ(roundHalfEven(-0.5), 0);
    EXPECT_EQ(roundHalfEven(2.5000001), 3);
}

}  // namespace
}  // namespace tessaro
