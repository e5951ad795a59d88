// Start-up, the two window procedures, the tray icon and shutdown.
#include "app/app.h"

#include <shellapi.h>

#include "avoidance/avoidance.h"
#include "geometry/geometry.h"
#include "menu/menu.h"
#include "readout/readout.h"
#include "render/render.h"
#include "settings/settings.h"

HINSTANCE ProgramModule;
HWND LensWindow;
HWND InputOverlay;
HDC LensDC;

int LensShown;
int LensActive;
int MenuIdle = 1;
int FirstShow = 1;
int Initialised;

namespace {

NOTIFYICONDATAA TrayIcon;
UINT TaskbarCreatedMessage;
int TrayRetriesLeft;
int SettingsSaved;  // 1 once the settings are written for this run

void WarnAndFail(const char* text, const char* caption) {
    MessageBoxA(nullptr, text, caption, MB_SYSTEMMODAL | MB_ICONWARNING);
}

// --- key and pointer rules shared by both windows ---------------------------

bool IsKeptKey(WPARAM key) {
    return key == VK_SPACE || key == VK_CONTROL || key == VK_SHIFT;
}

void OnKeyDown(WPARAM key) {
    if (!IsKeptKey(key))
        HideLens();
    if (key == VK_SHIFT)
        CopyColourSwatch();
    else if (key == VK_CONTROL)
        CopyPixelText();
    else if (key == VK_ESCAPE)
        HideLens();
    else if (key == VK_SPACE)
        ToggleActive();
}

void OnSysKeyDown(WPARAM key) {
    if (!IsKeptKey(key))
        HideLens();
}

void OnMouseMove() {
    if (LensSettings.DynamicRefresh == 0)
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

void OnTimer(WPARAM id) {
    if (id == TrayRetryTimer) {
        RetryTrayIcon();
    } else if (id == DodgeAsideTimer || id == DodgeHomeTimer) {
        DodgeTimerFired(static_cast<unsigned>(id));
        SetActiveWindow(LensWindow);
        SetFocus(LensWindow);
    } else if (id == DynamicTimer) {
        KillTimer(LensWindow, DynamicTimer);
        RefreshFromPointer();
        if (LensActive == 1)
            SetTimer(LensWindow, DynamicTimer, DynamicTimerMs, nullptr);
    }
}

void OnExitMenuLoop() {
    if (LensShown == 0)
        MenuIdle = 1;
}

// Windows closes a tray menu when another program takes the foreground. Wine
// keeps it open, and then a click elsewhere goes to that program, never to the
// menu, which stays open and keeps the lens from showing.
void OnActivateApp(WPARAM active) {
    if (active == FALSE && MenuIdle == 0)
        EndMenu();
}

void OnTrayCallback(LPARAM event) {
    if (event == WM_RBUTTONUP && LensShown == 0) {
        MenuIdle = 0;
        ShowTrayMenu();
    } else if (event == WM_LBUTTONUP) {
        ShowOrHideLens();
    }
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
// without destroying its windows; never twice.
void SaveSettingsOnce() {
    if (SettingsSaved == 1)
        return;
    SettingsSaved = 1;
    SaveProfileChoice();
    SaveActiveProfile();
}

void OnEndSession(WPARAM ending) {
    if (ending)
        SaveSettingsOnce();
}

// A monitor plugged in or a mode changed while Vellix runs: the old display
// DC may still have the old desk's extent, and the capture must know the new
// desk's edges at once. The rest of the layout waits for the next show.
void OnDisplayChange() {
    if (Initialised != 1)
        return;
    ReadDesk();
    RemakeScreenDC();
}

void OnLensDestroy() {
    SaveSettingsOnce();
    KillTimer(LensWindow, TrayRetryTimer);
    ReleaseDrawingResources();
    DestroyWindow(InputOverlay);
    UnregisterClassA(LENS_CLASS_NAME, ProgramModule);
    UnregisterClassA(OVERLAY_CLASS_NAME, ProgramModule);
    DestroyTrayMenu();
    FreeResource(ClickSound);
    Shell_NotifyIconA(NIM_DELETE, &TrayIcon);
    PostQuitMessage(0);
}

LRESULT CALLBACK LensProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY: OnLensDestroy(); break;
    case WM_ACTIVATE: OnActivate(window, wParam); break;
    case WM_ACTIVATEAPP: OnActivateApp(wParam); break;
    case WM_PAINT: OnLensPaint(window); break;
    case WM_CLOSE: DestroyLensWindows(); return 0;
    case WM_KEYDOWN: OnKeyDown(wParam); break;
    case WM_SYSKEYDOWN: OnSysKeyDown(wParam); break;
    case WM_COMMAND: HandleMenuCommand(wParam); break;
    case WM_TIMER: OnTimer(wParam); break;
    case WM_MOUSEMOVE: OnMouseMove(); break;
    case WM_LBUTTONDOWN: EndMenu(); break;
    case WM_LBUTTONUP: ToggleActive(); break;
    case WM_RBUTTONUP: HideLens(); break;
    case WM_EXITMENULOOP: OnExitMenuLoop(); break;
    case WM_ENDSESSION: OnEndSession(wParam); break;
    case WM_DISPLAYCHANGE: OnDisplayChange(); break;
    case TrayCallbackMessage: OnTrayCallback(lParam); break;
    default:
        if (message == TaskbarCreatedMessage && message != 0)
            AddTrayIcon();
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
    case WM_KEYDOWN: OnKeyDown(wParam); break;
    case WM_SYSKEYDOWN: OnSysKeyDown(wParam); break;
    case WM_MOUSEMOVE: OnMouseMove(); break;
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
    wc.lpszClassName = OVERLAY_CLASS_NAME;
    return RegisterClassExA(&wc) != 0;
}

void CreateInputOverlay() {
    if (!RegisterOverlayClass()) {
        WarnAndFail("Window Registration Failed_a!", "Error!1");
        return;
    }
    // A layered window at alpha 1 stays invisible yet still takes the pointer
    // and the keys; a window that paints nothing would be composed as black.
    InputOverlay = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_LAYERED, OVERLAY_CLASS_NAME,
                                   LENS_WINDOW_TITLE, WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                   ProgramModule, nullptr);
    if (InputOverlay)
        SetLayeredWindowAttributes(InputOverlay, 0, 1, LWA_ALPHA);
}

void PrepareTrayIcon() {
    ZeroMemory(&TrayIcon, sizeof(TrayIcon));
    TrayIcon.cbSize = sizeof(TrayIcon);
    TrayIcon.hWnd = LensWindow;
    TrayIcon.uID = TrayIconId;
    TrayIcon.uFlags = NIF_MESSAGE | NIF_ICON;
    TrayIcon.uCallbackMessage = TrayCallbackMessage;
    TrayIcon.hIcon = static_cast<HICON>(
        LoadImageA(ProgramModule, "abb", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                   GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    TrayIcon.uVersion = NOTIFYICON_VERSION;
}

int RunMessageLoop() {
    MSG msg{};
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace

#if !defined(_WIN64)
static_assert(sizeof(NOTIFYICONDATAA) == TrayRecordSize, "tray record size");
#endif

int RunVellix(HINSTANCE module) {
    ProgramModule = module;
    SetLastError(0);
    CreateMutexA(nullptr, FALSE, VELLIX_MUTEX_NAME);
    if (GetLastError() == ERROR_ALREADY_EXISTS)
        return 0;

    if (!CreateLensWindows())
        return 0;

    InitSettings();
    CreateDrawingResources();
    BuildTrayMenu();
    LayoutLens();
    TaskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");
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
    CreateInputOverlay();
    SetBkMode(LensDC, TRANSPARENT);
    return true;
}

void DestroyLensWindows() {
    DestroyWindow(LensWindow);
    DestroyWindow(InputOverlay);
}
