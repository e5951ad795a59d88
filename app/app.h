// Application shell: program entry, the two windows, the tray icon, the
// message routing and the lens controller (show, hide, activate, refresh).
#pragma once

#include <windows.h>

#include <string>

#include "app/ids.h"
#include "app/run_facts.h"
#include "app/windows_path.h"
#include "render/render.h"
#include "settings/shared.h"

// The lens's state is the controller's (app/controller.cpp), read everywhere
// through LensShown() and LensActive() (settings/shared.h); with it, whether
// the tray menu is open. At start-up: hidden, the menu closed, a first show to come.
void ResetLensState();
bool TrayMenuOpen();
void TrayMenuOpening();
void TrayMenuClosed();
// Tests only: the lens taken as in that state, its windows untouched.
void SetLensStateForTest(LensState state);

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
// The hotkey: the lens shown, magnifying, with the keyboard on the input layer.
void ShowLensMagnifying();
// A turn of the wheel (its delta) while the lens is shown: whole notches change
// the factor at once; nothing while hidden.
void WheelTurned(int delta);
// The factor after a menu command, a profile switch or the wheel: tooltip anew.
void UpdateTrayTip();
void SetModeCursor();
HCURSOR ModeCursor();  // the cursor of the lens's mode
// Sets the mode cursor unless it is known to be the one shown.
void KeepModeCursor();
// A WM_SETCURSOR came: the system or DefWindowProc may have shown another.
void ForgetModeCursor();

// What a key-down on either window does (flags: the message's lParam).
// While the lens magnifies, an arrow (the keypad's too, whatever the
// modifiers) moves the pointer; of the repeats only those of actingArrow, the
// arrow last pressed during this show, act.
enum KeyAction { KeyNothing, KeyHide, KeyToggle, KeyCopyText, KeyCopySwatch, KeyMovePointer };
KeyAction KeyDownAction(WPARAM key, LPARAM flags, LensState lens, WPARAM actingArrow = 0);
// Where an arrow key moves the pointer from `from`: one screen pixel its way;
// false when the key is no arrow or that pixel lies on no monitor.
bool ArrowTarget(WPARAM key, const MonitorSet& monitors, POINT from, POINT* to);
// The lens is hidden: a held arrow's repeats no longer act.
void ForgetActingArrow();

// What a tray callback event does, given the event before it.
enum TrayAction { TrayNothing, TrayToggle, TrayShow, TrayOpenMenu };
TrayAction TrayEventAction(UINT event, UINT previous, bool lensShown, bool menuOpen);

// The wheel's deltas add up to whole notches of 120 (positive away from the
// user); *pending keeps the rest, dropped when the direction changes. The
// caller drops it at hide.
int WheelNotches(int* pending, int delta);
// The stored factor after that many notches, within 2..10. In Pro, whose zoom
// is at least 6, a step starts from the zoom shown and never goes below 6; a
// step down at 6 leaves the stored factor as it is.
int SteppedFactor(int stored, int proFlag, int notches);
// Whether the hotkey shows the lens: only while it is hidden and the tray
// menu closed, and not while the key that has just hidden it is still down
// (the combination's Win key hides a shown lens; its Z must not show it again).
bool HotkeyShows(bool lensShown, bool menuOpen, bool hidingKeyDown);
// The tray tooltip, for instance "Vellix – 4×, Win+Shift+Z", or "… Win+Shift+Z
// not available" where the hotkey could not be registered, then ", " and the
// trailing phrase if one is given. typographic false: '-' and 'x' instead.
std::wstring TrayTipText(int zoom, bool hotkeyRegistered, const wchar_t* trailing,
                         bool typographic);
// The same in an ANSI code page, typographic where the code page has both
// signs, plain otherwise; cut to capacity bytes with the zero.
void AnsiTrayTip(char* out, int capacity, int zoom, bool hotkeyRegistered,
                 const wchar_t* trailing, UINT codePage);
extern bool HotkeyRegistered;  // Win+Shift+Z is ours

// Whether another copy runs, from the single-instance mutex: made (a handle
// came back) and the last error after CreateMutex.
bool AnotherCopyRuns(bool made, DWORD error);
// The message at Exit where the settings could not be saved in the folder.
std::wstring NotSavedText(const wchar_t* folder);

// The way of the next show and the blend its reads undo, walked by the
// verdicts: "blended" undoes the blend at once, on any way, and moves on to
// the next way, read without a table until its own verdict; "unproven" there
// goes back to the blended way and its table, which then stays.
struct LayerPlan {
    LayerWay way;
    ReadBlend blend;      // undone from the show's start: the way's blend proven before
    LayerWay back;        // the way found blended before this one; way itself where none
    ReadBlend backBlend;
    bool settled;         // back on a blended way after the next proved nothing
};
LayerPlan FirstLayerPlan(LayerWay way);
struct LayerVerdictOutcome {
    LayerPlan next;
    ReadBlend undoNow;  // undone in every read from the verdict on
};
LayerVerdictOutcome PlanAfterCheck(const LayerPlan& now, ReadsVerdict verdict, ReadBlend blend,
                                   const WindowsVersionInfo& v, bool wine);
// What the tray icon's tip says of the colours, after the zoom and the hotkey;
// hdr: the lens stands on a monitor that runs HDR.
const wchar_t* ColoursPhrase(ReadsVerdict verdict, bool hdr);
// All the tip says after the hotkey: the colours, and whether the last save failed.
std::wstring TipTrailing(ReadsVerdict verdict, bool hdr, bool unsaved);
// HDR: advanced colour enabled and wide colour not enforced (the bits of
// DISPLAYCONFIG_GET_ADVANCED_COLOR_INFO), on the monitor (Windows 10 1703 on).
bool AdvancedColourIsHdr(UINT32 value);
bool MonitorRunsHdr(HMONITOR monitor);

extern LayerWay LayerWayInForce;  // the input layer as it is now
extern LayerPlan NextShowLayer;   // its way made at the next show where it differs
extern ReadsVerdict ColoursVerdict;  // the last check's, unproven until one ends
extern bool ColoursOnHdr;            // the lens stood on an HDR monitor at that check
// The plan starts from the run's first way (ThisRun.FirstLayer).
void ChooseLayerWay();
// Makes the input layer for NextShowLayer's way (over the old one, which must
// be hidden); a way the system refuses passes to the next.
void MakeInputLayer();
// At a show: the layer of the plan, and the blend its reads undo from the start.
void PrepareInputLayer();
// The lens and the layer fade in and out at once (DWM's transitions off).
void DisableTransitions(HWND window);
// Windows 11 rounds a window's corners unless asked not to.
void KeepSquareCorners(HWND window);
// Waits for DWM's next composition; false where there is no DWM to wait for.
bool WaitForComposition();
// The self-check: asked for at a show, started after the lens's first paint,
// one try per tick of its timer, stopped at a hide.
void AskColourCheck();
void StartColourCheckIfAsked();
void ColourCheckTick();
void StopColourCheck();
bool ColourCheckRunning();
// One try on the Windows path: the patch read, DWM's next composition, read
// again; unproven unless both reads agree.
ReadsVerdict ColourCheckTry(ReadBlend* blend);
// A check's end: the verdict, the way wanted next, the blend undone, the tip.
void ConcludeColourCheck(ReadsVerdict verdict, ReadBlend blend);

// Accessibility shortcuts (five Shift presses, a long right Shift) open a
// prompt that takes the keyboard from the lens. Where the feature itself is
// off, its shortcut bits are cleared while the lens is shown.
DWORD ShortcutFlagsToClear(DWORD flags, DWORD featureOn);
DWORD ShortcutFlagsRestored(DWORD flags, DWORD cleared);
// The moments that touch them, and what each does: cleared while the lens is
// shown and the program in front, set again as they were otherwise.
enum class ShortcutMoment {
    Show,
    Hide,
    ForegroundLost,
    ForegroundRegained,
    Exit,
    SessionEnd,
    Crash
};
enum class ShortcutStep { Leave, Clear, SetAgain };
ShortcutStep ShortcutStepAt(ShortcutMoment moment, bool lensShown);
void AccessibilityShortcutsAt(ShortcutMoment moment);
// From start-up on, a crash sets them again, then goes on to the filter it replaced.
void WatchForCrash();

// The kind of the run (ThisRun.Timer); a waitable timer the system refuses
// runs as the raised periodic timer.
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
