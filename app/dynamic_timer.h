// The Dynamic refresh's timer and the message loop (app/dynamic_timer.cpp).
#pragma once

#include <windows.h>

#include "app/run_facts.h"

// The kind of the run (ThisRun.Timer); a waitable timer the system refuses
// runs as the raised periodic timer.
void StartDynamicTimer();
void StopDynamicTimer();
// The waitable timer the message loop waits on, or nullptr.
HANDLE DynamicWaitHandle();
// What runs now (DynamicTimerNone when stopped).
DynamicTimerKind DynamicTimerRunning();
// Until WM_QUIT: messages, and the waitable timer's ticks while it runs.
int RunMessageLoop();
