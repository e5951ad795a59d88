// When the lens steps aside and where it goes, on the worked layouts.
#include <gtest/gtest.h>

#include "avoidance/avoidance.h"
#include "geometry/geometry.h"
#include "support.h"

namespace {

TEST(Avoidance, DefaultLensLeavesOnlyFromInsideItsHomeAndReturnsPastTheLines) {
    const LensGeometry g = LaidOut(2, 24, 0, Desk(0, 0, 1920, 1040, 1920, 1080));
    ASSERT_EQ(g.WindowWidth, 444);
    ASSERT_EQ(g.WindowHeight, 254);
    ASSERT_EQ(g.HomeX, 1476);
    ASSERT_EQ(g.HomeY, 786);
    EXPECT_EQ(ReturnMarginX(g), 118);
    EXPECT_EQ(ReturnMarginY(g), 66);

    EXPECT_EQ(DecideDodge(g, 0, 1477, 787), DodgeAside);
    const LensPoint aside = LensPlace(g, 24, 1);
    EXPECT_EQ(aside.x, 914);
    EXPECT_EQ(aside.y, 786);
    const LensPoint home = LensPlace(g, 24, 0);
    EXPECT_EQ(home.x, 1476);
    EXPECT_EQ(home.y, 786);
    // Leftmost column, top row, and the row just below the work area.
    EXPECT_EQ(DecideDodge(g, 0, 1476, 900), DodgeStay);
    EXPECT_EQ(DecideDodge(g, 0, 1600, 786), DodgeStay);
    EXPECT_EQ(DecideDodge(g, 0, 1600, 1040), DodgeStay);

    EXPECT_EQ(DecideDodge(g, 1, 1357, 900), DodgeHome);
    EXPECT_EQ(DecideDodge(g, 1, 1600, 719), DodgeHome);
    EXPECT_EQ(DecideDodge(g, 1, 1358, 720), DodgeStay);
    // Aside, the home rectangle itself no longer sends it anywhere.
    EXPECT_EQ(DecideDodge(g, 1, 1477, 787), DodgeStay);
}

TEST(Avoidance, ReadingStripMovesUpAndOnlyTheVerticalLineBringsItBack) {
    const LensGeometry g = LaidOut(2, 32, 0, Desk(0, 0, 1280, 984, 1280, 1024));
    ASSERT_EQ(g.SourceColumns, 632);
    ASSERT_EQ(g.SourceRows, 60);
    ASSERT_EQ(g.WindowWidth, 1278);
    ASSERT_EQ(g.WindowHeight, 134);
    ASSERT_EQ(g.HomeX, 2);
    ASSERT_EQ(g.HomeY, 850);

    EXPECT_EQ(DecideDodge(g, 0, 500, 900), DodgeAside);
    const LensPoint aside = LensPlace(g, 32, 1);
    EXPECT_EQ(aside.x, 2);
    EXPECT_EQ(aside.y, 683);
    EXPECT_EQ(DecideDodge(g, 1, 500, 817), DodgeStay);
    EXPECT_EQ(DecideDodge(g, 1, 500, 816), DodgeHome);
    // The horizontal return line lies at x = -345, off a single screen.
    EXPECT_EQ(DecideDodge(g, 1, 0, 900), DodgeStay);
}

}  // namespace
