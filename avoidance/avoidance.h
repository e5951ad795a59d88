// Lens avoidance: moves the lens out of the pointer's way and back.
//
// The decision is pure (DecideDodge) and takes the geometry as input, where
// the lens stands home or aside too (LensPlace, geometry.h); CheckDodge,
// MoveLens, DodgeTimerFired and ResumeDodgeChecks apply it to the window.
#pragma once

#include "geometry/geometry.h"
#include "settings/shared.h"  // DodgeState, Dodged, MovedAside

enum DodgeMove { DodgeStay, DodgeAside, DodgeHome };

// What the pointer at (x, y) asks of a lens that is home or (dodged) aside.
// It leaves only for a pointer inside its home rectangle, and comes back once
// the pointer is a return margin past that rectangle on any side, so a
// pointer on another monitor never moves it.
DodgeMove DecideDodge(const LensGeometry& g, bool dodged, int x, int y);

// Checks allowed: no move's pause runs, the lens stands where it went.
inline bool DodgeArmed() {
    return AvoidanceState == DodgeState::Home || AvoidanceState == DodgeState::Aside;
}

void CheckDodge();
void MoveLens(bool aside);
// The end of a pause (DodgeAsideTimer or DodgeHomeTimer): the timer stops and
// the lens stands where it went (Aside or Home). The shell then redraws the lens at its new
// place and calls ResumeDodgeChecks.
void DodgeTimerFired(unsigned timerId);
// Tests allowed again, and the pointer the redraw read checked at once: one
// that crossed the opposite line during the pause moves the lens back.
void ResumeDodgeChecks();
// At a hide and at start-up: both pauses stopped, the lens home again.
void ResetAvoidance();
// Tests only: the lens as if it stood (or went) there, without moving it.
void SetDodgeStateForTest(DodgeState state);
