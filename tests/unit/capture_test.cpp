#include <gtest/gtest.h>

#include "render/render.h"

namespace {

LensGeometry Captured(int columns, int rows, int zoom, int screenWidth = 1280,
                      int screenHeight = 1024) {
    LensGeometry g{};
    g.Zoom = zoom;
    g.SourceColumns = columns;
    g.SourceRows = rows;
    g.ImageWidth = columns * zoom;
    g.ImageHeight = rows * zoom;
    g.ScreenWidth = screenWidth;
    g.ScreenHeight = screenHeight;
    return g;
}

TEST(OffscreenBands, PointerAtTheOriginLeavesTheNearestOffscreenColumnAndRow) {
    const LensGeometry g = Captured(25, 17, 4);  // hc 12, hr 8
    LensRect b[4];
    ASSERT_EQ(OffscreenBands(g, 0, 0, b), 2);
    // Left: 12 columns lie off-screen, the band covers 11.
    EXPECT_EQ(b[0].left, 0);
    EXPECT_EQ(b[0].top, 0);
    EXPECT_EQ(b[0].right, 11 * 4);
    EXPECT_EQ(b[0].bottom, g.ImageHeight);
    // Top: 8 rows off-screen, the band covers 7.
    EXPECT_EQ(b[1].left, 0);
    EXPECT_EQ(b[1].right, g.ImageWidth);
    EXPECT_EQ(b[1].bottom, 7 * 4);
}

TEST(OffscreenBands, LastColumnWithAnEvenCountGreysThePointersColumnToo) {
    const LensGeometry g = Captured(24, 17, 2);  // hc 12
    LensRect b[4];
    ASSERT_EQ(OffscreenBands(g, 1279, 500, b), 1);
    // Columns 1280..1290 (11) lie beyond the screen; the band is hc = 12 wide.
    EXPECT_EQ(b[0].left, g.ImageWidth - 12 * 2);
    EXPECT_EQ(b[0].right, g.ImageWidth);
    EXPECT_EQ(b[0].top, 0);
    EXPECT_EQ(b[0].bottom, g.ImageHeight);
}

TEST(OffscreenBands, BottomEdgeBandIsTwoRowsTallerWithEvenRows) {
    LensRect b[4];
    // Odd rows, pointer on the last row: 8 captured rows lie beyond, the band covers 9.
    LensGeometry g = Captured(25, 17, 3);
    ASSERT_EQ(OffscreenBands(g, 600, 1023, b), 1);
    EXPECT_EQ(b[0].top, g.ImageHeight - (1023 + 8 + 2 - 1024) * 3);
    EXPECT_EQ(b[0].bottom, g.ImageHeight);
    // Even rows: nothing captured lies beyond, yet the last row is greyed.
    g = Captured(25, 16, 3);  // hr 8, rows 1007..1022
    ASSERT_EQ(OffscreenBands(g, 600, 1015, b), 1);
    EXPECT_EQ(b[0].top, g.ImageHeight - 3);
    EXPECT_EQ(OffscreenBands(g, 600, 1014, b), 0);
}

TEST(OffscreenBands, AllFourEdgesAtOnceInRightLeftTopBottomOrder) {
    // A captured area larger than the whole screen.
    const LensGeometry g = Captured(41, 31, 2, 20, 10);  // hc 20, hr 15
    LensRect b[4];
    ASSERT_EQ(OffscreenBands(g, 10, 5, b), 4);
    EXPECT_EQ(b[0].left, g.ImageWidth - (10 + 20 - 20 + 1) * 2);  // right
    EXPECT_EQ(b[1].right, (20 - 10 - 1) * 2);                      // left
    EXPECT_EQ(b[2].bottom, (15 - 5 - 1) * 2);                      // top
    EXPECT_EQ(b[3].top, g.ImageHeight - (5 + 15 + 2 - 10) * 2);    // bottom
}

TEST(OffscreenBands, NoneInsideTheScreen) {
    const LensGeometry g = Captured(215, 120, 2);
    LensRect b[4];
    EXPECT_EQ(OffscreenBands(g, 640, 512, b), 0);
    // One column in from the edges: the left band would be empty but applies.
    EXPECT_EQ(OffscreenBands(g, 107, 512, b), 0);
    ASSERT_EQ(OffscreenBands(g, 106, 512, b), 1);
    EXPECT_EQ(b[0].right, 0);
}

LensGeometry DefaultLayout() {
    LensGeometry g{};
    g.Zoom = 2;
    g.SourceColumns = 215;
    g.SourceRows = 120;
    g.ImageWidth = 430;
    g.ImageHeight = 240;
    g.WindowWidth = 444;
    g.WindowHeight = 254;
    g.HomeX = 1476;
    g.HomeY = 786;
    g.ScreenWidth = 1920;
    g.ScreenHeight = 1080;
    return g;
}

TEST(SelfImage, LandsWhereTheLensStandsAtHome) {
    const LensGeometry g = DefaultLayout();
    int x = 0, y = 0;
    ASSERT_TRUE(SelfImageOffset(g, 0, 0, 1400, 800, &x, &y));
    // The window's left edge is 183 captured columns right of the area's left
    // edge (1400 - 107 = 1293), its top 46 rows below (800 - 60 = 740).
    EXPECT_EQ(x, 2 * 183);
    EXPECT_EQ(y, 2 * 46);
    // When the area's last column reaches the window's left edge, that edge
    // lands in the last magnified column.
    EXPECT_TRUE(SelfImageOffset(g, 0, 0, 1476 - 107, 800, &x, &y));
    EXPECT_EQ(x, 430 - 2);
    // The test itself reaches one column further, where nothing is visible.
    EXPECT_TRUE(SelfImageOffset(g, 0, 0, 1476 - 108, 800, &x, &y));
    EXPECT_EQ(x, 430);
    EXPECT_FALSE(SelfImageOffset(g, 0, 0, 1476 - 109, 800, &x, &y));
    // Above the window: the area's bottom row must reach the window's top row.
    EXPECT_TRUE(SelfImageOffset(g, 0, 0, 1400, 786 - 60, &x, &y));
    EXPECT_FALSE(SelfImageOffset(g, 0, 0, 1400, 786 - 61, &x, &y));
    // Below the window's bottom.
    EXPECT_FALSE(SelfImageOffset(g, 0, 0, 1400, 786 + 254 + 60, &x, &y));
}

TEST(SelfImage, FollowsTheLensWhenMovedAside) {
    const LensGeometry g = DefaultLayout();
    const int tc = 118;  // trunc(0.55 * 215)
    const int aside = 1476 - 1 - (444 + tc);
    int x = 0, y = 0;
    ASSERT_TRUE(SelfImageOffset(g, 0, 1, 900, 800, &x, &y));
    EXPECT_EQ(x, 2 * (1 + 107 - 900 + aside));
    EXPECT_EQ(y, 2 * (60 - 800 + 786));
    EXPECT_FALSE(SelfImageOffset(g, 0, 1, aside - 108, 800, &x, &y));
}

TEST(SelfImage, ReadingStripMovesUpAndLandsOffByOne) {
    LensGeometry g{};
    g.Zoom = 2;
    g.SourceColumns = 632;
    g.SourceRows = 45;
    g.WindowWidth = 1278;
    g.WindowHeight = 104;
    g.HomeX = 2;
    g.HomeY = 880;
    int x = 0, y = 0;
    ASSERT_TRUE(SelfImageOffset(g, 1, 0, 640, 870, &x, &y));
    EXPECT_EQ(x, 2 * (1 + 316 - 640 + 2));
    // One screen pixel right of and one above the window's place.
    EXPECT_EQ(y, 2 * (22 - 870 + 880 - 1));
    const int tr = 24;  // trunc(0.55 * 45)
    const int raised = 880 - 1 - (104 + tr);
    ASSERT_TRUE(SelfImageOffset(g, 1, 1, 640, raised + 10, &x, &y));
    EXPECT_EQ(y, 2 * (22 - (raised + 10) + raised));
}

}  // namespace
