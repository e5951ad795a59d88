// The lens from the outside: start, show, magnify, hide and close the real program.
#include <gtest/gtest.h>

#include "driver.h"
#include "geometry/geometry.h"

namespace {

// The inactive lens: the idle picture with its grey and silver bevel.
bool ShowsIdlePicture(const VellixRun& run, const LensGeometry& g) {
    const RECT r = LensImageRect(run, g);
    return ScreenPixel(r.left, r.top) == Grey &&
           ScreenPixel(r.right - 1, r.bottom - 1) == Grey &&
           ScreenPixel(r.left + 1, r.top + 1) == Silver;
}

class Spine : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(VellixPath().empty()) << "run with --vellix=PATH";
        ASSERT_TRUE(StartVellix(run)) << "Vellix did not start";
        geometry = GeometryFor(2, 24, 0);
    }
    void TearDown() override {
        ClosePattern(pattern);
        KillVellix(run);
    }

    // A pattern over the upper left of the screen, clear of the lens's home
    // and below Wine's tray window, which the window manager maps again above
    // other windows when a new Vellix adds its icon.
    void ShowTestPattern() {
        ASSERT_TRUE(ShowPattern(pattern, RECT{40, 80, 640, 540}, PatternColour));
    }

    void Activate(int px, int py) {
        MovePointer(run, px, py);
        SendKey(run.overlay, VK_SPACE);
    }

    bool WaitMagnified(int px, int py) {
        int worst = 0;
        const bool ok = ::WaitMagnified(run, geometry, px, py, &worst);
        if (!ok)
            ADD_FAILURE() << "largest channel difference " << worst;
        return ok;
    }

    VellixRun run;
    PatternWindow pattern;
    LensGeometry geometry{};
};

TEST_F(Spine, SecondStartEndsAtOnceAndLeavesTheFirstRunning) {
    EXPECT_EQ(StartAndWaitExit(MakeTempDirectory(), 30000), 0u);
    EXPECT_TRUE(IsRunning(run));
    EXPECT_TRUE(IsWindow(run.lens));
    ASSERT_TRUE(ShowLens(run));
}

TEST_F(Spine, StartsHiddenAndATrayClickShowsBothWindowsTopmost) {
    EXPECT_FALSE(IsWindowVisible(run.lens));
    EXPECT_FALSE(IsWindowVisible(run.overlay));
    ASSERT_TRUE(ShowLens(run));

    const RECT lens = WindowRectOf(run.lens);
    EXPECT_EQ(lens.left, geometry.HomeX);
    EXPECT_EQ(lens.top, geometry.HomeY);
    EXPECT_EQ(lens.right - lens.left, geometry.WindowWidth);
    EXPECT_EQ(lens.bottom - lens.top, geometry.WindowHeight);

    const RECT overlay = WindowRectOf(run.overlay);
    EXPECT_EQ(overlay.left, 0);
    EXPECT_EQ(overlay.top, 0);
    const SIZE screen = TestScreenSize();
    EXPECT_EQ(overlay.right, screen.cx);
    EXPECT_EQ(overlay.bottom, screen.cy);

    EXPECT_TRUE(GetWindowLongA(run.lens, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(GetWindowLongA(run.overlay, GWL_EXSTYLE) & WS_EX_TOPMOST);
    // The input layer lies above the lens and takes the input.
    EXPECT_TRUE(WaitFor([&] { return WindowFromPoint(POINT{lens.left + 5, lens.top + 5}) ==
                                     run.overlay; }));

    // It comes up inactive, showing the idle picture.
    EXPECT_TRUE(WaitFor([&] { return ShowsIdlePicture(run, geometry); }));

    // A second tray click hides both.
    TrayClick(run, WM_LBUTTONUP);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(run.lens) && !IsWindowVisible(run.overlay); }));
}

TEST_F(Spine, TheScreenStaysVisibleUnderTheInputLayer) {
    ShowTestPattern();
    const RECT probe{100, 100, 300, 200};
    ASSERT_TRUE(ShowLens(run));
    ASSERT_TRUE(WaitFor([&] { return ShowsIdlePicture(run, geometry); }));
    // Every colour reads as the pattern put it there: the layer dims nothing.
    const std::vector<COLORREF> under = ReadScreen(probe);
    int worst = 0;
    for (int y = probe.top; y < probe.bottom; ++y)
        for (int x = probe.left; x < probe.right; ++x) {
            const size_t i = static_cast<size_t>(y - probe.top) * (probe.right - probe.left) +
                             (x - probe.left);
            const int d = ChannelDistance(under[i], PatternColour(x, y));
            worst = d > worst ? d : worst;
        }
    EXPECT_EQ(worst, 0);
}

TEST_F(Spine, SpaceAndClickToggleMagnificationPixelForPixel) {
    ShowTestPattern();
    ASSERT_TRUE(ShowLens(run));
    Activate(300, 280);
    EXPECT_TRUE(WaitMagnified(300, 280));

    // A left click makes it inactive again, then active.
    SendMessageA(run.overlay, WM_LBUTTONUP, 0, MAKELPARAM(300, 280));
    EXPECT_TRUE(WaitFor([&] { return ShowsIdlePicture(run, geometry); }));
    SendMessageA(run.overlay, WM_LBUTTONUP, 0, MAKELPARAM(300, 280));
    EXPECT_TRUE(WaitMagnified(300, 280));

    // Space toggles it off as well.
    SendKey(run.overlay, VK_SPACE);
    EXPECT_TRUE(WaitFor([&] { return ShowsIdlePicture(run, geometry); }));
}

TEST_F(Spine, PointerMovesRefreshTheMagnifiedView) {
    ShowTestPattern();
    ASSERT_TRUE(ShowLens(run));
    Activate(300, 280);
    ASSERT_TRUE(WaitMagnified(300, 280));
    MovePointer(run, 411, 333);
    EXPECT_TRUE(WaitMagnified(411, 333));
    // The lens window receives moves too.
    SetCursorPos(250, 300);
    SendMessageA(run.lens, WM_MOUSEMOVE, 0, 0);
    EXPECT_TRUE(WaitMagnified(250, 300));
}

TEST_F(Spine, OffscreenPartsAreGrey) {
    ASSERT_TRUE(ShowLens(run));
    Activate(0, 0);
    const LensGeometry& g = geometry;
    const int hc = g.SourceColumns / 2;
    const int hr = g.SourceRows / 2;
    const int z = g.Zoom;
    // Exactly the hc columns and hr rows beyond the screen's edges are grey,
    // up to the last one before the edge.
    auto shown = [&](int x, int y) {
        const RECT r = LensImageRect(run, g);
        return ScreenPixel(r.left + x, r.top + y);
    };
    ASSERT_TRUE(WaitWithPointerAt(run, 0, 0, [&] {
        return shown(0, g.ImageHeight - 1) == Grey &&
               shown(hc * z - 1, g.ImageHeight - 1) == Grey &&
               shown(g.ImageWidth - 1, hr * z - 1) == Grey;
    }));
    // Beyond the bands the screen itself shows, magnified: the pixel at (0, 0)
    // sits at column hc, row hr of the captured area.
    EXPECT_TRUE(WaitWithPointerAt(run, 0, 0, [&] {
        const COLORREF corner = ScreenPixel(0, 0);
        return shown(hc * z, hr * z) == corner &&
               shown(hc * z + z - 1, hr * z + z - 1) == corner;
    }));

    // The far corner: right and bottom bands.
    const SIZE screen = TestScreenSize();
    MovePointer(run, screen.cx - 1, screen.cy - 1);
    EXPECT_TRUE(WaitWithPointerAt(run, screen.cx - 1, screen.cy - 1, [&] {
        return shown(g.ImageWidth - 1, 0) == Grey &&
               shown(0, g.ImageHeight - 1) == Grey;
    }));
}

TEST_F(Spine, EscapeRightClickAndOtherKeysHideAndTheNextShowIsInactive) {
    ShowTestPattern();
    auto hidden = [&] { return !IsWindowVisible(run.lens) && !IsWindowVisible(run.overlay); };
    const std::function<void()> hiders[] = {
        [&] { SendKey(run.overlay, VK_ESCAPE); },
        [&] { SendMessageA(run.overlay, WM_RBUTTONUP, 0, MAKELPARAM(300, 280)); },
        [&] { SendKey(run.overlay, 'A'); },
        [&] { SendKey(run.lens, VK_ESCAPE); },
        [&] { SendMessageA(run.overlay, WM_SYSKEYDOWN, VK_MENU, 0); },
    };
    for (const auto& hide : hiders) {
        ASSERT_TRUE(ShowLens(run));
        ASSERT_TRUE(WaitFor([&] { return ShowsIdlePicture(run, geometry); }));
        Activate(300, 280);
        ASSERT_TRUE(WaitMagnified(300, 280));
        hide();
        EXPECT_TRUE(WaitFor(hidden));
    }
    // Shift and Ctrl do not hide it.
    ASSERT_TRUE(ShowLens(run));
    SendKey(run.overlay, VK_SHIFT);
    SendKey(run.overlay, VK_CONTROL);
    EXPECT_TRUE(LensVisible(run));
    EXPECT_TRUE(WaitFor([&] { return ShowsIdlePicture(run, geometry); }));
}

TEST_F(Spine, DynamicRefreshFollowsThePointerOnItsTimer) {
    ASSERT_EQ(CloseVellix(run), 0u);
    const std::string directory = MakeTempDirectory();
    ASSERT_TRUE(WriteFileBytes(directory + "\\Profile_A.ini", "Dynamic=1;"));
    ASSERT_TRUE(StartVellix(run, directory));
    ShowTestPattern();
    ASSERT_TRUE(ShowLens(run));
    Activate(300, 280);
    ASSERT_TRUE(WaitMagnified(300, 280));
    // Move messages are ignored now; only the timer can bring the new area in.
    SetCursorPos(420, 350);
    int worst = 0;
    EXPECT_TRUE(WaitFor([&] {
        SetCursorPos(420, 350);
        return ShowsMagnified(run, geometry, 420, 350, &worst);
    })) << "largest channel difference " << worst;
    // Inactive again: the idle picture stays whatever the pointer does.
    SendKey(run.overlay, VK_SPACE);
    ASSERT_TRUE(WaitFor([&] { return ShowsIdlePicture(run, geometry); }));
    // A move it has handled changes nothing.
    MovePointer(run, 350, 300);
    Barrier(run);
    EXPECT_TRUE(ShowsIdlePicture(run, geometry));
}

TEST_F(Spine, CloseEndsTheProgramAndRemovesTheTrayIcon) {
    ASSERT_TRUE(ShowLens(run));
    const HWND lens = run.lens;
    EXPECT_TRUE(TrayIconPresent(lens, 555));
    EXPECT_EQ(CloseVellix(run), 0u);
    EXPECT_FALSE(TrayIconPresent(lens, 555));
}

}  // namespace
