// The Dynamic refresh timer through the program's own window procedure and a
// real timer, in this process: ticks and refreshes are counted, never timed.
#include <gtest/gtest.h>

#include "app/app.h"
#include "app/dynamic_timer.h"
#include "app/ids.h"
#include "app/lens.h"
#include "app/run_facts.h"
#include "avoidance/avoidance.h"
#include "geometry/geometry.h"
#include "render/render.h"
#include "settings/settings.h"
#include "support.h"

namespace {

// No pointer is ever here: a refresh that reads the pointer overwrites it.
constexpr POINT Unread{-30000, -30000};

bool Unchanged(POINT p) {
    return p.x == Unread.x && p.y == Unread.y;
}

struct Ticks {
    int ticks = 0;
    int refreshed = 0;  // ticks that read the pointer and drew
};

// Handles this thread's messages until `wanted` ticks of the Dynamic timer
// have been handled, or the generous timeout passes.
Ticks HandleTicks(int wanted) {
    Ticks t;
    const DWORD start = GetTickCount();
    while (t.ticks < wanted && GetTickCount() - start < 20000) {
        MSG msg;
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            continue;
        }
        const bool tick =
            msg.message == WM_TIMER && msg.hwnd == LensWindow && msg.wParam == DynamicTimer;
        if (tick)
            PointerPos = Unread;
        DispatchMessageA(&msg);
        if (tick) {
            ++t.ticks;
            t.refreshed += Unchanged(PointerPos) ? 0 : 1;
        }
    }
    return t;
}

// Dynamic ticks waiting in the queue after a pause long enough for several
// periods: a running timer leaves exactly one (the system merges the ticks
// of one timer), two timers would leave two, none leaves none.
int PendingTicks() {
    Sleep(4 * DynamicTimerMs);
    int n = 0;
    MSG msg;
    while (PeekMessageA(&msg, LensWindow, WM_TIMER, WM_TIMER, PM_REMOVE))
        n += msg.wParam == DynamicTimer ? 1 : 0;
    return n;
}

// The pointer at (x, y) as the display reports it back.
bool PlacePointer(int x, int y) {
    for (int i = 0; i < 200; ++i) {
        SetCursorPos(x, y);
        POINT p{};
        GetCursorPos(&p);
        if (p.x == x && p.y == y)
            return true;
        Sleep(10);
    }
    return false;
}

class LiveTimer : public ::testing::Test {
protected:
    // The program's windows and drawing objects, once for the whole process
    // as in the program itself.
    static void SetUpTestSuite() {
        // It reads and writes its settings in the working directory: an
        // empty one of this test's own.
        char temp[MAX_PATH] = "", dir[MAX_PATH] = "";
        GetTempPathA(MAX_PATH, temp);
        GetTempFileNameA(temp, "vlt", 0, dir);
        DeleteFileA(dir);
        CreateDirectoryA(dir, nullptr);
        SetCurrentDirectoryA(dir);
        ProgramModule = GetModuleHandleA(nullptr);
        CreateLensWindows();
        InitSettings();
        CreateDrawingResources();
    }
    void SetUp() override {
        ASSERT_NE(LensWindow, nullptr);
        LensSettings.ProFlag = 0;
        LensSettings.ReadingFlag = 0;
        LensSettings.MagnifyFactor = 2;
        LensSettings.WindowFormat = 24;
        LensSettings.DynamicRefresh = 1;
        ShowOrHideLens();
        ASSERT_TRUE(LensShown());
        // Well away from the lens's home and its return lines.
        ASSERT_TRUE(PlacePointer(Geometry.SourceColumns, Geometry.SourceRows));
    }
    void TearDown() override {
        HideLens();
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
};

// One state: shown idle at a show, magnifying at a toggle with the Dynamic
// timer running; a hide leaves it hidden, the timer stopped and the lens home
// even in the middle of a pause; a hidden lens takes no toggle.
TEST_F(LiveTimer, TheLensStateFollowsShowToggleAndHide) {
    EXPECT_EQ(ShellLensState, LensState::ShownIdle);
    ToggleActive();
    EXPECT_EQ(ShellLensState, LensState::ShownMagnifying);
    EXPECT_NE(DynamicTimerRunning(), DynamicTimerNone);
    SetDodgeStateForTest(DodgeState::GoingAside);
    HideLens();
    EXPECT_EQ(ShellLensState, LensState::Hidden);
    EXPECT_EQ(AvoidanceState, DodgeState::Home);
    EXPECT_EQ(DynamicTimerRunning(), DynamicTimerNone);
    ToggleActive();
    EXPECT_EQ(ShellLensState, LensState::Hidden);
    EXPECT_EQ(DynamicTimerRunning(), DynamicTimerNone);
}

TEST_F(LiveTimer, EveryTickRefreshesOnceAndOnlyAnActiveLensTicks) {
    EXPECT_EQ(PendingTicks(), 0);  // shown, not active
    ToggleActive();
    const Ticks t = HandleTicks(40);
    EXPECT_EQ(t.ticks, 40);
    EXPECT_EQ(t.refreshed, 40);

    // The pointer's moves do not refresh a Dynamic lens: the ticks do.
    PointerPos = Unread;
    SendMessageA(InputOverlay, WM_MOUSEMOVE, 0, MAKELPARAM(50, 50));
    SendMessageA(LensWindow, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(Unchanged(PointerPos));

    ToggleActive();
    EXPECT_EQ(PendingTicks(), 0);
    // Activated again, and again after a quick off and on: one timer only.
    ToggleActive();
    EXPECT_EQ(PendingTicks(), 1);
    ToggleActive();
    ToggleActive();
    EXPECT_EQ(PendingTicks(), 1);
    EXPECT_EQ(HandleTicks(10).refreshed, 10);

    HideLens();
    EXPECT_EQ(PendingTicks(), 0);
}

TEST_F(LiveTimer, TicksGoOnThroughAnAvoidancePauseAndFollowThePointer) {
    ToggleActive();
    ASSERT_EQ(HandleTicks(3).refreshed, 3);
    // Into the home rectangle: the next tick's refresh sees it and the lens
    // steps aside; the ticks of the pause draw nothing, as the pause asks.
    const int homeLeft = Geometry.HomeX;
    const int homeTop = Geometry.HomeY;
    ASSERT_TRUE(PlacePointer(homeLeft + 20, homeTop + 20));
    const DWORD start = GetTickCount();
    while (!Dodged() && GetTickCount() - start < 20000)
        HandleTicks(1);
    ASSERT_TRUE(Dodged());
    while (!MovedAside() && GetTickCount() - start < 20000)
        HandleTicks(1);
    ASSERT_TRUE(MovedAside());
    EXPECT_TRUE(DodgeArmed());
    // After the pause the same timer still refreshes at every tick.
    EXPECT_EQ(HandleTicks(20).refreshed, 20);
    EXPECT_EQ(PendingTicks(), 1);

    // Far left of the return line: a tick brings the lens home.
    ASSERT_TRUE(PlacePointer(Geometry.SourceColumns, Geometry.SourceRows));
    while (Dodged() && GetTickCount() - start < 20000)
        HandleTicks(1);
    EXPECT_FALSE(Dodged());
}

// Over a still screen the ticks leave the window alone, yet what changes
// without the screen changing is drawn at the next tick: the self-image
// stepping aside with the lens, and the pointer moving.
TEST_F(LiveTimer, AStillScreenIsLeftAloneUntilTheSelfImageOrThePointerMoves) {
    const LensGeometry& g = Geometry;
    // Left of home, so the window lies in the captured area and stays home.
    const int x = g.HomeX - 20;
    const int y = g.HomeY + 20;
    ASSERT_TRUE(PlacePointer(x, y));
    PixelSurface window(g.WindowWidth, g.WindowHeight);
    const HDC lensDC = LensDC;
    LensDC = window.dc;
    // A colour no picture of this area holds: the window as the test left it.
    constexpr DWORD Sentinel = 0x00FE01FD;
    const auto fill = [&] {
        GdiFlush();
        for (int i = 0; i < g.WindowWidth * g.WindowHeight; ++i)
            window.bits[i] = Sentinel;
    };
    const auto untouched = [&] {
        GdiFlush();
        int n = 0;
        for (int j = 0; j < g.ImageHeight; ++j)
            for (int i = 0; i < g.ImageWidth; ++i)
                n += window.bits[(g.ImageTop + j) * g.WindowWidth + g.ImageLeft + i] == Sentinel;
        return n;
    };
    const int all = g.ImageWidth * g.ImageHeight;
    ToggleActive();
    // The window manager's compositor fades a window in, and its shadow with
    // it, for a while after it is shown: the screen is still once five ticks
    // in a row, all of them refreshes, leave the window alone.
    bool still = false;
    for (const DWORD start = GetTickCount(); !still && GetTickCount() - start < 10000;) {
        fill();
        still = HandleTicks(5).refreshed == 5 && untouched() == all;
    }
    EXPECT_TRUE(still);
    // As the end of an avoidance pause sets it: the self-image moves.
    SetDodgeStateForTest(DodgeState::Aside);
    HandleTicks(1);
    EXPECT_EQ(untouched(), 0);
    SetDodgeStateForTest(DodgeState::Home);
    HandleTicks(1);
    fill();
    ASSERT_TRUE(PlacePointer(x - 1, y));
    HandleTicks(1);
    EXPECT_EQ(untouched(), 0);
    // A paint erased the window: drawn whole although nothing changed.
    fill();
    ForgetShownPicture();
    HandleTicks(1);
    EXPECT_EQ(untouched(), 0);
    LensDC = lensDC;
}

// The cursor is set at a tick only when the system may have shown another,
// and then always.
TEST_F(LiveTimer, ACursorChangedByTheSystemIsTheModesAgainAtTheNextTick) {
    ToggleActive();
    HandleTicks(2);
    EXPECT_EQ(GetCursor(), ModeCursor());
    SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)));  // the arrow
    SendMessageA(InputOverlay, WM_SETCURSOR, reinterpret_cast<WPARAM>(InputOverlay),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    HandleTicks(1);
    EXPECT_EQ(GetCursor(), ModeCursor());
}

// Without Dynamic refresh, a move into the home rectangle sends even an
// inactive lens aside: the move's own position decides.
TEST_F(LiveTimer, AMoveIntoHomeSendsTheInactiveLensAside) {
    LensSettings.DynamicRefresh = 0;
    const int homeLeft = Geometry.HomeX;
    const int homeTop = Geometry.HomeY;
    ASSERT_TRUE(PlacePointer(homeLeft + 20, homeTop + 20));
    POINT origin{0, 0};
    ClientToScreen(InputOverlay, &origin);
    SendMessageA(InputOverlay, WM_MOUSEMOVE, 0,
                 MAKELPARAM(homeLeft + 20 - origin.x, homeTop + 20 - origin.y));
    EXPECT_TRUE(Dodged());
    EXPECT_EQ(PendingTicks(), 0);
}

// Ends RunMessageLoop once a refresh has read the pointer (or after a
// generous timeout).
bool LoopRefreshed;
DWORD LoopStart;
void CALLBACK EndLoopOnceRefreshed(HWND, UINT, UINT_PTR id, DWORD) {
    LoopRefreshed = !Unchanged(PointerPos);
    if (LoopRefreshed || GetTickCount() - LoopStart > 20000) {
        KillTimer(nullptr, id);
        PostQuitMessage(7);
    }
}

// Where Windows has high-resolution waitable timers, the message loop waits on
// one instead of the periodic timer; elsewhere the periodic timer runs with
// the system timer raised. Both, as Windows would choose them, under Wine.
TEST_F(LiveTimer, TheWaitableTimerTicksThroughTheMessageLoopAndStopsWithTheLens) {
    const RunFacts facts = ThisRun;
    RunFacts asIf = facts;
    asIf.Timer = DynamicTimerWaitable;
    SetRunFactsForTest(asIf);
    ToggleActive();
    ASSERT_EQ(DynamicTimerRunning(), DynamicTimerWaitable);
    const HANDLE timer = DynamicWaitHandle();
    ASSERT_NE(timer, nullptr);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(WaitForSingleObject(timer, 5000), WAIT_OBJECT_0);  // periodic
    EXPECT_EQ(PendingTicks(), 0);  // no WM_TIMER beside it

    // The program's own loop refreshes at the timer's ticks and still ends
    // at WM_QUIT; the check runs from a message the loop handles.
    LoopRefreshed = false;
    LoopStart = GetTickCount();
    PointerPos = Unread;
    SetTimer(nullptr, 0, 20, EndLoopOnceRefreshed);
    EXPECT_EQ(RunMessageLoop(), 7);
    EXPECT_TRUE(LoopRefreshed);

    ToggleActive();
    EXPECT_EQ(DynamicTimerRunning(), DynamicTimerNone);
    EXPECT_EQ(DynamicWaitHandle(), nullptr);

    asIf.Timer = DynamicTimerRaisedResolution;
    SetRunFactsForTest(asIf);
    ToggleActive();
    EXPECT_EQ(DynamicTimerRunning(), DynamicTimerRaisedResolution);
    EXPECT_EQ(DynamicWaitHandle(), nullptr);
    EXPECT_EQ(PendingTicks(), 1);
    HideLens();
    EXPECT_EQ(DynamicTimerRunning(), DynamicTimerNone);
    EXPECT_EQ(PendingTicks(), 0);
    SetRunFactsForTest(facts);
}

}  // namespace
