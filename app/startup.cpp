// The settings start-up. It belongs to the shell's start-up: besides the
// settings it gives the controller, the drawing and the avoidance their start
// values and makes the first drawing objects, in the order the steps below keep.
#include "app/app.h"

#include "avoidance/avoidance.h"

#include "geometry/geometry.h"
#include "render/render.h"
#include "settings/settings.h"
#include "settings/shared.h"

void InitSettings() {
    ResetLensState();
    LensSettings.SavedNormalFormat = 0;
    LensSettings.SavedReadingFormat = 0;
    OverlayBuiltWidth = 1;
    OverlayBuiltHeight = 1;
    ResetAvoidance();

    CreateEarlyDrawingObjects();

    LensSettings.StartupShortcut = 0;
    TestStartupShortcut();

    RecordStartPaths();

    ProfileDefaults = StandardProfileDefaults();
    ReadProfileChoice();
    LoadActiveProfile();
    ApplyFormat();
}
