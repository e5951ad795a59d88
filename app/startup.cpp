// The settings start-up. It belongs to the shell's start-up: besides the
// settings it gives the controller, the drawing and the avoidance their start
// values and makes the first drawing objects, in the order the steps below keep.
#include "app/app.h"

#include <cwchar>

#include "geometry/geometry.h"
#include "render/render.h"
#include "settings/settings.h"
#include "settings/shared.h"

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
