// Start-up and shutdown: the single copy, the two windows, the settings and
// the drawing objects, the tray and the hotkey, the message loop; at the lens
// window's end the settings saved and everything given back.
#include "app/app.h"

#include <shellapi.h>

#include "app/accessibility_shortcuts.h"
#include "app/composition.h"
#include "app/dynamic_timer.h"
#include "app/ids.h"
#include "app/input_layer.h"
#include "app/lens.h"
#include "app/run_facts.h"
#include "app/shell.h"
#include "app/tray.h"
#include "avoidance/avoidance.h"
#include "geometry/geometry.h"
#include "menu/menu.h"
#include "readout/readout.h"
#include "render/render.h"
#include "settings/settings.h"
#include "settings/shared.h"
#include "settings/system_calls.h"

HINSTANCE ProgramModule;
HWND LensWindow;
HWND InputOverlay;
HDC LensDC;

bool HotkeyRegistered;

namespace {

bool SettingsSaved;  // once the settings are written for this run

void WarnAndFail(const char* text, const char* caption) {
    MessageBoxA(nullptr, text, caption, MB_SYSTEMMODAL | MB_ICONWARNING);
}

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

void CreateInputLayer() {
    ChooseLayerWay();
    if (!RegisterInputLayerClass()) {
        WarnAndFail("Window Registration Failed_a!", "Error!1");
        return;
    }
    MakeInputLayer();
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

// At Exit, and at the end of a session, where Windows ends the program
// without destroying its windows; never twice. False where a file could not
// be written.
bool SaveSettingsOnce() {
    if (SettingsSaved)
        return true;
    SettingsSaved = true;
    const bool choice = SaveProfileChoice();
    return SaveActiveProfile() && choice;
}

void ShutDown() {
    SaveSettingsOnce();
    StopDynamicTimer();
    AccessibilityShortcutsAt(ShortcutMoment::Exit);
    if (HotkeyRegistered)
        UnregisterHotKey(LensWindow, LensHotkeyId);
    HotkeyRegistered = false;
    ReleaseDrawingResources();
    DestroyWindow(InputOverlay);
    UnregisterClassA(LENS_CLASS_NAME, ProgramModule);
    UnregisterClassA(INPUT_LAYER_CLASS_NAME, ProgramModule);
    DestroyTrayMenu();
    FreeResource(ClickSound);
    RemoveTrayIcon();
    PostQuitMessage(0);
}

bool AnotherCopyRuns(bool made, DWORD error) {
    // A copy run elevated made the mutex with a security that lets a normal
    // copy not even open it: that copy runs all the same.
    return error == ERROR_ALREADY_EXISTS || (!made && error == ERROR_ACCESS_DENIED);
}

std::wstring NotSavedText(const wchar_t* folder) {
    return std::wstring(L"Vellix could not save its settings in this folder:\n\n") + folder;
}

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
    ListenForTaskbarCreated();
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
    CreateInputLayer();
    SetBkMode(LensDC, TRANSPARENT);
    return true;
}

void DestroyLensWindows() {
    DestroyWindow(LensWindow);
    DestroyWindow(InputOverlay);
}

// The settings' start-up belongs to the shell's: besides the settings it
// gives the controller, the drawing and the avoidance their start values and
// makes the first drawing objects, in the order the steps below keep.
void InitSettings() {
    ResetLensState();
    LensSettings.SavedNormalFormat = 0;
    LensSettings.SavedReadingFormat = 0;
    ForgetBuiltOverlay();
    ResetAvoidance();

    CreateEarlyDrawingObjects();

    LensSettings.StartupShortcut = 0;
    TestStartupShortcut();

    RecordStartPaths();

    ProfileDefaults = StandardProfileDefaults();
    ReadProfileChoice();
    LoadActiveProfile();
    ApplyFormat();
}
