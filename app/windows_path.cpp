// The calls the test build's second program replaces with its own versions
// (tests/e2e/windows_path_switch.cpp), alone in this file for that reason:
// the switch to the Windows path under Wine, the exclusion from capture and
// the system's accessibility settings.
#include "app/windows_path.h"

#include "settings/system_calls.h"

bool WindowsPathUnderWine(WindowsVersionInfo*) {
    return false;
}

// Asked for the exclusion, and the affinity read back: anything else in
// force (WDA_MONITOR would read the layer as black) is dropped. Looked up at
// run time: Windows Vista has neither call.
bool ExcludeFromCaptures(HWND layer) {
    const auto set = DynCalls.SetWindowDisplayAffinity;
    const auto get = DynCalls.GetWindowDisplayAffinity;
    if (!set || !get || !set(layer, WDA_EXCLUDEFROMCAPTURE))
        return false;
    DWORD affinity = WDA_NONE;
    if (get(layer, &affinity) && affinity == WDA_EXCLUDEFROMCAPTURE)
        return true;
    set(layer, WDA_NONE);
    return false;
}

// Only for this session: without SPIF_UPDATEINIFILE the user's stored
// settings are untouched, and signing out brings them back.
bool AccessibilityParameter(UINT action, UINT size, void* record) {
    return SystemParametersInfoW(action, size, record, 0) != FALSE;
}
