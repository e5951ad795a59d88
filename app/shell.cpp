// The two window procedures and their handlers, one each: what a message
// asks is decided by the rules and done by the controller, the tray, the
// avoidance and the check of the reads.
#include "app/shell.h"

#include <windowsx.h>

#include "app/accessibility_shortcuts.h"
#include "app/app.h"
#include "app/colour_check.h"
#include "app/ids.h"
#include "app/input_rules.h"
#include "app/lens.h"
#include "app/run_facts.h"
#include "app/tray.h"
#include "avoidance/avoidance.h"
#include "geometry/geometry.h"
#include "menu/menu.h"
#include "readout/readout.h"
#include "render/render.h"
#include "settings/settings.h"
#include "settings/shared.h"

namespace {

WPARAM HidingKey;   // the key that last hid a shown lens, 0 once seen up
WPARAM ActingArrow;  // the arrow pressed during this show, whose repeats move on

// --- key and pointer handlers shared by both windows ------------------------

// A key that hides a shown lens is remembered: while it is down, the hotkey
// whose part it is does not show the lens again.
void HideByKey(WPARAM key) {
    if (LensShown())
        HidingKey = key;
    HideLens();
}

// SetCursorPos moves by screen pixels, untouched by the pointer's speed and
// acceleration; the lens follows at once, as on a move of the mouse.
void MovePointerByKey(WPARAM key, LPARAM flags) {
    if ((static_cast<DWORD>(flags) & 0x40000000u) == 0)
        ActingArrow = key;
    POINT from{};
    POINT to{};
    if (!GetCursorPos(&from) || !ArrowTarget(key, Geometry.Monitors, from, &to) ||
        !SetCursorPos(to.x, to.y))
        return;
    if (LensSettings.DynamicRefresh != 0)
        return;
    PointerPos = to;
    RefreshFromPointer();
}

void OnKeyDown(WPARAM key, LPARAM flags) {
    switch (KeyDownAction(key, flags, ShellLensState, ActingArrow)) {
    case KeyMovePointer: MovePointerByKey(key, flags); break;
    case KeyHide: HideByKey(key); break;
    case KeyCopySwatch: CopyColourSwatch(); break;
    case KeyCopyText: CopyPixelText(); break;
    case KeyToggle: ToggleActive(); break;
    case KeyNothing: break;
    }
}

// With Alt held, the arrows come as system keys; they move all the same.
void OnSysKeyDown(WPARAM key, LPARAM flags) {
    if (IsArrowKey(key))
        OnKeyDown(key, flags);
    else if (!IsKeptKey(key))
        HideByKey(key);
}

// The physical state of the key, whichever window has the keyboard now.
bool HidingKeyDown() {
    if (HidingKey != 0 && (GetAsyncKeyState(static_cast<int>(HidingKey)) & 0x8000) != 0)
        return true;
    HidingKey = 0;
    return false;
}

void OnHotkey(WPARAM id) {
    if (id == LensHotkeyId && HotkeyShows(LensShown(), !MenuIdle(), HidingKeyDown()))
        ShowLensMagnifying();
}

void OnMouseWheel(WPARAM wParam) {
    WheelTurned(GET_WHEEL_DELTA_WPARAM(wParam));
}

// A move carries the pointer's position: an inactive lens's avoidance check
// needs no pointer read of its own (a round trip to the display under Wine).
void OnMouseMove(HWND window, LPARAM position) {
    if (LensSettings.DynamicRefresh != 0)
        return;
    POINT at{GET_X_LPARAM(position), GET_Y_LPARAM(position)};
    ClientToScreen(window, &at);
    PointerPos = at;
    RefreshFromPointer();
}

// --- lens window handlers ---------------------------------------------------

void OnActivate(HWND window, WPARAM state) {
    const WORD how = LOWORD(state);
    if (how == WA_ACTIVE || how == WA_CLICKACTIVE)
        SetFocus(window);
}

void OnLensPaint(HWND window) {
    PAINTSTRUCT ps{};
    BeginPaint(window, &ps);
    PaintLens();
    EndPaint(window, &ps);
}

// The lens is redrawn at its new place, with its own picture where it now
// stands, before the pointer is checked again; then it takes the keys.
void OnDodgePauseOver(unsigned id) {
    DodgeTimerFired(id);
    RefreshLens();
    ResumeDodgeChecks();
    SetActiveWindow(LensWindow);
    SetFocus(LensWindow);
}

void OnTimer(WPARAM id) {
    if (id == TrayRetryTimer) {
        RetryTrayIcon();
    } else if (id == DodgeAsideTimer || id == DodgeHomeTimer) {
        OnDodgePauseOver(static_cast<unsigned>(id));
    } else if (id == ColourCheckTimer) {
        ColourCheckTick();
    } else if (id == DynamicTimer) {
        // Periodic from activation until the lens is deactivated or hidden:
        // re-arming it at every tick cost two round trips to the wineserver,
        // and the system never queues more than one tick of a timer.
        DynamicTick();
    }
}

void OnExitMenuLoop() {
    if (!LensShown())
        TrayMenuClosed();
}

// Windows closes a tray menu when another program takes the foreground. Wine
// keeps it open, and then a click elsewhere goes to that program, never to the
// menu, which stays open and keeps the lens from showing.
// The accessibility shortcuts are the user's while another program is in front.
void OnActivateApp(WPARAM active) {
    if (active == FALSE && !MenuIdle())
        EndMenu();
    AccessibilityShortcutsAt(active ? ShortcutMoment::ForegroundRegained
                                    : ShortcutMoment::ForegroundLost);
}

// Under Wine a program that takes the foreground just as the menu opens can
// leave this thread believing itself active while another window is the
// foreground: the deactivation is dropped, and the menu would stay open with
// clicks elsewhere never reaching it. Once the menu's loop runs, it takes the
// foreground back as the menu needs, or closes. Windows' own menu loop keeps
// track of the foreground itself.
void OnEnterIdle(WPARAM source) {
    if (source != MSGF_MENU || MenuIdle() || !ThisRun.Wine)
        return;
    DWORD owner = 0;
    GetWindowThreadProcessId(GetForegroundWindow(), &owner);
    if (owner != GetCurrentProcessId() && !SetForegroundWindow(LensWindow))
        EndMenu();
}

// Said once, at Exit from the menu, where the user is there to read it.
void SayNotSaved() {
    const std::wstring text = NotSavedText(StartDirectory);
    MessageBoxW(nullptr, text.c_str(), L"Vellix", MB_OK | MB_ICONWARNING);
}

void OnMenuCommand(WPARAM command) {
    if (HandleMenuCommand(command) == MenuExit) {
        if (!SaveSettingsOnce())
            SayNotSaved();
        DestroyLensWindows();
        return;
    }
    // The tooltip names the zoom: a factor, a mode or a profile may have changed it.
    UpdateTrayTip();
}

// The session ends without the windows being destroyed; a failed save is
// not said, no one is there to read it.
void OnEndSession(WPARAM ending) {
    if (!ending)
        return;
    SaveSettingsOnce();
    AccessibilityShortcutsAt(ShortcutMoment::SessionEnd);
}

// A monitor plugged in or a mode changed while Vellix runs: the old display
// DC may still have the old desk's extent, and the capture must know the new
// desk's edges at once. The rest of the layout waits for the next show.
void OnDisplayChange() {
    RenewTrayIcon(false);
    if (!Initialised())
        return;
    ReadDesk();
    RemakeScreenDC();
}

void OnInputLayerPaint(HWND window) {
    PAINTSTRUCT ps{};
    BeginPaint(window, &ps);
    EndPaint(window, &ps);
}

}  // namespace

LRESULT CALLBACK LensProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY: ShutDown(); break;
    case WM_ACTIVATE: OnActivate(window, wParam); break;
    case WM_ACTIVATEAPP: OnActivateApp(wParam); break;
    case WM_PAINT: OnLensPaint(window); break;
    case WM_CLOSE: DestroyLensWindows(); return 0;
    case WM_KEYDOWN: OnKeyDown(wParam, lParam); break;
    case WM_SYSKEYDOWN: OnSysKeyDown(wParam, lParam); break;
    case WM_COMMAND: OnMenuCommand(wParam); break;
    case WM_TIMER: OnTimer(wParam); break;
    case WM_MOUSEMOVE: OnMouseMove(window, lParam); break;
    case WM_MOUSEWHEEL: OnMouseWheel(wParam); break;
    case WM_HOTKEY: OnHotkey(wParam); break;
    case WM_SETCURSOR: ForgetModeCursor(); break;
    case WM_LBUTTONDOWN: EndMenu(); break;
    case WM_LBUTTONUP: ToggleActive(); break;
    case WM_RBUTTONUP: HideLens(); break;
    case WM_ENTERIDLE: OnEnterIdle(wParam); break;
    case WM_EXITMENULOOP: OnExitMenuLoop(); break;
    case WM_ENDSESSION: OnEndSession(wParam); break;
    case WM_DISPLAYCHANGE: OnDisplayChange(); break;
    // The primary monitor's scale may have changed: WM_DPICHANGED reaches
    // only shown windows.
    case WM_SETTINGCHANGE: RenewTrayIcon(false); break;
    case TrayCallbackMessage: TrayEvent(lParam); break;
    default:
        if (IsTaskbarCreated(message))
            OnTaskbarCreated();
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK InputLayerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: SetModeCursor(); break;
    case WM_ACTIVATE: OnActivate(window, wParam); break;
    case WM_PAINT: OnInputLayerPaint(window); break;
    case WM_KEYDOWN: OnKeyDown(wParam, lParam); break;
    case WM_SYSKEYDOWN: OnSysKeyDown(wParam, lParam); break;
    case WM_MOUSEMOVE: OnMouseMove(window, lParam); break;
    case WM_MOUSEWHEEL: OnMouseWheel(wParam); break;
    case WM_SETCURSOR: ForgetModeCursor(); break;
    case WM_LBUTTONUP: ToggleActive(); break;
    case WM_RBUTTONUP: HideLens(); break;
    default: break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void ForgetActingArrow() {
    ActingArrow = 0;
}
