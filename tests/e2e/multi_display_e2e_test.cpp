// Two monitors of different sizes (run by multi_display.sh, with the second
// right of, left of and above the primary): the lens magnifies the second monitor
// and across the shared edge, and greys exactly what lies on no monitor.
#include <gtest/gtest.h>

#include <cstdio>

#include "lens_checks.h"

namespace {

TEST(MultiDisplay, LensIsExactOnTheSecondMonitorAcrossTheEdgeAndBesideTheHoles) {
    const std::vector<RECT> monitors = MonitorRects();
    if (monitors.size() < 2)
        GTEST_SKIP() << "this display shows " << monitors.size() << " monitor(s)";
    RECT primary{}, second{};
    for (const RECT& m : monitors)
        (m.left == 0 && m.top == 0 ? primary : second) = m;
    const bool right = second.left >= primary.right;
    const bool left = second.right <= primary.left;
    const bool above = second.bottom <= primary.top;
    ASSERT_TRUE(right || left || above) << "expected the second monitor beside or above";
    printf("second monitor (%ld, %ld)-(%ld, %ld)\n", second.left, second.top, second.right,
           second.bottom);
    const int cx = (second.left + second.right) / 2;
    const int cy = (second.top + second.bottom) / 2;

    // The primary's side of the shared edge first, then only places on the
    // second monitor: once a program has set the cursor, Xephyr puts a pointer
    // sent from its second screen back to the first one in the wrong place.
    const POINT onPrimary = right  ? POINT{primary.right - 1, cy}
                            : left ? POINT{primary.left, cy}
                                   : POINT{cx, primary.top};
    const POINT onSecond = right  ? POINT{second.left, cy}
                           : left ? POINT{second.right - 1, cy}
                                  : POINT{cx, second.bottom - 1};
    const POINT places[] = {
        onPrimary,  // either side of the shared edge
        onSecond,
        {cx, cy},  // inside the second monitor
        // its edges across the shared one, beside holes or the desk's edge
        above ? POINT{second.left, cy} : POINT{cx, second.top},
        above ? POINT{second.right - 1, cy} : POINT{cx, second.bottom - 1},
        {right ? second.right - 1 : second.left, second.top},  // its outer corner
    };
    SetCursorPos(onPrimary.x, onPrimary.y);

    VellixRun run;
    ASSERT_TRUE(StartVellix(run));
    PatternWindow pattern;
    // A picture over the second monitor and the primary's side of the edge,
    // clear of the lens's home at the primary's bottom right.
    const RECT picture = right  ? RECT{second.left - 280, second.top, second.right, second.bottom}
                         : left ? RECT{second.left, second.top, 280, second.bottom}
                                : RECT{second.left, second.top, second.right, 280};
    ASSERT_TRUE(ShowPattern(pattern, picture, PatternColour));
    ASSERT_TRUE(ShowLens(run));
    const LensGeometry g = GeometryFor(2, 24, 0);

    // The input layer covers both monitors; the lens stays on the primary.
    const RECT layer = WindowRectOf(run.overlay);
    EXPECT_EQ(layer.left, GetSystemMetrics(SM_XVIRTUALSCREEN));
    EXPECT_EQ(layer.top, GetSystemMetrics(SM_YVIRTUALSCREEN));
    EXPECT_EQ(layer.right - layer.left, GetSystemMetrics(SM_CXVIRTUALSCREEN));
    EXPECT_EQ(layer.bottom - layer.top, GetSystemMetrics(SM_CYVIRTUALSCREEN));
    const RECT lens = WindowRectOf(run.lens);
    EXPECT_GE(lens.left, 0);
    EXPECT_LE(lens.right, primary.right);

    MovePointer(run, onPrimary.x, onPrimary.y);
    SendKey(run.overlay, VK_SPACE);
    for (const POINT& p : places) {
        int worst = 0;
        POINT where{};
        EXPECT_TRUE(WaitWithPointerAt(run, p.x, p.y, [&] {
            return ShowsExactly(run, g, p.x, p.y, false, &worst, &where);
        })) << "pointer (" << p.x << ", " << p.y << "): largest channel difference " << worst
            << " at image pixel (" << where.x << ", " << where.y << ")";
    }
    ClosePattern(pattern);
    KillVellix(run);
}

}  // namespace
