// Lens avoidance: moves the lens out of the pointer's way and back.
//
// The decision is pure (DecideDodge) and takes the geometry as input, where
// the lens stands home or aside too (LensPlace, geometry.h); CheckDodge,
// MoveLens and DodgeTimerFired apply it to the window.
#pragma once

#include "geometry/geometry.h"
#include "settings/shared.h"  // DodgeArmed, Dodged, MovedAside

enum DodgeMove { DodgeStay, DodgeAside, DodgeHome };

// What the pointer at (x, y) asks of a lens that is home (dodged 0) or aside
// (1). It leaves only for a pointer inside its home rectangle, and comes back
// once the pointer is a return margin past that rectangle on any side, so a
// pointer on another monitor never moves it.
DodgeMove DecideDodge(const LensGeometry& g, int dodged, int x, int y);

void CheckDodge();
void MoveLens(int aside);
void DodgeTimerFired(unsigned timerId);
// Stops both pauses; the lens is home again.
void StopDodgeTimers();
