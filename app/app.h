// Application shell: program entry, the two windows, the tray icon, the
// message routing and the lens controller (show, hide, activate, refresh).
#pragma once

#include <windows.h>

#include "app/ids.h"

extern HINSTANCE ProgramModule;
extern HWND LensWindow;    // shows the lens; owns tray icon, menu and timers
extern HWND InputOverlay;  // invisible full-screen layer taking the input
extern HDC LensDC;         // the lens window's own DC, kept for the whole run

// Controller flags; each holds 0 or 1.
extern int LensShown;
extern int LensActive;
extern int MenuIdle;
extern int FirstShow;
extern int Initialised;

// The whole program: start-up, message loop, shutdown. Returns the exit code.
int RunVellix(HINSTANCE module);

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
