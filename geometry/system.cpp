#include <windows.h>

#include "geometry/geometry.h"
#include "settings/settings.h"

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
    return facts;
}

void ApplyFormat() {
    ComputeFormat(Geometry, LensSettings.MagnifyFactor, LensSettings.WindowFormat,
                  LensSettings.ProFlag, ReadSystemFacts());
}

void LayoutLens() {
    ComputeLayout(Geometry, LensSettings.ProFlag, ReadSystemFacts());
}
