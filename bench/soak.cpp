// Runs the lens through many cycles of show, activate, wheel steps, refresh,
// copy and hide in every mode, and opens the tray menu many times, with the program's own
// code and windows in this process. Counts GDI and USER objects and the
// working set after a first warm-up cycle and at the end: the counts must not
// grow.
//
//   vellix_soak.exe [CYCLES] [MENU_OPENINGS]     (default 1000 and 100)
//
// Exit code 0 when nothing grew, 1 otherwise. scripts/bench runs the long
// soak; CTest runs a short one.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/app.h"
#include "app/ids.h"
#include "app/lens.h"
#include "geometry/geometry.h"
#include "menu/menu.h"
#include "readout/readout.h"
#include "render/render.h"
#include "settings/settings.h"
#include "support.h"  // GdiObjects, shared with the drawing tests

namespace {

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

BOOL CALLBACK CountWindow(HWND, LPARAM param) {
    ++*reinterpret_cast<DWORD*>(param);
    return TRUE;
}

// Live USER objects: windows, menus, cursors and icons. Wine answers 0 here
// too; it takes a USER handle with upper word 0 as the one at its index
// (even indices from 0x20), so the table is walked for menus and icons.
DWORD UserObjects() {
    const DWORD counted = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    if (counted != 0)
        return counted;
    DWORD live = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&live));
    for (UINT_PTR index = 0x20; index < 0x10000; index += 2) {
        if (IsMenu(reinterpret_cast<HMENU>(index))) {
            ++live;
            continue;
        }
        ICONINFO info{};
        if (GetIconInfo(reinterpret_cast<HICON>(index), &info)) {
            ++live;
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
        }
    }
    return live;
}

double WorkingSetMb() {
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof(pmc);
    GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof(pmc));
    return static_cast<double>(pmc.WorkingSetSize) / (1024.0 * 1024.0);
}

struct Counts {
    DWORD gdi, user;
    double workingSet;
};

Counts Measure() {
    Pump();
    return {GdiObjects(), UserObjects(), WorkingSetMb()};
}

void ChooseMode(int mode) {
    LensSettings.ProFlag = mode == ModePro ? 1 : 0;
    LensSettings.ReadingFlag = mode == ModeReading ? 1 : 0;
    LensSettings.MagnifyFactor = static_cast<int8_t>(mode == ModePro ? 8 : 2);
    LensSettings.WindowFormat = static_cast<int8_t>(mode == ModeReading ? 32 : 24);
    LensSettings.DynamicRefresh = 0;
    LensSettings.SoundOn = 0;
    ApplyFormat();
}

// Set by a wheel step that did not move the factor and its check mark.
bool WheelFailed;

// A notch: the lens is laid out, placed and rebuilt at the next factor.
void WheelNotch(int delta) {
    const int want = LensSettings.MagnifyFactor + (delta > 0 ? 1 : -1);
    SendMessageA(InputOverlay, WM_MOUSEWHEEL, MAKEWPARAM(0, delta), MAKELPARAM(300, 300));
    const UINT item = static_cast<UINT>(80 + want);
    WheelFailed |= LensSettings.MagnifyFactor != want ||
                   !(GetMenuState(TrayMenu, item, MF_BYCOMMAND) & MF_CHECKED);
}

// One cycle as a user makes it: the tray click shows the lens, Space
// activates it, a notch up and one down change its zoom, pointer moves
// refresh it, Ctrl and Shift copy, Esc hides it.
void Cycle(int i) {
    SendMessageA(LensWindow, TrayCallbackMessage, TrayIconId, WM_LBUTTONUP);
    Pump();
    ToggleActive();
    WheelNotch(WHEEL_DELTA);
    WheelNotch(-WHEEL_DELTA);
    for (int k = 0; k < 3; ++k) {
        SetCursorPos(200 + (i + k) % 40, 200 + k * 7);
        RefreshFromPointer();
    }
    Pump();
    CopyPixelText();
    CopyColourSwatch();
    HideLens();
    Pump();
}

void CALLBACK CloseMenu(HWND, UINT, UINT_PTR, DWORD) {
    EndMenu();
}

// A right click on the tray icon opens the menu (while the lens is hidden);
// a timer closes it again, as a click elsewhere would.
void OpenMenu() {
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, CloseMenu);
    SendMessageA(LensWindow, TrayCallbackMessage, TrayIconId, WM_RBUTTONUP);
    KillTimer(nullptr, timer);
    Pump();
}

bool Report(const char* what, const Counts& before, const Counts& after) {
    const bool flat = after.gdi <= before.gdi && after.user <= before.user;
    printf("%-9s GDI %5lu -> %5lu   USER %4lu -> %4lu   working set %6.1f -> %6.1f MB  %s\n",
           what, static_cast<unsigned long>(before.gdi), static_cast<unsigned long>(after.gdi),
           static_cast<unsigned long>(before.user), static_cast<unsigned long>(after.user),
           before.workingSet, after.workingSet, flat ? "flat" : "GROWN");
    fflush(stdout);
    return flat;
}

}  // namespace

int main(int argc, char** argv) {
    const int cycles = argc > 1 ? atoi(argv[1]) : 1000;
    const int openings = argc > 2 ? atoi(argv[2]) : 100;
    // Settings files land in a directory of the soak's own.
    char base[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, base);
    const std::string directory =
        std::string(base) + "vellix-soak-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(directory.c_str(), nullptr);
    SetCurrentDirectoryA(directory.c_str());

    ProgramModule = GetModuleHandleA(nullptr);
    if (!CreateLensWindows())
        return 1;
    InitSettings();
    CreateDrawingResources();
    BuildTrayMenu();
    LayoutLens();
    SyncMenuChecks();

    printf("Vellix soak: %d cycles of show, activate, 2 wheel steps, 3 refreshes, copy text,\n"
           "copy swatch, hide per mode; %d tray menu openings; counts after one warm-up cycle\n"
           "and at the end\n",
           cycles, openings);
    bool flat = true;
    const int modes[] = {ModeCommon, ModePro, ModeReading};
    const char* names[] = {"Common", "Pro", "Reading"};
    for (int m = 0; m < 3; ++m) {
        ChooseMode(modes[m]);
        Cycle(0);
        const Counts before = Measure();
        for (int i = 1; i <= cycles; ++i)
            Cycle(i);
        flat = Report(names[m], before, Measure()) && flat;
    }
    OpenMenu();
    const Counts before = Measure();
    for (int i = 0; i < openings; ++i)
        OpenMenu();
    flat = Report("Menu", before, Measure()) && flat;
    if (WheelFailed)
        printf("a wheel step did not change the factor and its check mark\n");

    DestroyLensWindows();
    Pump();
    DeleteFileA("Vellix.ini");
    for (char p = 'A'; p <= 'E'; ++p)
        DeleteFileA((std::string("Profile_") + p + ".ini").c_str());
    SetCurrentDirectoryA(base);
    RemoveDirectoryA(directory.c_str());
    return flat && !WheelFailed ? 0 : 1;
}
