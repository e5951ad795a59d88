// What the lens asks of the system while it is shown: the accessibility
// shortcuts out of the way of its keys, and a Dynamic refresh that really
// ticks every 10 ms.
#include "app/app.h"

#include <mmsystem.h>

#include "settings/settings.h"
#include "settings/system_calls.h"

namespace {

// The bits of each feature's flags that Vellix cleared at the show, to be
// set again at the hide; 0 where nothing was cleared.
DWORD StickyCleared, FilterCleared, ToggleCleared;

// SystemParametersInfo's get and set for one of the three records; each
// starts with its cbSize.
template <typename Record>
bool ReadFeature(UINT get, Record& r) {
    r = Record{};
    r.cbSize = sizeof(Record);
    return AccessibilityParameter(get, sizeof(Record), &r);
}

template <typename Record>
DWORD SuspendFeature(UINT get, UINT set, DWORD featureOn) {
    Record r;
    if (!ReadFeature(get, r))
        return 0;
    const DWORD clear = ShortcutFlagsToClear(r.dwFlags, featureOn);
    if (clear == 0)
        return 0;
    r.dwFlags &= ~clear;
    return AccessibilityParameter(set, sizeof(Record), &r) ? clear : 0;
}

template <typename Record>
void RestoreFeature(UINT get, UINT set, DWORD& cleared) {
    Record r;
    if (cleared != 0 && ReadFeature(get, r)) {
        r.dwFlags = ShortcutFlagsRestored(r.dwFlags, cleared);
        AccessibilityParameter(set, sizeof(Record), &r);
    }
    cleared = 0;
}

// The Dynamic refresh as it runs now.
DynamicTimerKind RunningKind = DynamicTimerPlain;
bool Running;
HANDLE WaitableTimer;

// The waitable timer, or nullptr where the system has no high-resolution one
// (Windows XP has not even CreateWaitableTimerExW).
HANDLE StartWaitableTimer() {
    const auto create = DynCalls.CreateWaitableTimerExW;
    const HANDLE timer =
        create ? create(nullptr, nullptr, HighResolutionTimerFlag, TIMER_ALL_ACCESS) : nullptr;
    if (!timer)
        return nullptr;
    LARGE_INTEGER due{};
    due.QuadPart = -static_cast<LONGLONG>(DynamicTimerMs) * 10000;  // relative, 100 ns units
    if (!SetWaitableTimer(timer, &due, DynamicTimerMs, nullptr, nullptr, FALSE)) {
        CloseHandle(timer);
        return nullptr;
    }
    return timer;
}

}  // namespace

DWORD ShortcutFlagsToClear(DWORD flags, DWORD featureOn) {
    // A feature the user turned on keeps its shortcut: it is how they turn it off.
    if ((flags & featureOn) != 0)
        return 0;
    return flags & (ShortcutHotkeyActive | ShortcutConfirmHotkey);
}

DWORD ShortcutFlagsRestored(DWORD flags, DWORD cleared) {
    return flags | (cleared & (ShortcutHotkeyActive | ShortcutConfirmHotkey));
}

namespace {

void SuspendShortcuts() {
    if (StickyCleared == 0)
        StickyCleared =
            SuspendFeature<STICKYKEYS>(SPI_GETSTICKYKEYS, SPI_SETSTICKYKEYS, SKF_STICKYKEYSON);
    if (FilterCleared == 0)
        FilterCleared =
            SuspendFeature<FILTERKEYS>(SPI_GETFILTERKEYS, SPI_SETFILTERKEYS, FKF_FILTERKEYSON);
    if (ToggleCleared == 0)
        ToggleCleared =
            SuspendFeature<TOGGLEKEYS>(SPI_GETTOGGLEKEYS, SPI_SETTOGGLEKEYS, TKF_TOGGLEKEYSON);
}

void RestoreShortcuts() {
    RestoreFeature<STICKYKEYS>(SPI_GETSTICKYKEYS, SPI_SETSTICKYKEYS, StickyCleared);
    RestoreFeature<FILTERKEYS>(SPI_GETFILTERKEYS, SPI_SETFILTERKEYS, FilterCleared);
    RestoreFeature<TOGGLEKEYS>(SPI_GETTOGGLEKEYS, SPI_SETTOGGLEKEYS, ToggleCleared);
}

LPTOP_LEVEL_EXCEPTION_FILTER FilterReplaced;

// A crash would leave the shortcuts off until the user signs out.
LONG WINAPI CrashFilter(EXCEPTION_POINTERS* exception) {
    AccessibilityShortcutsAt(ShortcutMoment::Crash);
    return FilterReplaced ? FilterReplaced(exception) : EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

ShortcutStep ShortcutStepAt(ShortcutMoment moment, bool lensShown) {
    switch (moment) {
    case ShortcutMoment::Show: return ShortcutStep::Clear;
    // Another program in front gets the user's keyboard with the shortcuts
    // as the user set them; the lens takes them out of its way again when
    // it comes back.
    case ShortcutMoment::ForegroundLost:
        return lensShown ? ShortcutStep::SetAgain : ShortcutStep::Leave;
    case ShortcutMoment::ForegroundRegained:
        return lensShown ? ShortcutStep::Clear : ShortcutStep::Leave;
    case ShortcutMoment::Hide:
    case ShortcutMoment::Exit:
    case ShortcutMoment::SessionEnd:
    case ShortcutMoment::Crash: break;
    }
    return ShortcutStep::SetAgain;
}

void AccessibilityShortcutsAt(ShortcutMoment moment) {
    switch (ShortcutStepAt(moment, LensShown())) {
    case ShortcutStep::Clear: SuspendShortcuts(); break;
    case ShortcutStep::SetAgain: RestoreShortcuts(); break;
    case ShortcutStep::Leave: break;
    }
}

void WatchForCrash() {
    FilterReplaced = SetUnhandledExceptionFilter(CrashFilter);
}

void StartDynamicTimer() {
    StopDynamicTimer();
    RunningKind = ThisRun.Timer;
    Running = true;
    if (RunningKind == DynamicTimerWaitable) {
        WaitableTimer = StartWaitableTimer();
        if (WaitableTimer)
            return;
        RunningKind = DynamicTimerRaisedResolution;
    }
    if (RunningKind == DynamicTimerRaisedResolution)
        timeBeginPeriod(1);
    SetTimer(LensWindow, DynamicTimer, DynamicTimerMs, nullptr);
}

void StopDynamicTimer() {
    if (!Running)
        return;
    Running = false;
    if (WaitableTimer) {
        CancelWaitableTimer(WaitableTimer);
        CloseHandle(WaitableTimer);
        WaitableTimer = nullptr;
        return;
    }
    KillTimer(LensWindow, DynamicTimer);
    // The raised rate costs every program power: only while the lens ticks.
    if (RunningKind == DynamicTimerRaisedResolution)
        timeEndPeriod(1);
}

HANDLE DynamicWaitHandle() {
    return WaitableTimer;
}

DynamicTimerKind DynamicTimerRunning() {
    return Running ? RunningKind : DynamicTimerNone;
}
