// Lens avoidance: moves the lens out of the pointer's way and back.
#pragma once

extern int DodgeArmed;
extern int Dodged;
extern int MovedAside;

void CheckDodge();
void DodgeTimerFired(unsigned timerId);
