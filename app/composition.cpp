// What Vellix asks of the desktop's composition (DWM): no fades, square
// corners, and a wait for its next frame.
#include "app/composition.h"

#include <dwmapi.h>

#include "app/ids.h"
#include "settings/system_calls.h"

namespace {

// A window attribute of 32 bits (a BOOL or an enumeration's value); Windows
// XP has no dwmapi.dll.
void SetWindowAttribute(HWND window, DWORD attribute, DWORD value) {
    if (DynCalls.DwmSetWindowAttribute)
        DynCalls.DwmSetWindowAttribute(window, attribute, &value, sizeof(value));
}
}  // namespace

void DisableTransitions(HWND window) {
    SetWindowAttribute(window, DWMWA_TRANSITIONS_FORCEDISABLED, TRUE);
}

void KeepSquareCorners(HWND window) {
    // A system that does not know the attribute refuses it: nothing to round there.
    SetWindowAttribute(window, DWMWA_WINDOW_CORNER_PREFERENCE, DWMWCP_DONOTROUND);
}

bool WaitForComposition() {
    return DynCalls.DwmFlush && SUCCEEDED(DynCalls.DwmFlush());
}
