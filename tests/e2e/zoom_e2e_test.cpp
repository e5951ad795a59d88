// The wheel and the hotkey as a hand gives them: real input through the
// system's queue, judged against the backdrop the test put on the screen.
#include <gtest/gtest.h>

#include <string>

#include "driver.h"
#include "geometry/geometry.h"

namespace {

constexpr int Notch = 120;

class Zoom : public ::testing::Test {
protected:
    // Vellix in mode (0 Common, 1 Pro, 2 Reading) with this stored factor and
    // format, the pattern under every area the wheel's layouts capture around
    // (px, py) (the widest is the lowest zoom's), and the pointer there.
    void Start(int mode, int factor, int windowFormat, int x, int y) {
        ASSERT_FALSE(VellixPath().empty()) << "run with --vellix=PATH";
        dir = MakeTempDirectory();
        ASSERT_TRUE(WriteFileBytes(dir + "\\Profile_A.ini",
                                   Profile(mode, factor, windowFormat, 1, 1, 0, 0)));
        ASSERT_TRUE(StartVellix(run, dir)) << "Vellix did not start";
        format = windowFormat;
        pro = mode == 1 ? 1 : 0;
        px = x;
        py = y;
        ASSERT_TRUE(ShowPattern(pattern, CapturedArea(GeometryFor(factor, format, pro), px, py),
                                PatternColour));
        MovePointer(run, px, py);
    }
    void TearDown() override {
        ClosePattern(pattern);
        KillVellix(run);
    }
    // Waits until the lens stands at its home for the layout of this factor
    // and shows the backdrop magnified at its zoom (in Pro inside the grid's
    // cells, in Reading but for the guide row below the pointer's).
    bool Shows(int factor) {
        int worst = 0;
        POINT where{};
        const LensGeometry g = GeometryFor(factor, format, pro);
        const bool shown = WaitWithPointerAt(run, px, py, [&] {
            return LensVisible(run) && LensWindowAt(run, g) && ShowsNow(g, &worst, &where);
        });
        if (!shown)
            ADD_FAILURE() << "factor " << factor << ": largest channel difference " << worst
                          << " at " << where.x << "," << where.y
                          << (IdlePictureShown(g) ? "; the lens shows its idle picture" : "")
                          << (LensWindowAt(run, g) ? "" : "; the lens is not at home");
        return shown;
    }
    // What the screen shows where the lens stands: the backdrop magnified.
    bool ShowsNow(const LensGeometry& g, int* worst, POINT* where) {
        BackdropSkips skip;
        skip.gridLines = pro == 1;
        skip.row = format > 30 ? (g.SourceRows / 2 + 1) * g.Zoom : -1;
        return ShowsBackdrop(run, g, px, py, PatternColour, skip, worst, where);
    }
    bool TurnedTo(int delta, int factor) {
        RealWheel(delta);
        return Shows(factor);
    }
    void Activate() {
        ASSERT_TRUE(ShowLens(run));
        MovePointer(run, px, py);
        SendKey(run.overlay, VK_SPACE);
    }
    // Up from the factor shown to 10, one notch at a time, a notch more that
    // changes nothing (the next notch down shows 9), and 9 is what is saved.
    void UpToTenAndNoFurther(int from) {
        for (int factor = from + 1; factor <= 10; ++factor)
            ASSERT_TRUE(TurnedTo(Notch, factor));
        RealWheel(Notch);
        ASSERT_TRUE(TurnedTo(-Notch, 9));
        EXPECT_EQ(CloseVellix(run), 0u);
        EXPECT_NE(ReadFileBytes(dir + "\\Profile_A.ini").find("Magnify Factor=9;"),
                  std::string::npos);
    }
    void PressHotkey() {
        RealKey(VK_LWIN, true);
        RealKey(VK_SHIFT, true);
        RealKey('Z', true);
        RealKey('Z', false);
        RealKey(VK_SHIFT, false);
        RealKey(VK_LWIN, false);
    }
    bool IdlePictureShown(const LensGeometry& g) {
        const RECT r = LensImageRect(run, g);
        return LensWindowAt(run, g) && ScreenPixel(r.left, r.top) == Grey &&
               ScreenPixel(r.right - 1, r.bottom - 1) == Grey &&
               ScreenPixel(r.left + 1, r.top + 1) == Silver;
    }

    VellixRun run;
    PatternWindow pattern;
    std::string dir;
    int format = 24, pro = 0, px = 0, py = 0;
};

TEST_F(Zoom, WheelStepsTheCommonLensAtOnceActiveOrNotAndTheProfileKeepsIt) {
    Start(0, 2, 24, 300, 280);
    // Not magnifying: the idle picture at the new size.
    ASSERT_TRUE(ShowLens(run));
    RealWheel(Notch);
    EXPECT_TRUE(WaitFor([&] { return IdlePictureShown(GeometryFor(3, 24, 0)); }));
    RealWheel(-Notch);
    EXPECT_TRUE(WaitFor([&] { return IdlePictureShown(GeometryFor(2, 24, 0)); }));
    SendKey(run.overlay, VK_SPACE);
    ASSERT_TRUE(Shows(2));
    // A fine wheel's half notches make one step.
    RealWheel(Notch / 2);
    ASSERT_TRUE(TurnedTo(Notch / 2, 3));
    ASSERT_TRUE(TurnedTo(-Notch, 2));
    UpToTenAndNoFurther(2);
}

// Pro shows at least 6: stored 2, a notch down leaves it, a notch up gives 7.
TEST_F(Zoom, WheelStepsTheProLensFromTheZoomShownNeverBelowSix) {
    Start(1, 2, 11, 300, 280);
    Activate();
    ASSERT_TRUE(Shows(2));
    RealWheel(-Notch);
    ASSERT_TRUE(TurnedTo(Notch, 7));
    ASSERT_TRUE(TurnedTo(-Notch, 6));
    UpToTenAndNoFurther(6);
}

TEST_F(Zoom, WheelStepsTheReadingStrip) {
    Start(2, 2, 32, 640, 200);
    Activate();
    ASSERT_TRUE(Shows(2));
    ASSERT_TRUE(TurnedTo(Notch, 3));
    ASSERT_TRUE(TurnedTo(-Notch, 2));
    // Eight notches in one turn.
    ASSERT_TRUE(TurnedTo(8 * Notch, 10));
    RealWheel(Notch);
    ASSERT_TRUE(TurnedTo(-Notch, 9));
    EXPECT_EQ(CloseVellix(run), 0u);
    EXPECT_NE(ReadFileBytes(dir + "\\Profile_A.ini").find("Magnify Factor=9;"), std::string::npos);
}

TEST_F(Zoom, HotkeyShowsTheLensMagnifyingAndEscHidesIt) {
    Start(0, 2, 24, 300, 280);
    PressHotkey();
    ASSERT_TRUE(Shows(2));
    // The keyboard is on the input layer: a real Esc hides it.
    RealKey(VK_ESCAPE, true);
    RealKey(VK_ESCAPE, false);
    // Hidden for Windows and gone from the screen: a show while the window
    // manager is still unmapping the lens can leave it unmapped under Wine,
    // though Windows calls it visible (no hand is that quick).
    const LensGeometry g = GeometryFor(2, format, pro);
    int worst = 0;
    POINT where{};
    ASSERT_TRUE(WaitFor([&] { return !LensVisible(run) && !ShowsNow(g, &worst, &where); }));
    // The layer just hidden moves the X focus, and Wine then takes the X
    // keyboard's state, where SendInput's Win and Shift were never down: a
    // press sent before that happens can lose its modifiers and never become
    // a hotkey. Pressing again is safe, since the hotkey does nothing while the
    // lens is shown, once the show a press made has had ample time (a press
    // while it is still coming would hide it through its Win key).
    for (int i = 0; i < 3; ++i) {
        PressHotkey();
        if (WaitFor([&] { return LensVisible(run); }, 10000))
            break;
    }
    EXPECT_TRUE(Shows(2));
}

// Keys from the X server, as a Linux user's keyboard gives them: SendInput's
// keys are dropped again when the focus moves (Wine then takes the X
// keyboard's state, where they were never down). xdotool's pauses are a
// hand's. Under Wine the hotkey comes only while one of Wine's windows has
// the keyboard: here a window of the user's Wine program.
class XKeys : public Zoom {
protected:
    void SetUp() override {
        if (!XdoTool("version"))
            GTEST_SKIP() << "xdotool cannot run here (it comes with scripts/test's packages)";
        user = CreateWindowExA(0, "STATIC", "user", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 900, 100,
                               240, 160, nullptr, nullptr, nullptr, nullptr);
        FocusUser();
    }
    void FocusUser() {
        ASSERT_TRUE(WaitFor([&] {
            SetForegroundWindow(user);
            return GetForegroundWindow() == user;
        }));
    }
    void TearDown() override {
        Zoom::TearDown();
        if (user)
            DestroyWindow(user);
    }
    HWND user = nullptr;
};

TEST_F(XKeys, TheCombinationAgainHidesTheLensThroughItsWinKey) {
    Start(0, 2, 24, 300, 280);
    ASSERT_TRUE(XdoTool("key super+shift+z"));
    ASSERT_TRUE(Shows(2));
    // Win hides it; the Z pressed while Win is still down must not show it again.
    ASSERT_TRUE(XdoTool("keydown super"));
    ASSERT_TRUE(WaitFor([&] { return !LensVisible(run); }));
    // Under Wine the keyboard does not go back to the user's window by itself.
    FocusUser();
    ASSERT_TRUE(XdoTool("keydown shift keydown z sleep 0.3 keyup z keyup shift keyup super"));
    // Posted after the hotkey's message, so handled after it: a tray click
    // shows the idle lens, where a lens the hotkey had shown would hide.
    PostTrayClick(run, WM_LBUTTONUP);
    EXPECT_TRUE(WaitFor([&] {
        return LensVisible(run) && IdlePictureShown(GeometryFor(2, 24, 0));
    }));
}

// Held, the combination acts once: Wine repeats WM_HOTKEY with the keyboard
// whatever MOD_NOREPEAT says (as Vista does without it), and the Z held on
// after Win and Shift are let go reaches the lens as repeated key-downs. The
// lens stays shown and magnifying, so a notch steps it.
TEST_F(XKeys, AHeldCombinationActsOnce) {
    Start(0, 2, 24, 300, 280);
    ASSERT_TRUE(XdoTool("keydown super+shift+z sleep 1.2 keyup super+shift sleep 0.6 keyup z"));
    ASSERT_TRUE(Shows(2));
    EXPECT_TRUE(TurnedTo(Notch, 3));
}

// Another program holds the combination: Vellix starts all the same (a
// dialog would have stopped it before its tray icon), and the tray still works.
TEST_F(Zoom, AHotkeyHeldElsewhereLeavesVellixRunning) {
    // This thread's, and given back whatever happens: the tests after need it.
    struct Held {
        bool registered = RegisterHotKey(nullptr, 7, MOD_WIN | MOD_SHIFT, 'Z') != FALSE;
        ~Held() { UnregisterHotKey(nullptr, 7); }
    } held;
    ASSERT_TRUE(held.registered);
    Start(0, 2, 24, 300, 280);
    PressHotkey();
    // Looked for before anything else takes this thread's messages.
    MSG msg{};
    const DWORD start = GetTickCount();
    while (!PeekMessageA(&msg, nullptr, WM_HOTKEY, WM_HOTKEY, PM_REMOVE) &&
           GetTickCount() - start < 30000)
        Sleep(10);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_HOTKEY));
    EXPECT_FALSE(LensVisible(run));
    ASSERT_TRUE(ShowLens(run));
}

}  // namespace
