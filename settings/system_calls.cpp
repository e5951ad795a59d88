// The system's optional functions, looked up once for the run.
#include "settings/system_calls.h"

namespace {

DynCallTable Table;

// A DLL of the system loaded from the system folder, never one that lies
// beside the program or in the working directory; nullptr where it is missing.
HMODULE LoadSystemLibrary(const char* name) {
    char path[MAX_PATH];
    const UINT n = GetSystemDirectoryA(path, MAX_PATH);
    if (n == 0 || n + 1 + static_cast<UINT>(lstrlenA(name)) >= MAX_PATH)
        return nullptr;
    lstrcatA(path, "\\");
    lstrcatA(path, name);
    return LoadLibraryA(path);
}

// nullptr where the module is not loaded or has no such function.
template <typename Function>
void Look(Function& slot, HMODULE module, const char* name) {
    slot = module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                  : nullptr;
}

}  // namespace

const DynCallTable& DynCalls = Table;

void InitDynCalls() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    Look(Table.RtlGetVersion, ntdll, "RtlGetVersion");
    Look(Table.WineGetVersion, ntdll, "wine_get_version");
    Look(Table.CreateWaitableTimerExW, GetModuleHandleA("kernel32.dll"), "CreateWaitableTimerExW");
    const HMODULE user32 = GetModuleHandleA("user32.dll");
    Look(Table.ChangeWindowMessageFilterEx, user32, "ChangeWindowMessageFilterEx");
    Look(Table.ChangeWindowMessageFilter, user32, "ChangeWindowMessageFilter");
    Look(Table.SetWindowDisplayAffinity, user32, "SetWindowDisplayAffinity");
    Look(Table.GetWindowDisplayAffinity, user32, "GetWindowDisplayAffinity");
    Look(Table.GetDisplayConfigBufferSizes, user32, "GetDisplayConfigBufferSizes");
    Look(Table.QueryDisplayConfig, user32, "QueryDisplayConfig");
    Look(Table.DisplayConfigGetDeviceInfo, user32, "DisplayConfigGetDeviceInfo");
    Look(Table.GetThreadDpiAwarenessContext, user32, "GetThreadDpiAwarenessContext");
    Look(Table.AreDpiAwarenessContextsEqual, user32, "AreDpiAwarenessContextsEqual");
    Look(Table.GetSystemMetricsForDpi, user32, "GetSystemMetricsForDpi");
    // Kept loaded for the run: a call through the table needs its module. A
    // second start-up (the tests make one per program) loads nothing anew.
    static const HMODULE shcore = LoadSystemLibrary("shcore.dll");
    Look(Table.GetDpiForMonitor, shcore, "GetDpiForMonitor");
    static const HMODULE dwmapi = LoadSystemLibrary("dwmapi.dll");
    Look(Table.DwmSetWindowAttribute, dwmapi, "DwmSetWindowAttribute");
    Look(Table.DwmFlush, dwmapi, "DwmFlush");
    Look(Table.SHGetKnownFolderPath, GetModuleHandleA("shell32.dll"), "SHGetKnownFolderPath");
}
