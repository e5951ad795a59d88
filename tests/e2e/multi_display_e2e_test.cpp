// Two monitors of different sizes side by side (run by multi_display.sh): the
// lens magnifies the second monitor and across the shared edge, and greys
// exactly what lies on no monitor.
#include <gtest/gtest.h>

#include "lens_checks.h"

namespace {

TEST(MultiDisplay, LensIsExactOnTheSecondMonitorAcrossTheEdgeAndBesideTheHole) {
    const std::vector<RECT> monitors = MonitorRects();
    if (monitors.size() < 2)
        GTEST_SKIP() << "this display shows " << monitors.size() << " monitor(s)";
    RECT second{};
    for (const RECT& m : monitors)
        if (m.left != 0 || m.top != 0)
            second = m;
    ASSERT_EQ(second.left, 1280) << "expected the second monitor right of the primary";

    VellixRun run;
    ASSERT_TRUE(StartVellix(run));
    PatternWindow pattern;
    // A picture over the shared edge, on both monitors, clear of the lens's home.
    ASSERT_TRUE(ShowPattern(pattern, RECT{1000, 0, second.right, second.bottom}, PatternColour));
    ASSERT_TRUE(ShowLens(run));
    const LensGeometry g = GeometryFor(2, 24, 0);

    // The input layer covers both monitors; the lens stays on the primary.
    const RECT layer = WindowRectOf(run.overlay);
    EXPECT_EQ(layer.left, GetSystemMetrics(SM_XVIRTUALSCREEN));
    EXPECT_EQ(layer.right - layer.left, GetSystemMetrics(SM_CXVIRTUALSCREEN));
    EXPECT_EQ(layer.bottom - layer.top, GetSystemMetrics(SM_CYVIRTUALSCREEN));
    EXPECT_LE(WindowRectOf(run.lens).right, 1280);

    const int mid = (second.top + second.bottom) / 2;
    MovePointer(run, second.left + 300, mid);
    SendKey(run.overlay, VK_SPACE);
    const POINT places[] = {
        {second.left + 300, mid},             // inside the second monitor
        {second.left, mid},                   // its first column
        {second.left - 1, mid},               // the primary's last column
        {second.left + 120, second.bottom - 1},  // above the hole under the second monitor
        {second.right - 1, second.top},       // the desk's far corner
    };
    for (const POINT& p : places) {
        int worst = 0;
        EXPECT_TRUE(WaitWithPointerAt(run, p.x, p.y, [&] {
            return ShowsExactly(run, g, p.x, p.y, false, &worst);
        })) << "pointer (" << p.x << ", " << p.y << "): largest channel difference " << worst;
    }
    ClosePattern(pattern);
    KillVellix(run);
}

}  // namespace
