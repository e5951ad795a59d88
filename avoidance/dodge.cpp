#include "avoidance/avoidance.h"

int DodgeArmed = 1;
int Dodged;
int MovedAside;

// The lens does not step aside yet: it stays at home.

void CheckDodge() {}

void DodgeTimerFired(unsigned) {}
