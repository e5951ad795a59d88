// Two monitors of different sizes (run by multi_display.sh, with the second
// right of, left of and above the primary): the lens magnifies the second monitor
// and across the shared edge, and greys exactly what lies on no monitor.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "lens_checks.h"

namespace {

// A pointer on the second monitor never sends the lens aside, however low it
// is; on the primary the lens still steps aside.
TEST(MultiDisplay, OnlyThePrimaryNearTheLensSendsItAside) {
    const std::vector<RECT> monitors = MonitorRects();
    if (monitors.size() < 2 && !getenv("VELLIX_MONITORS"))
        GTEST_SKIP() << "this display shows " << monitors.size() << " monitor(s)";
    ASSERT_GE(monitors.size(), 2u) << "the script started two monitors";
    RECT second{};
    for (const RECT& m : monitors)
        if (m.left != 0 || m.top != 0)
            second = m;
    VellixRun run;
    ASSERT_TRUE(StartVellix(run));
    ASSERT_TRUE(ShowLens(run));
    const LensGeometry g = GeometryFor(2, 24, 0);
    const RECT home{g.HomeX, g.HomeY, g.HomeX + g.WindowWidth, g.HomeY + g.WindowHeight};
    const RECT shown = WindowRectOf(run.lens);
    ASSERT_TRUE(EqualRect(&home, &shown));

    // Low on the second monitor, level with the lens where it can be, near the
    // primary's side and near its far side.
    int low = g.HomeY + g.WindowHeight / 2;
    low = low < second.top ? second.top : low >= second.bottom ? second.bottom - 1 : low;
    for (const int x : {second.left + 2, second.right - 3}) {
        MovePointer(run, x, low);
        DWORD_PTR result = 0;  // every move handled before the lens is judged
        SendMessageTimeoutA(run.lens, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
        RECT now = WindowRectOf(run.lens);
        EXPECT_TRUE(EqualRect(&home, &now))
            << "pointer (" << x << ", " << low << ") moved the lens to (" << now.left << ", "
            << now.top << ")";
    }
    // Back on the primary: the wait keeps sending the pointer until it is there.
    const int asideX = g.HomeX - g.WindowWidth - g.SourceColumns * 55 / 100;
    EXPECT_TRUE(WaitWithPointerAt(run, g.HomeX + 20, g.HomeY + 20,
                                  [&] { return WindowRectOf(run.lens).left == asideX; }));
    KillVellix(run);
}

TEST(MultiDisplay, LensIsExactOnTheSecondMonitorAcrossTheEdgeAndBesideTheHoles) {
    const std::vector<RECT> monitors = MonitorRects();
    // Its script started two monitors: seeing one is a failure, not a skip.
    if (monitors.size() < 2 && !getenv("VELLIX_MONITORS"))
        GTEST_SKIP() << "this display shows " << monitors.size() << " monitor(s)";
    ASSERT_GE(monitors.size(), 2u) << "the script started two monitors";
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
    // A picture over the second monitor and the primary's side of the edge,
    // clear of the lens's home at the primary's bottom right. Each monitor's
    // part in two halves, top and bottom: on this display (no RandR) xfwm4
    // made a window of exactly the second monitor's size full-screen over the
    // whole desk.
    const RECT picture = right  ? RECT{second.left - 280, second.top, second.right, second.bottom}
                         : left ? RECT{second.left, second.top, 280, second.bottom}
                                : RECT{second.left, second.top, second.right, 280};
    PatternWindow patterns[4];
    for (int i = 0; i < 4; ++i) {
        RECT part{};
        IntersectRect(&part, &picture, i < 2 ? &primary : &second);
        // On the primary, above the lens's home (a second monitor on the
        // right may reach lower than that).
        const LensGeometry home = GeometryFor(2, 24, 0);
        if (i < 2 && part.bottom > home.HomeY)
            part.bottom = home.HomeY;
        const LONG middle = (part.top + part.bottom) / 2;
        (i % 2 == 0 ? part.bottom : part.top) = middle;
        ASSERT_TRUE(ShowPattern(patterns[i], part, PatternColour));
    }
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
    for (PatternWindow& p : patterns)
        ClosePattern(p);
    KillVellix(run);
}

}  // namespace
