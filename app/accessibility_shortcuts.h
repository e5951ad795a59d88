// The accessibility shortcuts (app/accessibility_shortcuts.cpp): five Shift
// presses or a long right Shift open a prompt that takes the keyboard from
// the lens. Where the feature itself is off, its shortcut bits are cleared
// while the lens is shown.
#pragma once

#include <windows.h>

DWORD ShortcutFlagsToClear(DWORD flags, DWORD featureOn);
DWORD ShortcutFlagsRestored(DWORD flags, DWORD cleared);
// The moments that touch them, and what each does: cleared while the lens is
// shown and the program in front, set again as they were otherwise.
enum class ShortcutMoment {
    Show,
    Hide,
    ForegroundLost,
    ForegroundRegained,
    Exit,
    SessionEnd,
    Crash
};
enum class ShortcutStep { Leave, Clear, SetAgain };
ShortcutStep ShortcutStepAt(ShortcutMoment moment, bool lensShown);
void AccessibilityShortcutsAt(ShortcutMoment moment);
// From start-up on, a crash sets them again, then goes on to the filter it replaced.
void WatchForCrash();
