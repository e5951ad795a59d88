// Application shell: program entry, the two windows, the tray icon, the
// message routing and the lens controller (show, hide, activate, refresh).
#pragma once

#include <windows.h>

#include "app/ids.h"
#include "settings/shared.h"

// Controller flags; each holds 0 or 1. LensActive and Initialised, which the
// drawing and the copies read too, are with the windows in settings/shared.h.
extern int LensShown;
extern int MenuIdle;
extern int FirstShow;

// The whole program: start-up, message loop, shutdown. Returns the exit code.
int RunVellix(HINSTANCE module);

// Start-up of the settings, after the lens windows exist: start values of the
// controller, the drawing and the avoidance, the early drawing objects, the
// Startup test, the paths, the defaults, the active profile number and
// profile, then the lens geometry (app/startup.cpp).
void InitSettings();

// Registers the classes and makes both windows and LensDC. A failure that
// ends start-up has been reported with its warning when this returns false.
bool CreateLensWindows();
void DestroyLensWindows();
void ShowOrHideLens();
void HideLens();
void ToggleActive();
void RefreshFromPointer();
void PaintLens();  // paints nothing until the drawing objects exist and while hidden
void SetModeCursor();
HCURSOR ModeCursor();  // the cursor of the lens's mode
// Sets the mode cursor unless it is known to be the one shown.
void KeepModeCursor();
// A WM_SETCURSOR came: the system or DefWindowProc may have shown another.
void ForgetModeCursor();

// What a key-down on either window does (flags: the message's lParam).
enum KeyAction { KeyNothing, KeyHide, KeyToggle, KeyCopyText, KeyCopySwatch };
KeyAction KeyDownAction(WPARAM key, LPARAM flags, int lensShown);

// What a tray callback event does, given the event before it.
enum TrayAction { TrayNothing, TrayToggle, TrayShow, TrayOpenMenu };
TrayAction TrayEventAction(UINT event, UINT previous, int lensShown, int menuIdle);

// The input layer's way of staying out of the screen reads.
struct WindowsVersionInfo {
    DWORD major, minor, build;
};
bool RunningUnderWine();
WindowsVersionInfo WindowsVersion();  // the real version, whatever the manifest says
bool ExcludeFromCaptureSupported(const WindowsVersionInfo& v);

// The DPI awareness the manifest gives each Windows version.
enum DpiMode { DpiSystemAware, DpiPerMonitor, DpiPerMonitorV2 };
DpiMode DpiModeFor(const WindowsVersionInfo& v);

// Accessibility shortcuts (five Shift presses, a long right Shift) open a
// prompt that takes the keyboard from the lens. Where the feature itself is
// off, its shortcut bits are cleared while the lens is shown.
DWORD ShortcutFlagsToClear(DWORD flags, DWORD featureOn);
DWORD ShortcutFlagsRestored(DWORD flags, DWORD cleared);
void SuspendAccessibilityShortcuts();  // at show
void RestoreAccessibilityShortcuts();  // at hide, exit and the end of a session

// Dynamic refresh every 10 ms: a high-resolution waitable timer that the
// message loop waits on, a periodic timer with the system timer raised to
// 1 ms, or the plain periodic timer.
enum DynamicTimerKind {
    DynamicTimerNone,
    DynamicTimerPlain,
    DynamicTimerRaisedResolution,
    DynamicTimerWaitable
};
DynamicTimerKind DynamicTimerFor(const WindowsVersionInfo& v, bool wine);
extern DynamicTimerKind DynamicTimerChoice;  // set at start-up from the system
void StartDynamicTimer();
void StopDynamicTimer();
// The waitable timer the message loop waits on, or nullptr.
HANDLE DynamicWaitHandle();
// What runs now (DynamicTimerNone when stopped); a waitable timer the system
// refused runs as the raised periodic timer.
DynamicTimerKind DynamicTimerRunning();
// One Dynamic tick, from either timer.
void DynamicTick();
// Until WM_QUIT: messages, and the waitable timer's ticks while it runs.
int RunMessageLoop();

// Lets Explorer's "TaskbarCreated" reach an elevated program (UIPI), where
// the system has the call; false where it refused or had none.
bool AllowTaskbarCreated(HWND window, UINT message);
