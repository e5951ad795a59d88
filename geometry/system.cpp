#include <windows.h>

#include "geometry/geometry.h"
#include "settings/settings.h"

namespace {

BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT r, LPARAM param) {
    auto* set = reinterpret_cast<MonitorSet*>(param);
    const LensRect m{r->left, r->top, r->right, r->bottom};
    // Past the last slot, the rest share it: its holes are then left as
    // captured rather than a monitor's pixels being greyed.
    if (set->Count < MaxMonitors)
        set->Rects[set->Count++] = m;
    else
        set->Rects[MaxMonitors - 1] = BoundingRect(set->Rects[MaxMonitors - 1], m);
    return TRUE;
}

}  // namespace

SystemFacts ReadSystemFacts() {
    SystemFacts facts{};
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    facts.WorkArea = {work.left, work.top, work.right, work.bottom};
    facts.CxBorder = GetSystemMetrics(SM_CXBORDER);
    facts.CyBorder = GetSystemMetrics(SM_CYBORDER);
    facts.CxDlgFrame = GetSystemMetrics(SM_CXDLGFRAME);
    DEVMODEA mode{};
    mode.dmSize = sizeof(mode);
    if (EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode)) {
        facts.ScreenWidth = static_cast<int>(mode.dmPelsWidth);
        facts.ScreenHeight = static_cast<int>(mode.dmPelsHeight);
    } else {
        facts.ScreenWidth = GetSystemMetrics(SM_CXSCREEN);
        facts.ScreenHeight = GetSystemMetrics(SM_CYSCREEN);
    }
    const int vx = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int vy = GetSystemMetrics(SM_YVIRTUALSCREEN);
    facts.VirtualScreen = {vx, vy, vx + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                           vy + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&facts.Monitors));
    return facts;
}

void ApplyFormat() {
    ComputeFormat(Geometry, LensSettings.MagnifyFactor, LensSettings.WindowFormat,
                  LensSettings.ProFlag, ReadSystemFacts());
}

void LayoutLens() {
    ComputeLayout(Geometry, LensSettings.ProFlag, ReadSystemFacts());
}
