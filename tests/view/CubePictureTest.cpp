#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include "viewqt/CubePicture.h"
#include "viewqt/QtCanvas.h"

namespace tessaro {
namespace {

// One orange cube at cell (0, 0, 0), start view: front (840, 600)-(1180, 940) twips.
struct OneCube {
    Grid grid{};
    ColorGrid colors{};
    OneCube() {
        grid[cellIndex(0, 0, 0)] = 1;
        colors[colorIndex(0, 0, 0, 0)] = 0x0080FF;  // orange: red 255, green 128
        colors[colorIndex(0, 0, 0, 1)] = 0x80C0FF;
        colors[colorIndex(0, 0, 0, 2)] = 0x0040C0;
    }
};

QColor at(const QImage& img, int x, int y) { return img.pixelColor(x, y); }

TEST(CubePicture, PaintsSolidCubesInPixels) {
    const OneCube cube;
    CubePicture pict;
    pict.setScene(cube.grid, cube.colors, mainViewParam(120, 120));
    const QImage img = pict.toImage();
    ASSERT_EQ(img.size(), QSize(225, 209));

    const QColor background = pict.palette().color(QPalette::Window);
    EXPECT_EQ(at(img, 67, 51), QColor(255, 128, 0));    // front face, colours read as 0x00BBGGRR
    EXPECT_EQ(at(img, 72, 36), QColor(255, 192, 128));  // top face, light
    EXPECT_EQ(at(img, 83, 47), QColor(192, 64, 0));     // right face, dark
    // Twips truncate to pixels: the front face covers pixels 56..78 by 40..62, both ends
    // included, outlined in white; the side hatching 10 twips further starts at column 79.
    // (The Z axis is drawn last and crosses the top-left corner.)
    EXPECT_EQ(at(img, 78, 62), QColor(Qt::white));
    EXPECT_EQ(at(img, 67, 40), QColor(Qt::white));
    EXPECT_EQ(at(img, 56, 52), QColor(Qt::white));
    EXPECT_EQ(at(img, 78, 52), QColor(Qt::white));
    EXPECT_EQ(at(img, 67, 62), QColor(Qt::white));
    EXPECT_EQ(at(img, 57, 41), QColor(255, 128, 0));
    EXPECT_EQ(at(img, 77, 61), QColor(255, 128, 0));
    EXPECT_EQ(at(img, 79, 52), QColor(192, 64, 0));
    EXPECT_EQ(at(img, 67, 63), background);
    EXPECT_EQ(at(img, 200, 200), background);

    // The frame's left wall: its last depth line is 4 pixels wide, around x = 32.
    int wide = 0;
    for (int x = 24; x < 42; ++x) wide += at(img, x, 120) == QColor(0xB0, 0xB0, 0xB0);
    EXPECT_EQ(wide, 4);

    // The widget paints what toImage shows.
    EXPECT_EQ(pict.grab().toImage().convertToFormat(QImage::Format_RGB32), img);

    // Clearing leaves only the background.
    pict.clear();
    EXPECT_FALSE(pict.hasScene());
    const QImage blank = pict.grab().toImage();
    EXPECT_EQ(at(blank, 67, 51), background);
    EXPECT_EQ(at(blank, 32, 120), background);
}

TEST(CubePicture, HostsLabelsAndReportsMouseInTwips) {
    QWidget window;
    auto* pict = new CubePicture(&window);
    pict->setObjectName("pictMain");
    pict->move(152, 120);
    auto* label = new QLabel(QStringLiteral("12 : 27"), pict);
    label->setGeometry(0, 0, 225, 17);
    window.show();
    EXPECT_EQ(pict->size(), QSize(225, 209));
    EXPECT_EQ(label->parentWidget(), pict);
    EXPECT_TRUE(label->isVisible());

    QSignalSpy pressed(pict, &CubePicture::mousePressed);
    QSignalSpy moved(pict, &CubePicture::mouseMoved);
    QTest::mousePress(pict, Qt::LeftButton, Qt::ShiftModifier, QPoint(10, 20));
    QTest::mouseMove(pict, QPoint(30, 50));
    QTest::mouseRelease(pict, Qt::LeftButton, Qt::NoModifier, QPoint(30, 50));
    ASSERT_EQ(pressed.count(), 1);
    EXPECT_EQ(pressed[0][0].value<Qt::MouseButton>(), Qt::LeftButton);
    EXPECT_EQ(pressed[0][1].value<Qt::KeyboardModifiers>(), Qt::ShiftModifier);
    EXPECT_FLOAT_EQ(pressed[0][2].toFloat(), 150);
    EXPECT_FLOAT_EQ(pressed[0][3].toFloat(), 300);
    ASSERT_GE(moved.count(), 1);
    EXPECT_TRUE(moved.last()[0].value<Qt::MouseButtons>() & Qt::LeftButton);
    EXPECT_FLOAT_EQ(moved.last()[2].toFloat(), 450);
    EXPECT_FLOAT_EQ(moved.last()[3].toFloat(), 750);
}

}  // namespace
}  // namespace tessaro
