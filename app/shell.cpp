// Start-up, the two window procedures, the tray icon and shutdown.
#include "app/app.h"

#include <shellapi.h>
#include <windowsx.h>

#include "avoidance/avoidance.h"
#include "geometry/geometry.h"
#include "menu/menu.h"
#include "readout/readout.h"
#include "render/render.h"
#include "settings/settings.h"
#include "settings/system_calls.h"

HINSTANCE ProgramModule;
HWND LensWindow;
HWND InputOverlay;
HDC LensDC;

bool HotkeyRegistered;

namespace {

NOTIFYICONDATAA TrayIcon;
int TrayIconPixels;  // the size TrayIcon.hIcon was made at
UINT LastTrayEvent;  // the tray callback's previous event, to pair the mouse's messages
UINT TaskbarCreatedMessage;
int TrayRetriesLeft;
int SettingsSaved;  // 1 once the settings are written for this run
WPARAM HidingKey;   // the key that last hid a shown lens, 0 once seen up
WPARAM ActingArrow;  // the arrow pressed during this show, whose repeats move on

void WarnAndFail(const char* text, const char* caption) {
    MessageBoxA(nullptr, text, caption, MB_SYSTEMMODAL | MB_ICONWARNING);
}

// --- key and pointer rules shared by both windows ---------------------------

bool IsKeptKey(WPARAM key) {
    return key == VK_SPACE || key == VK_CONTROL || key == VK_SHIFT;
}

// The arrows, and the keypad's arrows whether Num Lock gives them as arrows
// or as digits.
int ArrowStepX(WPARAM key) {
    return key == VK_LEFT || key == VK_NUMPAD4 ? -1 : key == VK_RIGHT || key == VK_NUMPAD6 ? 1 : 0;
}
int ArrowStepY(WPARAM key) {
    return key == VK_UP || key == VK_NUMPAD8 ? -1 : key == VK_DOWN || key == VK_NUMPAD2 ? 1 : 0;
}
bool IsArrowKey(WPARAM key) {
    return ArrowStepX(key) != 0 || ArrowStepY(key) != 0;
}

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
    if (id == LensHotkeyId && HotkeyShows(LensShown(), TrayMenuOpen(), HidingKeyDown()))
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

void RetryTrayIcon();

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
    if (active == FALSE && TrayMenuOpen())
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
    if (source != MSGF_MENU || !TrayMenuOpen() || !ThisRun.Wine)
        return;
    DWORD owner = 0;
    GetWindowThreadProcessId(GetForegroundWindow(), &owner);
    if (owner != GetCurrentProcessId() && !SetForegroundWindow(LensWindow))
        EndMenu();
}

void OnTrayCallback(LPARAM event) {
    const UINT now = LOWORD(event);
    const TrayAction action = TrayEventAction(now, LastTrayEvent, LensShown(), TrayMenuOpen());
    LastTrayEvent = now;
    if (action == TrayOpenMenu) {
        TrayMenuOpening();
        ShowTrayMenu();
        // The menu is closed now, whether or not its loop said so.
        TrayMenuClosed();
        // The lens window was made foreground for the menu; hidden, it would
        // swallow the user's typing.
        Shell_NotifyIconA(NIM_SETFOCUS, &TrayIcon);
    } else if (action == TrayToggle || action == TrayShow) {
        ShowOrHideLens();
    }
}

bool SaveSettingsOnce();

// Said once, at Exit from the menu, where the user is there to read it.
void SayNotSaved() {
    wchar_t folder[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, folder);
    const std::wstring text = NotSavedText(folder);
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

// The version can only be set on an icon that exists. An add refused because
// the icon is still there (a "TaskbarCreated" from a shell that kept its
// icons) counts as done.
bool AddTrayIconOnce() {
    if (!Shell_NotifyIconA(NIM_ADD, &TrayIcon) && !Shell_NotifyIconA(NIM_MODIFY, &TrayIcon))
        return false;
    Shell_NotifyIconA(NIM_SETVERSION, &TrayIcon);
    return true;
}

// A shell that is still starting can refuse the icon; without it the program
// could not be reached, so the add is tried again for a while.
void AddTrayIcon() {
    KillTimer(LensWindow, TrayRetryTimer);
    if (AddTrayIconOnce())
        return;
    TrayRetriesLeft = TrayRetryLimit;
    SetTimer(LensWindow, TrayRetryTimer, TrayRetryMs, nullptr);
}

void RetryTrayIcon() {
    if (AddTrayIconOnce() || --TrayRetriesLeft <= 0)
        KillTimer(LensWindow, TrayRetryTimer);
}

// At Exit, and at the end of a session, where Windows ends the program
// without destroying its windows; never twice. False where a file could not
// be written.
bool SaveSettingsOnce() {
    if (SettingsSaved == 1)
        return true;
    SettingsSaved = 1;
    const bool choice = SaveProfileChoice();
    return SaveActiveProfile() && choice;
}

// The session ends without the windows being destroyed; a failed save is
// not said, no one is there to read it.
void OnEndSession(WPARAM ending) {
    if (!ending)
        return;
    SaveSettingsOnce();
    AccessibilityShortcutsAt(ShortcutMoment::SessionEnd);
}

// The tray icon at the shell's small-icon size now: made again where that
// size changed (or always), the old icon destroyed once the shell has the new.
void RenewTrayIcon(bool always) {
    const int size = SmallIconSize();
    if (!TrayIcon.hWnd || (!always && size == TrayIconPixels))
        return;
    const HICON made = static_cast<HICON>(
        LoadImageA(ProgramModule, "abb", IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    if (!made)
        return;
    const HICON old = TrayIcon.hIcon;
    TrayIcon.hIcon = made;
    TrayIconPixels = size;
    Shell_NotifyIconA(NIM_MODIFY, &TrayIcon);
    if (old)
        DestroyIcon(old);
}

// Explorer started again: the icon at the size of now, added anew.
void OnTaskbarCreated() {
    RenewTrayIcon(true);
    AddTrayIcon();
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

void OnLensDestroy() {
    SaveSettingsOnce();
    StopDynamicTimer();
    AccessibilityShortcutsAt(ShortcutMoment::Exit);
    KillTimer(LensWindow, TrayRetryTimer);
    if (HotkeyRegistered)
        UnregisterHotKey(LensWindow, LensHotkeyId);
    HotkeyRegistered = false;
    ReleaseDrawingResources();
    DestroyWindow(InputOverlay);
    UnregisterClassA(LENS_CLASS_NAME, ProgramModule);
    UnregisterClassA(OVERLAY_CLASS_NAME, ProgramModule);
    DestroyTrayMenu();
    FreeResource(ClickSound);
    Shell_NotifyIconA(NIM_DELETE, &TrayIcon);
    if (TrayIcon.hIcon)
        DestroyIcon(TrayIcon.hIcon);
    TrayIcon.hIcon = nullptr;
    PostQuitMessage(0);
}

LRESULT CALLBACK LensProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY: OnLensDestroy(); break;
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
    case TrayCallbackMessage: OnTrayCallback(lParam); break;
    default:
        if (message == TaskbarCreatedMessage && message != 0)
            OnTaskbarCreated();
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void OnOverlayPaint(HWND window) {
    PAINTSTRUCT ps{};
    BeginPaint(window, &ps);
    EndPaint(window, &ps);
}

LRESULT CALLBACK OverlayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: SetModeCursor(); break;
    case WM_ACTIVATE: OnActivate(window, wParam); break;
    case WM_PAINT: OnOverlayPaint(window); break;
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

// --- start-up steps ---------------------------------------------------------

bool RegisterLensClass() {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_OWNDC | CS_DBLCLKS;
    wc.lpfnWndProc = LensProc;
    wc.hInstance = ProgramModule;
    wc.hbrBackground = CreateSolidBrush(LensBackgroundColour);
    wc.lpszClassName = LENS_CLASS_NAME;
    return RegisterClassExA(&wc) != 0;
}

bool RegisterOverlayClass() {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_OWNDC | CS_DBLCLKS;
    wc.lpfnWndProc = OverlayProc;
    wc.hInstance = ProgramModule;
    // Black on the Windows path, so that the layer's blend, if any, is known;
    // Wine's layer at alpha 0 paints nothing.
    if (NextShowLayer.way != LayerAlphaZero)
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = OVERLAY_CLASS_NAME;
    return RegisterClassExA(&wc) != 0;
}

void CreateInputOverlay() {
    ChooseLayerWay();
    if (!RegisterOverlayClass()) {
        WarnAndFail("Window Registration Failed_a!", "Error!1");
        return;
    }
    MakeInputLayer();
}

// The one place that says what the tooltip holds now.
void CurrentTrayTip(char* tip, int capacity) {
    const std::wstring trailing = TipTrailing(ColoursVerdict, ColoursOnHdr, SettingsUnsaved());
    AnsiTrayTip(tip, capacity, Geometry.Zoom, HotkeyRegistered, trailing.c_str(), GetACP());
}

void PrepareTrayIcon() {
    ZeroMemory(&TrayIcon, sizeof(TrayIcon));
    TrayIcon.cbSize = sizeof(TrayIcon);
    TrayIcon.hWnd = LensWindow;
    TrayIcon.uID = TrayIconId;
    TrayIcon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    CurrentTrayTip(TrayIcon.szTip, sizeof(TrayIcon.szTip));
    TrayIcon.uCallbackMessage = TrayCallbackMessage;
    TrayIconPixels = SmallIconSize();
    TrayIcon.hIcon = static_cast<HICON>(LoadImageA(ProgramModule, "abb", IMAGE_ICON,
                                                   TrayIconPixels, TrayIconPixels,
                                                   LR_DEFAULTCOLOR));
    TrayIcon.uVersion = NOTIFYICON_VERSION;
}

// Windows keeps many Win shortcuts for itself and another program may hold
// this one: then the tooltip says so, and Vellix runs all the same.
// MOD_NOREPEAT keeps a held combination from repeating; Vista refuses it.
bool RegisterLensHotkey() {
    return RegisterHotKey(LensWindow, LensHotkeyId, MOD_WIN | MOD_SHIFT | MOD_NOREPEAT,
                          LensHotkeyKey) ||
           RegisterHotKey(LensWindow, LensHotkeyId, MOD_WIN | MOD_SHIFT, LensHotkeyKey);
}

}  // namespace

void UpdateTrayTip() {
    if (!TrayIcon.hWnd)
        return;  // not made yet: it is made with the tooltip of the moment
    char tip[sizeof(TrayIcon.szTip)];
    CurrentTrayTip(tip, sizeof(tip));
    if (lstrcmpA(tip, TrayIcon.szTip) == 0)
        return;
    lstrcpynA(TrayIcon.szTip, tip, sizeof(TrayIcon.szTip));
    Shell_NotifyIconA(NIM_MODIFY, &TrayIcon);
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

bool AllowTaskbarCreated(HWND window, UINT message) {
    if (message == 0)
        return false;
    // Windows 7 filters per window; Vista only per process.
    if (DynCalls.ChangeWindowMessageFilterEx)
        return DynCalls.ChangeWindowMessageFilterEx(window, message, MSGFLT_ALLOW, nullptr) !=
               FALSE;
    return DynCalls.ChangeWindowMessageFilter &&
           DynCalls.ChangeWindowMessageFilter(message, MSGFLT_ADD) != FALSE;
}

KeyAction KeyDownAction(WPARAM key, LPARAM flags, LensState lens, WPARAM actingArrow) {
    // A held key acts once: bit 30 marks the keyboard's repeats. A repeat
    // that finds the lens shown belongs to a key pressed before the show,
    // such as the hotkey's Z still held after its Win key was let go. Only a
    // held arrow pressed during the show moves on.
    const bool repeat = (static_cast<DWORD>(flags) & 0x40000000u) != 0;
    if (IsArrowKey(key) && lens == LensState::ShownMagnifying)
        return !repeat || key == actingArrow ? KeyMovePointer : KeyNothing;
    if (repeat)
        return KeyNothing;
    if (!IsKeptKey(key))
        return KeyHide;
    // A hidden lens has nothing to act on.
    if (lens == LensState::Hidden)
        return KeyNothing;
    if (key == VK_SHIFT)
        return KeyCopySwatch;
    if (key == VK_CONTROL)
        return KeyCopyText;
    return KeyToggle;
}

bool ArrowTarget(WPARAM key, const MonitorSet& monitors, POINT from, POINT* to) {
    const int x = from.x + ArrowStepX(key);
    const int y = from.y + ArrowStepY(key);
    if (!IsArrowKey(key))
        return false;
    for (int i = 0; i < monitors.Count && i < MaxMonitors; ++i) {
        const LensRect& m = monitors.Rects[i];
        if (x >= m.left && x < m.right && y >= m.top && y < m.bottom) {
            *to = POINT{x, y};
            return true;
        }
    }
    return false;
}

void ForgetActingArrow() {
    ActingArrow = 0;
}

TrayAction TrayEventAction(UINT event, UINT previous, bool lensShown, bool menuOpen) {
    switch (event) {
    case WM_LBUTTONUP: return TrayToggle;
    // The keyboard's Enter can come twice: it only shows, Esc hides.
    case NIN_KEYSELECT: return !lensShown && !menuOpen ? TrayShow : TrayNothing;
    // A right click brings WM_RBUTTONUP then WM_CONTEXTMENU: one menu.
    case WM_CONTEXTMENU:
        if (previous == WM_RBUTTONUP)
            return TrayNothing;
        [[fallthrough]];
    case WM_RBUTTONUP: return !lensShown && !menuOpen ? TrayOpenMenu : TrayNothing;
    // NIN_SELECT follows a left click's WM_LBUTTONUP.
    default: return TrayNothing;
    }
}

bool AnotherCopyRuns(bool made, DWORD error) {
    // A copy run elevated made the mutex with a security that lets a normal
    // copy not even open it: that copy runs all the same.
    return error == ERROR_ALREADY_EXISTS || (!made && error == ERROR_ACCESS_DENIED);
}

std::wstring NotSavedText(const wchar_t* folder) {
    return std::wstring(L"Vellix could not save its settings in this folder:\n\n") + folder;
}

#if !defined(_WIN64)
static_assert(sizeof(NOTIFYICONDATAA) == TrayRecordSize, "tray record size");
#endif

int RunVellix(HINSTANCE module) {
    ProgramModule = module;
    SetLastError(0);
    const HANDLE mutex = CreateMutexA(nullptr, FALSE, VELLIX_MUTEX_NAME);
    if (AnotherCopyRuns(mutex != nullptr, GetLastError()))
        return 0;
    WatchForCrash();
    // What the system offers and what is fixed for the run, once, before
    // anything asks.
    InitDynCalls();
    RecordRunFacts();

    if (!CreateLensWindows())
        return 0;

    InitSettings();
    CreateDrawingResources();
    BuildTrayMenu();
    LayoutLens();
    TaskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");
    // Run elevated, the program would otherwise never hear that Explorer
    // started again, and its icon would be gone for good.
    AllowTaskbarCreated(LensWindow, TaskbarCreatedMessage);
    HotkeyRegistered = RegisterLensHotkey();
    PrepareTrayIcon();
    AddTrayIcon();
    SyncMenuChecks();
    return RunMessageLoop();
}

bool CreateLensWindows() {
    if (!RegisterLensClass()) {
        WarnAndFail("Window Registration Failed!", "Error!1");
        return false;
    }
    LensWindow = CreateWindowExA(WS_EX_CLIENTEDGE | WS_EX_TOOLWINDOW, LENS_CLASS_NAME,
                                 LENS_WINDOW_TITLE, WS_POPUP, 375, 179, 210, 330, nullptr,
                                 nullptr, ProgramModule, nullptr);
    // Reported at once: nothing after this point can work without the window.
    if (!LensWindow) {
        WarnAndFail("Window Creation Failed!", "Error!");
        return false;
    }
    LensDC = GetDC(LensWindow);
    DisableTransitions(LensWindow);
    // A rounded corner could cover the frame's edges.
    KeepSquareCorners(LensWindow);
    CreateInputOverlay();
    SetBkMode(LensDC, TRANSPARENT);
    return true;
}

void DestroyLensWindows() {
    DestroyWindow(LensWindow);
    DestroyWindow(InputOverlay);
}
