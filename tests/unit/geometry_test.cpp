#include <gtest/gtest.h>

#include "geometry/geometry.h"
#include "support.h"

namespace {

SystemFacts Facts(int workLeft, int workTop, int workRight, int workBottom, int dlgFrame = 3) {
    return Desk(workLeft, workTop, workRight, workBottom, 1920, 1080, dlgFrame);
}

TEST(Geometry, DefaultSettingsOnFullHdWorkArea) {
    const LensGeometry g = LaidOut(2, 24, 0, Facts(0, 0, 1920, 1040));
    EXPECT_EQ(g.Zoom, 2);
    EXPECT_EQ(g.SourceColumns, 215);
    EXPECT_EQ(g.SourceRows, 120);
    EXPECT_EQ(g.ImageWidth, 430);
    EXPECT_EQ(g.ImageHeight, 240);
    EXPECT_EQ(g.ImageLeft, 4);
    EXPECT_EQ(g.ImageTop, 4);
    EXPECT_EQ(g.WindowWidth, 444);
    EXPECT_EQ(g.WindowHeight, 254);
    EXPECT_EQ(g.HomeX, 1476);
    EXPECT_EQ(g.HomeY, 786);
    EXPECT_EQ(g.TextStripRect.left, 4);
    EXPECT_EQ(g.TextStripRect.top, 4);
    EXPECT_EQ(g.TextStripRect.right, 434);
    EXPECT_EQ(g.TextStripRect.bottom, 26);
}

TEST(Geometry, ProModeReservesTheStripAndTheClosingGridLine) {
    const LensGeometry g = LaidOut(2, 24, 1, Facts(0, 0, 1920, 1040));
    EXPECT_EQ(g.Zoom, 6);
    EXPECT_EQ(g.SourceColumns, 71);
    EXPECT_EQ(g.SourceRows, 40);
    EXPECT_EQ(g.ImageWidth, 427);
    EXPECT_EQ(g.ImageHeight, 241);
    EXPECT_EQ(g.ImageTop, 30);
    EXPECT_EQ(g.WindowWidth, 441);
    EXPECT_EQ(g.WindowHeight, 281);
    EXPECT_EQ(g.HomeX, 1920 - 441);
    EXPECT_EQ(g.HomeY, 1040 - 281);
    EXPECT_EQ(g.TextStripRect.right, 4 + 427);
}

TEST(Geometry, ProZoomFloorKeepsFactorsAboveSix) {
    const SystemFacts f = Facts(0, 0, 1920, 1040);
    for (int factor = 2; factor <= 6; ++factor)
        EXPECT_EQ(LaidOut(factor, 24, 1, f).Zoom, 6) << factor;
    for (int factor = 7; factor <= 10; ++factor)
        EXPECT_EQ(LaidOut(factor, 24, 1, f).Zoom, factor) << factor;
    // The same factor in Common mode is used as it is.
    EXPECT_EQ(LaidOut(3, 24, 0, f).Zoom, 3);
}

TEST(Geometry, EveryFormatOfTheTable) {
    struct Case {
        int code, width, height;
    } cases[] = {{11, 130, 90},  {12, 180, 140}, {13, 240, 180}, {14, 320, 240},
                 {15, 430, 320}, {16, 570, 430}, {21, 160, 90},  {22, 250, 140},
                 {23, 320, 180}, {24, 430, 240}, {25, 570, 320}, {26, 760, 430},
                 {31, 999, 90},  {32, 999, 120}, {33, 999, 160}};
    for (const Case& c : cases) {
        int w = 0, h = 0;
        ASSERT_TRUE(FormatViewSize(c.code, 999, &w, &h)) << c.code;
        EXPECT_EQ(w, c.width) << c.code;
        EXPECT_EQ(h, c.height) << c.code;
    }
    int w = 0, h = 0;
    for (int bad : {0, 10, 17, 20, 27, 30, 34, 127, -1})
        EXPECT_FALSE(FormatViewSize(bad, 999, &w, &h)) << bad;
}

TEST(Geometry, SmallViewsAndOversizedFactorsKeepAtLeastOnePixel) {
    const SystemFacts f = Facts(0, 0, 1920, 1040);
    LensGeometry g = LaidOut(10, 11, 0, f);
    EXPECT_EQ(g.SourceColumns, 13);
    EXPECT_EQ(g.SourceRows, 9);
    g = LaidOut(100, 11, 0, f);
    EXPECT_EQ(g.SourceColumns, 1);
    EXPECT_EQ(g.SourceRows, 1);
    EXPECT_EQ(g.ImageHeight, 100);
}

TEST(Geometry, ReadingStripSpansTheWorkArea) {
    const SystemFacts f = Facts(0, 0, 1280, 984);
    EXPECT_EQ(ReadingFullWidth(f), 1264);
    const LensGeometry g = LaidOut(2, 32, 0, f);
    EXPECT_EQ(g.SourceColumns, 632);
    EXPECT_EQ(g.SourceRows, 60);
    EXPECT_EQ(g.ImageWidth, 1264);
    EXPECT_EQ(g.WindowWidth, 1264 + 8 + 2 + 4);
    EXPECT_EQ(g.HomeX, 1280 - g.WindowWidth);
}

TEST(Geometry, HomeIsMeasuredAsIfTheWorkAreaStartedAtTheOrigin) {
    // Taskbar on the left: the work area starts at x 60.
    const LensGeometry left = LaidOut(2, 24, 0, Facts(60, 0, 1920, 1080));
    EXPECT_EQ(left.HomeX, 1860 - 444);
    EXPECT_EQ(left.HomeX + left.WindowWidth, 1920 - 60);
    // Taskbar at the top.
    const LensGeometry top = LaidOut(2, 24, 0, Facts(0, 40, 1920, 1080));
    EXPECT_EQ(top.HomeY, 1040 - 254);
}

TEST(Geometry, UnusableValuesNeverReachTheArithmetic) {
    const SystemFacts f = Facts(0, 0, 1920, 1040);
    // A format outside the table lays out as the default format.
    const LensGeometry unknown = LaidOut(2, 99, 0, f);
    EXPECT_EQ(unknown.SourceColumns, 215);
    EXPECT_EQ(unknown.SourceRows, 120);
    // Factor 0 and the negative factors of byte values 128..255 do not divide
    // by zero or give negative sizes.
    for (int factor : {0, 128, 200, 255, -5}) {
        const LensGeometry g = LaidOut(factor, 24, 0, f);
        EXPECT_GE(g.Zoom, 1) << factor;
        EXPECT_GE(g.SourceColumns, 1) << factor;
        EXPECT_GE(g.SourceRows, 1) << factor;
        EXPECT_GT(g.ImageWidth, 0) << factor;
    }
}

TEST(Geometry, MonitorsAndVirtualScreenWithTheLensKeptOnThePrimary) {
    // Without monitor facts the display mode at the origin is the one monitor.
    const LensGeometry one = LaidOut(2, 24, 0, Facts(0, 0, 1920, 1040));
    ASSERT_EQ(one.Monitors.Count, 1);
    EXPECT_EQ(one.Monitors.Rects[0].right, 1920);
    EXPECT_EQ(one.Monitors.Rects[0].bottom, 1080);
    EXPECT_EQ(one.VirtualScreen.left, 0);
    EXPECT_EQ(one.VirtualScreen.bottom, 1080);

    // A second monitor left of the primary: negative coordinates, and the home
    // stays on the primary's work area.
    SystemFacts f = Facts(0, 0, 1920, 1040);
    f.Monitors.Count = 2;
    f.Monitors.Rects[0] = {0, 0, 1920, 1080};
    f.Monitors.Rects[1] = {-1280, -200, 0, 824};
    f.VirtualScreen = {-1280, -200, 1920, 1080};
    const LensGeometry two = LaidOut(2, 24, 0, f);
    EXPECT_EQ(two.Monitors.Count, 2);
    EXPECT_EQ(two.VirtualScreen.left, -1280);
    EXPECT_EQ(two.VirtualScreen.top, -200);
    EXPECT_EQ(two.HomeX, one.HomeX);
    EXPECT_EQ(two.HomeY, one.HomeY);
    // Without the virtual screen it is the monitors' bounding box.
    f.VirtualScreen = {};
    EXPECT_EQ(LaidOut(2, 24, 0, f).VirtualScreen.top, -200);
}

TEST(Geometry, NarrowestProStripIsFormat11AtZoom6) {
    EXPECT_EQ(NarrowestProStripWidth(), 127);
}

TEST(Geometry, LensPlaceIsTheWholeWindowHomeOrAside) {
    const LensGeometry g = LaidOut(2, 24, 0, Desk(0, 0, 1920, 1040, 1920, 1080));
    const LensRect home = LensPlace(g, 0, 0);
    EXPECT_EQ(home.right, 1920);
    EXPECT_EQ(home.bottom, 1040);
    // Aside: 444 + 118 to the left; the Reading strip goes 254 + 66 up instead.
    const LensRect aside = LensPlace(g, 0, 1);
    EXPECT_EQ(aside.right, 1358);
    EXPECT_EQ(aside.bottom, 1040);
    const LensRect up = LensPlace(g, 1, 1);
    EXPECT_EQ(up.left, 1476);
    EXPECT_EQ(up.top, 466);
    EXPECT_EQ(up.bottom, 720);
}

}  // namespace
