// What each Windows gets: the accessibility shortcut bits the lens clears and
// sets again, the DPI awareness of the manifest and the Dynamic timer, and the
// record of the run made at start-up.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/accessibility_shortcuts.h"
#include "app/app.h"
#include "app/ids.h"
#include "app/run_facts.h"
#include "geometry/geometry.h"
#include "settings/system_calls.h"

namespace {

constexpr DWORD Shortcut = ShortcutHotkeyActive;
constexpr DWORD Confirm = ShortcutConfirmHotkey;
constexpr DWORD Available = 0x2;  // SKF_AVAILABLE and its kin: never touched

TEST(AccessibilityShortcuts, OnlyAnUnusedFeaturesShortcutIsClearedAndExactlyThatComesBack) {
    // Feature off, shortcut on (a default Windows): both shortcut bits go.
    EXPECT_EQ(ShortcutFlagsToClear(Available | Shortcut | Confirm, SKF_STICKYKEYSON),
              Shortcut | Confirm);
    EXPECT_EQ(ShortcutFlagsToClear(Available | Shortcut, FKF_FILTERKEYSON), Shortcut);
    // Feature off, shortcut off: nothing to clear, so nothing is set again.
    EXPECT_EQ(ShortcutFlagsToClear(Available | Confirm, TKF_TOGGLEKEYSON), Confirm);
    EXPECT_EQ(ShortcutFlagsToClear(Available, SKF_STICKYKEYSON), 0u);
    // Feature on: its shortcut is how the user turns it off; left alone.
    EXPECT_EQ(ShortcutFlagsToClear(SKF_STICKYKEYSON | Shortcut | Confirm, SKF_STICKYKEYSON), 0u);
    EXPECT_EQ(ShortcutFlagsToClear(FKF_FILTERKEYSON | Shortcut, FKF_FILTERKEYSON), 0u);
    EXPECT_EQ(ShortcutFlagsToClear(TKF_TOGGLEKEYSON, TKF_TOGGLEKEYSON), 0u);

    // Set again: only the bits cleared, over whatever the flags are by then.
    EXPECT_EQ(ShortcutFlagsRestored(Available, Shortcut | Confirm), Available | Shortcut | Confirm);
    EXPECT_EQ(ShortcutFlagsRestored(Available, Shortcut), Available | Shortcut);
    EXPECT_EQ(ShortcutFlagsRestored(Available | SKF_STICKYKEYSON, 0), Available | SKF_STICKYKEYSON);
    // A stray bit in the record kept cannot set anything but the shortcut bits.
    EXPECT_EQ(ShortcutFlagsRestored(0, 0xFFFFFFFFu), Shortcut | Confirm);
}

TEST(AccessibilityShortcuts, ClearedOnlyWhileTheLensIsShownAndTheProgramInFront) {
    using M = ShortcutMoment;
    using S = ShortcutStep;
    const struct {
        ShortcutMoment moment;
        S shown, hidden;  // with the lens shown, hidden
    } cases[] = {
        {M::Show, S::Clear, S::Clear},
        {M::ForegroundLost, S::SetAgain, S::Leave},
        {M::ForegroundRegained, S::Clear, S::Leave},
        {M::Hide, S::SetAgain, S::SetAgain},
        {M::Exit, S::SetAgain, S::SetAgain},
        {M::SessionEnd, S::SetAgain, S::SetAgain},
        {M::Crash, S::SetAgain, S::SetAgain},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.moment));
        EXPECT_EQ(ShortcutStepAt(c.moment, true), c.shown);
        EXPECT_EQ(ShortcutStepAt(c.moment, false), c.hidden);
    }
}

TEST(SingleCopy, AMutexThatCannotBeOpenedMeansAnotherCopyRuns) {
    EXPECT_FALSE(AnotherCopyRuns(true, ERROR_SUCCESS));
    EXPECT_TRUE(AnotherCopyRuns(true, ERROR_ALREADY_EXISTS));
    // Made by an elevated copy: a normal one may not even open it.
    EXPECT_TRUE(AnotherCopyRuns(false, ERROR_ACCESS_DENIED));
    // No mutex for another reason: Vellix runs without one.
    EXPECT_FALSE(AnotherCopyRuns(false, ERROR_INVALID_HANDLE));
}

TEST(TrayIcon, MadeAtTheSmallIconSizeOfThePrimaryMonitor) {
    // The test desktop runs at 96 DPI, the DPI the session started with.
    EXPECT_EQ(SmallIconSize(), GetSystemMetrics(SM_CXSMICON));
}

TEST(WindowsVersions, DpiAwarenessAndDynamicTimerPerVersion) {
    const struct {
        WindowsVersionInfo version;
        DpiMode dpi;
        DynamicTimerKind timer;
    } cases[] = {
        {{6, 0, 6002}, DpiSystemAware, DynamicTimerRaisedResolution},    // Vista
        {{6, 1, 7601}, DpiSystemAware, DynamicTimerRaisedResolution},    // 7
        {{6, 2, 9200}, DpiSystemAware, DynamicTimerRaisedResolution},    // 8
        {{6, 3, 9600}, DpiPerMonitor, DynamicTimerRaisedResolution},     // 8.1
        {{10, 0, 10240}, DpiPerMonitor, DynamicTimerRaisedResolution},   // 10 1507
        {{10, 0, 14393}, DpiPerMonitor, DynamicTimerRaisedResolution},   // 10 1607
        {{10, 0, 15063}, DpiPerMonitorV2, DynamicTimerRaisedResolution}, // 10 1703
        {{10, 0, 16299}, DpiPerMonitorV2, DynamicTimerRaisedResolution}, // 10 1709
        {{10, 0, 17134}, DpiPerMonitorV2, DynamicTimerWaitable},         // 10 1803
        {{10, 0, 18363}, DpiPerMonitorV2, DynamicTimerWaitable},         // 10 1909
        {{10, 0, 19041}, DpiPerMonitorV2, DynamicTimerWaitable},         // 10 2004
        {{10, 0, 22631}, DpiPerMonitorV2, DynamicTimerWaitable},         // 11 23H2
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version.build);
        EXPECT_EQ(DpiModeFor(c.version), c.dpi);
        EXPECT_EQ(DynamicTimerFor(c.version, false), c.timer);
        // Wine keeps the periodic timer whatever version it reports.
        EXPECT_EQ(DynamicTimerFor(c.version, true), DynamicTimerPlain);
    }
}

}  // namespace

// The test program starts as Vellix does (tests/run_start.cpp), under Wine:
// the table of optional calls is filled before the run's record is made from
// it, and the record says Wine with Wine's own choices. A record made before
// the table would take this for Windows.
TEST(RunFacts, RecordedOnceFromTheCallsLookedUpBeforeIt) {
    ASSERT_NE(DynCalls.WineGetVersion, nullptr);
    ASSERT_NE(DynCalls.RtlGetVersion, nullptr);
    EXPECT_NE(DynCalls.DwmFlush, nullptr);          // dwmapi.dll kept loaded
    EXPECT_NE(DynCalls.GetDpiForMonitor, nullptr);  // shcore.dll kept loaded
    EXPECT_TRUE(ThisRun.Wine);
    const WindowsVersionInfo v = WindowsVersion();
    EXPECT_EQ(ThisRun.Windows.build, v.build);
    EXPECT_GE(ThisRun.Windows.major, 6u);
    EXPECT_EQ(ThisRun.Dpi, DpiModeFor(v));
    EXPECT_EQ(ThisRun.Timer, DynamicTimerPlain);
    // The shipped program keeps Wine's own way.
    EXPECT_EQ(ThisRun.FirstLayer, LayerAlphaZero);
    EXPECT_EQ(ThisRun.LayerSystem.build, v.build);
}
