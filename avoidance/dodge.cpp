// Moving the lens aside while the pointer is on it, and back home.
#include "avoidance/avoidance.h"

#include <windows.h>

#include "settings/settings.h"
#include "settings/shared.h"

int DodgeArmed = 1;
int Dodged;
int MovedAside;

namespace {

constexpr UINT DodgePauseMs = 100;

}  // namespace

DodgeMove DecideDodge(const LensGeometry& g, int dodged, int x, int y) {
    // Home is one place whatever the format.
    const LensRect home = LensPlace(g, 0, 0);
    if (dodged == 0) {
        // Inside the home rectangle, not its first row or column; its bottom
        // is the work area's.
        if (y > home.top && x > home.left && x < home.right && y < home.bottom)
            return DodgeAside;
        return DodgeStay;
    }
    if (dodged == 1) {
        const int mx = ReturnMarginX(g);
        const int my = ReturnMarginY(g);
        if (y < home.top - my || x < home.left - mx || x >= home.right + mx ||
            y >= home.bottom + my)
            return DodgeHome;
    }
    return DodgeStay;
}

void CheckDodge() {
    // Every check follows a refresh or a move that has just read the pointer:
    // another read would be another round trip to the display under Wine.
    const POINT pointer = PointerPos;
    if (DodgeArmed != 1)
        return;
    const DodgeMove move = DecideDodge(Geometry, Dodged, pointer.x, pointer.y);
    if (move == DodgeStay)
        return;
    const int aside = move == DodgeAside ? 1 : 0;
    DodgeArmed = 0;
    Dodged = aside;
    MoveLens(aside);
    SetTimer(LensWindow, aside ? DodgeAsideTimer : DodgeHomeTimer, DodgePauseMs, nullptr);
}

void MoveLens(int aside) {
    const LensRect at = LensPlace(Geometry, LensSettings.ReadingFlag, aside);
    MoveWindow(LensWindow, at.left, at.top, at.right - at.left, at.bottom - at.top, TRUE);
}

void DodgeTimerFired(unsigned timerId) {
    KillTimer(LensWindow, timerId);
    MovedAside = timerId == DodgeAsideTimer ? 1 : 0;
}

void ResumeDodgeChecks() {
    DodgeArmed = 1;
    CheckDodge();
}

void StopDodgeTimers() {
    KillTimer(LensWindow, DodgeAsideTimer);
    KillTimer(LensWindow, DodgeHomeTimer);
}
