// The Dynamic refresh's timer, which really ticks every 10 ms, and the
// message loop, which waits on it where it is a waitable timer.
#include "app/dynamic_timer.h"

#include <mmsystem.h>

#include "app/ids.h"
#include "app/lens.h"
#include "settings/shared.h"
#include "settings/system_calls.h"

namespace {

// The Dynamic refresh as it runs now; DynamicTimerNone while stopped.
DynamicTimerKind RunningKind = DynamicTimerNone;
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

void StartDynamicTimer() {
    StopDynamicTimer();
    RunningKind = ThisRun.Timer;
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
    const DynamicTimerKind stopped = RunningKind;
    RunningKind = DynamicTimerNone;
    if (stopped == DynamicTimerNone)
        return;
    if (WaitableTimer) {
        CancelWaitableTimer(WaitableTimer);
        CloseHandle(WaitableTimer);
        WaitableTimer = nullptr;
        return;
    }
    KillTimer(LensWindow, DynamicTimer);
    // The raised rate costs every program power: only while the lens ticks.
    if (stopped == DynamicTimerRaisedResolution)
        timeEndPeriod(1);
}

HANDLE DynamicWaitHandle() {
    return WaitableTimer;
}

DynamicTimerKind DynamicTimerRunning() {
    return RunningKind;
}

int RunMessageLoop() {
    MSG msg{};
    for (;;) {
        const HANDLE timer = DynamicWaitHandle();
        if (!timer) {
            if (GetMessageA(&msg, nullptr, 0, 0) <= 0)
                return static_cast<int>(msg.wParam);
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            continue;
        }
        // The timer comes first in the wait, so a busy queue cannot hold the
        // refresh back; its ticks merge as WM_TIMER's do. The queue is emptied
        // after every tick all the same: a tick as long as the period (screen
        // reads are dear under DWM) would otherwise leave the timer signalled
        // at every wait and the keys and clicks never handled.
        if (MsgWaitForMultipleObjectsEx(1, &timer, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE) ==
            WAIT_OBJECT_0)
            DynamicTick();
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                return static_cast<int>(msg.wParam);
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            if (DynamicWaitHandle() != timer)
                break;  // stopped or started anew by what was handled
        }
    }
}
