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

    EXPECT_EQ(DecideDodge(g, false, 1477, 787), DodgeAside);
    const LensRect aside = LensPlace(g, 0, 1);
    EXPECT_EQ(aside.left, 914);
    EXPECT_EQ(aside.top, 786);
    const LensRect home = LensPlace(g, 0, 0);
    EXPECT_EQ(home.left, 1476);
    EXPECT_EQ(home.top, 786);
    // Leftmost column, top row, and the row just below the work area.
    EXPECT_EQ(DecideDodge(g, false, 1476, 900), DodgeStay);
    EXPECT_EQ(DecideDodge(g, false, 1600, 786), DodgeStay);
    EXPECT_EQ(DecideDodge(g, false, 1600, 1040), DodgeStay);

    EXPECT_EQ(DecideDodge(g, true, 1357, 900), DodgeHome);
    EXPECT_EQ(DecideDodge(g, true, 1600, 719), DodgeHome);
    EXPECT_EQ(DecideDodge(g, true, 1358, 720), DodgeStay);
    // Aside, the home rectangle itself no longer sends it anywhere.
    EXPECT_EQ(DecideDodge(g, true, 1477, 787), DodgeStay);
}

TEST(Avoidance, ReadingStripMovesUpAndOnlyTheVerticalLineBringsItBack) {
    const LensGeometry g = LaidOut(2, 32, 0, Desk(0, 0, 1280, 984, 1280, 1024));
    ASSERT_EQ(g.SourceColumns, 632);
    ASSERT_EQ(g.SourceRows, 60);
    ASSERT_EQ(g.WindowWidth, 1278);
    ASSERT_EQ(g.WindowHeight, 134);
    ASSERT_EQ(g.HomeX, 2);
    ASSERT_EQ(g.HomeY, 850);

    EXPECT_EQ(DecideDodge(g, false, 500, 900), DodgeAside);
    const LensRect aside = LensPlace(g, 1, 1);
    EXPECT_EQ(aside.left, 2);
    EXPECT_EQ(aside.top, 683);
    EXPECT_EQ(DecideDodge(g, true, 500, 817), DodgeStay);
    EXPECT_EQ(DecideDodge(g, true, 500, 816), DodgeHome);
    // The horizontal return line lies at x = -345, off a single screen.
    EXPECT_EQ(DecideDodge(g, true, 0, 900), DodgeStay);
}

// A second 1024 x 768 monitor right of a 1920 x 1080 primary: its pixels lie
// at x 1920..2943, beyond the home rectangle's right edge.
TEST(Avoidance, APointerOnAMonitorRightOfOrBelowThePrimaryLeavesTheLensHome) {
    const LensGeometry g = LaidOut(2, 24, 0, Desk(0, 0, 1920, 1040, 1920, 1080));
    EXPECT_EQ(DecideDodge(g, false, 2000, 900), DodgeStay);
    EXPECT_EQ(DecideDodge(g, false, 1920, 1039), DodgeStay);
    EXPECT_EQ(DecideDodge(g, false, 1919, 1039), DodgeAside);
    // A monitor below the primary: rows from 1080 on.
    EXPECT_EQ(DecideDodge(g, false, 1600, 1100), DodgeStay);

    // Aside, it comes back once the pointer is 118 columns right of the home
    // rectangle (right edge 1920) or 66 rows below it (bottom 1040).
    EXPECT_EQ(DecideDodge(g, true, 2037, 900), DodgeStay);
    EXPECT_EQ(DecideDodge(g, true, 2038, 900), DodgeHome);
    EXPECT_EQ(DecideDodge(g, true, 1600, 1105), DodgeStay);
    EXPECT_EQ(DecideDodge(g, true, 1600, 1106), DodgeHome);
}

TEST(Avoidance, ReadingStripIgnoresAPointerBesideTheScreen) {
    const LensGeometry g = LaidOut(2, 32, 0, Desk(0, 0, 1280, 984, 1280, 1024));
    // Home rectangle x 2..1279; a monitor to the right starts at 1280.
    EXPECT_EQ(DecideDodge(g, false, 1279, 900), DodgeAside);
    EXPECT_EQ(DecideDodge(g, false, 1280, 900), DodgeStay);
    // Aside, 347 columns past the right edge brings it home.
    EXPECT_EQ(DecideDodge(g, true, 1626, 900), DodgeStay);
    EXPECT_EQ(DecideDodge(g, true, 1627, 900), DodgeHome);
}

}  // namespace
