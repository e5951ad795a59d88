#include <windows.h>

#include <cwchar>

#include "app/app.h"
#include "avoidance/avoidance.h"
#include "geometry/geometry.h"
#include "render/render.h"
#include "settings/settings.h"

namespace {

// Appends src to dst without ever writing past PathCapacity characters.
void AppendBounded(wchar_t* dst, const wchar_t* src) {
    size_t used = wcslen(dst);
    while (*src && used + 1 < PathCapacity)
        dst[used++] = *src++;
    dst[used] = L'\0';
}

}  // namespace

void InitSettings() {
    FirstShow = 1;
    LensSettings.SavedNormalFormat = 0;
    LensSettings.SavedReadingFormat = 0;
    OverlayBuiltWidth = 1;
    OverlayBuiltHeight = 1;
    Dodged = 0;
    MovedAside = 0;

    CreateEarlyDrawingObjects();

    LensSettings.StartupShortcut = 0;
    TestStartupShortcut();

    StartDirectory[0] = L'\0';
    GetCurrentDirectoryW(PathCapacity, StartDirectory);
    ProgramPath[0] = L'\0';
    AppendBounded(ProgramPath, StartDirectory);
    AppendBounded(ProgramPath, L"\\Vellix.exe");

    MenuIdle = 1;
    LensShown = 0;

    ProfileDefaults = StandardProfileDefaults();
    ReadProfileChoice();
    LoadActiveProfile();
    ApplyFormat();
}
