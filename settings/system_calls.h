// The functions of system DLLs that an older Windows lacks, looked up once at
// start-up (InitDynCalls) rather than imported, so that such a Windows still
// starts Vellix. Each is nullptr where the system has no such call.
//
// Beside the shared state at the bottom of the house, but apart from the
// Windows-free settings.h, so that every folder may call through it.
#pragma once

#include <windows.h>

struct DynCallTable {
    // ntdll: the real version, whatever the manifest says; Wine's own export.
    LONG(WINAPI* RtlGetVersion)(RTL_OSVERSIONINFOW*);
    const char*(CDECL* WineGetVersion)();
    // kernel32 (Windows 10 1803's high-resolution waitable timer).
    HANDLE(WINAPI* CreateWaitableTimerExW)(LPSECURITY_ATTRIBUTES, LPCWSTR, DWORD, DWORD);
    // user32: the message filter (Vista, per window from 7), the capture
    // exclusion (7, WDA_EXCLUDEFROMCAPTURE from 10 2004), the display paths
    // (7) and the per-monitor DPI calls (10 1607).
    BOOL(WINAPI* ChangeWindowMessageFilterEx)(HWND, UINT, DWORD, CHANGEFILTERSTRUCT*);
    BOOL(WINAPI* ChangeWindowMessageFilter)(UINT, DWORD);
    BOOL(WINAPI* SetWindowDisplayAffinity)(HWND, DWORD);
    BOOL(WINAPI* GetWindowDisplayAffinity)(HWND, DWORD*);
    LONG(WINAPI* GetDisplayConfigBufferSizes)(UINT32, UINT32*, UINT32*);
    LONG(WINAPI* QueryDisplayConfig)(UINT32, UINT32*, DISPLAYCONFIG_PATH_INFO*, UINT32*,
                                     DISPLAYCONFIG_MODE_INFO*, DISPLAYCONFIG_TOPOLOGY_ID*);
    LONG(WINAPI* DisplayConfigGetDeviceInfo)(DISPLAYCONFIG_DEVICE_INFO_HEADER*);
    DPI_AWARENESS_CONTEXT(WINAPI* GetThreadDpiAwarenessContext)();
    BOOL(WINAPI* AreDpiAwarenessContextsEqual)(DPI_AWARENESS_CONTEXT, DPI_AWARENESS_CONTEXT);
    int(WINAPI* GetSystemMetricsForDpi)(int, UINT);
    // shcore (8.1), loaded for the run.
    HRESULT(WINAPI* GetDpiForMonitor)(HMONITOR, int, UINT*, UINT*);
    // dwmapi (Vista; XP has none), loaded for the run.
    HRESULT(WINAPI* DwmSetWindowAttribute)(HWND, DWORD, LPCVOID, DWORD);
    HRESULT(WINAPI* DwmFlush)();
    // shell32 (Vista's known folders).
    HRESULT(WINAPI* SHGetKnownFolderPath)(REFGUID, DWORD, HANDLE, PWSTR*);
};

// Filled by InitDynCalls, the first step of start-up; read-only everywhere.
extern const DynCallTable& DynCalls;
void InitDynCalls();
