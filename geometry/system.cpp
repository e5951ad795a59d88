#include <windows.h>

#include "geometry/geometry.h"
#include "settings/settings.h"
#include "settings/shared.h"
#include "settings/system_calls.h"

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

// Only per-monitor v2 (Windows 10 1703 on) draws a window's frame at the DPI
// of its monitor; under per-monitor v1 (8.1 to 10 1607) and system awareness
// the frame keeps the system DPI that GetSystemMetrics gives.
bool FrameFollowsMonitorDpi() {
    const auto current = DynCalls.GetThreadDpiAwarenessContext;
    const auto same = DynCalls.AreDpiAwarenessContextsEqual;
    return current && same && same(current(), DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
}

// GetSystemMetrics keeps the DPI the session started with, while the
// per-monitor v2 manifest makes the lens's frame follow the DPI of the monitor
// it is on now: a scale changed since sign-in would clip the image.
void ReadFrameMetrics(SystemFacts& facts) {
    const auto metrics = FrameFollowsMonitorDpi() ? DynCalls.GetSystemMetricsForDpi : nullptr;
    const UINT dpi = metrics ? PrimaryMonitorDpi() : 0;
    if (dpi == 0) {
        facts.CxBorder = GetSystemMetrics(SM_CXBORDER);
        facts.CyBorder = GetSystemMetrics(SM_CYBORDER);
        facts.CxDlgFrame = GetSystemMetrics(SM_CXDLGFRAME);
    } else {
        facts.CxBorder = metrics(SM_CXBORDER, dpi);
        facts.CyBorder = metrics(SM_CYBORDER, dpi);
        facts.CxDlgFrame = metrics(SM_CXDLGFRAME, dpi);
    }
}

}  // namespace

// The calls come with Windows 10 1607 (shcore's with 8.1), so they are looked up.
unsigned PrimaryMonitorDpi() {
    const auto dpiOf = DynCalls.GetDpiForMonitor;
    UINT dpiX = 0;
    UINT dpiY = 0;
    constexpr int EffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
    if (!dpiOf || dpiOf(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), EffectiveDpi,
                        &dpiX, &dpiY) != S_OK)
        dpiX = 0;
    return dpiX;
}

int SmallIconSize() {
    const auto metrics = DynCalls.GetSystemMetricsForDpi;
    const UINT dpi = metrics ? PrimaryMonitorDpi() : 0;
    return dpi != 0 ? metrics(SM_CXSMICON, dpi) : GetSystemMetrics(SM_CXSMICON);
}

SystemFacts ReadSystemFacts() {
    SystemFacts facts{};
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    facts.WorkArea = {work.left, work.top, work.right, work.bottom};
    ReadFrameMetrics(facts);
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

void ReadDesk() {
    TakeDesk(Geometry, ReadSystemFacts());
}
