// The settings start-up. It belongs to the shell's start-up: besides the
// settings it gives the controller, the drawing and the avoidance their start
// values and makes the first drawing objects, in the order the steps below keep.
#include "app/app.h"

#include "geometry/geometry.h"
#include "render/render.h"
#include "settings/settings.h"
#include "settings/shared.h"

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

    RecordStartPaths();

    MenuIdle = 1;
    LensShown = 0;

    ProfileDefaults = StandardProfileDefaults();
    ReadProfileChoice();
    LoadActiveProfile();
    ApplyFormat();
}
